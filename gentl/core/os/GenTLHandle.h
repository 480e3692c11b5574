#pragma once
#include "CriticalSection.h"

#include <cstdint>
#include <string>

namespace GenTLCore {

// Root of every object that a GenTL handle names; the handle is the
// object's address. Each object has its own re-entrant lock (the module
// lock), an open flag and a non-functional flag.
class GenTLHandle {
public:
    GenTLHandle() = default;
    virtual ~GenTLHandle();
    GenTLHandle(const GenTLHandle&) = delete;
    GenTLHandle& operator=(const GenTLHandle&) = delete;

    // Writes the object's id into `id` and returns it.
    virtual std::string& GetID(std::string& id) = 0;
    // The identity used in log lines.
    virtual std::string& GetLogID(std::string& id);
    virtual int32_t Open();
    virtual int32_t Close();
    // Run when the object is declared dead.
    virtual void MarkNonFunctional();
    // One-time set-up of the port URLs.
    virtual void InitPortURLs();

    void Lock() { m_lock.Enter(); }
    void Unlock() { m_lock.Leave(); }
    CriticalSection& GetModuleLock() { return m_lock; }

    // Open; sets the open flag when it returns 0.
    int32_t OpenLocked();
    // Clears the open flag, then Close; the object is closed whatever Close
    // returns.
    int32_t CloseLocked();
    bool IsOpen();
    bool IsNonFunctional();
    void SetNonFunctional();
    void InitPortURLsOnce();

private:
    CriticalSection m_lock;
    bool m_open = false;
    bool m_nonFunctional = false;
    bool m_portURLsInitialised = false;
};

}  // namespace GenTLCore
