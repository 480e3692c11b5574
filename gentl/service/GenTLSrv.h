#pragma once
#include <GenTL.h>

namespace GenTLCore {

// The service behind the exported GenTL functions: one operation per
// function, with the function's arguments in the same order and its GenTL
// error code as result. Implemented by the direct service and by the
// call-tracing service around it.
class GenTLSrv {
public:
    virtual ~GenTLSrv();

    virtual GC_ERROR GCGetInfo(TL_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize) = 0;
    virtual GC_ERROR GCGetLastError(GC_ERROR *piErrorCode, char *sErrText, size_t *piSize) = 0;
    virtual GC_ERROR GCInitLib() = 0;
    virtual GC_ERROR GCCloseLib() = 0;
    virtual GC_ERROR GCReadPort(PORT_HANDLE hPort, uint64_t iAddress, void *pBuffer, size_t *piSize) = 0;
    virtual GC_ERROR GCWritePort(PORT_HANDLE hPort, uint64_t iAddress, const void *pBuffer, size_t *piSize) = 0;
    virtual GC_ERROR GCGetPortURL(PORT_HANDLE hPort, char *sURL, size_t *piSize) = 0;
    virtual GC_ERROR GCGetPortInfo(PORT_HANDLE hPort, PORT_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize) = 0;
    virtual GC_ERROR GCRegisterEvent(EVENTSRC_HANDLE hEventSrc, EVENT_TYPE iEventID, EVENT_HANDLE *phEvent) = 0;
    virtual GC_ERROR GCUnregisterEvent(EVENTSRC_HANDLE hEventSrc, EVENT_TYPE iEventID) = 0;
    virtual GC_ERROR EventGetData(EVENT_HANDLE hEvent, void *pBuffer, size_t *piSize, uint64_t iTimeout) = 0;
    virtual GC_ERROR EventGetDataInfo(EVENT_HANDLE hEvent, const void *pInBuffer, size_t iInSize, EVENT_DATA_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pOutBuffer, size_t *piOutSize) = 0;
    virtual GC_ERROR EventGetInfo(EVENT_HANDLE hEvent, EVENT_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize) = 0;
    virtual GC_ERROR EventFlush(EVENT_HANDLE hEvent) = 0;
    virtual GC_ERROR EventKill(EVENT_HANDLE hEvent) = 0;
    virtual GC_ERROR TLOpen(TL_HANDLE *phTL) = 0;
    virtual GC_ERROR TLClose(TL_HANDLE hTL) = 0;
    virtual GC_ERROR TLGetInfo(TL_HANDLE hTL, TL_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize) = 0;
    virtual GC_ERROR TLGetNumInterfaces(TL_HANDLE hTL, uint32_t *piNumIfaces) = 0;
    virtual GC_ERROR TLGetInterfaceID(TL_HANDLE hTL, uint32_t iIndex, char *sID, size_t *piSize) = 0;
    virtual GC_ERROR TLGetInterfaceInfo(TL_HANDLE hTL, const char *sIfaceID, INTERFACE_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize) = 0;
    virtual GC_ERROR TLOpenInterface(TL_HANDLE hTL, const char *sIfaceID, IF_HANDLE *phIface) = 0;
    virtual GC_ERROR TLUpdateInterfaceList(TL_HANDLE hTL, bool8_t *pbChanged, uint64_t iTimeout) = 0;
    virtual GC_ERROR IFClose(IF_HANDLE hIface) = 0;
    virtual GC_ERROR IFGetInfo(IF_HANDLE hIface, INTERFACE_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize) = 0;
    virtual GC_ERROR IFGetNumDevices(IF_HANDLE hIface, uint32_t *piNumDevices) = 0;
    virtual GC_ERROR IFGetDeviceID(IF_HANDLE hIface, uint32_t iIndex, char *sIDeviceID, size_t *piSize) = 0;
    virtual GC_ERROR IFUpdateDeviceList(IF_HANDLE hIface, bool8_t *pbChanged, uint64_t iTimeout) = 0;
    virtual GC_ERROR IFGetDeviceInfo(IF_HANDLE hIface, const char *sDeviceID, DEVICE_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize) = 0;
    virtual GC_ERROR IFOpenDevice(IF_HANDLE hIface, const char *sDeviceID, DEVICE_ACCESS_FLAGS iOpenFlag, DEV_HANDLE *phDevice) = 0;
    virtual GC_ERROR DevGetPort(DEV_HANDLE hDevice, PORT_HANDLE *phRemoteDevice) = 0;
    virtual GC_ERROR DevGetNumDataStreams(DEV_HANDLE hDevice, uint32_t *piNumDataStreams) = 0;
    virtual GC_ERROR DevGetDataStreamID(DEV_HANDLE hDevice, uint32_t iIndex, char *sDataStreamID, size_t *piSize) = 0;
    virtual GC_ERROR DevOpenDataStream(DEV_HANDLE hDevice, const char *sDataStreamID, DS_HANDLE *phDataStream) = 0;
    virtual GC_ERROR DevGetInfo(DEV_HANDLE hDevice, DEVICE_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize) = 0;
    virtual GC_ERROR DevClose(DEV_HANDLE hDevice) = 0;
    virtual GC_ERROR DSAnnounceBuffer(DS_HANDLE hDataStream, void *pBuffer, size_t iSize, void *pPrivate, BUFFER_HANDLE *phBuffer) = 0;
    virtual GC_ERROR DSAllocAndAnnounceBuffer(DS_HANDLE hDataStream, size_t iSize, void *pPrivate, BUFFER_HANDLE *phBuffer) = 0;
    virtual GC_ERROR DSFlushQueue(DS_HANDLE hDataStream, ACQ_QUEUE_TYPE iOperation) = 0;
    virtual GC_ERROR DSStartAcquisition(DS_HANDLE hDataStream, ACQ_START_FLAGS iStartFlags, uint64_t iNumToAcquire) = 0;
    virtual GC_ERROR DSStopAcquisition(DS_HANDLE hDataStream, ACQ_STOP_FLAGS iStopFlags) = 0;
    virtual GC_ERROR DSGetInfo(DS_HANDLE hDataStream, STREAM_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize) = 0;
    virtual GC_ERROR DSGetBufferID(DS_HANDLE hDataStream, uint32_t iIndex, BUFFER_HANDLE *phBuffer) = 0;
    virtual GC_ERROR DSClose(DS_HANDLE hDataStream) = 0;
    virtual GC_ERROR DSRevokeBuffer(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, void **pBuffer, void **pPrivate) = 0;
    virtual GC_ERROR DSQueueBuffer(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer) = 0;
    virtual GC_ERROR DSGetBufferInfo(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, BUFFER_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize) = 0;
    virtual GC_ERROR GCGetNumPortURLs(PORT_HANDLE hPort, uint32_t *piNumURLs) = 0;
    virtual GC_ERROR GCGetPortURLInfo(PORT_HANDLE hPort, uint32_t iURLIndex, URL_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize) = 0;
    virtual GC_ERROR GCReadPortStacked(PORT_HANDLE hPort, PORT_REGISTER_STACK_ENTRY *pEntries, size_t *piNumEntries) = 0;
    virtual GC_ERROR GCWritePortStacked(PORT_HANDLE hPort, PORT_REGISTER_STACK_ENTRY *pEntries, size_t *piNumEntries) = 0;
    virtual GC_ERROR DSGetBufferChunkData(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, SINGLE_CHUNK_DATA *pChunkData, size_t *piNumChunks) = 0;
    virtual GC_ERROR IFGetParentTL(IF_HANDLE hIface, TL_HANDLE *phSystem) = 0;
    virtual GC_ERROR DevGetParentIF(DEV_HANDLE hDevice, IF_HANDLE *phIface) = 0;
    virtual GC_ERROR DSGetParentDev(DS_HANDLE hDataStream, DEV_HANDLE *phDevice) = 0;
    virtual GC_ERROR DSGetNumBufferParts(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, uint32_t *piNumParts) = 0;
    virtual GC_ERROR DSGetBufferPartInfo(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, uint32_t iPartIndex, BUFFER_PART_INFO_CMD iInfoCmd, INFO_DATATYPE *piType, void *pBuffer, size_t *piSize) = 0;
};

}  // namespace GenTLCore
