#include "GenTLLibrary.h"

#include "BrandingControl.h"
#include "GenTLBranding.h"
#include "GenTLBuffer.h"
#include "GenTLDataStream.h"
#include "GenTLEvent.h"
#include "GenTLEventSrc.h"
#include "GenTLInterface.h"
#include "GenTLLocalDevice.h"
#include "GenTLPort.h"
#include "GenTLRemoteDevice.h"
#include "GenTLSystem.h"
#include "LastGenTLError.h"
#include "ReportError.h"
#include "ScopedLock.h"
#include "TLLogMessage.h"

#include <vector>

namespace GenTLCore {

namespace {

void LogHandle(const char* text, GenTLHandle& object)
{
    if (!IsLogged(4))
        return;
    std::string id;
    LogLine("HPool", 4, text + object.GetLogID(id));
}

}  // namespace

GenTLLibrary::GenTLLibrary() : m_processLock(GetBranding().GetLockName()) {}

GenTLLibrary::~GenTLLibrary()
{
    m_system.Reset();
    m_pool.clear();
}

GC_ERROR GenTLLibrary::InitLib()
{
    ScopedLock lock(m_lock);
    if (m_initialised)
        return ReportError(GC_ERR_RESOURCE_IN_USE, "InitLib: the library is already initialized.");
    ResetAllLastErrors();
    if (UsesProcessLock()) {
        if (!m_processLock.Create())
            return ReportError(GC_ERR_ERROR, "InitLib: the library is in use by another client.");
        m_processLockHeld = true;
    }
    // Gives the process lock back when the start fails part-way.
    auto release = [this] {
        if (m_processLockHeld) {
            m_processLock.Release();
            m_processLockHeld = false;
        }
    };
    try {
        if (!InitTL()) {
            release();
            // A reason the transport layer gave stands.
            LastErrorRecord reason;
            if (GetLastGenTLError(&reason) && reason.code != GC_ERR_SUCCESS)
                return reason.code;
            return ReportError(GC_ERR_ERROR, "InitLib: Initialization of TL-specific library infrastructure failed.");
        }
        m_system = CreateSystem();
        if (!m_system)
            throw std::bad_alloc();
        m_system->InitPortURLsOnce();
    } catch (...) {
        m_system.Reset();
        CloseTL();
        release();
        throw;
    }
    m_initialised = true;
    LogProducerBanner();
    return GC_ERR_SUCCESS;
}

bool GenTLLibrary::IsInitialized()
{
    ScopedLock lock(m_lock);
    return m_initialised;
}

GC_ERROR GenTLLibrary::CloseLib()
{
    ScopedLock lock(m_lock);
    if (!m_initialised)
        return ReportError(GC_ERR_NOT_INITIALIZED, "CloseLib: attempt to close library, that is not initialized.");
    if (m_system && m_pool.count(m_system->Handle()) != 0)
        UnregisterSystemHandle(m_system->Handle());
    m_system.Reset();
    m_pool.clear();
    const bool closed = CloseTL();
    if (m_processLockHeld) {
        m_processLock.Release();
        m_processLockHeld = false;
    }
    m_initialised = false;
    if (!closed)
        return ReportError(GC_ERR_ERROR, "CloseLib: Uninitialization of TL-specific library infrastructure failed.");
    return GC_ERR_SUCCESS;
}

void GenTLLibrary::AbortEventWaits()
{
    ScopedLock lock(m_lock);
    for (auto& entry : m_pool) {
        if (auto* event = dynamic_cast<GenTLEvent*>(entry.second.object.Get()))
            event->AbortWaits();
    }
}

GC_ERROR GenTLLibrary::GetLibInfo(TL_INFO_CMD command, INFO_DATATYPE* type, void* buffer, size_t* size)
{
    ScopedLock lock(m_lock);
    if (!m_initialised)
        return ReportError(GC_ERR_NOT_INITIALIZED, "GetLibInfo: the library is not initialized.");
    return m_system->GetTLInfo(command, type, buffer, size);
}

GC_ERROR GenTLLibrary::GetParent(void* handle, void** parent)
{
    ScopedLock lock(m_lock);
    if (!m_initialised)
        return ReportError(GC_ERR_NOT_INITIALIZED,
                           "GetParent: attempt to use a get-parent opreration with uninitialized library.");
    if (!parent)
        return ReportError(GC_ERR_INVALID_PARAMETER, "GetParent: invalid parent handle pointer");
    auto entry = m_pool.find(handle);
    if (entry == m_pool.end())
        return ReportError(GC_ERR_INVALID_HANDLE, "GetParent: requested handle not found in the pool");
    *parent = entry->second.parent;
    return GC_ERR_SUCCESS;
}

GC_ERROR GenTLLibrary::SysOpen(CountedPtr<GenTLSystem>* system)
{
    ScopedLock lock(m_lock);
    if (!m_initialised)
        return ReportError(GC_ERR_NOT_INITIALIZED,
                           "SysOpen: attempt to open a system handle with uninitialized library.");
    *system = m_system;
    return GC_ERR_SUCCESS;
}

GC_ERROR GenTLLibrary::RegisterHandle(const CountedPtr<GenTLHandle>& object, void* parent, void** handle)
{
    ScopedLock lock(m_lock);
    if (!m_initialised)
        return ReportError(GC_ERR_NOT_INITIALIZED,
                           "Open/Register: attempt to use an open handle operation with uninitialized library.");
    if (!handle)
        return ReportError(GC_ERR_INVALID_PARAMETER, "Open/Register: invalid output handle pointer.");
    if (!object)
        return ReportError(GC_ERR_ERROR,
                           "Open/Register: internal failure when looking up the opened object instance.");
    // The parent was looked up before the object was handed out, without
    // the pool held: it may have been closed since.
    const GC_ERROR inPool = CheckParentInPool(parent);
    if (inPool != GC_ERR_SUCCESS)
        return inPool;
    void* key = object.Get();
    auto entry = m_pool.find(key);
    if (entry != m_pool.end()) {
        if (!dynamic_cast<GenTLRemoteDevice*>(object.Get()))
            return ReportError(GC_ERR_RESOURCE_IN_USE, "Open/Register: requested object is already in use");
        LogHandle("Reopened remote device handle: ", *object);
        *handle = key;
        return GC_ERR_SUCCESS;
    }
    const int32_t code = object->OpenLocked();
    if (code != GC_ERR_SUCCESS)
        return code;
    try {
        m_pool.emplace(key, PoolEntry{parent, object});
    } catch (...) {
        object->CloseLocked();
        throw;
    }
    LogHandle("Handle added to the pool: ", *object);
    *handle = key;
    return GC_ERR_SUCCESS;
}

GC_ERROR GenTLLibrary::CheckParentInPool(void* parent)
{
    ScopedLock lock(m_lock);
    if (parent && m_pool.count(parent) == 0)
        return ReportError(GC_ERR_INVALID_HANDLE, "Open/Register: the parent handle is no longer in the pool");
    return GC_ERR_SUCCESS;
}

template <class T>
GC_ERROR GenTLLibrary::Lookup(void* handle, CountedPtr<T>* out)
{
    ScopedLock lock(m_lock);
    if (!m_initialised)
        return ReportError(GC_ERR_NOT_INITIALIZED, "Attempt to perform operations on an uninitialized library.");
    auto entry = m_pool.find(handle);
    if (entry == m_pool.end())
        return ReportError(GC_ERR_INVALID_HANDLE, "Requested handle not found in the pool");
    *out = entry->second.object.template DynamicCast<T>();
    if (!*out)
        return ReportError(GC_ERR_INVALID_HANDLE, "Requested handle is of unexpected type");
    return GC_ERR_SUCCESS;
}

GC_ERROR GenTLLibrary::LookupSystemHandle(void* handle, CountedPtr<GenTLSystem>* out) { return Lookup(handle, out); }
GC_ERROR GenTLLibrary::LookupInterfaceHandle(void* handle, CountedPtr<GenTLInterface>* out)
{
    return Lookup(handle, out);
}
GC_ERROR GenTLLibrary::LookupLocalDeviceHandle(void* handle, CountedPtr<GenTLLocalDevice>* out)
{
    return Lookup(handle, out);
}
GC_ERROR GenTLLibrary::LookupDataStreamHandle(void* handle, CountedPtr<GenTLDataStream>* out)
{
    return Lookup(handle, out);
}
GC_ERROR GenTLLibrary::LookupBufferHandle(void* handle, CountedPtr<GenTLBuffer>* out) { return Lookup(handle, out); }
GC_ERROR GenTLLibrary::LookupEventHandle(void* handle, CountedPtr<GenTLEvent>* out) { return Lookup(handle, out); }
GC_ERROR GenTLLibrary::LookupEventSrcHandle(void* handle, CountedPtr<GenTLEventSrc>* out)
{
    return Lookup(handle, out);
}
GC_ERROR GenTLLibrary::LookupPortHandle(void* handle, CountedPtr<GenTLPort>* out) { return Lookup(handle, out); }

template <class T>
GC_ERROR GenTLLibrary::UnregisterTyped(void* handle)
{
    ScopedLock lock(m_lock);
    if (!m_initialised)
        return ReportError(GC_ERR_NOT_INITIALIZED,
                           "Close/Unregister: attempt to use a close handle operation with uninitialized library.");
    auto entry = m_pool.find(handle);
    if (entry == m_pool.end())
        return ReportError(GC_ERR_INVALID_HANDLE, "Close/Unregister: requested handle not found in the pool");
    if (!dynamic_cast<T*>(entry->second.object.Get()))
        return ReportError(GC_ERR_INVALID_HANDLE, "Close/Unregister: requested handle is of unexpected type");
    return Unregister(entry);
}

GC_ERROR GenTLLibrary::UnregisterSystemHandle(void* handle) { return UnregisterTyped<GenTLSystem>(handle); }
GC_ERROR GenTLLibrary::UnregisterInterfaceHandle(void* handle) { return UnregisterTyped<GenTLInterface>(handle); }
GC_ERROR GenTLLibrary::UnregisterLocalDeviceHandle(void* handle) { return UnregisterTyped<GenTLLocalDevice>(handle); }
GC_ERROR GenTLLibrary::UnregisterDataStreamHandle(void* handle) { return UnregisterTyped<GenTLDataStream>(handle); }
GC_ERROR GenTLLibrary::UnregisterBufferHandle(void* handle) { return UnregisterTyped<GenTLBuffer>(handle); }
GC_ERROR GenTLLibrary::UnregisterEventHandle(GenTLEvent* event)
{
    return UnregisterTyped<GenTLEvent>(static_cast<GenTLHandle*>(event));
}

GC_ERROR GenTLLibrary::UnregisterHandleCore(void* handle) { return UnregisterTyped<GenTLHandle>(handle); }

GC_ERROR GenTLLibrary::Unregister(Pool::iterator entry)
{
    void* const handle = entry->first;
    std::vector<void*> children;
    for (const auto& item : m_pool)
        if (item.second.parent == handle)
            children.push_back(item.first);
    for (void* child : children)
        UnregisterHandleCore(child);
    // The children's closes cannot remove this entry, but look it up anew:
    // the map changed under the iterator's neighbours.
    entry = m_pool.find(handle);
    if (entry == m_pool.end())
        return GC_ERR_SUCCESS;
    CountedPtr<GenTLHandle> object = entry->second.object;
    const int32_t code = object->CloseLocked();
    LogHandle("Handle to be removed from the pool: ", *object);
    m_pool.erase(entry);
    return code;
}

void GenTLLibrary::LogProducerBanner()
{
    if (IsLogged(4)) {
        const GenTLBranding& branding = GetBranding();
        LogLine("Library", 4,
                "Initializing the GenTL Producer: " + branding.GetVendorName() + " " + branding.GetModelName() + " " +
                    branding.GetVersion() + " (GenTL Core version 1.0)");
    }
    PostBannerHook();
}

size_t GenTLLibrary::PoolSize()
{
    ScopedLock lock(m_lock);
    return m_pool.size();
}

}  // namespace GenTLCore
