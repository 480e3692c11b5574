#include "FileBufferPool.h"

#include <sys/mman.h>

#include <algorithm>
#include <chrono>
#include <system_error>

namespace {

constexpr std::chrono::seconds kKeep(30);

}  // namespace

FileBufferPool& FileBufferPool::Instance()
{
    static FileBufferPool* pool = new FileBufferPool;
    return *pool;
}

void FileBufferPool::Unmap(void* buffer, int64_t capacity) { ::munmap(buffer, static_cast<size_t>(capacity)); }

void* FileBufferPool::Take(int64_t capacity)
{
    void* found = nullptr;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        const auto now = std::chrono::steady_clock::now();
        for (auto it = m_kept.begin(); it != m_kept.end();) {
            if (!found && it->capacity == capacity) {
                found = it->buffer;
                it = m_kept.erase(it);
                continue;
            }
            // Another size: the releasing thread unmaps it now, off the
            // caller's path.
            if (it->capacity != capacity)
                it->until = now;
            ++it;
        }
    }
    m_changed.notify_all();
    return found;
}

void FileBufferPool::Give(void* buffer, int64_t capacity)
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (!m_releaser.joinable()) {
            try {
                m_releaser = std::thread(&FileBufferPool::ReleaseLoop, this);
            } catch (const std::system_error&) {
            }
        }
        if (m_releaser.joinable()) {
            m_kept.push_back({buffer, capacity, std::chrono::steady_clock::now() + kKeep});
            buffer = nullptr;
        }
    }
    if (buffer)
        Unmap(buffer, capacity);  // nobody could release it later
    m_changed.notify_all();
}

int64_t FileBufferPool::KeptBytes()
{
    std::lock_guard<std::mutex> guard(m_lock);
    int64_t bytes = 0;
    for (const Kept& kept : m_kept)
        bytes += kept.capacity;
    return bytes;
}

void FileBufferPool::ReleaseLoop()
{
    std::unique_lock<std::mutex> lock(m_lock);
    for (;;) {
        if (m_kept.empty()) {
            m_changed.wait(lock);
            continue;
        }
        const auto oldest = std::min_element(m_kept.begin(), m_kept.end(),
                                             [](const Kept& a, const Kept& b) { return a.until < b.until; });
        if (std::chrono::steady_clock::now() < oldest->until) {
            m_changed.wait_until(lock, oldest->until);
            continue;
        }
        const Kept expired = *oldest;
        m_kept.erase(oldest);
        lock.unlock();
        Unmap(expired.buffer, expired.capacity);
        lock.lock();
    }
}
