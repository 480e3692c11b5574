#include "ManualResetEvent.h"

#include <chrono>

void ManualResetEvent::Set()
{
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_signalled = true;
    }
    m_cond.notify_all();
}

void ManualResetEvent::Reset()
{
    std::lock_guard<std::mutex> guard(m_mutex);
    m_signalled = false;
}

bool ManualResetEvent::WaitFor(int milliseconds)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_cond.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return m_signalled; });
}
