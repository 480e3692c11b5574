// The exported GenTL functions. Each passes the call gate, checks that the
// service exists and forwards its arguments unchanged; all but GCInitLib and
// GCCloseLib run with the imaging library's application setting cleared for
// the call. A call refused by the shut gate answers -1002: while GCCloseLib
// closes the library, with the last error "<function>: the library is being
// closed" (GCGetLastError itself is admitted then, and GCInitLib waits for
// the close to end instead); while the producer unloads, touching nothing.
#include "CallGate.h"
#include "ExportedService.h"
#include "GenTLSrv.h"
#include "LastGenTLError.h"
#include "PexSettingBracket.h"

#include <GenTL.h>

#include <string>

using GenTLCore::CallGate;
using GenTLCore::ExportedService;
using GenTLCore::GenTLSrv;
using GenTLCore::PexSettingBracket;

namespace {

// Records why a call of `op` does not run while GCCloseLib closes.
GC_ERROR BeingClosed(const char* op)
{
    return GenTLCore::GuardedCall([op] {
        GenTLCore::SetLastGenTLError(GC_ERR_NOT_INITIALIZED, std::string(op) + ": the library is being closed");
        return GC_ERROR(GC_ERR_NOT_INITIALIZED);
    });
}

// The answer to a call of `op` that the gate refused.
GC_ERROR Refused(const char* op, const CallGate::Pass& pass)
{
    return pass.RefusedForClosing() ? BeingClosed(op) : GC_ERR_NOT_INITIALIZED;
}

// Runs one call of `op` on the service with the imaging library's
// application setting cleared; without a service the library is not
// initialised. No exception leaves it, and the setting is restored also
// when one passes.
template <class Call>
GC_ERROR Forward(const char* op, Call call, bool whileClosing = false)
{
    CallGate::Pass pass(whileClosing);
    if (!pass.Entered())
        return Refused(op, pass);
    GenTLSrv* service = ExportedService();
    if (!service)
        return GC_ERR_NOT_INITIALIZED;
    return GenTLCore::GuardedCall([&] {
        PexSettingBracket bracket;
        return call(service);
    });
}

}  // namespace

extern "C" {

GC_API GCGetInfo(TL_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->GCGetInfo(iInfoCmd, piType, pBuffer, piSize); });
}

GC_API GCGetLastError(GC_ERROR *piErrorCode, char *sErrText, size_t *piSize)
{
    return Forward(
        __func__, [&](GenTLSrv* service) { return service->GCGetLastError(piErrorCode, sErrText, piSize); },
        CallGate::kAlsoWhileClosing);
}

// Met by another thread's GCCloseLib, it waits for the close to end and then
// initialises; an unload meanwhile refuses it.
GC_API GCInitLib()
{
    CallGate::Pass pass;
    if (!pass.Entered() && !pass.EnterAfterClose())
        return Refused(__func__, pass);
    GenTLSrv* service = ExportedService();
    if (!service)
        return GC_ERR_ERROR;
    return GenTLCore::GuardedCall([service] { return service->GCInitLib(); });
}

// Shuts the gate for its run: the service ends the other threads' calls
// before it closes the library. A second closer at the same time is refused.
GC_API GCCloseLib()
{
    CallGate::Pass pass;
    if (!pass.Entered())
        return Refused(__func__, pass);
    GenTLSrv* service = ExportedService();
    if (!service)
        return GC_ERR_NOT_INITIALIZED;
    CallGate::Shutter shutter;
    if (!shutter.First())
        return BeingClosed(__func__);
    return GenTLCore::GuardedCall([service] { return service->GCCloseLib(); });
}

GC_API GCReadPort(PORT_HANDLE hPort, uint64_t iAddress, void *pBuffer, size_t *piSize)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->GCReadPort(hPort, iAddress, pBuffer, piSize); });
}

GC_API GCWritePort(PORT_HANDLE hPort, uint64_t iAddress, const void *pBuffer, size_t *piSize)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->GCWritePort(hPort, iAddress, pBuffer, piSize); });
}

GC_API GCGetPortURL(PORT_HANDLE hPort, char *sURL, size_t *piSize)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->GCGetPortURL(hPort, sURL, piSize); });
}

GC_API GCGetPortInfo(PORT_HANDLE hPort, PORT_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->GCGetPortInfo(hPort, iInfoCmd, piType, pBuffer, piSize); });
}

GC_API GCRegisterEvent(EVENTSRC_HANDLE hEventSrc, EVENT_TYPE iEventID, EVENT_HANDLE *phEvent)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->GCRegisterEvent(hEventSrc, iEventID, phEvent); });
}

