#include "NamedMutex.h"

#include <platform/os/NamedMutex.h>

#include <new>

namespace GenTLCore {

NamedMutex::NamedMutex(const std::string& name) : m_name(name) {}

NamedMutex::~NamedMutex() = default;

bool NamedMutex::Create()
{
    if (m_handle)
        return false;
    platform::os::NamedMutex* handle = new (std::nothrow) platform::os::NamedMutex();
    if (!handle)
        return false;
    if (m_name.empty()) {
        // An unnamed lock: nobody else can refer to it.
        m_handle = handle;
        return true;
    }
    bool exists = false;
    if (!handle->open(m_name, &exists) || exists) {
        delete handle;
        return false;
    }
    m_handle = handle;
    return true;
}

bool NamedMutex::Release()
{
    if (!m_handle)
        return false;
    delete m_handle;
    m_handle = nullptr;
    return true;
}

}  // namespace GenTLCore
