#pragma once
#include "GenTLSrv.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <type_traits>

// A scripted service for the tests of what stands in front of a service:
// every operation records its name and its arguments (as 64-bit patterns),
// runs the scripted effect (which writes the test's out-variables) and
// answers the scripted result. Recording allocates nothing.
class FakeGenTLService : public GenTLCore::GenTLSrv {
public:
    GC_ERROR result = GC_ERR_SUCCESS;
    std::function<void()> effect;
    const char* lastCall = nullptr;
    int calls = 0;
    std::array<uint64_t, 8> args{};
    int* destroyed = nullptr;

    ~FakeGenTLService() override
    {
        if (destroyed)
            ++*destroyed;
    }

    template <class T>
    static uint64_t Bits(T value)
    {
        if constexpr (std::is_pointer_v<T>)
            return reinterpret_cast<uintptr_t>(value);
        else
            return static_cast<uint64_t>(value);
    }

    GC_ERROR Answer(const char* name, std::initializer_list<uint64_t> values)
    {
        lastCall = name;
        ++calls;
        args.fill(0);
        std::copy(values.begin(), values.end(), args.begin());
        if (effect)
            effect();
        return result;
    }

    GC_ERROR GCGetInfo(TL_INFO_CMD iInfoCmd, INFO_DATATYPE* piType, void* pBuffer, size_t* piSize) override { return Answer("GCGetInfo", {Bits(iInfoCmd), Bits(piType), Bits(pBuffer), Bits(piSize)}); }
    GC_ERROR GCGetLastError(GC_ERROR* piErrorCode, char* sErrText, size_t* piSize) override { return Answer("GCGetLastError", {Bits(piErrorCode), Bits(sErrText), Bits(piSize)}); }
    GC_ERROR GCInitLib() override { return Answer("GCInitLib", {}); }
    GC_ERROR GCCloseLib() override { return Answer("GCCloseLib", {}); }
    GC_ERROR GCReadPort(PORT_HANDLE hPort, uint64_t iAddress, void* pBuffer, size_t* piSize) override { return Answer("GCReadPort", {Bits(hPort), Bits(iAddress), Bits(pBuffer), Bits(piSize)}); }
    GC_ERROR GCWritePort(PORT_HANDLE hPort, uint64_t iAddress, const void* pBuffer, size_t* piSize) override { return Answer("GCWritePort", {Bits(hPort), Bits(iAddress), Bits(pBuffer), Bits(piSize)}); }
    GC_ERROR GCGetPortURL(PORT_HANDLE hPort, char* sURL, size_t* piSize) override { return Answer("GCGetPortURL", {Bits(hPort), Bits(sURL), Bits(piSize)}); }
    GC_ERROR GCGetPortInfo(PORT_HANDLE hPort, PORT_INFO_CMD iInfoCmd, INFO_DATATYPE* piType, void* pBuffer, size_t* piSize) override { return Answer("GCGetPortInfo", {Bits(hPort), Bits(iInfoCmd), Bits(piType), Bits(pBuffer), Bits(piSize)}); }
    GC_ERROR GCRegisterEvent(EVENTSRC_HANDLE hEventSrc, EVENT_TYPE iEventID, EVENT_HANDLE* phEvent) override { return Answer("GCRegisterEvent", {Bits(hEventSrc), Bits(iEventID), Bits(phEvent)}); }
    GC_ERROR GCUnregisterEvent(EVENTSRC_HANDLE hEventSrc, EVENT_TYPE iEventID) override { return Answer("GCUnregisterEvent", {Bits(hEventSrc), Bits(iEventID)}); }
    GC_ERROR EventGetData(EVENT_HANDLE hEvent, void* pBuffer, size_t* piSize, uint64_t iTimeout) override { return Answer("EventGetData", {Bits(hEvent), Bits(pBuffer), Bits(piSize), Bits(iTimeout)}); }
    GC_ERROR EventGetDataInfo(EVENT_HANDLE hEvent, const void* pInBuffer, size_t iInSize, EVENT_DATA_INFO_CMD iInfoCmd, INFO_DATATYPE* piType, void* pOutBuffer, size_t* piOutSize) override { return Answer("EventGetDataInfo", {Bits(hEvent), Bits(pInBuffer), Bits(iInSize), Bits(iInfoCmd), Bits(piType), Bits(pOutBuffer), Bits(piOutSize)}); }
    GC_ERROR EventGetInfo(EVENT_HANDLE hEvent, EVENT_INFO_CMD iInfoCmd, INFO_DATATYPE* piType, void* pBuffer, size_t* piSize) override { return Answer("EventGetInfo", {Bits(hEvent), Bits(iInfoCmd), Bits(piType), Bits(pBuffer), Bits(piSize)}); }
    GC_ERROR EventFlush(EVENT_HANDLE hEvent) override { return Answer("EventFlush", {Bits(hEvent)}); }
    GC_ERROR EventKill(EVENT_HANDLE hEvent) override { return Answer("EventKill", {Bits(hEvent)}); }
    GC_ERROR TLOpen(TL_HANDLE* phTL) override { return Answer("TLOpen", {Bits(phTL)}); }
    GC_ERROR TLClose(TL_HANDLE hTL) override { return Answer("TLClose", {Bits(hTL)}); }
    GC_ERROR TLGetInfo(TL_HANDLE hTL, TL_INFO_CMD iInfoCmd, INFO_DATATYPE* piType, void* pBuffer, size_t* piSize) override { return Answer("TLGetInfo", {Bits(hTL), Bits(iInfoCmd), Bits(piType), Bits(pBuffer), Bits(piSize)}); }
    GC_ERROR TLGetNumInterfaces(TL_HANDLE hTL, uint32_t* piNumIfaces) override { return Answer("TLGetNumInterfaces", {Bits(hTL), Bits(piNumIfaces)}); }
    GC_ERROR TLGetInterfaceID(TL_HANDLE hTL, uint32_t iIndex, char* sID, size_t* piSize) override { return Answer("TLGetInterfaceID", {Bits(hTL), Bits(iIndex), Bits(sID), Bits(piSize)}); }
    GC_ERROR TLGetInterfaceInfo(TL_HANDLE hTL, const char* sIfaceID, INTERFACE_INFO_CMD iInfoCmd, INFO_DATATYPE* piType, void* pBuffer, size_t* piSize) override { return Answer("TLGetInterfaceInfo", {Bits(hTL), Bits(sIfaceID), Bits(iInfoCmd), Bits(piType), Bits(pBuffer), Bits(piSize)}); }
    GC_ERROR TLOpenInterface(TL_HANDLE hTL, const char* sIfaceID, IF_HANDLE* phIface) override { return Answer("TLOpenInterface", {Bits(hTL), Bits(sIfaceID), Bits(phIface)}); }
    GC_ERROR TLUpdateInterfaceList(TL_HANDLE hTL, bool8_t* pbChanged, uint64_t iTimeout) override { return Answer("TLUpdateInterfaceList", {Bits(hTL), Bits(pbChanged), Bits(iTimeout)}); }
    GC_ERROR IFClose(IF_HANDLE hIface) override { return Answer("IFClose", {Bits(hIface)}); }
    GC_ERROR IFGetInfo(IF_HANDLE hIface, INTERFACE_INFO_CMD iInfoCmd, INFO_DATATYPE* piType, void* pBuffer, size_t* piSize) override { return Answer("IFGetInfo", {Bits(hIface), Bits(iInfoCmd), Bits(piType), Bits(pBuffer), Bits(piSize)}); }
    GC_ERROR IFGetNumDevices(IF_HANDLE hIface, uint32_t* piNumDevices) override { return Answer("IFGetNumDevices", {Bits(hIface), Bits(piNumDevices)}); }
    GC_ERROR IFGetDeviceID(IF_HANDLE hIface, uint32_t iIndex, char* sIDeviceID, size_t* piSize) override { return Answer("IFGetDeviceID", {Bits(hIface), Bits(iIndex), Bits(sIDeviceID), Bits(piSize)}); }
    GC_ERROR IFUpdateDeviceList(IF_HANDLE hIface, bool8_t* pbChanged, uint64_t iTimeout) override { return Answer("IFUpdateDeviceList", {Bits(hIface), Bits(pbChanged), Bits(iTimeout)}); }
    GC_ERROR IFGetDeviceInfo(IF_HANDLE hIface, const char* sDeviceID, DEVICE_INFO_CMD iInfoCmd, INFO_DATATYPE* piType, void* pBuffer, size_t* piSize) override { return Answer("IFGetDeviceInfo", {Bits(hIface), Bits(sDeviceID), Bits(iInfoCmd), Bits(piType), Bits(pBuffer), Bits(piSize)}); }
    GC_ERROR IFOpenDevice(IF_HANDLE hIface, const char* sDeviceID, DEVICE_ACCESS_FLAGS iOpenFlag, DEV_HANDLE* phDevice) override { return Answer("IFOpenDevice", {Bits(hIface), Bits(sDeviceID), Bits(iOpenFlag), Bits(phDevice)}); }
    GC_ERROR DevGetPort(DEV_HANDLE hDevice, PORT_HANDLE* phRemoteDevice) override { return Answer("DevGetPort", {Bits(hDevice), Bits(phRemoteDevice)}); }
    GC_ERROR DevGetNumDataStreams(DEV_HANDLE hDevice, uint32_t* piNumDataStreams) override { return Answer("DevGetNumDataStreams", {Bits(hDevice), Bits(piNumDataStreams)}); }
    GC_ERROR DevGetDataStreamID(DEV_HANDLE hDevice, uint32_t iIndex, char* sDataStreamID, size_t* piSize) override { return Answer("DevGetDataStreamID", {Bits(hDevice), Bits(iIndex), Bits(sDataStreamID), Bits(piSize)}); }
    GC_ERROR DevOpenDataStream(DEV_HANDLE hDevice, const char* sDataStreamID, DS_HANDLE* phDataStream) override { return Answer("DevOpenDataStream", {Bits(hDevice), Bits(sDataStreamID), Bits(phDataStream)}); }
    GC_ERROR DevGetInfo(DEV_HANDLE hDevice, DEVICE_INFO_CMD iInfoCmd, INFO_DATATYPE* piType, void* pBuffer, size_t* piSize) override { return Answer("DevGetInfo", {Bits(hDevice), Bits(iInfoCmd), Bits(piType), Bits(pBuffer), Bits(piSize)}); }
    GC_ERROR DevClose(DEV_HANDLE hDevice) override { return Answer("DevClose", {Bits(hDevice)}); }
    GC_ERROR DSAnnounceBuffer(DS_HANDLE hDataStream, void* pBuffer, size_t iSize, void* pPrivate, BUFFER_HANDLE* phBuffer) override { return Answer("DSAnnounceBuffer", {Bits(hDataStream), Bits(pBuffer), Bits(iSize), Bits(pPrivate), Bits(phBuffer)}); }
    GC_ERROR DSAllocAndAnnounceBuffer(DS_HANDLE hDataStream, size_t iSize, void* pPrivate, BUFFER_HANDLE* phBuffer) override { return Answer("DSAllocAndAnnounceBuffer", {Bits(hDataStream), Bits(iSize), Bits(pPrivate), Bits(phBuffer)}); }
    GC_ERROR DSFlushQueue(DS_HANDLE hDataStream, ACQ_QUEUE_TYPE iOperation) override { return Answer("DSFlushQueue", {Bits(hDataStream), Bits(iOperation)}); }
    GC_ERROR DSStartAcquisition(DS_HANDLE hDataStream, ACQ_START_FLAGS iStartFlags, uint64_t iNumToAcquire) override { return Answer("DSStartAcquisition", {Bits(hDataStream), Bits(iStartFlags), Bits(iNumToAcquire)}); }
    GC_ERROR DSStopAcquisition(DS_HANDLE hDataStream, ACQ_STOP_FLAGS iStopFlags) override { return Answer("DSStopAcquisition", {Bits(hDataStream), Bits(iStopFlags)}); }
    GC_ERROR DSGetInfo(DS_HANDLE hDataStream, STREAM_INFO_CMD iInfoCmd, INFO_DATATYPE* piType, void* pBuffer, size_t* piSize) override { return Answer("DSGetInfo", {Bits(hDataStream), Bits(iInfoCmd), Bits(piType), Bits(pBuffer), Bits(piSize)}); }
    GC_ERROR DSGetBufferID(DS_HANDLE hDataStream, uint32_t iIndex, BUFFER_HANDLE* phBuffer) override { return Answer("DSGetBufferID", {Bits(hDataStream), Bits(iIndex), Bits(phBuffer)}); }
    GC_ERROR DSClose(DS_HANDLE hDataStream) override { return Answer("DSClose", {Bits(hDataStream)}); }
    GC_ERROR DSRevokeBuffer(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, void ** pBuffer, void ** pPrivate) override { return Answer("DSRevokeBuffer", {Bits(hDataStream), Bits(hBuffer), Bits(pBuffer), Bits(pPrivate)}); }
    GC_ERROR DSQueueBuffer(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer) override { return Answer("DSQueueBuffer", {Bits(hDataStream), Bits(hBuffer)}); }
    GC_ERROR DSGetBufferInfo(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, BUFFER_INFO_CMD iInfoCmd, INFO_DATATYPE* piType, void* pBuffer, size_t* piSize) override { return Answer("DSGetBufferInfo", {Bits(hDataStream), Bits(hBuffer), Bits(iInfoCmd), Bits(piType), Bits(pBuffer), Bits(piSize)}); }
    GC_ERROR GCGetNumPortURLs(PORT_HANDLE hPort, uint32_t* piNumURLs) override { return Answer("GCGetNumPortURLs", {Bits(hPort), Bits(piNumURLs)}); }
    GC_ERROR GCGetPortURLInfo(PORT_HANDLE hPort, uint32_t iURLIndex, URL_INFO_CMD iInfoCmd, INFO_DATATYPE* piType, void* pBuffer, size_t* piSize) override { return Answer("GCGetPortURLInfo", {Bits(hPort), Bits(iURLIndex), Bits(iInfoCmd), Bits(piType), Bits(pBuffer), Bits(piSize)}); }
    GC_ERROR GCReadPortStacked(PORT_HANDLE hPort, PORT_REGISTER_STACK_ENTRY* pEntries, size_t* piNumEntries) override { return Answer("GCReadPortStacked", {Bits(hPort), Bits(pEntries), Bits(piNumEntries)}); }
    GC_ERROR GCWritePortStacked(PORT_HANDLE hPort, PORT_REGISTER_STACK_ENTRY* pEntries, size_t* piNumEntries) override { return Answer("GCWritePortStacked", {Bits(hPort), Bits(pEntries), Bits(piNumEntries)}); }
    GC_ERROR DSGetBufferChunkData(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, SINGLE_CHUNK_DATA* pChunkData, size_t* piNumChunks) override { return Answer("DSGetBufferChunkData", {Bits(hDataStream), Bits(hBuffer), Bits(pChunkData), Bits(piNumChunks)}); }
    GC_ERROR IFGetParentTL(IF_HANDLE hIface, TL_HANDLE* phSystem) override { return Answer("IFGetParentTL", {Bits(hIface), Bits(phSystem)}); }
    GC_ERROR DevGetParentIF(DEV_HANDLE hDevice, IF_HANDLE* phIface) override { return Answer("DevGetParentIF", {Bits(hDevice), Bits(phIface)}); }
    GC_ERROR DSGetParentDev(DS_HANDLE hDataStream, DEV_HANDLE* phDevice) override { return Answer("DSGetParentDev", {Bits(hDataStream), Bits(phDevice)}); }
    GC_ERROR DSGetNumBufferParts(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, uint32_t* piNumParts) override { return Answer("DSGetNumBufferParts", {Bits(hDataStream), Bits(hBuffer), Bits(piNumParts)}); }
    GC_ERROR DSGetBufferPartInfo(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, uint32_t iPartIndex, BUFFER_PART_INFO_CMD iInfoCmd, INFO_DATATYPE* piType, void* pBuffer, size_t* piSize) override { return Answer("DSGetBufferPartInfo", {Bits(hDataStream), Bits(hBuffer), Bits(iPartIndex), Bits(iInfoCmd), Bits(piType), Bits(pBuffer), Bits(piSize)}); }
};
