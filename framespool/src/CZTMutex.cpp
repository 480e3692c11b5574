#include "CZTMutex.h"

void CZTMutex::Lock() { m_mutex.lock(); }

bool CZTMutex::TryLock() { return m_mutex.try_lock(); }

void CZTMutex::Unlock() { m_mutex.unlock(); }
