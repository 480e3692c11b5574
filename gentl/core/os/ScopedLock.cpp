#include "ScopedLock.h"

#include "CriticalSection.h"

namespace GenTLCore {

ScopedLock::ScopedLock(CriticalSection* lock) : m_lock(lock), m_held(false)
{
    if (m_lock)
        m_lock->Enter();
    m_held = true;
}

ScopedLock::~ScopedLock() { Release(); }

void ScopedLock::Release()
{
    if (!m_held)
        return;
    if (m_lock)
        m_lock->Leave();
    m_held = false;
}

}  // namespace GenTLCore
