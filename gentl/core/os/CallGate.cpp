#include "CallGate.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace GenTLCore {

namespace {

std::atomic<int32_t> g_inside{0};     // threads inside a call
std::atomic<int32_t> g_shut{0};       // closers that shut the gate
std::atomic<int32_t> g_unloading{0};  // unloads among them
thread_local int32_t t_depth = 0;     // nesting of the calling thread's calls

}  // namespace

CallGate::Entry CallGate::Enter(bool whileClosing)
{
    if (t_depth == 0) {
        // Counted before the gate is looked at, so that a closer that shuts
        // it either sees this call or is seen by it.
        g_inside.fetch_add(1);
        if (g_unloading.load() > 0) {
            g_inside.fetch_sub(1);
            return Entry::Unloading;
        }
    } else if (g_unloading.load() > 0) {
        return Entry::Unloading;
    }
    ++t_depth;
    if (!whileClosing && g_shut.load() > 0)
        return Entry::Closing;
    return Entry::Admitted;
}

void CallGate::Leave()
{
    if (--t_depth == 0)
        g_inside.fetch_sub(1);
}

bool CallGate::Shut(Closer closer)
{
    if (closer == Closer::Unload)
        g_unloading.fetch_add(1);
    return g_shut.fetch_add(1) == 0;
}

void CallGate::Open(Closer closer)
{
    g_shut.fetch_sub(1);
    if (closer == Closer::Unload)
        g_unloading.fetch_sub(1);
}

void CallGate::AwaitOthers()
{
    // Polled rather than signalled: a closer that sees the count drop may
    // return and the consumer unmap the file at once. Polling spares a
    // leaving thread any touch of the producer's data after its decrement
    // (signalling the closer would be one); the last instructions of its
    // return path still run from the file, a window that no code inside the
    // file can close. Closing is rare and a call in flight short.
    const int32_t own = t_depth > 0 ? 1 : 0;
    while (g_inside.load() > own)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

int32_t CallGate::Inside() { return g_inside.load(); }

}  // namespace GenTLCore
