#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

// Large file buffers of finished series, kept mapped for half a minute so
// that the next series of the same size finds its memory in use already
// instead of paying for fresh pages again. Buffers not taken within that
// time go back to the system. The pool lives as long as the process, so
// that writers destroyed at exit can still give their buffers back.
class FileBufferPool
{
public:
    static FileBufferPool& Instance();
    FileBufferPool(const FileBufferPool&) = delete;
    FileBufferPool& operator=(const FileBufferPool&) = delete;

    // A kept buffer of exactly capacity bytes, or null. Kept buffers of other
    // sizes are released at once: a series of another size will not want them.
    void* Take(int64_t capacity);
    // Keeps a buffer that a finished series gives back.
    void Give(void* buffer, int64_t capacity);

    // Bytes of the buffers kept now.
    int64_t KeptBytes();

    static void Unmap(void* buffer, int64_t capacity);

private:
    FileBufferPool() = default;
    ~FileBufferPool() = default;
    void ReleaseLoop();

    struct Kept {
        void* buffer;
        int64_t capacity;
        std::chrono::steady_clock::time_point until;
    };

    std::mutex m_lock;
    std::condition_variable m_changed;
    std::vector<Kept> m_kept;
    std::thread m_releaser;
};
