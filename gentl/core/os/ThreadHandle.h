#pragma once
#include <atomic>
#include <cstdint>
#include <thread>

namespace GenTLCore {

// Operating-system thread record: a heap cell that holds the handle of one
// started thread (none until started) and the thread's system id.
class ThreadHandle {
public:
    using Entry = void (*)(void* argument);

    // Makes a record without a thread into *out: 0 or OS_ERR_NO_MEMORY.
    static int32_t Create(ThreadHandle** out);
    // Waits for a started thread's end, closes its handle and frees the
    // record; null is ignored.
    static void Destroy(ThreadHandle* record);

    // Starts a thread that runs entry(argument): 0 or OS_ERR_THREAD_START.
    // Refused with OS_ERR_THREAD_START while a handle is held.
    int32_t Start(Entry entry, void* argument);
    // Waits without limit for the thread's end: 0 or OS_ERR_THREAD_WAIT.
    int32_t Wait();
    // Closes the handle of a started thread, first waiting for its end when
    // it was not waited for (a thread never outlives its record): 0, or
    // OS_ERR_CLOSE_HANDLE when there is none. Called on the thread itself it
    // lets the thread run on.
    int32_t Close();

    // The started thread's system id; 0 before the first start.
    int32_t ThreadId() const { return m_threadId.load(); }

#ifdef GENTL_FAULT_INJECTION
    // Test builds only: the next `count` starts fail.
    static void FailNextStarts(int count);
#endif

private:
    ThreadHandle() = default;
    ~ThreadHandle() = default;

    std::thread m_thread;
    std::atomic<int32_t> m_threadId{0};
    bool m_waited = false;
};

}  // namespace GenTLCore
