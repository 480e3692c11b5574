#include "GenTLSrvDirect.h"

#include "BrandingControl.h"
#include "CallGate.h"
#include "GenTLBranding.h"
#include "GenTLBuffer.h"
#include "GenTLDataStream.h"
#include "GenTLEvent.h"
#include "GenTLEventSrc.h"
#include "GenTLInterface.h"
#include "GenTLLibrary.h"
#include "GenTLLocalDevice.h"
#include "GenTLPort.h"
#include "GenTLRemoteDevice.h"
#include "GenTLSystem.h"
#include "LastErrorRecord.h"
#include "LastGenTLError.h"
#include "ReportError.h"
#include "ScopedLock.h"

#include <cstring>

namespace GenTLCore {

namespace {

template <class T>
using LookupFn = GC_ERROR (GenTLLibrary::*)(void*, CountedPtr<T>*);

// Pattern 1: look the handle up as a T and call the module.
template <class T, class Call>
GC_ERROR LookupAndCall(GenTLLibrary& library, LookupFn<T> lookup, void* handle, Call call)
{
    CountedPtr<T> object;
    const GC_ERROR code = (library.*lookup)(handle, &object);
    if (code != GC_ERR_SUCCESS)
        return code;
    return call(*object);
}

// Pattern 1 for calls that reach the hardware behind the handle: the call
// runs under the object's lock, and an object closed between its lookup and
// that lock (its device's close ran meanwhile) is refused as a stale handle
// before anything touches the hardware. The pool clears the open flag under
// the same lock when it closes the object.
template <class T, class Call>
GC_ERROR LookupOpenAndCall(GenTLLibrary& library, LookupFn<T> lookup, void* handle, Call call)
{
    return LookupAndCall(library, lookup, handle, [&](T& object) {
        ScopedLock module(object.GetModuleLock());
        if (!object.IsOpen())
            return ReportError(GC_ERR_INVALID_HANDLE, "Requested handle was closed during the call");
        return call(object);
    });
}

// An open refused for its output pointer, before anything is opened.
GC_ERROR NoPlaceForTheHandle()
{
    return ReportError(GC_ERR_INVALID_PARAMETER, "Open/Register: invalid output handle pointer.");
}

template <class P, class T>
void NothingToUndo(P&, T&)
{
}

// Holds the pool lock for the rest of a scope, also when an exception
// passes.
class PoolLock {
public:
    explicit PoolLock(GenTLLibrary& library) : m_library(library) { m_library.LockPool(); }
    ~PoolLock() { m_library.UnlockPool(); }
    PoolLock(const PoolLock&) = delete;
    PoolLock& operator=(const PoolLock&) = delete;

private:
    GenTLLibrary& m_library;
};

// Pattern 2 as one step: the pool and the parent stay locked from the open
// to the registration, so that no other thread sees a child whose open may
// still be taken back; `undo` takes it back, before the locks are released,
// when the registration fails or throws. A parent closed between its lookup
// and the locks is refused as a stale handle before anything is opened on it;
// a child the parent hands out under its lock belongs to the parent's
// present open, never to one that a close has ended.
template <class P, class T, class Open, class Undo>
GC_ERROR OpenAndRegisterLocked(GenTLLibrary& library, LookupFn<P> lookup, void* parentHandle, void** handle, Open open,
                               Undo undo)
{
    CountedPtr<P> parent;
    GC_ERROR code = (library.*lookup)(parentHandle, &parent);
    if (code != GC_ERR_SUCCESS)
        return code;
    if (!handle)
        return NoPlaceForTheHandle();
    // The pool lock, then the parent's lock; released in the reverse order.
    PoolLock pool(library);
    ScopedLock module(parent->GetModuleLock());
    code = library.CheckParentInPool(parentHandle);
    if (code != GC_ERR_SUCCESS)
        return code;
    CountedPtr<T> child;
    code = open(*parent, &child);
    if (code != GC_ERR_SUCCESS)
        return code;
    try {
        code = library.RegisterHandle(child, parentHandle, handle);
    } catch (...) {
        if (child)
            undo(*parent, *child);
        throw;
    }
    if (code != GC_ERR_SUCCESS && child)
        undo(*parent, *child);
    return code;
}

// A stacked port access; a refused handle also reports 0 entries done.
GC_ERROR StackedAccess(GenTLLibrary& library, GC_ERROR (GenTLPort::*access)(PORT_REGISTER_STACK_ENTRY*, size_t*),
                       PORT_HANDLE handle, PORT_REGISTER_STACK_ENTRY* entries, size_t* count)
{
    bool called = false;
    const GC_ERROR code = LookupOpenAndCall(library, &GenTLLibrary::LookupPortHandle, handle, [&](GenTLPort& port) {
        called = true;
        return (port.*access)(entries, count);
    });
    if (!called && count)
        *count = 0;
    return code;
}

// Reports a failure of GCGetLastError without storing it, so that the
// thread's last error survives the failed query.
GC_ERROR LastErrorFailure(GC_ERROR code, const char* text)
{
    LogInterfaceFailure(code, text);
    return code;
}

}  // namespace

GenTLSrvDirect::GenTLSrvDirect(const CountedPtr<GenTLLibrary>& library) : m_library(library) {}

GenTLSrvDirect::~GenTLSrvDirect()
{
    try {
        if (m_library && m_library->IsInitialized())
            m_library->CloseLib();
    } catch (...) {
    }
}

GC_ERROR GenTLSrvDirect::GCGetInfo(TL_INFO_CMD iInfoCmd, INFO_DATATYPE* piType, void* pBuffer, size_t* piSize)
{
    return m_library->GetLibInfo(iInfoCmd, piType, pBuffer, piSize);
}

GC_ERROR GenTLSrvDirect::GCGetLastError(GC_ERROR* piErrorCode, char* sErrText, size_t* piSize)
{
    const bool lenient = GetBranding().AcceptsNullInfoPointers();
    if (!lenient && !m_library->IsInitialized())
        return LastErrorFailure(GC_ERR_NOT_INITIALIZED, "Library not properly initialized");
    LastErrorRecord record;
    if (!GetLastGenTLError(&record))
        return LastErrorFailure(GC_ERR_ERROR, "Internal error when querying last error info");
    const size_t needed = record.text.size() + 1;
    if (!lenient && !piErrorCode)
        return LastErrorFailure(GC_ERR_INVALID_PARAMETER,
                                "The parameter specifying the error code value destintation was invalid.");
    if (!piSize && !(sErrText == nullptr && lenient))
        return LastErrorFailure(GC_ERR_INVALID_PARAMETER, "The parameter specifying the error text size was invalid.");
    if (sErrText && piSize && *piSize < needed)
        return LastErrorFailure(GC_ERR_BUFFER_TOO_SMALL,
                                "The passed buffer was too small to hold the requested information.");
    if (piErrorCode)
        *piErrorCode = record.code;
    if (sErrText)
        std::memcpy(sErrText, record.text.c_str(), needed);
    if (piSize)
        *piSize = needed;
    return GC_ERR_SUCCESS;
}

GC_ERROR GenTLSrvDirect::GCInitLib() { return m_library->InitLib(); }

void GenTLSrvDirect::EndCallsInFlight()
{
    m_library->AbortEventWaits();
    CallGate::AwaitOthers();
}

GC_ERROR GenTLSrvDirect::GCCloseLib()
{
    EndCallsInFlight();
    return m_library->CloseLib();
}

GC_ERROR GenTLSrvDirect::GCReadPort(PORT_HANDLE hPort, uint64_t iAddress, void* pBuffer, size_t* piSize)
{
    return LookupOpenAndCall(*m_library, &GenTLLibrary::LookupPortHandle, hPort,
                             [&](GenTLPort& port) { return port.ReadPort(iAddress, pBuffer, piSize); });
}

GC_ERROR GenTLSrvDirect::GCWritePort(PORT_HANDLE hPort, uint64_t iAddress, const void* pBuffer, size_t* piSize)
{
    return LookupOpenAndCall(*m_library, &GenTLLibrary::LookupPortHandle, hPort,
                             [&](GenTLPort& port) { return port.WritePort(iAddress, pBuffer, piSize); });
}

GC_ERROR GenTLSrvDirect::GCGetPortURL(PORT_HANDLE hPort, char* sURL, size_t* piSize)
{
    return LookupOpenAndCall(*m_library, &GenTLLibrary::LookupPortHandle, hPort,
                             [&](GenTLPort& port) { return port.GetPortURL(sURL, piSize); });
}

GC_ERROR GenTLSrvDirect::GCGetPortInfo(PORT_HANDLE hPort, PORT_INFO_CMD iInfoCmd, INFO_DATATYPE* piType,
                                       void* pBuffer, size_t* piSize)
{
    return LookupOpenAndCall(*m_library, &GenTLLibrary::LookupPortHandle, hPort, [&](GenTLPort& port) {
        return port.GetPortInfoLocked(iInfoCmd, piType, pBuffer, piSize);
    });
}

GC_ERROR GenTLSrvDirect::GCRegisterEvent(EVENTSRC_HANDLE hEventSrc, EVENT_TYPE iEventID, EVENT_HANDLE* phEvent)
{
    CountedPtr<GenTLEventSrc> source;
    GC_ERROR code = m_library->LookupEventSrcHandle(hEventSrc, &source);
    if (code != GC_ERR_SUCCESS)
        return code;
    // The pool stays locked from the check to the registration, so that two
    // threads registering one type cannot both pass the check and the loser
    // disarm the winner's event (pool before module in the lock order).
    PoolLock pool(*m_library);
    CountedPtr<GenTLEvent> event;
    bool registered = false;
    code = source->RegisterEvent(iEventID, &event, &registered);
    if (code != GC_ERR_SUCCESS)
        return code;
    if (registered && event && phEvent) {
        // A shared module event is in the pool already: its handle.
        *phEvent = static_cast<GenTLHandle*>(event.Get());
        return GC_ERR_SUCCESS;
    }
    code = m_library->RegisterHandle(event, hEventSrc, phEvent);
    if (code != GC_ERR_SUCCESS && event)
        source->UnregisterTLEventLocked(iEventID);
    return code;
}

GC_ERROR GenTLSrvDirect::GCUnregisterEvent(EVENTSRC_HANDLE hEventSrc, EVENT_TYPE iEventID)
{
    return LookupAndCall(*m_library, &GenTLLibrary::LookupEventSrcHandle, hEventSrc, [&](GenTLEventSrc& source) {
        CountedPtr<GenTLEvent> event;
        bool inUse = false;
        const GC_ERROR code = source.UnregisterEvent(iEventID, &event, &inUse);
        if (!event || inUse)
            return code;
        const GC_ERROR poolCode = m_library->UnregisterEventHandle(event.Get());
        return poolCode != GC_ERR_SUCCESS ? poolCode : code;
    });
}

GC_ERROR GenTLSrvDirect::EventGetData(EVENT_HANDLE hEvent, void* pBuffer, size_t* piSize, uint64_t iTimeout)
{
    return LookupAndCall(*m_library, &GenTLLibrary::LookupEventHandle, hEvent,
                         [&](GenTLEvent& event) { return event.GetEventData(pBuffer, piSize, iTimeout); });
}

GC_ERROR GenTLSrvDirect::EventGetDataInfo(EVENT_HANDLE hEvent, const void* pInBuffer, size_t iInSize,
                                          EVENT_DATA_INFO_CMD iInfoCmd, INFO_DATATYPE* piType, void* pOutBuffer,
                                          size_t* piOutSize)
{
    return LookupAndCall(*m_library, &GenTLLibrary::LookupEventHandle, hEvent, [&](GenTLEvent& event) {
        return event.GetEventDataInfo(pInBuffer, iInSize, iInfoCmd, piType, pOutBuffer, piOutSize);
    });
}

GC_ERROR GenTLSrvDirect::EventGetInfo(EVENT_HANDLE hEvent, EVENT_INFO_CMD iInfoCmd, INFO_DATATYPE* piType,
                                      void* pBuffer, size_t* piSize)
{
    return LookupAndCall(*m_library, &GenTLLibrary::LookupEventHandle, hEvent,
                         [&](GenTLEvent& event) { return event.GetEventInfo(iInfoCmd, piType, pBuffer, piSize); });
}

GC_ERROR GenTLSrvDirect::EventFlush(EVENT_HANDLE hEvent)
{
    return LookupAndCall(*m_library, &GenTLLibrary::LookupEventHandle, hEvent,
                         [&](GenTLEvent& event) { return event.FlushEvents(); });
}

GC_ERROR GenTLSrvDirect::EventKill(EVENT_HANDLE hEvent)
{
    return LookupAndCall(*m_library, &GenTLLibrary::LookupEventHandle, hEvent,
                         [&](GenTLEvent& event) { return event.KillEvent(); });
}

GC_ERROR GenTLSrvDirect::TLOpen(TL_HANDLE* phTL)
{
    CountedPtr<GenTLSystem> system;
    const GC_ERROR code = m_library->SysOpen(&system);
    if (code != GC_ERR_SUCCESS)
        return code;
    return m_library->RegisterHandle(system, nullptr, phTL);
}

GC_ERROR GenTLSrvDirect::TLClose(TL_HANDLE hTL) { return m_library->UnregisterSystemHandle(hTL); }

GC_ERROR GenTLSrvDirect::TLGetInfo(TL_HANDLE hTL, TL_INFO_CMD iInfoCmd, INFO_DATATYPE* piType, void* pBuffer,
                                   size_t* piSize)
{
    return LookupAndCall(*m_library, &GenTLLibrary::LookupSystemHandle, hTL,
                         [&](GenTLSystem& system) { return system.GetTLInfo(iInfoCmd, piType, pBuffer, piSize); });
}

GC_ERROR GenTLSrvDirect::TLGetNumInterfaces(TL_HANDLE hTL, uint32_t* piNumIfaces)
{
    return LookupAndCall(*m_library, &GenTLLibrary::LookupSystemHandle, hTL,
                         [&](GenTLSystem& system) { return system.GetNumInterfaces(piNumIfaces); });
}

GC_ERROR GenTLSrvDirect::TLGetInterfaceID(TL_HANDLE hTL, uint32_t iIndex, char* sID, size_t* piSize)
{
    return LookupAndCall(*m_library, &GenTLLibrary::LookupSystemHandle, hTL,
                         [&](GenTLSystem& system) { return system.GetInterfaceID(iIndex, sID, piSize); });
}

GC_ERROR GenTLSrvDirect::TLGetInterfaceInfo(TL_HANDLE hTL, const char* sIfaceID, INTERFACE_INFO_CMD iInfoCmd,
                                            INFO_DATATYPE* piType, void* pBuffer, size_t* piSize)
{
    return LookupAndCall(*m_library, &GenTLLibrary::LookupSystemHandle, hTL, [&](GenTLSystem& system) {
        return system.GetInterfaceInfo(sIfaceID, iInfoCmd, piType, pBuffer, piSize);
    });
}

GC_ERROR GenTLSrvDirect::TLOpenInterface(TL_HANDLE hTL, const char* sIfaceID, IF_HANDLE* phIface)
{
    return OpenAndRegisterLocked<GenTLSystem, GenTLInterface>(
        *m_library, &GenTLLibrary::LookupSystemHandle, hTL, phIface,
        [&](GenTLSystem& system, CountedPtr<GenTLInterface>* interface) { return system.ItfOpen(sIfaceID, interface); },
        NothingToUndo<GenTLSystem, GenTLInterface>);
}

GC_ERROR GenTLSrvDirect::TLUpdateInterfaceList(TL_HANDLE hTL, bool8_t* pbChanged, uint64_t iTimeout)
{
    return LookupAndCall(*m_library, &GenTLLibrary::LookupSystemHandle, hTL,
                         [&](GenTLSystem& system) { return system.UpdateInterfaceList(pbChanged, iTimeout); });
}

GC_ERROR GenTLSrvDirect::IFClose(IF_HANDLE hIface) { return m_library->UnregisterInterfaceHandle(hIface); }

GC_ERROR GenTLSrvDirect::IFGetInfo(IF_HANDLE hIface, INTERFACE_INFO_CMD iInfoCmd, INFO_DATATYPE* piType,
                                   void* pBuffer, size_t* piSize)
{
    return LookupAndCall(*m_library, &GenTLLibrary::LookupInterfaceHandle, hIface, [&](GenTLInterface& interface) {
        return interface.GetInterfaceInfo(iInfoCmd, piType, pBuffer, piSize);
    });
}

GC_ERROR GenTLSrvDirect::IFGetNumDevices(IF_HANDLE hIface, uint32_t* piNumDevices)
{
    return LookupAndCall(*m_library, &GenTLLibrary::LookupInterfaceHandle, hIface,
                         [&](GenTLInterface& interface) { return interface.GetNumDevices(piNumDevices); });
}

GC_ERROR GenTLSrvDirect::IFGetDeviceID(IF_HANDLE hIface, uint32_t iIndex, char* sIDeviceID, size_t* piSize)
{
    return LookupAndCall(*m_library, &GenTLLibrary::LookupInterfaceHandle, hIface,
                         [&](GenTLInterface& interface) { return interface.GetDeviceID(iIndex, sIDeviceID, piSize); });
}

GC_ERROR GenTLSrvDirect::IFUpdateDeviceList(IF_HANDLE hIface, bool8_t* pbChanged, uint64_t iTimeout)
{
    return LookupAndCall(*m_library, &GenTLLibrary::LookupInterfaceHandle, hIface,
                         [&](GenTLInterface& interface) { return interface.UpdateDeviceList(pbChanged, iTimeout); });
}

GC_ERROR GenTLSrvDirect::IFGetDeviceInfo(IF_HANDLE hIface, const char* sDeviceID, DEVICE_INFO_CMD iInfoCmd,
                                         INFO_DATATYPE* piType, void* pBuffer, size_t* piSize)
{
    return LookupAndCall(*m_library, &GenTLLibrary::LookupInterfaceHandle, hIface, [&](GenTLInterface& interface) {
        return interface.GetDeviceInfo(sDeviceID, iInfoCmd, piType, pBuffer, piSize);
    });
}

GC_ERROR GenTLSrvDirect::IFOpenDevice(IF_HANDLE hIface, const char* sDeviceID, DEVICE_ACCESS_FLAGS iOpenFlag,
                                      DEV_HANDLE* phDevice)
{
    return OpenAndRegisterLocked<GenTLInterface, GenTLLocalDevice>(
        *m_library, &GenTLLibrary::LookupInterfaceHandle, hIface, phDevice,
        [&](GenTLInterface& interface, CountedPtr<GenTLLocalDevice>* device) {
            return interface.DevOpen(sDeviceID, iOpenFlag, device);
        },
        NothingToUndo<GenTLInterface, GenTLLocalDevice>);
}

GC_ERROR GenTLSrvDirect::DevGetPort(DEV_HANDLE hDevice, PORT_HANDLE* phRemoteDevice)
{
    return OpenAndRegisterLocked<GenTLLocalDevice, GenTLRemoteDevice>(
        *m_library, &GenTLLibrary::LookupLocalDeviceHandle, hDevice, phRemoteDevice,
        [](GenTLLocalDevice& device, CountedPtr<GenTLRemoteDevice>* port) { return device.GetRemotePort(port); },
        NothingToUndo<GenTLLocalDevice, GenTLRemoteDevice>);
}

GC_ERROR GenTLSrvDirect::DevGetNumDataStreams(DEV_HANDLE hDevice, uint32_t* piNumDataStreams)
{
    return LookupAndCall(*m_library, &GenTLLibrary::LookupLocalDeviceHandle, hDevice,
                         [&](GenTLLocalDevice& device) { return device.GetNumDataStreams(piNumDataStreams); });
}

GC_ERROR GenTLSrvDirect::DevGetDataStreamID(DEV_HANDLE hDevice, uint32_t iIndex, char* sDataStreamID, size_t* piSize)
{
    return LookupAndCall(*m_library, &GenTLLibrary::LookupLocalDeviceHandle, hDevice, [&](GenTLLocalDevice& device) {
        return device.GetDataStreamID(iIndex, sDataStreamID, piSize);
    });
}

GC_ERROR GenTLSrvDirect::DevOpenDataStream(DEV_HANDLE hDevice, const char* sDataStreamID, DS_HANDLE* phDataStream)
{
    return OpenAndRegisterLocked<GenTLLocalDevice, GenTLDataStream>(
        *m_library, &GenTLLibrary::LookupLocalDeviceHandle, hDevice, phDataStream,
        [&](GenTLLocalDevice& device, CountedPtr<GenTLDataStream>* stream) {
            return device.StmOpen(sDataStreamID, stream);
        },
        NothingToUndo<GenTLLocalDevice, GenTLDataStream>);
}

GC_ERROR GenTLSrvDirect::DevGetInfo(DEV_HANDLE hDevice, DEVICE_INFO_CMD iInfoCmd, INFO_DATATYPE* piType,
                                    void* pBuffer, size_t* piSize)
{
    return LookupAndCall(*m_library, &GenTLLibrary::LookupLocalDeviceHandle, hDevice, [&](GenTLLocalDevice& device) {
        return device.GetDeviceInfo(iInfoCmd, piType, pBuffer, piSize);
    });
}

GC_ERROR GenTLSrvDirect::DevClose(DEV_HANDLE hDevice) { return m_library->UnregisterLocalDeviceHandle(hDevice); }

GC_ERROR GenTLSrvDirect::DSAnnounceBuffer(DS_HANDLE hDataStream, void* pBuffer, size_t iSize, void* pPrivate,
                                          BUFFER_HANDLE* phBuffer)
{
    return OpenAndRegisterLocked<GenTLDataStream, GenTLBuffer>(
        *m_library, &GenTLLibrary::LookupDataStreamHandle, hDataStream, phBuffer,
        [&](GenTLDataStream& stream, CountedPtr<GenTLBuffer>* buffer) {
            return stream.AnnounceBufferChecked(pBuffer, iSize, pPrivate, buffer);
        },
        [](GenTLDataStream& stream, GenTLBuffer& buffer) { stream.RevokeAnnounced(&buffer); });
}

GC_ERROR GenTLSrvDirect::DSAllocAndAnnounceBuffer(DS_HANDLE hDataStream, size_t iSize, void* pPrivate,
                                                  BUFFER_HANDLE* phBuffer)
{
    return OpenAndRegisterLocked<GenTLDataStream, GenTLBuffer>(
        *m_library, &GenTLLibrary::LookupDataStreamHandle, hDataStream, phBuffer,
        [&](GenTLDataStream& stream, CountedPtr<GenTLBuffer>* buffer) {
            return stream.AllocAndAnnounceBuffer(iSize, pPrivate, buffer);
        },
        [](GenTLDataStream& stream, GenTLBuffer& buffer) { stream.RevokeAnnounced(&buffer); });
}

GC_ERROR GenTLSrvDirect::DSFlushQueue(DS_HANDLE hDataStream, ACQ_QUEUE_TYPE iOperation)
{
    return LookupAndCall(*m_library, &GenTLLibrary::LookupDataStreamHandle, hDataStream,
                         [&](GenTLDataStream& stream) { return stream.FlushQueue(iOperation); });
}

GC_ERROR GenTLSrvDirect::DSStartAcquisition(DS_HANDLE hDataStream, ACQ_START_FLAGS iStartFlags,
                                            uint64_t iNumToAcquire)
{
    return LookupAndCall(*m_library, &GenTLLibrary::LookupDataStreamHandle, hDataStream,
                         [&](GenTLDataStream& stream) { return stream.StartAcquisition(iStartFlags, iNumToAcquire); });
}

GC_ERROR GenTLSrvDirect::DSStopAcquisition(DS_HANDLE hDataStream, ACQ_STOP_FLAGS iStopFlags)
{
    return LookupAndCall(*m_library, &GenTLLibrary::LookupDataStreamHandle, hDataStream,
                         [&](GenTLDataStream& stream) { return stream.StopAcquisition(iStopFlags); });
}

GC_ERROR GenTLSrvDirect::DSGetInfo(DS_HANDLE hDataStream, STREAM_INFO_CMD iInfoCmd, INFO_DATATYPE* piType,
                                   void* pBuffer, size_t* piSize)
{
    // The payload and the statistics come from the hardware: a stream that
    // its device's close took away meanwhile answers as a closed handle.
    return LookupOpenAndCall(*m_library, &GenTLLibrary::LookupDataStreamHandle, hDataStream,
                             [&](GenTLDataStream& stream) {
                                 return stream.GetStreamInfo(iInfoCmd, piType, pBuffer, piSize);
                             });
}

GC_ERROR GenTLSrvDirect::DSGetBufferID(DS_HANDLE hDataStream, uint32_t iIndex, BUFFER_HANDLE* phBuffer)
{
    return LookupAndCall(*m_library, &GenTLLibrary::LookupDataStreamHandle, hDataStream,
                         [&](GenTLDataStream& stream) {
                             if (!phBuffer)
                                 return stream.GetBufferID(iIndex, nullptr);
                             CountedPtr<GenTLBuffer> buffer;
                             const GC_ERROR code = stream.GetBufferID(iIndex, &buffer);
                             if (code == GC_ERR_SUCCESS)
                                 *phBuffer = buffer->Handle();
                             return code;
                         });
}

GC_ERROR GenTLSrvDirect::DSClose(DS_HANDLE hDataStream) { return m_library->UnregisterDataStreamHandle(hDataStream); }

GC_ERROR GenTLSrvDirect::DSRevokeBuffer(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, void** pBuffer,
                                        void** pPrivate)
{
    return LookupAndCall(*m_library, &GenTLLibrary::LookupDataStreamHandle, hDataStream, [&](GenTLDataStream& stream) {
        CountedPtr<GenTLBuffer> buffer;
        GC_ERROR code = m_library->LookupBufferHandle(hBuffer, &buffer);
        if (code != GC_ERR_SUCCESS)
            return code;
        code = stream.RevokeBuffer(buffer.Get(), pBuffer, pPrivate);
        if (code != GC_ERR_SUCCESS)
            return code;
        return m_library->UnregisterBufferHandle(hBuffer);
    });
}

GC_ERROR GenTLSrvDirect::DSQueueBuffer(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer)
{
    // The buffer comes from the pool too: a stale handle must be refused
    // before anything looks at the object it named.
    return LookupAndCall(*m_library, &GenTLLibrary::LookupDataStreamHandle, hDataStream, [&](GenTLDataStream& stream) {
        CountedPtr<GenTLBuffer> buffer;
        const GC_ERROR code = m_library->LookupBufferHandle(hBuffer, &buffer);
        if (code != GC_ERR_SUCCESS)
            return code;
        return stream.QueueBuffer(buffer.Get());
    });
}

GC_ERROR GenTLSrvDirect::DSGetBufferInfo(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, BUFFER_INFO_CMD iInfoCmd,
                                         INFO_DATATYPE* piType, void* pBuffer, size_t* piSize)
{
    return LookupAndCall(*m_library, &GenTLLibrary::LookupDataStreamHandle, hDataStream, [&](GenTLDataStream& stream) {
        return stream.GetBufferInfoFor(hBuffer, iInfoCmd, piType, pBuffer, piSize);
    });
}

GC_ERROR GenTLSrvDirect::GCGetNumPortURLs(PORT_HANDLE hPort, uint32_t* piNumURLs)
{
    return LookupOpenAndCall(*m_library, &GenTLLibrary::LookupPortHandle, hPort,
                             [&](GenTLPort& port) { return port.GetNumPortURLs(piNumURLs); });
}

GC_ERROR GenTLSrvDirect::GCGetPortURLInfo(PORT_HANDLE hPort, uint32_t iURLIndex, URL_INFO_CMD iInfoCmd,
                                          INFO_DATATYPE* piType, void* pBuffer, size_t* piSize)
{
    return LookupOpenAndCall(*m_library, &GenTLLibrary::LookupPortHandle, hPort, [&](GenTLPort& port) {
        return port.GetPortURLInfo(iURLIndex, iInfoCmd, piType, pBuffer, piSize);
    });
}

GC_ERROR GenTLSrvDirect::GCReadPortStacked(PORT_HANDLE hPort, PORT_REGISTER_STACK_ENTRY* pEntries,
                                           size_t* piNumEntries)
{
    return StackedAccess(*m_library, &GenTLPort::ReadPortStacked, hPort, pEntries, piNumEntries);
}

GC_ERROR GenTLSrvDirect::GCWritePortStacked(PORT_HANDLE hPort, PORT_REGISTER_STACK_ENTRY* pEntries,
                                            size_t* piNumEntries)
{
    return StackedAccess(*m_library, &GenTLPort::WritePortStacked, hPort, pEntries, piNumEntries);
}

GC_ERROR GenTLSrvDirect::DSGetBufferChunkData(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer,
                                              SINGLE_CHUNK_DATA* pChunkData, size_t* piNumChunks)
{
    return LookupAndCall(*m_library, &GenTLLibrary::LookupDataStreamHandle, hDataStream, [&](GenTLDataStream& stream) {
        return stream.GetBufferChunkDataFor(hBuffer, pChunkData, piNumChunks);
    });
}

GC_ERROR GenTLSrvDirect::IFGetParentTL(IF_HANDLE hIface, TL_HANDLE* phSystem)
{
    return m_library->GetParent(hIface, phSystem);
}

GC_ERROR GenTLSrvDirect::DevGetParentIF(DEV_HANDLE hDevice, IF_HANDLE* phIface)
{
    return m_library->GetParent(hDevice, phIface);
}

GC_ERROR GenTLSrvDirect::DSGetParentDev(DS_HANDLE hDataStream, DEV_HANDLE* phDevice)
{
    return m_library->GetParent(hDataStream, phDevice);
}

GC_ERROR GenTLSrvDirect::DSGetNumBufferParts(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, uint32_t* piNumParts)
{
    return LookupAndCall(*m_library, &GenTLLibrary::LookupDataStreamHandle, hDataStream,
                         [&](GenTLDataStream& stream) { return stream.GetNumBufferPartsFor(hBuffer, piNumParts); });
}

GC_ERROR GenTLSrvDirect::DSGetBufferPartInfo(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, uint32_t iPartIndex,
                                             BUFFER_PART_INFO_CMD iInfoCmd, INFO_DATATYPE* piType, void* pBuffer,
                                             size_t* piSize)
{
    return LookupAndCall(*m_library, &GenTLLibrary::LookupDataStreamHandle, hDataStream, [&](GenTLDataStream& stream) {
        return stream.GetBufferPartInfoFor(hBuffer, iPartIndex, iInfoCmd, piType, pBuffer, piSize);
    });
}

}  // namespace GenTLCore
