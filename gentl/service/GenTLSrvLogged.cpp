#include "GenTLSrvLogged.h"

#include "TLLogMessage.h"
#include "TraceFormat.h"
#include "TraceNames.h"

#include <algorithm>
#include <string>

namespace GenTLCore {

namespace {

const char kCategory[] = "TLCall";

template <class List>
const char* NameOf(int32_t value)
{
    return TraceNameOf(List(), value);
}

// The two lines of one traced call. Items are "label=value" texts; the call
// line joins them in brackets after the function's name, the result line
// appends them after the result.
class CallTrace {
public:
    // `sizeArg` is the call's size or count pointer whose value bounds the
    // reads of the caller's buffer after the call: its value before the
    // call is kept here.
    CallTrace(const char* function, const size_t* sizeArg)
        : m_function(function), m_sizeArg(sizeArg), m_sizeIn(sizeArg ? *sizeArg : 0)
    {
    }

    CallTrace& Item(const char* label, const std::string& value)
    {
        return Raw(std::string(label) + "=" + value);
    }
    CallTrace& Raw(const std::string& item)
    {
        if (!m_items.empty())
            m_items += ", ";
        m_items += item;
        return *this;
    }
    CallTrace& Handle(const char* label, const void* handle) { return Item(label, FormatPointer(handle)); }
    CallTrace& Decimal(const char* label, uint64_t value) { return Item(label, std::to_string(value)); }
    CallTrace& Hex(const char* label, uint64_t value);
    template <class List>
    CallTrace& Named(const char* label, int32_t value)
    {
        return Item(label, FormatNamedOutValue(&value, &NameOf<List>));
    }
    // The size pointer and, in brackets, the size the caller passes in.
    CallTrace& SizeArg(const char* label, const size_t* piSize)
    {
        return Item(label, FormatPointer(piSize) + " [" + FormatOutValue(piSize) + "]");
    }
    CallTrace& Text(const char* label, const char* text) { return Item(label, FormatCString(text)); }
    // The three pointers of an info query.
    CallTrace& InfoArguments(const INFO_DATATYPE* piType, const void* pBuffer, const size_t* piSize)
    {
        return Handle("piType", piType).Handle("pBuffer", pBuffer).SizeArg("piSize", piSize);
    }
    CallTrace& InfoOutputs(const INFO_DATATYPE* piType, const void* pBuffer, const size_t* piSize)
    {
        return Raw(FormatInfoOutputs(piType, pBuffer, piSize, ReadSize()));
    }

    // How far the caller's buffer may be read after the call: no further
    // than the size passed in, which is the buffer's capacity, even when the
    // call left a larger (needed) size behind.
    const size_t* ReadSize()
    {
        if (!m_sizeArg)
            return nullptr;
        m_readSize = std::min(m_sizeIn, *m_sizeArg);
        return &m_readSize;
    }

