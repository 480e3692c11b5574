#include "CallGate.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace GenTLCore {

namespace {

std::atomic<int32_t> g_inside{0};  // threads inside a call
std::atomic<int32_t> g_shut{0};    // closers that shut the gate
thread_local int32_t t_depth = 0;  // nesting of the calling thread's calls

}  // namespace

bool CallGate::Enter()
{
    if (t_depth > 0) {
        if (g_shut.load() > 0)
            return false;
        ++t_depth;
        return true;
    }
    // Counted before the gate is looked at, so that a closer that shuts it
    // either sees this call or is seen by it.
    g_inside.fetch_add(1);
    if (g_shut.load() > 0) {
        g_inside.fetch_sub(1);
        return false;
    }
    t_depth = 1;
    return true;
}

void CallGate::Leave()
{
    if (--t_depth == 0)
        g_inside.fetch_sub(1);
}

bool CallGate::Shut() { return g_shut.fetch_add(1) == 0; }

void CallGate::Open() { g_shut.fetch_sub(1); }

void CallGate::AwaitOthers()
{
    // Polled rather than signalled: a closer that sees the count drop may
    // return and the consumer unmap the file at once, so a leaving thread
    // must touch nothing of the producer's after its decrement. Closing is
    // rare and a call in flight short.
    const int32_t own = t_depth > 0 ? 1 : 0;
    while (g_inside.load() > own)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

int32_t CallGate::Inside() { return g_inside.load(); }

}  // namespace GenTLCore
