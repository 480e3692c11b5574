#pragma once

#include <mutex>

// Recursive lock guarding one file buffer of the ring.
class CZTMutex
{
public:
    CZTMutex() = default;
    virtual ~CZTMutex() = default;
    CZTMutex(const CZTMutex&) = delete;
    CZTMutex& operator=(const CZTMutex&) = delete;

    virtual void Lock();
    virtual bool TryLock();
    virtual void Unlock();

private:
    std::recursive_mutex m_mutex;
};
