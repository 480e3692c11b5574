#pragma once

#include <condition_variable>
#include <mutex>

// An event that stays signalled until it is reset.
class ManualResetEvent
{
public:
    void Set();
    void Reset();
    // Waits until the event is signalled or the time has passed; true when
    // signalled.
    bool WaitFor(int milliseconds);

private:
    std::mutex m_mutex;
    std::condition_variable m_cond;
    bool m_signalled = false;
};
