#include "SpoolBudget.h"

#include "FileBufferPool.h"
#include "SpoolTestHooks.h"

#include <platform/os/SystemInfo.h>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int64_t kPageBytes = 4096;
// A node with its lock and name, and the allocator's share of a buffer.
constexpr int64_t kBookkeepingBytes = kPageBytes;

}  // namespace

SpoolBudget& SpoolBudget::Instance()
{
    static SpoolBudget budget;
    return budget;
}

int64_t SpoolBudget::Cost(int64_t bufferBytes)
{
    return (bufferBytes + kPageBytes - 1) / kPageBytes * kPageBytes + kBookkeepingBytes;
}

int64_t SpoolBudget::AvailableBytes()
{
#ifdef FRAMESPOOL_TEST_HOOKS
    if (const char* bytes = std::getenv(FRAMESPOOL_MEMORY_ENV))
        return std::strtoll(bytes, nullptr, 10);
#endif
    platform::os::PhysicalMemory memory;
    if (!platform::os::physicalMemory(&memory))
        return 0;
    // Buffers kept from the last series are free for the next one.
    return static_cast<int64_t>(std::min<uint64_t>(memory.availableBytes, INT64_MAX / 4)) +
           FileBufferPool::Instance().KeptBytes();
}

int64_t SpoolBudget::Reserve(int64_t bufferBytes, int64_t wanted, int64_t* fit)
{
    const int64_t cost = Cost(bufferBytes);
    std::lock_guard<std::mutex> guard(m_lock);
    if (m_reserved == 0)
        m_limit = static_cast<int64_t>(static_cast<double>(AvailableBytes()) * 0.7);
    *fit = std::max<int64_t>(0, (m_limit - m_reserved) / cost);
    const int64_t granted = std::min({wanted, *fit, kMaxBuffersPerSlot});
    if (granted <= 0)
        return 0;
    m_reserved += granted * cost;
    return granted;
}

void SpoolBudget::Release(int64_t bufferBytes, int64_t buffers)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_reserved = std::max<int64_t>(0, m_reserved - buffers * Cost(bufferBytes));
}
