#include "EventSignal.h"

#include "ConditionRecord.h"
#include "OsResult.h"

namespace GenTLCore {

EventSignal::EventSignal()
{
    if (m_lock.InitForSignal() != OS_OK)
        return;
    if (ConditionRecord::Create(&m_condition) != OS_OK) {
        m_condition = nullptr;
        m_lock.Destroy();
    }
}

EventSignal::~EventSignal() { Destroy(); }

void EventSignal::Destroy()
{
    m_lock.Destroy();
    ConditionRecord::Destroy(m_condition);
    m_condition = nullptr;
}

void EventSignal::Signal()
{
    if (m_condition)
        m_condition->SignalOne();
}

void EventSignal::Kill()
{
    m_killCount.fetch_add(1);
    if (m_condition)
        m_condition->SignalOne();
}

void EventSignal::Abort()
{
    m_aborted.store(true);
    m_aborts.fetch_add(1);
    if (m_condition)
        m_condition->SignalAll();
}

void EventSignal::Reset()
{
    m_aborted.store(false);
    m_killCount.store(0);
}

bool EventSignal::TakeKill()
{
    int32_t kills = m_killCount.load();
    while (kills > 0) {
        if (m_killCount.compare_exchange_weak(kills, kills - 1))
            return true;
    }
    return false;
}

bool EventSignal::TakeAbort() { return m_aborted.load() || TakeKill(); }

int32_t EventSignal::Wait() { return WaitFor(-1.0); }

int32_t EventSignal::TimedWait(double seconds) { return WaitFor(seconds); }

int32_t EventSignal::WaitFor(double seconds)
{
    if (!m_condition)
        return FAILED;
    if (m_aborted.load() || TakeKill())
        return ABORTED;
    const uint64_t aborts = m_aborts.load();
    const int32_t code = m_condition->Wait(m_lock, seconds);
    // An abort while this thread slept ends its wait, also when a Reset came
    // before it woke: the Reset starts a fresh state for later waits only.
    if (m_aborted.load() || m_aborts.load() != aborts || TakeKill())
        return ABORTED;
    if (code == OS_OK)
        return SIGNALLED;
    if (code == OS_ERR_WAIT_TIMEOUT)
        return TIMED_OUT;
    return FAILED;
}

}  // namespace GenTLCore