GC_API GCUnregisterEvent(EVENTSRC_HANDLE hEventSrc, EVENT_TYPE iEventID)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->GCUnregisterEvent(hEventSrc, iEventID); });
}

GC_API EventGetData(EVENT_HANDLE hEvent, void *pBuffer, size_t *piSize, uint64_t iTimeout)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->EventGetData(hEvent, pBuffer, piSize, iTimeout); });
}

GC_API EventGetDataInfo(EVENT_HANDLE hEvent, const void *pInBuffer, size_t iInSize, EVENT_DATA_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pOutBuffer, size_t *piOutSize)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->EventGetDataInfo(hEvent, pInBuffer, iInSize, iInfoCmd, piType, pOutBuffer, piOutSize); });
}

GC_API EventGetInfo(EVENT_HANDLE hEvent, EVENT_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->EventGetInfo(hEvent, iInfoCmd, piType, pBuffer, piSize); });
}

GC_API EventFlush(EVENT_HANDLE hEvent)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->EventFlush(hEvent); });
}

GC_API EventKill(EVENT_HANDLE hEvent)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->EventKill(hEvent); });
}

GC_API TLOpen(TL_HANDLE *phTL)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->TLOpen(phTL); });
}

GC_API TLClose(TL_HANDLE hTL)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->TLClose(hTL); });
}

GC_API TLGetInfo(TL_HANDLE hTL, TL_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->TLGetInfo(hTL, iInfoCmd, piType, pBuffer, piSize); });
}

GC_API TLGetNumInterfaces(TL_HANDLE hTL, uint32_t *piNumIfaces)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->TLGetNumInterfaces(hTL, piNumIfaces); });
}

GC_API TLGetInterfaceID(TL_HANDLE hTL, uint32_t iIndex, char *sID, size_t *piSize)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->TLGetInterfaceID(hTL, iIndex, sID, piSize); });
}

GC_API TLGetInterfaceInfo(TL_HANDLE hTL, const char *sIfaceID, INTERFACE_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->TLGetInterfaceInfo(hTL, sIfaceID, iInfoCmd, piType, pBuffer, piSize); });
}

GC_API TLOpenInterface(TL_HANDLE hTL, const char *sIfaceID, IF_HANDLE *phIface)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->TLOpenInterface(hTL, sIfaceID, phIface); });
}

GC_API TLUpdateInterfaceList(TL_HANDLE hTL, bool8_t *pbChanged, uint64_t iTimeout)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->TLUpdateInterfaceList(hTL, pbChanged, iTimeout); });
}

GC_API IFClose(IF_HANDLE hIface)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->IFClose(hIface); });
}

GC_API IFGetInfo(IF_HANDLE hIface, INTERFACE_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->IFGetInfo(hIface, iInfoCmd, piType, pBuffer, piSize); });
}

GC_API IFGetNumDevices(IF_HANDLE hIface, uint32_t *piNumDevices)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->IFGetNumDevices(hIface, piNumDevices); });
}

GC_API IFGetDeviceID(IF_HANDLE hIface, uint32_t iIndex, char *sIDeviceID, size_t *piSize)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->IFGetDeviceID(hIface, iIndex, sIDeviceID, piSize); });
}

GC_API IFUpdateDeviceList(IF_HANDLE hIface, bool8_t *pbChanged, uint64_t iTimeout)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->IFUpdateDeviceList(hIface, pbChanged, iTimeout); });
}

GC_API IFGetDeviceInfo(IF_HANDLE hIface, const char *sDeviceID, DEVICE_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->IFGetDeviceInfo(hIface, sDeviceID, iInfoCmd, piType, pBuffer, piSize); });
}

GC_API IFOpenDevice(IF_HANDLE hIface, const char *sDeviceID, DEVICE_ACCESS_FLAGS iOpenFlag, DEV_HANDLE *phDevice)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->IFOpenDevice(hIface, sDeviceID, iOpenFlag, phDevice); });
}

GC_API DevGetPort(DEV_HANDLE hDevice, PORT_HANDLE *phRemoteDevice)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->DevGetPort(hDevice, phRemoteDevice); });
}

GC_API DevGetNumDataStreams(DEV_HANDLE hDevice, uint32_t *piNumDataStreams)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->DevGetNumDataStreams(hDevice, piNumDataStreams); });
}

GC_API DevGetDataStreamID(DEV_HANDLE hDevice, uint32_t iIndex, char *sDataStreamID, size_t *piSize)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->DevGetDataStreamID(hDevice, iIndex, sDataStreamID, piSize); });
}

GC_API DevOpenDataStream(DEV_HANDLE hDevice, const char *sDataStreamID, DS_HANDLE *phDataStream)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->DevOpenDataStream(hDevice, sDataStreamID, phDataStream); });
}

