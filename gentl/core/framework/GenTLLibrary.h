#pragma once
#include "CountedPtr.h"
#include "CriticalSection.h"
#include "NamedMutex.h"

#include <GenTL.h>

#include <cstdint>
#include <map>

namespace GenTLCore {

class GenTLBuffer;
class GenTLDataStream;
class GenTLEvent;
class GenTLEventSrc;
class GenTLHandle;
class GenTLInterface;
class GenTLLocalDevice;
class GenTLPort;
class GenTLSystem;

// The producer's root object: the initialised state, the system module and
// the handle pool. A GenTL handle is the address of a GenTLHandle; the pool
// maps every handle a consumer may use to its parent's handle and keeps the
// object alive. Closing a handle closes the handles registered under it
// first, deepest first.
//
// Every pool operation takes the library lock (re-entrant) for its whole
// run; module locks are taken inside it, never the other way round.
class GenTLLibrary {
public:
    GenTLLibrary();
    virtual ~GenTLLibrary();
    GenTLLibrary(const GenTLLibrary&) = delete;
    GenTLLibrary& operator=(const GenTLLibrary&) = delete;

    // True: CloseLib gives the process lock back (InitLib takes it then).
    virtual bool UsesProcessLock() = 0;
    bool ReleasesLockAtClose() { return UsesProcessLock(); }
    // The transport layer's own start and stop; true on success.
    virtual bool InitTL() = 0;
    virtual bool CloseTL() = 0;
    // Runs right after the banner.
    virtual void PostBannerHook() = 0;
    // The transport layer's system module; may throw std::bad_alloc.
    virtual CountedPtr<GenTLSystem> CreateSystem() = 0;

    // GCInitLib: takes the process lock when UsesProcessLock, resets every
    // thread's last error, InitTL, makes the system, writes the banner.
    // -1004 when initialised already, -1001 when the process lock is held
    // elsewhere or InitTL fails.
    GC_ERROR InitLib();
    bool IsInitialized();
    // GCCloseLib: closes the system handle (and all below it), empties the
    // pool, CloseTL.
    GC_ERROR CloseLib();
    // Ends every wait on the events in the pool with GC_ERR_ABORT, and every
    // later one until the event is opened again: the library is about to be
    // closed.
    void AbortEventWaits();
    GC_ERROR GetLibInfo(TL_INFO_CMD command, INFO_DATATYPE* type, void* buffer, size_t* size);
    GC_ERROR GetParent(void* handle, void** parent);
    GC_ERROR SysOpen(CountedPtr<GenTLSystem>* system);
    // Opens a newly handed-out object and enters it under `parent` (null for
    // the system). A parent that has left the pool meanwhile is refused with
    // -1006 before the object is opened.
    GC_ERROR RegisterHandle(const CountedPtr<GenTLHandle>& object, void* parent, void** handle);
    // 0 when `parent` is in the pool (or null, for the system), else -1006.
    GC_ERROR CheckParentInPool(void* parent);

    void LockPool() { m_lock.Enter(); }
    void UnlockPool() { m_lock.Leave(); }

    GC_ERROR LookupSystemHandle(void* handle, CountedPtr<GenTLSystem>* out);
    GC_ERROR LookupInterfaceHandle(void* handle, CountedPtr<GenTLInterface>* out);
    GC_ERROR LookupLocalDeviceHandle(void* handle, CountedPtr<GenTLLocalDevice>* out);
    GC_ERROR LookupDataStreamHandle(void* handle, CountedPtr<GenTLDataStream>* out);
    GC_ERROR LookupBufferHandle(void* handle, CountedPtr<GenTLBuffer>* out);
    GC_ERROR LookupEventHandle(void* handle, CountedPtr<GenTLEvent>* out);
    GC_ERROR LookupEventSrcHandle(void* handle, CountedPtr<GenTLEventSrc>* out);
    GC_ERROR LookupPortHandle(void* handle, CountedPtr<GenTLPort>* out);

    GC_ERROR UnregisterSystemHandle(void* handle);
    GC_ERROR UnregisterInterfaceHandle(void* handle);
    GC_ERROR UnregisterLocalDeviceHandle(void* handle);
    GC_ERROR UnregisterDataStreamHandle(void* handle);
    GC_ERROR UnregisterBufferHandle(void* handle);
    GC_ERROR UnregisterEventHandle(GenTLEvent* event);
    // Untyped unregistration, for the descendants of a closed handle.
    GC_ERROR UnregisterHandleCore(void* handle);

    // "Initializing the GenTL Producer: ..." at Info, then PostBannerHook.
    void LogProducerBanner();

    // Number of pool entries, for tests.
    size_t PoolSize();

private:
    struct PoolEntry {
        void* parent;
        CountedPtr<GenTLHandle> object;
    };
    using Pool = std::map<void*, PoolEntry>;

    // The entry of `handle` whose object is a T; GenTL code.
    template <class T>
    GC_ERROR Lookup(void* handle, CountedPtr<T>* out);
    // Checks and unregisters an entry whose object must be a T.
    template <class T>
    GC_ERROR UnregisterTyped(void* handle);
    // Unregisters the entry (found) and its descendants; the object's close
    // code.
    GC_ERROR Unregister(Pool::iterator entry);

    bool m_initialised = false;
    CriticalSection m_lock;
    NamedMutex m_processLock;
    bool m_processLockHeld = false;
    Pool m_pool;
    CountedPtr<GenTLSystem> m_system;
};

}  // namespace GenTLCore
