#include "CallGate.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace GenTLCore {

namespace {

// The whole gate in one word, so that a call is counted and told whether it
// may run in one atomic step. A call that an unload refuses is never
// counted; one that arrives while GCCloseLib closes is counted apart from
// those that GCCloseLib waits for.
constexpr uint64_t kClosing = uint64_t(1) << 63;
constexpr uint64_t kUnloading = uint64_t(1) << 62;
constexpr unsigned kLateShift = 31;
constexpr uint64_t kCountMask = (uint64_t(1) << kLateShift) - 1;
// One call admitted while the gate was open.
constexpr uint64_t kEarly = 1;
// One call that arrived while GCCloseLib closed, admitted beside it or not.
constexpr uint64_t kLate = uint64_t(1) << kLateShift;

std::atomic<uint64_t> g_gate{0};
thread_local int32_t t_depth = 0;  // nesting of the calling thread's calls
thread_local uint64_t t_unit = 0;  // what its outermost call added to the gate

uint64_t Early(uint64_t gate) { return gate & kCountMask; }
uint64_t Late(uint64_t gate) { return (gate >> kLateShift) & kCountMask; }

}  // namespace

CallGate::Entry CallGate::Enter(bool whileClosing)
{
    if (t_depth > 0) {
        const uint64_t gate = g_gate.load();
        if (gate & kUnloading)
            return Entry::Unloading;
        ++t_depth;
        return !whileClosing && (gate & kClosing) ? Entry::Closing : Entry::Admitted;
    }
    uint64_t gate = g_gate.load();
    uint64_t unit = kEarly;
    do {
        if (gate & kUnloading)
            return Entry::Unloading;
        unit = gate & kClosing ? kLate : kEarly;
    } while (!g_gate.compare_exchange_weak(gate, gate + unit));
    t_unit = unit;
    t_depth = 1;
    return unit == kEarly || whileClosing ? Entry::Admitted : Entry::Closing;
}

void CallGate::Leave()
{
    if (--t_depth == 0)
        g_gate.fetch_sub(t_unit);
}

CallGate::Entry CallGate::AwaitClose()
{
    if (t_depth != 1 || t_unit != kLate)
        return Entry::Closing;
    // Polled like AwaitOthers: the close never waits for this call, and an
    // unload, which does, finds it gone at its next look.
    uint64_t gate = g_gate.load();
    for (;;) {
        if (gate & kUnloading)
            return Entry::Closing;
        if (gate & kClosing) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            gate = g_gate.load();
        } else if (g_gate.compare_exchange_weak(gate, gate - kLate + kEarly)) {
            t_unit = kEarly;
            return Entry::Admitted;
        }
    }
}

bool CallGate::Shut()
{
    uint64_t gate = g_gate.load();
    do {
        if (gate & (kClosing | kUnloading))
            return false;
    } while (!g_gate.compare_exchange_weak(gate, gate | kClosing));
    return true;
}

void CallGate::Open() { g_gate.fetch_and(~kClosing); }

void CallGate::ShutForUnload() { g_gate.fetch_or(kUnloading); }

void CallGate::Reset() { g_gate.store(0); }

void CallGate::AwaitOthers()
{
    // Polled rather than signalled: a closer that sees the count drop may
    // return and the consumer unmap the file at once. Polling spares a
    // leaving thread any touch of the producer's data after its decrement
    // (signalling the closer would be one). Closing is rare and a call in
    // flight short.
    const uint64_t own = t_depth > 0 ? t_unit : 0;
    for (;;) {
        const uint64_t gate = g_gate.load();
        const bool all = (gate & kUnloading) != 0;
        const uint64_t inside = Early(gate) + (all ? Late(gate) : 0);
        const uint64_t self = own == kEarly || (all && own == kLate) ? 1 : 0;
        if (inside <= self)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

int32_t CallGate::Inside()
{
    const uint64_t gate = g_gate.load();
    return static_cast<int32_t>(Early(gate) + Late(gate));
}

}  // namespace GenTLCore
