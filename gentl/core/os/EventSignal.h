#pragma once
#include "CriticalSection.h"

#include <atomic>
#include <cstdint>

namespace GenTLCore {

class ConditionRecord;

// Wait object of the event queues: a lock, a condition, pending kills and an
// aborted state. Waits are called with the signal's own lock held (Lock /
// Unlock); the condition gives it up only while sleeping. Either both the
// lock and the condition exist or neither does. The event queues abort and
// reset with the lock held, so that a wait sees every abort made while it
// slept.
class EventSignal {
public:
    enum WaitResult : int32_t { SIGNALLED = 0, TIMED_OUT = 1, ABORTED = 2, FAILED = 3 };

    EventSignal();
    ~EventSignal();
    EventSignal(const EventSignal&) = delete;
    EventSignal& operator=(const EventSignal&) = delete;

    void Lock() { m_lock.Enter(); }
    void Unlock() { m_lock.Leave(); }
    CriticalSection& GetLock() { return m_lock; }

    // Wakes one thread waiting at this moment.
    void Signal();
    // Aborts exactly one wait, present or future.
    void Kill();
    // Aborts every present and future wait until Reset.
    void Abort();
    // Clears the aborted state and pending kills for the waits that start
    // from now on; a wait that an Abort met stays aborted.
    void Reset();
    // Without waiting: true when aborted, or when a pending kill was taken.
    bool TakeAbort();
    int32_t Wait();
    int32_t TimedWait(double seconds);
    // Frees the lock and the condition; harmless when already done.
    void Destroy();

    bool IsValid() const { return m_condition != nullptr; }

private:
    int32_t WaitFor(double seconds);
    bool TakeKill();

    CriticalSection m_lock{CriticalSection::EmptyTag{}};
    ConditionRecord* m_condition = nullptr;
    std::atomic<int32_t> m_killCount{0};
    std::atomic<bool> m_aborted{false};
    // Aborts so far; a wait compares the count before and after it slept.
    std::atomic<uint64_t> m_aborts{0};
};

}  // namespace GenTLCore