    void EmitCall()
    {
        TLLogMessage message(kCategory, LOG_INFO);
        message << "Called " << m_function << " (" << m_items << ")" << std::endl;
        m_items.clear();
    }
    void EmitResult(GC_ERROR result)
    {
        TLLogMessage message(kCategory, LOG_INFO);
        message << "...returned " << result << " [" << TraceNameOf(GC_ERROR_LIST(), result) << "]";
        if (!m_items.empty())
            message << ", " << m_items;
        message << std::endl;
    }
    void Clear() { m_items.clear(); }

private:
    const char* m_function;
    const size_t* m_sizeArg;
    size_t m_sizeIn;
    size_t m_readSize = 0;
    std::string m_items;
};

CallTrace& CallTrace::Hex(const char* label, uint64_t value)
{
    char digits[17];
    char* end = digits + sizeof digits;
    char* p = end;
    do {
        *--p = "0123456789abcdef"[value & 0xF];
        value >>= 4;
    } while (value != 0);
    return Item(label, "0x" + std::string(p, end));
}

const auto kNoItems = [](CallTrace&) {};

// One traced call: the call line, the inner call, the result line. Below
// Info only the level test and the inner call run. A line that cannot be
// built is dropped; the inner call runs exactly once and its result is
// returned whatever happens to the lines.
template <class Before, class Call, class After>
GC_ERROR Traced(const char* function, const size_t* sizeArg, Before before, Call call, After after)
{
    if (!IsLogged(LOG_INFO))
        return call();
    CallTrace trace(function, sizeArg);
    try {
        before(trace);
        trace.EmitCall();
    } catch (...) {
    }
    const GC_ERROR result = call();
    if (IsLogged(LOG_INFO)) {
        try {
            trace.Clear();
            after(trace);
            trace.EmitResult(result);
        } catch (...) {
        }
    }
    return result;
}

// An info query: the call's own leading items, then the three info
// pointers; its out part is the type, value and size it left.
template <class Before, class Call>
GC_ERROR TracedInfo(const char* function, INFO_DATATYPE* piType, void* pBuffer, size_t* piSize, Before before,
                    Call call)
{
    return Traced(
        function, piSize,
        [&](CallTrace& t) {
            before(t);
            t.InfoArguments(piType, pBuffer, piSize);
        },
        call, [&](CallTrace& t) { t.InfoOutputs(piType, pBuffer, piSize); });
}

// A call with one handle and no out-values (closes, flushes, kills).
template <class Call>
GC_ERROR TracedHandle(const char* function, const char* label, const void* handle, Call call)
{
    return Traced(
        function, nullptr, [&](CallTrace& t) { t.Handle(label, handle); }, call, kNoItems);
}

// A call that leaves one handle behind in *ph (opens, parents, ports).
template <class Before, class Call>
GC_ERROR TracedNewHandle(const char* function, const char* label, const char* outLabel, void** ph, Before before,
                         Call call)
{
    return Traced(
        function, nullptr,
        [&](CallTrace& t) {
            before(t);
            t.Handle(label, ph);
        },
        call, [&](CallTrace& t) { t.Item(outLabel, FormatOutValue(ph)); });
}

// A count query on one or two handles: the count pointer, then the count.
template <class Before, class Call>
GC_ERROR TracedCount(const char* function, const char* label, const char* outLabel, uint32_t* piCount,
                     Before before, Call call)
{
    return Traced(
        function, nullptr,
        [&](CallTrace& t) {
            before(t);
            t.Handle(label, piCount);
        },
        call, [&](CallTrace& t) { t.Item(outLabel, FormatOutValue(piCount)); });
}

// An id by index: the text and the size the call left.
template <class Call>
GC_ERROR TracedId(const char* function, const char* handleLabel, const void* handle, uint32_t iIndex,
                  const char* label, const char* outLabel, char* sID, size_t* piSize, Call call)
{
    return Traced(
        function, piSize,
        [&](CallTrace& t) {
            t.Handle(handleLabel, handle).Decimal("iIndex", iIndex).Handle(label, sID).SizeArg("piSize", piSize);
        },
        call,
        [&](CallTrace& t) {
            t.Item(outLabel, FormatSizedString(sID, t.ReadSize())).Item("*piSize", FormatOutValue(piSize));
        });
}

// A list update: the changed flag, shown without an asterisk.
template <class Call>
GC_ERROR TracedUpdate(const char* function, const char* handleLabel, const void* handle, bool8_t* pbChanged,
                      uint64_t iTimeout, Call call)
{
    return Traced(
        function, nullptr,
        [&](CallTrace& t) { t.Handle(handleLabel, handle).Handle("pbChanged", pbChanged).Decimal("iTimeout", iTimeout); },
        call, [&](CallTrace& t) { t.Item("pbChanged", FormatOutValue(pbChanged)); });
}

}  // namespace

GenTLSrvLogged::GenTLSrvLogged(GenTLSrv* inner) : m_pInner(inner) {}

GenTLSrvLogged::~GenTLSrvLogged() = default;

GC_ERROR GenTLSrvLogged::GCGetInfo(TL_INFO_CMD iInfoCmd, INFO_DATATYPE* piType, void* pBuffer, size_t* piSize)
{
    return TracedInfo(
        "GCGetInfo", piType, pBuffer, piSize, [&](CallTrace& t) { t.Named<TL_INFO_CMD_LIST>("iInfoCmd", iInfoCmd); },
        [&] { return m_pInner->GCGetInfo(iInfoCmd, piType, pBuffer, piSize); });
}

GC_ERROR GenTLSrvLogged::GCGetLastError(GC_ERROR* piErrorCode, char* sErrText, size_t* piSize)
{
    return Traced(
        "GCGetLastError", piSize,
        [&](CallTrace& t) { t.Handle("piErrorCode", piErrorCode).Handle("sErrText", sErrText).SizeArg("piSize", piSize); },
        [&] { return m_pInner->GCGetLastError(piErrorCode, sErrText, piSize); },
        [&](CallTrace& t) {
            t.Item("*piErrorCode", FormatNamedOutValue(piErrorCode, &NameOf<GC_ERROR_LIST>))
                .Item("*sErrText", FormatSizedString(sErrText, t.ReadSize()));
        });
}

GC_ERROR GenTLSrvLogged::GCInitLib()
{
    return Traced("GCInitLib", nullptr, kNoItems, [&] { return m_pInner->GCInitLib(); }, kNoItems);
}

GC_ERROR GenTLSrvLogged::GCCloseLib()
{
    return Traced("GCCloseLib", nullptr, kNoItems, [&] { return m_pInner->GCCloseLib(); }, kNoItems);
}

GC_ERROR GenTLSrvLogged::GCReadPort(PORT_HANDLE hPort, uint64_t iAddress, void* pBuffer, size_t* piSize)
{
    return Traced(
        "GCReadPort", piSize,
        [&](CallTrace& t) {
            t.Handle("hPort", hPort).Hex("iAddress", iAddress).Handle("pBuffer", pBuffer).SizeArg("piSize", piSize);
        },
        [&] { return m_pInner->GCReadPort(hPort, iAddress, pBuffer, piSize); },
        [&](CallTrace& t) {
            t.Item("*pBuffer", FormatRegisterValue(pBuffer, t.ReadSize())).Item("*piSize", FormatOutValue(piSize));
        });
}

GC_ERROR GenTLSrvLogged::GCWritePort(PORT_HANDLE hPort, uint64_t iAddress, const void* pBuffer, size_t* piSize)
{
    return Traced(
        "GCWritePort", piSize,
        [&](CallTrace& t) {
            t.Handle("hPort", hPort)
                .Hex("iAddress", iAddress)
                .Item("*pBuffer", FormatRegisterValue(pBuffer, piSize))
                .SizeArg("piSize", piSize);
        },
        [&] { return m_pInner->GCWritePort(hPort, iAddress, pBuffer, piSize); },
        [&](CallTrace& t) { t.Item("*piSize", FormatOutValue(piSize)); });
}

GC_ERROR GenTLSrvLogged::GCGetPortURL(PORT_HANDLE hPort, char* sURL, size_t* piSize)
{
    return Traced(
        "GCGetPortURL", piSize,
        [&](CallTrace& t) { t.Handle("hPort", hPort).Handle("sURL", sURL).SizeArg("piSize", piSize); },
        [&] { return m_pInner->GCGetPortURL(hPort, sURL, piSize); },
        [&](CallTrace& t) { t.Item("*sURL", FormatSizedString(sURL, t.ReadSize())); });
}

GC_ERROR GenTLSrvLogged::GCGetPortInfo(PORT_HANDLE hPort, PORT_INFO_CMD iInfoCmd, INFO_DATATYPE* piType,
                                       void* pBuffer, size_t* piSize)
{
    return TracedInfo(
        "GCGetPortInfo", piType, pBuffer, piSize,
        [&](CallTrace& t) { t.Handle("hPort", hPort).Named<PORT_INFO_CMD_LIST>("iInfoCmd", iInfoCmd); },
        [&] { return m_pInner->GCGetPortInfo(hPort, iInfoCmd, piType, pBuffer, piSize); });
}

GC_ERROR GenTLSrvLogged::GCRegisterEvent(EVENTSRC_HANDLE hEventSrc, EVENT_TYPE iEventID, EVENT_HANDLE* phEvent)
{
    return TracedNewHandle(
        "GCRegisterEvent", "phEvent", "*phEvent", phEvent,
        [&](CallTrace& t) { t.Handle("hEventSrc", hEventSrc).Named<EVENT_TYPE_LIST>("iEventID", iEventID); },
        [&] { return m_pInner->GCRegisterEvent(hEventSrc, iEventID, phEvent); });
}

GC_ERROR GenTLSrvLogged::GCUnregisterEvent(EVENTSRC_HANDLE hEventSrc, EVENT_TYPE iEventID)
{
    return Traced(
        "GCUnregisterEvent", nullptr,
        [&](CallTrace& t) { t.Handle("hEventSrc", hEventSrc).Named<EVENT_TYPE_LIST>("iEventID", iEventID); },
        [&] { return m_pInner->GCUnregisterEvent(hEventSrc, iEventID); }, kNoItems);
}

GC_ERROR GenTLSrvLogged::EventGetData(EVENT_HANDLE hEvent, void* pBuffer, size_t* piSize, uint64_t iTimeout)
{
    return Traced(
        "EventGetData", piSize,
        [&](CallTrace& t) {
            t.Handle("hEvent", hEvent).Handle("pBuffer", pBuffer).SizeArg("piSize", piSize).Decimal("iTimeout", iTimeout);
        },
        [&] { return m_pInner->EventGetData(hEvent, pBuffer, piSize, iTimeout); },
        [&](CallTrace& t) {
            t.Item("*pBuffer", FormatBufferDump(pBuffer, t.ReadSize())).Item("*piSize", FormatOutValue(piSize));
        });
}

GC_ERROR GenTLSrvLogged::EventGetDataInfo(EVENT_HANDLE hEvent, const void* pInBuffer, size_t iInSize,
                                          EVENT_DATA_INFO_CMD iInfoCmd, INFO_DATATYPE* piType, void* pOutBuffer,
                                          size_t* piOutSize)
{
    return TracedInfo(
        "EventGetDataInfo", piType, pOutBuffer, piOutSize,
        [&](CallTrace& t) {
            t.Handle("hEvent", hEvent)
                .Item("*pInBuffer", FormatBufferDump(pInBuffer, &iInSize))
                .Decimal("iInSize", iInSize)
                .Named<EVENT_DATA_INFO_CMD_LIST>("iInfoCmd", iInfoCmd);
        },
        [&] {
            return m_pInner->EventGetDataInfo(hEvent, pInBuffer, iInSize, iInfoCmd, piType, pOutBuffer, piOutSize);
        });
}

GC_ERROR GenTLSrvLogged::EventGetInfo(EVENT_HANDLE hEvent, EVENT_INFO_CMD iInfoCmd, INFO_DATATYPE* piType,
                                      void* pBuffer, size_t* piSize)
{
    return TracedInfo(
        "EventGetInfo", piType, pBuffer, piSize,
        [&](CallTrace& t) { t.Handle("hEvent", hEvent).Named<EVENT_INFO_CMD_LIST>("iInfoCmd", iInfoCmd); },
        [&] { return m_pInner->EventGetInfo(hEvent, iInfoCmd, piType, pBuffer, piSize); });
}

GC_ERROR GenTLSrvLogged::EventFlush(EVENT_HANDLE hEvent)
{
    return TracedHandle("EventFlush", "hEvent", hEvent, [&] { return m_pInner->EventFlush(hEvent); });
}

GC_ERROR GenTLSrvLogged::EventKill(EVENT_HANDLE hEvent)
{
    return TracedHandle("EventKill", "hEvent", hEvent, [&] { return m_pInner->EventKill(hEvent); });
}

GC_ERROR GenTLSrvLogged::TLOpen(TL_HANDLE* phTL)
{
    return TracedNewHandle("TLOpen", "phTL", "*phTL", phTL, kNoItems, [&] { return m_pInner->TLOpen(phTL); });
}

GC_ERROR GenTLSrvLogged::TLClose(TL_HANDLE hTL)
{
    return TracedHandle("TLClose", "hTL", hTL, [&] { return m_pInner->TLClose(hTL); });
}

GC_ERROR GenTLSrvLogged::TLGetInfo(TL_HANDLE hTL, TL_INFO_CMD iInfoCmd, INFO_DATATYPE* piType, void* pBuffer,
                                   size_t* piSize)
{
    return TracedInfo(
        "TLGetInfo", piType, pBuffer, piSize,
        [&](CallTrace& t) { t.Handle("hTL", hTL).Named<TL_INFO_CMD_LIST>("iInfoCmd", iInfoCmd); },
        [&] { return m_pInner->TLGetInfo(hTL, iInfoCmd, piType, pBuffer, piSize); });
}

GC_ERROR GenTLSrvLogged::TLGetNumInterfaces(TL_HANDLE hTL, uint32_t* piNumIfaces)
{
    return TracedCount(
        "TLGetNumInterfaces", "piNumIfaces", "*piNumIfaces", piNumIfaces,
        [&](CallTrace& t) { t.Handle("hTL", hTL); }, [&] { return m_pInner->TLGetNumInterfaces(hTL, piNumIfaces); });
}

GC_ERROR GenTLSrvLogged::TLGetInterfaceID(TL_HANDLE hTL, uint32_t iIndex, char* sID, size_t* piSize)
{
    return TracedId("TLGetInterfaceID", "hTL", hTL, iIndex, "sInterfaceID", "*sInterfaceID", sID, piSize,
                    [&] { return m_pInner->TLGetInterfaceID(hTL, iIndex, sID, piSize); });
}

GC_ERROR GenTLSrvLogged::TLGetInterfaceInfo(TL_HANDLE hTL, const char* sIfaceID, INTERFACE_INFO_CMD iInfoCmd,
                                            INFO_DATATYPE* piType, void* pBuffer, size_t* piSize)
{
    // The interface id is not part of the line.
    return TracedInfo(
        "TLGetInterfaceInfo", piType, pBuffer, piSize,
        [&](CallTrace& t) { t.Handle("hTL", hTL).Named<INTERFACE_INFO_CMD_LIST>("iInfoCmd", iInfoCmd); },
        [&] { return m_pInner->TLGetInterfaceInfo(hTL, sIfaceID, iInfoCmd, piType, pBuffer, piSize); });
}

GC_ERROR GenTLSrvLogged::TLOpenInterface(TL_HANDLE hTL, const char* sIfaceID, IF_HANDLE* phIface)
{
    return TracedNewHandle(
        "TLOpenInterface", "phIface", "*phIface", phIface,
        [&](CallTrace& t) { t.Handle("hTL", hTL).Text("*sIfaceID", sIfaceID); },
        [&] { return m_pInner->TLOpenInterface(hTL, sIfaceID, phIface); });
}

GC_ERROR GenTLSrvLogged::TLUpdateInterfaceList(TL_HANDLE hTL, bool8_t* pbChanged, uint64_t iTimeout)
{
    return TracedUpdate("TLUpdateInterfaceList", "hTL", hTL, pbChanged, iTimeout,
                        [&] { return m_pInner->TLUpdateInterfaceList(hTL, pbChanged, iTimeout); });
}

GC_ERROR GenTLSrvLogged::IFClose(IF_HANDLE hIface)
{
    return TracedHandle("IFClose", "hIface", hIface, [&] { return m_pInner->IFClose(hIface); });
}

GC_ERROR GenTLSrvLogged::IFGetInfo(IF_HANDLE hIface, INTERFACE_INFO_CMD iInfoCmd, INFO_DATATYPE* piType,
                                   void* pBuffer, size_t* piSize)
{
    return TracedInfo(
        "IFGetInfo", piType, pBuffer, piSize,
        [&](CallTrace& t) { t.Handle("hIface", hIface).Named<INTERFACE_INFO_CMD_LIST>("iInfoCmd", iInfoCmd); },
        [&] { return m_pInner->IFGetInfo(hIface, iInfoCmd, piType, pBuffer, piSize); });
}

GC_ERROR GenTLSrvLogged::IFGetNumDevices(IF_HANDLE hIface, uint32_t* piNumDevices)
{
    return TracedCount(
        "IFGetNumDevices", "piNumDevices", "*piNumDevices", piNumDevices,
        [&](CallTrace& t) { t.Handle("hIface", hIface); },
        [&] { return m_pInner->IFGetNumDevices(hIface, piNumDevices); });
}

GC_ERROR GenTLSrvLogged::IFGetDeviceID(IF_HANDLE hIface, uint32_t iIndex, char* sIDeviceID, size_t* piSize)
{
    return TracedId("IFGetDeviceID", "hIface", hIface, iIndex, "sIDeviceID", "*sIDeviceID", sIDeviceID, piSize,
                    [&] { return m_pInner->IFGetDeviceID(hIface, iIndex, sIDeviceID, piSize); });
}

GC_ERROR GenTLSrvLogged::IFUpdateDeviceList(IF_HANDLE hIface, bool8_t* pbChanged, uint64_t iTimeout)
{
    return TracedUpdate("IFUpdateDeviceList", "hIface", hIface, pbChanged, iTimeout,
                        [&] { return m_pInner->IFUpdateDeviceList(hIface, pbChanged, iTimeout); });
}

GC_ERROR GenTLSrvLogged::IFGetDeviceInfo(IF_HANDLE hIface, const char* sDeviceID, DEVICE_INFO_CMD iInfoCmd,
                                         INFO_DATATYPE* piType, void* pBuffer, size_t* piSize)
{
    // The device id is not part of the line.
    return TracedInfo(
        "IFGetDeviceInfo", piType, pBuffer, piSize,
        [&](CallTrace& t) { t.Handle("hIface", hIface).Named<DEVICE_INFO_CMD_LIST>("iInfoCmd", iInfoCmd); },
        [&] { return m_pInner->IFGetDeviceInfo(hIface, sDeviceID, iInfoCmd, piType, pBuffer, piSize); });
}

GC_ERROR GenTLSrvLogged::IFOpenDevice(IF_HANDLE hIface, const char* sDeviceID, DEVICE_ACCESS_FLAGS iOpenFlag,
                                      DEV_HANDLE* phDevice)
{
    return TracedNewHandle(
        "IFOpenDevice", "phDevice", "*phDevice", phDevice,
        [&](CallTrace& t) {
            t.Handle("hIface", hIface)
                .Text("*sDeviceID", sDeviceID)
                .Named<DEVICE_ACCESS_FLAGS_LIST>("iOpenFlags", iOpenFlag);
        },
        [&] { return m_pInner->IFOpenDevice(hIface, sDeviceID, iOpenFlag, phDevice); });
}

GC_ERROR GenTLSrvLogged::DevGetPort(DEV_HANDLE hDevice, PORT_HANDLE* phRemoteDevice)
{
    return TracedNewHandle(
        "DevGetPort", "phRemoteDevice", "*phRemoteDevice", phRemoteDevice,
        [&](CallTrace& t) { t.Handle("hDevice", hDevice); },
        [&] { return m_pInner->DevGetPort(hDevice, phRemoteDevice); });
}

GC_ERROR GenTLSrvLogged::DevGetNumDataStreams(DEV_HANDLE hDevice, uint32_t* piNumDataStreams)
{
    return TracedCount(
        "DevGetNumDataStreams", "piNumDataStreams", "*piNumDataStreams", piNumDataStreams,
        [&](CallTrace& t) { t.Handle("hDevice", hDevice); },
        [&] { return m_pInner->DevGetNumDataStreams(hDevice, piNumDataStreams); });
}

GC_ERROR GenTLSrvLogged::DevGetDataStreamID(DEV_HANDLE hDevice, uint32_t iIndex, char* sDataStreamID,
                                            size_t* piSize)
{
    return TracedId("DevGetDataStreamID", "hDevice", hDevice, iIndex, "sDataStreamID", "*sDataStreamID",
                    sDataStreamID, piSize,
                    [&] { return m_pInner->DevGetDataStreamID(hDevice, iIndex, sDataStreamID, piSize); });
}

GC_ERROR GenTLSrvLogged::DevOpenDataStream(DEV_HANDLE hDevice, const char* sDataStreamID, DS_HANDLE* phDataStream)
{
    return TracedNewHandle(
        "DevOpenDataStream", "phDataStream", "*phDataStream", phDataStream,
        [&](CallTrace& t) { t.Handle("hDevice", hDevice).Text("*sDataStreamID", sDataStreamID); },
        [&] { return m_pInner->DevOpenDataStream(hDevice, sDataStreamID, phDataStream); });
}

GC_ERROR GenTLSrvLogged::DevGetInfo(DEV_HANDLE hDevice, DEVICE_INFO_CMD iInfoCmd, INFO_DATATYPE* piType,
                                    void* pBuffer, size_t* piSize)
{
    return TracedInfo(
        "DevGetInfo", piType, pBuffer, piSize,
        [&](CallTrace& t) { t.Handle("hDevice", hDevice).Named<DEVICE_INFO_CMD_LIST>("iInfoCmd", iInfoCmd); },
        [&] { return m_pInner->DevGetInfo(hDevice, iInfoCmd, piType, pBuffer, piSize); });
}

GC_ERROR GenTLSrvLogged::DevClose(DEV_HANDLE hDevice)
{
    return TracedHandle("DevClose", "hDevice", hDevice, [&] { return m_pInner->DevClose(hDevice); });
}

GC_ERROR GenTLSrvLogged::DSAnnounceBuffer(DS_HANDLE hDataStream, void* pBuffer, size_t iSize, void* pPrivate,
                                          BUFFER_HANDLE* phBuffer)
{
    return TracedNewHandle(
        "DSAnnounceBuffer", "phBuffer", "*phBuffer", phBuffer,
        [&](CallTrace& t) {
            t.Handle("hDataStream", hDataStream)
                .Handle("pBuffer", pBuffer)
                .Decimal("iSize", iSize)
                .Handle("pPrivate", pPrivate);
        },
        [&] { return m_pInner->DSAnnounceBuffer(hDataStream, pBuffer, iSize, pPrivate, phBuffer); });
}

GC_ERROR GenTLSrvLogged::DSAllocAndAnnounceBuffer(DS_HANDLE hDataStream, size_t iSize, void* pPrivate,
                                                  BUFFER_HANDLE* phBuffer)
{
    return TracedNewHandle(
        "DSAllocAndAnnounceBuffer", "phBuffer", "*phBuffer", phBuffer,
        [&](CallTrace& t) {
            t.Handle("hDataStream", hDataStream).Decimal("iSize", iSize).Handle("pPrivate", pPrivate);
        },
        [&] { return m_pInner->DSAllocAndAnnounceBuffer(hDataStream, iSize, pPrivate, phBuffer); });
}

GC_ERROR GenTLSrvLogged::DSFlushQueue(DS_HANDLE hDataStream, ACQ_QUEUE_TYPE iOperation)
{
    return Traced(
        "DSFlushQueue", nullptr,
        [&](CallTrace& t) {
            t.Handle("hDataStream", hDataStream).Named<ACQ_QUEUE_TYPE_LIST>("iOperation", iOperation);
        },
        [&] { return m_pInner->DSFlushQueue(hDataStream, iOperation); }, kNoItems);
}

GC_ERROR GenTLSrvLogged::DSStartAcquisition(DS_HANDLE hDataStream, ACQ_START_FLAGS iStartFlags,
                                            uint64_t iNumToAcquire)
{
    return Traced(
        "DSStartAcquisition", nullptr,
        [&](CallTrace& t) {
            t.Handle("hDataStream", hDataStream)
                .Named<ACQ_START_FLAGS_LIST>("iStartFlags", iStartFlags)
                .Decimal("iNumToAcquire", iNumToAcquire);
        },
        [&] { return m_pInner->DSStartAcquisition(hDataStream, iStartFlags, iNumToAcquire); }, kNoItems);
}

GC_ERROR GenTLSrvLogged::DSStopAcquisition(DS_HANDLE hDataStream, ACQ_STOP_FLAGS iStopFlags)
{
    return Traced(
        "DSStopAcquisition", nullptr,
        [&](CallTrace& t) {
            t.Handle("hDataStream", hDataStream).Named<ACQ_STOP_FLAGS_LIST>("iStopFlags", iStopFlags);
        },
        [&] { return m_pInner->DSStopAcquisition(hDataStream, iStopFlags); }, kNoItems);
}

GC_ERROR GenTLSrvLogged::DSGetInfo(DS_HANDLE hDataStream, STREAM_INFO_CMD iInfoCmd, INFO_DATATYPE* piType,
                                   void* pBuffer, size_t* piSize)
{
    return TracedInfo(
        "DSGetInfo", piType, pBuffer, piSize,
        [&](CallTrace& t) {
            t.Handle("hDataStream", hDataStream).Named<STREAM_INFO_CMD_LIST>("iInfoCmd", iInfoCmd);
        },
        [&] { return m_pInner->DSGetInfo(hDataStream, iInfoCmd, piType, pBuffer, piSize); });
}

GC_ERROR GenTLSrvLogged::DSGetBufferID(DS_HANDLE hDataStream, uint32_t iIndex, BUFFER_HANDLE* phBuffer)
{
    return TracedNewHandle(
        "DSGetBufferID", "phBuffer", "*phBuffer", phBuffer,
        [&](CallTrace& t) { t.Handle("hDataStream", hDataStream).Decimal("iIndex", iIndex); },
        [&] { return m_pInner->DSGetBufferID(hDataStream, iIndex, phBuffer); });
}

GC_ERROR GenTLSrvLogged::DSClose(DS_HANDLE hDataStream)
{
    return TracedHandle("DSClose", "hDataStream", hDataStream, [&] { return m_pInner->DSClose(hDataStream); });
}

GC_ERROR GenTLSrvLogged::DSRevokeBuffer(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, void** pBuffer,
                                        void** pPrivate)
{
    return Traced(
        "DSRevokeBuffer", nullptr,
        [&](CallTrace& t) {
            t.Handle("hDataStream", hDataStream)
                .Handle("hBuffer", hBuffer)
                .Handle("pBuffer", pBuffer)
                .Handle("pPrivate", pPrivate);
        },
        [&] { return m_pInner->DSRevokeBuffer(hDataStream, hBuffer, pBuffer, pPrivate); },
        [&](CallTrace& t) {
            t.Item("*pBuffer", FormatOutValue(pBuffer)).Item("*pPrivate", FormatOutValue(pPrivate));
        });
}

GC_ERROR GenTLSrvLogged::DSQueueBuffer(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer)
{
    return Traced(
        "DSQueueBuffer", nullptr,
        [&](CallTrace& t) { t.Handle("hDataStream", hDataStream).Handle("hBuffer", hBuffer); },
        [&] { return m_pInner->DSQueueBuffer(hDataStream, hBuffer); }, kNoItems);
}

GC_ERROR GenTLSrvLogged::DSGetBufferInfo(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, BUFFER_INFO_CMD iInfoCmd,
                                         INFO_DATATYPE* piType, void* pBuffer, size_t* piSize)
{
    return TracedInfo(
        "DSGetBufferInfo", piType, pBuffer, piSize,
        [&](CallTrace& t) {
            t.Handle("hDataStream", hDataStream)
                .Handle("hBuffer", hBuffer)
                .Named<BUFFER_INFO_CMD_LIST>("iInfoCmd", iInfoCmd);
        },
        [&] { return m_pInner->DSGetBufferInfo(hDataStream, hBuffer, iInfoCmd, piType, pBuffer, piSize); });
}

GC_ERROR GenTLSrvLogged::GCGetNumPortURLs(PORT_HANDLE hPort, uint32_t* piNumURLs)
{
    return TracedCount(
        "GCGetNumPortURLs", "piNumURLs", "*piNumURLs", piNumURLs, [&](CallTrace& t) { t.Handle("hPort", hPort); },
        [&] { return m_pInner->GCGetNumPortURLs(hPort, piNumURLs); });
}

GC_ERROR GenTLSrvLogged::GCGetPortURLInfo(PORT_HANDLE hPort, uint32_t iURLIndex, URL_INFO_CMD iInfoCmd,
                                          INFO_DATATYPE* piType, void* pBuffer, size_t* piSize)
{
    return TracedInfo(
        "GCGetPortURLInfo", piType, pBuffer, piSize,
        [&](CallTrace& t) {
            t.Handle("hPort", hPort).Decimal("iURLIndex", iURLIndex).Named<URL_INFO_CMD_LIST>("iInfoCmd", iInfoCmd);
        },
        [&] { return m_pInner->GCGetPortURLInfo(hPort, iURLIndex, iInfoCmd, piType, pBuffer, piSize); });
}

GC_ERROR GenTLSrvLogged::GCReadPortStacked(PORT_HANDLE hPort, PORT_REGISTER_STACK_ENTRY* pEntries,
                                           size_t* piNumEntries)
{
    return Traced(
        "GCReadPortStacked", piNumEntries,
        [&](CallTrace& t) {
            t.Handle("hPort", hPort).Handle("pEntries", pEntries).Item("*piNumEntries", FormatOutValue(piNumEntries));
        },
        [&] { return m_pInner->GCReadPortStacked(hPort, pEntries, piNumEntries); },
        [&](CallTrace& t) {
            t.Item("*pEntries", FormatEntryArray(pEntries, t.ReadSize()))
                .Item("*piNumEntries", FormatOutValue(piNumEntries));
        });
}

GC_ERROR GenTLSrvLogged::GCWritePortStacked(PORT_HANDLE hPort, PORT_REGISTER_STACK_ENTRY* pEntries,
                                            size_t* piNumEntries)
{
    return Traced(
        "GCWritePortStacked", piNumEntries,
        [&](CallTrace& t) {
            t.Handle("hPort", hPort)
                .Item("*pEntries", FormatEntryArray(pEntries, piNumEntries))
                .Item("*piNumEntries", FormatOutValue(piNumEntries));
        },
        [&] { return m_pInner->GCWritePortStacked(hPort, pEntries, piNumEntries); },
        [&](CallTrace& t) { t.Item("*piNumEntries", FormatOutValue(piNumEntries)); });
}

GC_ERROR GenTLSrvLogged::DSGetBufferChunkData(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer,
                                              SINGLE_CHUNK_DATA* pChunkData, size_t* piNumChunks)
{
    return Traced(
        "DSGetBufferChunkData", piNumChunks,
        [&](CallTrace& t) {
            t.Handle("hDataStream", hDataStream)
                .Handle("hBuffer", hBuffer)
                .Handle("pChunkData", pChunkData)
                .Handle("piNumChunks", piNumChunks);
        },
        [&] { return m_pInner->DSGetBufferChunkData(hDataStream, hBuffer, pChunkData, piNumChunks); },
        [&](CallTrace& t) {
            t.Item("*pChunkData", FormatEntryArray(pChunkData, t.ReadSize()))
                .Item("*piNumChunks", FormatOutValue(piNumChunks));
        });
}

GC_ERROR GenTLSrvLogged::IFGetParentTL(IF_HANDLE hIface, TL_HANDLE* phSystem)
{
    return TracedNewHandle(
        "IFGetParentTL", "phSystem", "*phSystem", phSystem, [&](CallTrace& t) { t.Handle("hIface", hIface); },
        [&] { return m_pInner->IFGetParentTL(hIface, phSystem); });
}

GC_ERROR GenTLSrvLogged::DevGetParentIF(DEV_HANDLE hDevice, IF_HANDLE* phIface)
{
    return TracedNewHandle(
        "DevGetParentIF", "phIface", "*phIface", phIface, [&](CallTrace& t) { t.Handle("hDevice", hDevice); },
        [&] { return m_pInner->DevGetParentIF(hDevice, phIface); });
}

GC_ERROR GenTLSrvLogged::DSGetParentDev(DS_HANDLE hDataStream, DEV_HANDLE* phDevice)
{
    return TracedNewHandle(
        "DSGetParentDev", "phDevice", "*phDevice", phDevice,
        [&](CallTrace& t) { t.Handle("hDataStream", hDataStream); },
        [&] { return m_pInner->DSGetParentDev(hDataStream, phDevice); });
}

GC_ERROR GenTLSrvLogged::DSGetNumBufferParts(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, uint32_t* piNumParts)
{
    return TracedCount(
        "DSGetNumBufferParts", "piNumParts", "*piNumParts", piNumParts,
        [&](CallTrace& t) { t.Handle("hDataStream", hDataStream).Handle("hBuffer", hBuffer); },
        [&] { return m_pInner->DSGetNumBufferParts(hDataStream, hBuffer, piNumParts); });
}

GC_ERROR GenTLSrvLogged::DSGetBufferPartInfo(DS_HANDLE hDataStream, BUFFER_HANDLE hBuffer, uint32_t iPartIndex,
                                             BUFFER_PART_INFO_CMD iInfoCmd, INFO_DATATYPE* piType, void* pBuffer,
                                             size_t* piSize)
{
    return TracedInfo(
        "DSGetBufferPartInfo", piType, pBuffer, piSize,
        [&](CallTrace& t) {
            t.Handle("hDataStream", hDataStream)
                .Handle("hBuffer", hBuffer)
                .Decimal("iPartIndex", iPartIndex)
                .Named<BUFFER_PART_INFO_CMD_LIST>("iInfoCmd", iInfoCmd);
        },
        [&] {
            return m_pInner->DSGetBufferPartInfo(hDataStream, hBuffer, iPartIndex, iInfoCmd, piType, pBuffer, piSize);
        });
}

}  // namespace GenTLCore
