#pragma once
#include "CriticalSection.h"

#include <cstdint>

namespace GenTLCore {

class ThreadHandle;

// A thread object: Start runs Run on a new operating-system thread, Join
// waits for its end. Priorities use the Windows scale (2 is highest); the
// policy is stored and reported but not passed to the system. The owner
// joins the thread before its own members go; the destruction of this object
// still waits for a thread that runs on, so it never runs on freed memory.
class SimpleThread {
public:
    SimpleThread();
    virtual ~SimpleThread();
    SimpleThread(const SimpleThread&) = delete;
    SimpleThread& operator=(const SimpleThread&) = delete;

    // The thread body. It must not call Start, Join or the priority
    // operations of its own object: Join holds the thread's lock while it
    // waits.
    virtual void Run() = 0;

    // False when the thread record is missing, the thread runs already, or
    // the system refuses to start it. Applies a stored priority.
    bool Start();
    // Waits for the thread's end without limit and closes its handle.
    void Join();
    bool SetPriority(int32_t policy, int32_t priority);
    bool GetPriority(int32_t* policy, int32_t* priority);
    void ResetPriority();
    // Policy 0 and priority 2, the highest normal priority.
    bool SetDefaultPriority();

    bool IsRunning();
    bool HasThreadRecord() const { return m_record != nullptr; }

private:
    static void ThreadMain(void* self);
    bool ApplyPriority();

    ThreadHandle* m_record = nullptr;
    bool m_running = false;
    CriticalSection m_lock;
    int32_t m_policy = 0;
    int32_t m_priority = 0;
    bool m_prioritySet = false;
};

}  // namespace GenTLCore
