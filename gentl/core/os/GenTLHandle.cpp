#include "GenTLHandle.h"

#include "ScopedLock.h"

namespace GenTLCore {

GenTLHandle::~GenTLHandle() = default;

std::string& GenTLHandle::GetLogID(std::string& id) { return GetID(id); }

int32_t GenTLHandle::Open() { return 0; }

int32_t GenTLHandle::Close() { return 0; }

void GenTLHandle::MarkNonFunctional() {}

void GenTLHandle::InitPortURLs() {}

int32_t GenTLHandle::OpenLocked()
{
    ScopedLock lock(m_lock);
    const int32_t code = Open();
    if (code == 0)
        m_open = true;
    return code;
}

int32_t GenTLHandle::CloseLocked()
{
    ScopedLock lock(m_lock);
    m_open = false;
    return Close();
}

bool GenTLHandle::IsOpen()
{
    ScopedLock lock(m_lock);
    return m_open;
}

bool GenTLHandle::IsNonFunctional()
{
    ScopedLock lock(m_lock);
    return m_nonFunctional;
}

void GenTLHandle::SetNonFunctional()
{
    ScopedLock lock(m_lock);
    m_nonFunctional = true;
    MarkNonFunctional();
}

void GenTLHandle::InitPortURLsOnce()
{
    ScopedLock lock(m_lock);
    if (m_portURLsInitialised)
        return;
    InitPortURLs();
    m_portURLsInitialised = true;
}

}  // namespace GenTLCore
