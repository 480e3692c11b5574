#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace GenTLCore {

class CriticalSection;

// Condition variable of the operating-system layer, kept in a tagged record:
// a counting semaphore (initial count 0, maximum 0x7FFFFFFF), an internal
// lock and the counters of waiting threads, issued wake-ups and signals.
// A wait gives up a caller-held lock while it sleeps and takes it again
// before it returns.
class ConditionRecord {
public:
    // Makes a record into *out: 0, OS_ERR_NO_MEMORY or OS_ERR_SEMAPHORE;
    // *out stays null on failure.
    static int32_t Create(ConditionRecord** out);
    // Frees a record made by Create; null is ignored.
    static void Destroy(ConditionRecord* record);

    // Wakes one thread waiting at this moment; not remembered otherwise.
    void SignalOne();
    // Wakes every thread waiting at this moment.
    void SignalAll();
    // Waits for a wake-up, with `lock` held by the caller (entered once).
    // `timeoutSeconds` < 0 waits without limit. Returns 0 when woken,
    // OS_ERR_WAIT_TIMEOUT when the time ran out, OS_ERR_BAD_LOCK when `lock`
    // is not a lock record. The whole wait keeps to one deadline.
    int32_t Wait(CriticalSection& lock, double timeoutSeconds);
    int32_t WaitForever(CriticalSection& lock) { return Wait(lock, -1.0); }

    // Counters, for tests and diagnostics.
    int32_t Waiters();
    int32_t Releases();

private:
    ConditionRecord() = default;
    ~ConditionRecord() = default;

    using Clock = std::chrono::steady_clock;
    // Takes one semaphore token; false when the deadline passed first.
    bool TakeToken(bool infinite, Clock::time_point deadline);
    void GiveTokens(int32_t count);

    // The semaphore.
    std::mutex m_semaphoreMutex;
    std::condition_variable m_semaphoreCv;
    int32_t m_tokens = 0;
    // The internal lock and what it guards.
    std::mutex m_lock;
    int32_t m_waiters = 0;
    int32_t m_releases = 0;
    int32_t m_generation = 0;
};

}  // namespace GenTLCore
