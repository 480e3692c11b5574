#include "WaitSignal.h"

#include "DebugLine.h"
#include "SingleInstance.h"

WaitSignal::WaitSignal(QObject* parent)
    : QObject(parent)
{
    bool exists = false;
    if (!m_mutex.open(kInstanceMutexName, &exists))
        LUMA_DEBUG("WaitSignal::WaitSignal", "could not open the instance mutex");
    m_timer.setInterval(10);
    m_timer.setSingleShot(false);
    connect(&m_timer, &QTimer::timeout, this, &WaitSignal::slot_WaitOtherOpenTimer_timeOut);
    m_timer.start();
}

// The mutex stays open while the process lives: the watcher is never deleted
// before the end. (NamedMutex closes itself if it ever is.)
WaitSignal::~WaitSignal() = default;

void WaitSignal::stop() { m_timer.stop(); }

void WaitSignal::slot_WaitOtherOpenTimer_timeOut()
{
    switch (m_mutex.wait(0)) {
    case platform::os::NamedMutex::Wait::TimedOut:
        emit signalShowMaximizedWin();
        break;
    case platform::os::NamedMutex::Wait::Acquired:
        m_mutex.release();
        break;
    case platform::os::NamedMutex::Wait::Failed:
        break;
    }
}