GC_API DevGetInfo(DEV_HANDLE hDevice, DEVICE_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->DevGetInfo(hDevice, iInfoCmd, piType, pBuffer, piSize); });
}

GC_API DevClose(DEV_HANDLE hDevice)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->DevClose(hDevice); });
}

GC_API DSAnnounceBuffer(DS_HANDLE hDataStream, void *pBuffer, size_t iSize, void *pPrivate, BUFFER_HANDLE *phBuffer)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->DSAnnounceBuffer(hDataStream, pBuffer, iSize, pPrivate, phBuffer); });
}

GC_API DSAllocAndAnnounceBuffer(DS_HANDLE hDataStream, size_t iSize, void *pPrivate, BUFFER_HANDLE *phBuffer)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->DSAllocAndAnnounceBuffer(hDataStream, iSize, pPrivate, phBuffer); });
}

GC_API DSFlushQueue(DS_HANDLE hDataStream, ACQ_QUEUE_TYPE iOperation)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->DSFlushQueue(hDataStream, iOperation); });
}

GC_API DSStartAcquisition(DS_HANDLE hDataStream, ACQ_START_FLAGS iStartFlags, uint64_t iNumToAcquire)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->DSStartAcquisition(hDataStream, iStartFlags, iNumToAcquire); });
}

GC_API DSStopAcquisition(DS_HANDLE hDataStream, ACQ_STOP_FLAGS iStopFlags)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->DSStopAcquisition(hDataStream, iStopFlags); });
}

GC_API DSGetInfo(DS_HANDLE hDataStream, STREAM_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->DSGetInfo(hDataStream, iInfoCmd, piType, pBuffer, piSize); });
}

GC_API DSGetBufferID(DS_HANDLE hDataStream, uint32_t iIndex, BUFFER_HANDLE *phBuffer)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->DSGetBufferID(hDataStream, iIndex, phBuffer); });
}

GC_API DSClose(DS_HANDLE hDataStream)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->DSClose(hDataStream); });
}

GC_API DSRevokeBuffer(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, void **pBuffer, void **pPrivate)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->DSRevokeBuffer(hDataStream, hBuffer, pBuffer, pPrivate); });
}

GC_API DSQueueBuffer(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->DSQueueBuffer(hDataStream, hBuffer); });
}

GC_API DSGetBufferInfo(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, BUFFER_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->DSGetBufferInfo(hDataStream, hBuffer, iInfoCmd, piType, pBuffer, piSize); });
}

GC_API GCGetNumPortURLs(PORT_HANDLE hPort, uint32_t *piNumURLs)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->GCGetNumPortURLs(hPort, piNumURLs); });
}

GC_API GCGetPortURLInfo(PORT_HANDLE hPort, uint32_t iURLIndex, URL_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->GCGetPortURLInfo(hPort, iURLIndex, iInfoCmd, piType, pBuffer, piSize); });
}

GC_API GCReadPortStacked(PORT_HANDLE hPort, PORT_REGISTER_STACK_ENTRY *pEntries, size_t *piNumEntries)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->GCReadPortStacked(hPort, pEntries, piNumEntries); });
}

GC_API GCWritePortStacked(PORT_HANDLE hPort, PORT_REGISTER_STACK_ENTRY *pEntries, size_t *piNumEntries)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->GCWritePortStacked(hPort, pEntries, piNumEntries); });
}

GC_API DSGetBufferChunkData(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, SINGLE_CHUNK_DATA *pChunkData, size_t *piNumChunks)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->DSGetBufferChunkData(hDataStream, hBuffer, pChunkData, piNumChunks); });
}

GC_API IFGetParentTL(IF_HANDLE hIface, TL_HANDLE *phSystem)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->IFGetParentTL(hIface, phSystem); });
}

GC_API DevGetParentIF(DEV_HANDLE hDevice, IF_HANDLE *phIface)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->DevGetParentIF(hDevice, phIface); });
}

GC_API DSGetParentDev(DS_HANDLE hDataStream, DEV_HANDLE *phDevice)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->DSGetParentDev(hDataStream, phDevice); });
}

GC_API DSGetNumBufferParts(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, uint32_t *piNumParts)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->DSGetNumBufferParts(hDataStream, hBuffer, piNumParts); });
}

GC_API DSGetBufferPartInfo(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, uint32_t iPartIndex, BUFFER_PART_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize)
{
    return Forward(__func__, [&](GenTLSrv* service) { return service->DSGetBufferPartInfo(hDataStream, hBuffer, iPartIndex, iInfoCmd, piType, pBuffer, piSize); });
}

}  // extern "C"
