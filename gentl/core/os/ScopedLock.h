#pragma once

namespace GenTLCore {

class CriticalSection;

// Holds a lock for the rest of a scope, also when an exception passes.
class ScopedLock {
public:
    explicit ScopedLock(CriticalSection* lock);
    explicit ScopedLock(CriticalSection& lock) : ScopedLock(&lock) {}
    ~ScopedLock();
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

    // Leaves the lock when still held; later calls do nothing.
    void Release();
    bool IsHeld() const { return m_held; }

private:
    CriticalSection* m_lock;
    bool m_held;
};

}  // namespace GenTLCore
