#include "SimpleThread.h"

#include "OsResult.h"
#include "ScopedLock.h"
#include "ThreadHandle.h"

#include <platform/os/ThreadControl.h>

namespace GenTLCore {

SimpleThread::SimpleThread()
{
    if (ThreadHandle::Create(&m_record) != OS_OK)
        m_record = nullptr;
}

SimpleThread::~SimpleThread()
{
    ThreadHandle::Destroy(m_record);
    m_record = nullptr;
}

void SimpleThread::ThreadMain(void* self) { static_cast<SimpleThread*>(self)->Run(); }

bool SimpleThread::ApplyPriority()
{
    return platform::os::setThreadPriority(m_record->ThreadId(), m_priority);
}

bool SimpleThread::Start()
{
    ScopedLock lock(m_lock);
    if (!m_record || m_running)
        return false;
    if (m_record->Start(&SimpleThread::ThreadMain, this) != OS_OK)
        return false;
    m_running = true;
    if (m_prioritySet)
        ApplyPriority();
    return true;
}

void SimpleThread::Join()
{
    ScopedLock lock(m_lock);
    if (!m_record || !m_running)
        return;
    m_record->Wait();
    m_record->Close();
    m_running = false;
}

bool SimpleThread::SetPriority(int32_t policy, int32_t priority)
{
    ScopedLock lock(m_lock);
    m_policy = policy;
    m_priority = priority;
    m_prioritySet = true;
    if (m_running)
        return ApplyPriority();
    return true;
}

bool SimpleThread::GetPriority(int32_t* policy, int32_t* priority)
{
    ScopedLock lock(m_lock);
    if (m_running) {
        int32_t live = 0;
        if (!platform::os::threadPriority(m_record->ThreadId(), &live))
            return false;
        if (policy)
            *policy = 0;
        if (priority)
            *priority = live;
        return true;
    }
    if (policy)
        *policy = m_policy;
    if (priority)
        *priority = m_priority;
    return true;
}

void SimpleThread::ResetPriority()
{
    ScopedLock lock(m_lock);
    m_policy = 0;
    m_priority = 0;
    m_prioritySet = false;
}

bool SimpleThread::SetDefaultPriority() { return SetPriority(0, 2); }

bool SimpleThread::IsRunning()
{
    ScopedLock lock(m_lock);
    return m_running;
}

}  // namespace GenTLCore
