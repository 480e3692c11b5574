#pragma once
#include "CountedPtr.h"
#include "GenTLSrv.h"

namespace GenTLCore {

class GenTLLibrary;

// The service that carries each GenTL call to the library object: it turns
// the caller's handle into a module through the handle pool, calls the
// module, and enters every newly opened object into the pool under its
// parent. It keeps no mutable state; the only locks it takes are the pool
// lock and the parent's lock around opening an interface or a device.
class GenTLSrvDirect : public GenTLSrv {
public:
    explicit GenTLSrvDirect(const CountedPtr<GenTLLibrary>& library);
    // Closes the library when it is still initialised, then releases it.
    ~GenTLSrvDirect() override;
    GenTLSrvDirect(const GenTLSrvDirect&) = delete;
    GenTLSrvDirect& operator=(const GenTLSrvDirect&) = delete;

    // Ends the waits in progress aborted and returns once no other thread
    // is inside a call, so that none returns through a closed module or an
    // unloaded file. GCCloseLib runs it before it closes the library, an
    // unload before it tears the producer down.
    void EndCallsInFlight();

    GC_ERROR GCGetInfo(TL_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize) override;
    GC_ERROR GCGetLastError(GC_ERROR *piErrorCode, char *sErrText, size_t *piSize) override;
    GC_ERROR GCInitLib() override;
    GC_ERROR GCCloseLib() override;
    GC_ERROR GCReadPort(PORT_HANDLE hPort, uint64_t iAddress, void *pBuffer, size_t *piSize) override;
    GC_ERROR GCWritePort(PORT_HANDLE hPort, uint64_t iAddress, const void *pBuffer, size_t *piSize) override;
    GC_ERROR GCGetPortURL(PORT_HANDLE hPort, char *sURL, size_t *piSize) override;
    GC_ERROR GCGetPortInfo(PORT_HANDLE hPort, PORT_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize) override;
    GC_ERROR GCRegisterEvent(EVENTSRC_HANDLE hEventSrc, EVENT_TYPE iEventID, EVENT_HANDLE *phEvent) override;
    GC_ERROR GCUnregisterEvent(EVENTSRC_HANDLE hEventSrc, EVENT_TYPE iEventID) override;
    GC_ERROR EventGetData(EVENT_HANDLE hEvent, void *pBuffer, size_t *piSize, uint64_t iTimeout) override;
    GC_ERROR EventGetDataInfo(EVENT_HANDLE hEvent, const void *pInBuffer, size_t iInSize, EVENT_DATA_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pOutBuffer, size_t *piOutSize) override;
    GC_ERROR EventGetInfo(EVENT_HANDLE hEvent, EVENT_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize) override;
    GC_ERROR EventFlush(EVENT_HANDLE hEvent) override;
    GC_ERROR EventKill(EVENT_HANDLE hEvent) override;
    GC_ERROR TLOpen(TL_HANDLE *phTL) override;
    GC_ERROR TLClose(TL_HANDLE hTL) override;
    GC_ERROR TLGetInfo(TL_HANDLE hTL, TL_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize) override;
    GC_ERROR TLGetNumInterfaces(TL_HANDLE hTL, uint32_t *piNumIfaces) override;
    GC_ERROR TLGetInterfaceID(TL_HANDLE hTL, uint32_t iIndex, char *sID, size_t *piSize) override;
    GC_ERROR TLGetInterfaceInfo(TL_HANDLE hTL, const char *sIfaceID, INTERFACE_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize) override;
    GC_ERROR TLOpenInterface(TL_HANDLE hTL, const char *sIfaceID, IF_HANDLE *phIface) override;
    GC_ERROR TLUpdateInterfaceList(TL_HANDLE hTL, bool8_t *pbChanged, uint64_t iTimeout) override;
    GC_ERROR IFClose(IF_HANDLE hIface) override;
    GC_ERROR IFGetInfo(IF_HANDLE hIface, INTERFACE_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize) override;
    GC_ERROR IFGetNumDevices(IF_HANDLE hIface, uint32_t *piNumDevices) override;
    GC_ERROR IFGetDeviceID(IF_HANDLE hIface, uint32_t iIndex, char *sIDeviceID, size_t *piSize) override;
    GC_ERROR IFUpdateDeviceList(IF_HANDLE hIface, bool8_t *pbChanged, uint64_t iTimeout) override;
    GC_ERROR IFGetDeviceInfo(IF_HANDLE hIface, const char *sDeviceID, DEVICE_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize) override;
    GC_ERROR IFOpenDevice(IF_HANDLE hIface, const char *sDeviceID, DEVICE_ACCESS_FLAGS iOpenFlag, DEV_HANDLE *phDevice) override;
    GC_ERROR DevGetPort(DEV_HANDLE hDevice, PORT_HANDLE *phRemoteDevice) override;
    GC_ERROR DevGetNumDataStreams(DEV_HANDLE hDevice, uint32_t *piNumDataStreams) override;
    GC_ERROR DevGetDataStreamID(DEV_HANDLE hDevice, uint32_t iIndex, char *sDataStreamID, size_t *piSize) override;
    GC_ERROR DevOpenDataStream(DEV_HANDLE hDevice, const char *sDataStreamID, DS_HANDLE *phDataStream) override;
    GC_ERROR DevGetInfo(DEV_HANDLE hDevice, DEVICE_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize) override;
    GC_ERROR DevClose(DEV_HANDLE hDevice) override;
    GC_ERROR DSAnnounceBuffer(DS_HANDLE hDataStream, void *pBuffer, size_t iSize, void *pPrivate, BUFFER_HANDLE *phBuffer) override;
    GC_ERROR DSAllocAndAnnounceBuffer(DS_HANDLE hDataStream, size_t iSize, void *pPrivate, BUFFER_HANDLE *phBuffer) override;
    GC_ERROR DSFlushQueue(DS_HANDLE hDataStream, ACQ_QUEUE_TYPE iOperation) override;
    GC_ERROR DSStartAcquisition(DS_HANDLE hDataStream, ACQ_START_FLAGS iStartFlags, uint64_t iNumToAcquire) override;
    GC_ERROR DSStopAcquisition(DS_HANDLE hDataStream, ACQ_STOP_FLAGS iStopFlags) override;
    GC_ERROR DSGetInfo(DS_HANDLE hDataStream, STREAM_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize) override;
    GC_ERROR DSGetBufferID(DS_HANDLE hDataStream, uint32_t iIndex, BUFFER_HANDLE *phBuffer) override;
    GC_ERROR DSClose(DS_HANDLE hDataStream) override;
    GC_ERROR DSRevokeBuffer(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, void **pBuffer, void **pPrivate) override;
    GC_ERROR DSQueueBuffer(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer) override;
    GC_ERROR DSGetBufferInfo(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, BUFFER_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize) override;
    GC_ERROR GCGetNumPortURLs(PORT_HANDLE hPort, uint32_t *piNumURLs) override;
    GC_ERROR GCGetPortURLInfo(PORT_HANDLE hPort, uint32_t iURLIndex, URL_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize) override;
    GC_ERROR GCReadPortStacked(PORT_HANDLE hPort, PORT_REGISTER_STACK_ENTRY *pEntries, size_t *piNumEntries) override;
    GC_ERROR GCWritePortStacked(PORT_HANDLE hPort, PORT_REGISTER_STACK_ENTRY *pEntries, size_t *piNumEntries) override;
    GC_ERROR DSGetBufferChunkData(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, SINGLE_CHUNK_DATA *pChunkData, size_t *piNumChunks) override;
    GC_ERROR IFGetParentTL(IF_HANDLE hIface, TL_HANDLE *phSystem) override;
    GC_ERROR DevGetParentIF(DEV_HANDLE hDevice, IF_HANDLE *phIface) override;
    GC_ERROR DSGetParentDev(DS_HANDLE hDataStream, DEV_HANDLE *phDevice) override;
    GC_ERROR DSGetNumBufferParts(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, uint32_t *piNumParts) override;
    GC_ERROR DSGetBufferPartInfo(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, uint32_t iPartIndex, BUFFER_PART_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize) override;
private:
    CountedPtr<GenTLLibrary> m_library;
};

}  // namespace GenTLCore
