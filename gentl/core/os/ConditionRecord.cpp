#include "ConditionRecord.h"

#include "CriticalSection.h"
#include "OsResult.h"
#include "TaggedRecord.h"

#include <cmath>
#include <new>
#include <thread>

namespace GenTLCore {

namespace {
constexpr int32_t kMaxTokens = 0x7FFFFFFF;
// Waits of this many milliseconds or more have no limit, as an infinite
// wait of the system.
constexpr double kInfiniteMs = 4294967295.0;
}  // namespace

int32_t ConditionRecord::Create(ConditionRecord** out)
{
    if (!out)
        return OS_ERR_NO_MEMORY;
    *out = nullptr;
    void* record = TaggedRecord::Allocate(TaggedRecord::KIND_CONDITION, sizeof(ConditionRecord));
    if (!record)
        return OS_ERR_NO_MEMORY;
    try {
        *out = new (record) ConditionRecord();
    } catch (...) {
        TaggedRecord::Free(record);
        return OS_ERR_SEMAPHORE;
    }
    return OS_OK;
}

void ConditionRecord::Destroy(ConditionRecord* record)
{
    if (!record)
        return;
    record->~ConditionRecord();
    TaggedRecord::Free(record);
}

bool ConditionRecord::TakeToken(bool infinite, Clock::time_point deadline)
{
    std::unique_lock<std::mutex> lock(m_semaphoreMutex);
    if (infinite) {
        m_semaphoreCv.wait(lock, [this] { return m_tokens > 0; });
    } else if (!m_semaphoreCv.wait_until(lock, deadline, [this] { return m_tokens > 0; })) {
        return false;
    }
    --m_tokens;
    return true;
}

void ConditionRecord::GiveTokens(int32_t count)
{
    if (count <= 0)
        return;
    {
        std::lock_guard<std::mutex> lock(m_semaphoreMutex);
        m_tokens = (count > kMaxTokens - m_tokens) ? kMaxTokens : m_tokens + count;
    }
    if (count == 1)
        m_semaphoreCv.notify_one();
    else
        m_semaphoreCv.notify_all();
}

void ConditionRecord::SignalOne()
{
    bool wake = false;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_releases < m_waiters) {
            ++m_releases;
            ++m_generation;
            wake = true;
        }
    }
    if (wake)
        GiveTokens(1);
}

void ConditionRecord::SignalAll()
{
    int32_t count = 0;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_releases < m_waiters) {
            count = m_waiters - m_releases;
            m_releases = m_waiters;
            ++m_generation;
        }
    }
    GiveTokens(count);
}

int32_t ConditionRecord::Wait(CriticalSection& lock, double timeoutSeconds)
{
    const int32_t kind = TaggedRecord::KindOf(lock.Record());
    if (kind != TaggedRecord::KIND_SIGNAL_LOCK && kind != TaggedRecord::KIND_LOCK)
        return OS_ERR_BAD_LOCK;

    // A time-out that is not a number waits not at all.
    const double ms = std::isnan(timeoutSeconds) ? 0.0 : std::trunc(timeoutSeconds * 1000.0);
    const bool infinite = timeoutSeconds < 0 || ms >= kInfiniteMs;
    const Clock::time_point deadline =
        infinite ? Clock::time_point::max()
                 : Clock::now() + std::chrono::milliseconds(static_cast<int64_t>(ms));

    int32_t generation;
    {
        std::lock_guard<std::mutex> internal(m_lock);
        ++m_waiters;
        generation = m_generation;
        lock.Leave();
    }

    for (;;) {
        const bool got = TakeToken(infinite, deadline);
        std::unique_lock<std::mutex> internal(m_lock);
        if (m_releases > 0 && m_generation != generation) {
            // A wake-up issued after this wait began.
            --m_waiters;
            --m_releases;
            internal.unlock();
            lock.Enter();
            return OS_OK;
        }
        if (!got) {
            // Time is up. Wake-ups still pending belong to earlier waiters,
            // and this wait took no token that it would have to give back.
            --m_waiters;
            internal.unlock();
            lock.Enter();
            return OS_ERR_WAIT_TIMEOUT;
        }
        const bool earlierWakeUp = m_releases > 0;
        internal.unlock();
        if (earlierWakeUp) {
            // The token belongs to an earlier waiter: hand it back and wait
            // for the rest of the time.
            GiveTokens(1);
            std::this_thread::yield();
        }
    }
}

int32_t ConditionRecord::Waiters()
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_waiters;
}

int32_t ConditionRecord::Releases()
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_releases;
}

}  // namespace GenTLCore
