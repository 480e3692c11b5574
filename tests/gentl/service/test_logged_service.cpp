#include "AllocationCount.h"
#include "FakeGenTLService.h"
#include "GenTLBrandingCXP.h"
#include "GenTLSrvLogged.h"
#include "ProducerStartup.h"
#include "TLLogMessage.h"
#include "TraceFormat.h"
#include "TracingSwitch.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

using namespace GenTLCore;

namespace {

// Zeroed blocks that stand for every pointer argument of the generic calls,
// so that whatever the trace reads through them exists.
alignas(16) unsigned char g_blocks[8][64];

template <class T>
T Arg(int n)
{
    if constexpr (std::is_pointer_v<T>)
        return reinterpret_cast<T>(g_blocks[n]);
    else
        return static_cast<T>(n);
}

struct Operation {
    const char* name;
    GC_ERROR (*call)(GenTLSrv&);
};

// Every operation, in the service's order, called with distinct arguments.
const Operation kOperations[] = {
    {"GCGetInfo", [](GenTLSrv& s) { return s.GCGetInfo(Arg<TL_INFO_CMD>(1), Arg<INFO_DATATYPE*>(2), Arg<void*>(3), Arg<size_t*>(4)); }},
    {"GCGetLastError", [](GenTLSrv& s) { return s.GCGetLastError(Arg<GC_ERROR*>(1), Arg<char*>(2), Arg<size_t*>(3)); }},
    {"GCInitLib", [](GenTLSrv& s) { return s.GCInitLib(); }},
    {"GCCloseLib", [](GenTLSrv& s) { return s.GCCloseLib(); }},
    {"GCReadPort", [](GenTLSrv& s) { return s.GCReadPort(Arg<PORT_HANDLE>(1), Arg<uint64_t>(2), Arg<void*>(3), Arg<size_t*>(4)); }},
    {"GCWritePort", [](GenTLSrv& s) { return s.GCWritePort(Arg<PORT_HANDLE>(1), Arg<uint64_t>(2), Arg<const void*>(3), Arg<size_t*>(4)); }},
    {"GCGetPortURL", [](GenTLSrv& s) { return s.GCGetPortURL(Arg<PORT_HANDLE>(1), Arg<char*>(2), Arg<size_t*>(3)); }},
    {"GCGetPortInfo", [](GenTLSrv& s) { return s.GCGetPortInfo(Arg<PORT_HANDLE>(1), Arg<PORT_INFO_CMD>(2), Arg<INFO_DATATYPE*>(3), Arg<void*>(4), Arg<size_t*>(5)); }},
    {"GCRegisterEvent", [](GenTLSrv& s) { return s.GCRegisterEvent(Arg<EVENTSRC_HANDLE>(1), Arg<EVENT_TYPE>(2), Arg<EVENT_HANDLE*>(3)); }},
    {"GCUnregisterEvent", [](GenTLSrv& s) { return s.GCUnregisterEvent(Arg<EVENTSRC_HANDLE>(1), Arg<EVENT_TYPE>(2)); }},
    {"EventGetData", [](GenTLSrv& s) { return s.EventGetData(Arg<EVENT_HANDLE>(1), Arg<void*>(2), Arg<size_t*>(3), Arg<uint64_t>(4)); }},
    {"EventGetDataInfo", [](GenTLSrv& s) { return s.EventGetDataInfo(Arg<EVENT_HANDLE>(1), Arg<const void*>(2), Arg<size_t>(3), Arg<EVENT_DATA_INFO_CMD>(4), Arg<INFO_DATATYPE*>(5), Arg<void*>(6), Arg<size_t*>(7)); }},
    {"EventGetInfo", [](GenTLSrv& s) { return s.EventGetInfo(Arg<EVENT_HANDLE>(1), Arg<EVENT_INFO_CMD>(2), Arg<INFO_DATATYPE*>(3), Arg<void*>(4), Arg<size_t*>(5)); }},
    {"EventFlush", [](GenTLSrv& s) { return s.EventFlush(Arg<EVENT_HANDLE>(1)); }},
    {"EventKill", [](GenTLSrv& s) { return s.EventKill(Arg<EVENT_HANDLE>(1)); }},
    {"TLOpen", [](GenTLSrv& s) { return s.TLOpen(Arg<TL_HANDLE*>(1)); }},
    {"TLClose", [](GenTLSrv& s) { return s.TLClose(Arg<TL_HANDLE>(1)); }},
    {"TLGetInfo", [](GenTLSrv& s) { return s.TLGetInfo(Arg<TL_HANDLE>(1), Arg<TL_INFO_CMD>(2), Arg<INFO_DATATYPE*>(3), Arg<void*>(4), Arg<size_t*>(5)); }},
    {"TLGetNumInterfaces", [](GenTLSrv& s) { return s.TLGetNumInterfaces(Arg<TL_HANDLE>(1), Arg<uint32_t*>(2)); }},
    {"TLGetInterfaceID", [](GenTLSrv& s) { return s.TLGetInterfaceID(Arg<TL_HANDLE>(1), Arg<uint32_t>(2), Arg<char*>(3), Arg<size_t*>(4)); }},
    {"TLGetInterfaceInfo", [](GenTLSrv& s) { return s.TLGetInterfaceInfo(Arg<TL_HANDLE>(1), Arg<const char*>(2), Arg<INTERFACE_INFO_CMD>(3), Arg<INFO_DATATYPE*>(4), Arg<void*>(5), Arg<size_t*>(6)); }},
    {"TLOpenInterface", [](GenTLSrv& s) { return s.TLOpenInterface(Arg<TL_HANDLE>(1), Arg<const char*>(2), Arg<IF_HANDLE*>(3)); }},
    {"TLUpdateInterfaceList", [](GenTLSrv& s) { return s.TLUpdateInterfaceList(Arg<TL_HANDLE>(1), Arg<bool8_t*>(2), Arg<uint64_t>(3)); }},
    {"IFClose", [](GenTLSrv& s) { return s.IFClose(Arg<IF_HANDLE>(1)); }},
    {"IFGetInfo", [](GenTLSrv& s) { return s.IFGetInfo(Arg<IF_HANDLE>(1), Arg<INTERFACE_INFO_CMD>(2), Arg<INFO_DATATYPE*>(3), Arg<void*>(4), Arg<size_t*>(5)); }},
    {"IFGetNumDevices", [](GenTLSrv& s) { return s.IFGetNumDevices(Arg<IF_HANDLE>(1), Arg<uint32_t*>(2)); }},
    {"IFGetDeviceID", [](GenTLSrv& s) { return s.IFGetDeviceID(Arg<IF_HANDLE>(1), Arg<uint32_t>(2), Arg<char*>(3), Arg<size_t*>(4)); }},
    {"IFUpdateDeviceList", [](GenTLSrv& s) { return s.IFUpdateDeviceList(Arg<IF_HANDLE>(1), Arg<bool8_t*>(2), Arg<uint64_t>(3)); }},
    {"IFGetDeviceInfo", [](GenTLSrv& s) { return s.IFGetDeviceInfo(Arg<IF_HANDLE>(1), Arg<const char*>(2), Arg<DEVICE_INFO_CMD>(3), Arg<INFO_DATATYPE*>(4), Arg<void*>(5), Arg<size_t*>(6)); }},
    {"IFOpenDevice", [](GenTLSrv& s) { return s.IFOpenDevice(Arg<IF_HANDLE>(1), Arg<const char*>(2), Arg<DEVICE_ACCESS_FLAGS>(3), Arg<DEV_HANDLE*>(4)); }},
    {"DevGetPort", [](GenTLSrv& s) { return s.DevGetPort(Arg<DEV_HANDLE>(1), Arg<PORT_HANDLE*>(2)); }},
    {"DevGetNumDataStreams", [](GenTLSrv& s) { return s.DevGetNumDataStreams(Arg<DEV_HANDLE>(1), Arg<uint32_t*>(2)); }},
    {"DevGetDataStreamID", [](GenTLSrv& s) { return s.DevGetDataStreamID(Arg<DEV_HANDLE>(1), Arg<uint32_t>(2), Arg<char*>(3), Arg<size_t*>(4)); }},
    {"DevOpenDataStream", [](GenTLSrv& s) { return s.DevOpenDataStream(Arg<DEV_HANDLE>(1), Arg<const char*>(2), Arg<DS_HANDLE*>(3)); }},
    {"DevGetInfo", [](GenTLSrv& s) { return s.DevGetInfo(Arg<DEV_HANDLE>(1), Arg<DEVICE_INFO_CMD>(2), Arg<INFO_DATATYPE*>(3), Arg<void*>(4), Arg<size_t*>(5)); }},
    {"DevClose", [](GenTLSrv& s) { return s.DevClose(Arg<DEV_HANDLE>(1)); }},
    {"DSAnnounceBuffer", [](GenTLSrv& s) { return s.DSAnnounceBuffer(Arg<DS_HANDLE>(1), Arg<void*>(2), Arg<size_t>(3), Arg<void*>(4), Arg<BUFFER_HANDLE*>(5)); }},
    {"DSAllocAndAnnounceBuffer", [](GenTLSrv& s) { return s.DSAllocAndAnnounceBuffer(Arg<DS_HANDLE>(1), Arg<size_t>(2), Arg<void*>(3), Arg<BUFFER_HANDLE*>(4)); }},
    {"DSFlushQueue", [](GenTLSrv& s) { return s.DSFlushQueue(Arg<DS_HANDLE>(1), Arg<ACQ_QUEUE_TYPE>(2)); }},
    {"DSStartAcquisition", [](GenTLSrv& s) { return s.DSStartAcquisition(Arg<DS_HANDLE>(1), Arg<ACQ_START_FLAGS>(2), Arg<uint64_t>(3)); }},
    {"DSStopAcquisition", [](GenTLSrv& s) { return s.DSStopAcquisition(Arg<DS_HANDLE>(1), Arg<ACQ_STOP_FLAGS>(2)); }},
    {"DSGetInfo", [](GenTLSrv& s) { return s.DSGetInfo(Arg<DS_HANDLE>(1), Arg<STREAM_INFO_CMD>(2), Arg<INFO_DATATYPE*>(3), Arg<void*>(4), Arg<size_t*>(5)); }},
    {"DSGetBufferID", [](GenTLSrv& s) { return s.DSGetBufferID(Arg<DS_HANDLE>(1), Arg<uint32_t>(2), Arg<BUFFER_HANDLE*>(3)); }},
    {"DSClose", [](GenTLSrv& s) { return s.DSClose(Arg<DS_HANDLE>(1)); }},
    {"DSRevokeBuffer", [](GenTLSrv& s) { return s.DSRevokeBuffer(Arg<DS_HANDLE>(1), Arg<BUFFER_HANDLE>(2), Arg<void**>(3), Arg<void**>(4)); }},
    {"DSQueueBuffer", [](GenTLSrv& s) { return s.DSQueueBuffer(Arg<DS_HANDLE>(1), Arg<BUFFER_HANDLE>(2)); }},
    {"DSGetBufferInfo", [](GenTLSrv& s) { return s.DSGetBufferInfo(Arg<DS_HANDLE>(1), Arg<BUFFER_HANDLE>(2), Arg<BUFFER_INFO_CMD>(3), Arg<INFO_DATATYPE*>(4), Arg<void*>(5), Arg<size_t*>(6)); }},
    {"GCGetNumPortURLs", [](GenTLSrv& s) { return s.GCGetNumPortURLs(Arg<PORT_HANDLE>(1), Arg<uint32_t*>(2)); }},
    {"GCGetPortURLInfo", [](GenTLSrv& s) { return s.GCGetPortURLInfo(Arg<PORT_HANDLE>(1), Arg<uint32_t>(2), Arg<URL_INFO_CMD>(3), Arg<INFO_DATATYPE*>(4), Arg<void*>(5), Arg<size_t*>(6)); }},
    {"GCReadPortStacked", [](GenTLSrv& s) { return s.GCReadPortStacked(Arg<PORT_HANDLE>(1), Arg<PORT_REGISTER_STACK_ENTRY*>(2), Arg<size_t*>(3)); }},
    {"GCWritePortStacked", [](GenTLSrv& s) { return s.GCWritePortStacked(Arg<PORT_HANDLE>(1), Arg<PORT_REGISTER_STACK_ENTRY*>(2), Arg<size_t*>(3)); }},
    {"DSGetBufferChunkData", [](GenTLSrv& s) { return s.DSGetBufferChunkData(Arg<DS_HANDLE>(1), Arg<BUFFER_HANDLE>(2), Arg<SINGLE_CHUNK_DATA*>(3), Arg<size_t*>(4)); }},
    {"IFGetParentTL", [](GenTLSrv& s) { return s.IFGetParentTL(Arg<IF_HANDLE>(1), Arg<TL_HANDLE*>(2)); }},
    {"DevGetParentIF", [](GenTLSrv& s) { return s.DevGetParentIF(Arg<DEV_HANDLE>(1), Arg<IF_HANDLE*>(2)); }},
    {"DSGetParentDev", [](GenTLSrv& s) { return s.DSGetParentDev(Arg<DS_HANDLE>(1), Arg<DEV_HANDLE*>(2)); }},
    {"DSGetNumBufferParts", [](GenTLSrv& s) { return s.DSGetNumBufferParts(Arg<DS_HANDLE>(1), Arg<BUFFER_HANDLE>(2), Arg<uint32_t*>(3)); }},
    {"DSGetBufferPartInfo", [](GenTLSrv& s) { return s.DSGetBufferPartInfo(Arg<DS_HANDLE>(1), Arg<BUFFER_HANDLE>(2), Arg<uint32_t>(3), Arg<BUFFER_PART_INFO_CMD>(4), Arg<INFO_DATATYPE*>(5), Arg<void*>(6), Arg<size_t*>(7)); }},
};

// The texts of the "TLCall" lines written while `run` runs, without their
// header.
template <class Run>
std::vector<std::string> TracedLines(Run run)
{
    testing::internal::CaptureStderr();
    run();
    std::istringstream out(testing::internal::GetCapturedStderr());
    const std::string head = "Corvane CoaXPress TLCall      Info    ";
    std::vector<std::string> texts;
    for (std::string line; std::getline(out, line);) {
        EXPECT_EQ(line.compare(0, head.size(), head), 0) << line;
        size_t at = line.find("    Called ");
        if (at == std::string::npos)
            at = line.find("    ...returned ");
        texts.push_back(at == std::string::npos ? line : line.substr(at + 4));
    }
    return texts;
}

class LoggedServiceTest : public ::testing::Test {
protected:
    void SetUp() override { SetLogLevel(LOG_INFO); }
    void TearDown() override { SetLogLevel(0); }

    FakeGenTLService fake;
    GenTLSrvLogged logged{&fake};
};

}  // namespace

TEST_F(LoggedServiceTest, EveryOperationForwardsUnchangedAndWritesTwoLines)
{
    fake.result = GC_ERR_TIMEOUT;
    for (const Operation& op : kOperations) {
        FakeGenTLService direct;
        op.call(direct);
        GC_ERROR result = 0;
        const std::vector<std::string> lines = TracedLines([&] { result = op.call(logged); });
        EXPECT_EQ(result, GC_ERR_TIMEOUT) << op.name;
        EXPECT_STREQ(fake.lastCall, op.name);
        EXPECT_EQ(fake.args, direct.args) << op.name;
        ASSERT_EQ(lines.size(), 2u) << op.name;
        EXPECT_EQ(lines[0].rfind(std::string("Called ") + op.name + " (", 0), 0u) << lines[0];
        EXPECT_EQ(lines[0].back(), ')') << lines[0];
        EXPECT_EQ(lines[1].rfind("...returned -1011 [GC_ERR_TIMEOUT]", 0), 0u) << lines[1];
    }
    EXPECT_EQ(fake.calls, 57);
}

TEST_F(LoggedServiceTest, WritesOnlyFromInfoUp)
{
    for (const uint32_t level : {0u, 1u, 2u, 3u, 4u, 5u, 6u}) {
        SetLogLevel(level);
        const std::vector<std::string> lines = TracedLines([&] {
            for (const Operation& op : kOperations)
                op.call(logged);
        });
        EXPECT_EQ(lines.size(), level >= 4 ? 2u * 57u : 0u) << level;
    }
    EXPECT_EQ(fake.calls, 7 * 57);
}

TEST_F(LoggedServiceTest, BelowInfoACallAllocatesNothing)
{
    SetLogLevel(LOG_WARNING);
    char text[16] = "abc";
    size_t size = sizeof text;
    INFO_DATATYPE type = INFO_DATATYPE_STRING;
    const long before = AllocationCount();
    for (const Operation& op : kOperations)
        op.call(logged);
    logged.GCGetInfo(TL_INFO_ID, &type, text, &size);
    EXPECT_EQ(AllocationCount() - before, 0);
    EXPECT_EQ(fake.calls, 58);
}

TEST_F(LoggedServiceTest, LinesOfRepresentativeCalls)
{
    void* const h = reinterpret_cast<void*>(0x1A2B3C);
    const std::string hs = "00000000001A2B3C";
    struct Case {
        const char* what;
        std::function<GC_ERROR()> call;
        std::string callLine;
        std::string resultLine;
    };

    uint32_t reg = 0;
    size_t regSize = sizeof reg;
    const std::string regSizeText = FormatPointer(&regSize);
    INFO_DATATYPE type = -1;
    size_t value = 0;
    size_t valueSize = sizeof value;
    char errText[200];
    size_t errSize = sizeof errText;
    GC_ERROR errCode = 0;
    bool8_t changed = false;
    EVENT_HANDLE event = nullptr;
    TL_HANDLE tl = nullptr;
    unsigned char eventData[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    size_t eventSize = sizeof eventData;
    uint64_t numId = 0;
    size_t numIdSize = sizeof numId;
    PORT_REGISTER_STACK_ENTRY entries[2] = {{0x10, nullptr, 4}, {0x14, nullptr, 4}};
    size_t numEntries = 2;
    const std::string p = FormatPointer(nullptr);

    const Case cases[] = {
        {"no arguments", [&] { return logged.GCInitLib(); }, "Called GCInitLib ()", "...returned 0 [GC_ERR_SUCCESS]"},
        {"register read",
         [&] {
             fake.effect = [&] { reg = 1; };
             return logged.GCReadPort(h, 0x10, &reg, &regSize);
         },
         "Called GCReadPort (hPort=" + hs + ", iAddress=0x10, pBuffer=" + FormatPointer(&reg) + ", piSize=" +
             regSizeText + " [4])",
         "...returned 0 [GC_ERR_SUCCESS], *pBuffer={ 01 00 00 00 } [1U, 1S], *piSize=4"},
        {"register write",
         [&] {
             reg = 0xFFFFFFFF;
             return logged.GCWritePort(h, 0xABCDEF, &reg, &regSize);
         },
         "Called GCWritePort (hPort=" + hs + ", iAddress=0xabcdef, *pBuffer={ ff ff ff ff } [4294967295U, -1S], piSize=" +
             regSizeText + " [4])",
         "...returned 0 [GC_ERR_SUCCESS], *piSize=4"},
        {"null size and text pointers", [&] { return logged.GCGetPortURL(h, nullptr, nullptr); },
         "Called GCGetPortURL (hPort=" + hs + ", sURL=" + p + ", piSize=" + p + " [{ null }])",
         "...returned 0 [GC_ERR_SUCCESS], *sURL={ null }"},
        {"info value",
         [&] {
             fake.effect = [&] {
                 type = INFO_DATATYPE_SIZET;
                 value = 1048576;
             };
             return logged.DSGetInfo(h, STREAM_INFO_PAYLOAD_SIZE, &type, &value, &valueSize);
         },
         "Called DSGetInfo (hDataStream=" + hs + ", iInfoCmd=7 [STREAM_INFO_PAYLOAD_SIZE], piType=" +
             FormatPointer(&type) + ", pBuffer=" + FormatPointer(&value) + ", piSize=" + FormatPointer(&valueSize) +
             " [8])",
         "...returned 0 [GC_ERR_SUCCESS], *piType=12 [INFO_DATATYPE_SIZET], *pBuffer=1048576, *piSize=8"},
        {"last error text is cut",
         [&] {
             fake.effect = [&] {
                 errCode = GC_ERR_INVALID_HANDLE;
                 std::memset(errText, 'e', sizeof errText - 1);
                 errText[sizeof errText - 1] = '\0';
             };
             return logged.GCGetLastError(&errCode, errText, &errSize);
         },
         "Called GCGetLastError (piErrorCode=" + FormatPointer(&errCode) + ", sErrText=" + FormatPointer(errText) +
             ", piSize=" + FormatPointer(&errSize) + " [200])",
         "...returned 0 [GC_ERR_SUCCESS], *piErrorCode=-1006 [GC_ERR_INVALID_HANDLE], *sErrText=" +
             std::string(128, 'e') + "..."},
        {"custom event type and new handle",
         [&] {
             fake.effect = [&] { event = h; };
             return logged.GCRegisterEvent(h, 1000, &event);
         },
         "Called GCRegisterEvent (hEventSrc=" + hs + ", iEventID=1000 [Unknown], phEvent=" + FormatPointer(&event) + ")",
         "...returned 0 [GC_ERR_SUCCESS], *phEvent=" + hs},
        {"event data dump",
         [&] { return logged.EventGetData(h, eventData, &eventSize, GENTL_INFINITE); },
         "Called EventGetData (hEvent=" + hs + ", pBuffer=" + FormatPointer(eventData) + ", piSize=" +
             FormatPointer(&eventSize) + " [16], iTimeout=18446744073709551615)",
         "...returned 0 [GC_ERR_SUCCESS], *pBuffer={ 01 02 03 04 05 06 07 08 ... }, *piSize=16"},
        {"event data info",
         [&] {
             fake.effect = [&] {
                 type = INFO_DATATYPE_UINT64;
                 numId = 42;
             };
             return logged.EventGetDataInfo(h, eventData, 3, EVENT_DATA_NUMID, &type, &numId, &numIdSize);
         },
         "Called EventGetDataInfo (hEvent=" + hs + ", *pInBuffer={ 01 02 03 }, iInSize=3, iInfoCmd=2 [EVENT_DATA_NUMID], "
             "piType=" + FormatPointer(&type) + ", pBuffer=" + FormatPointer(&numId) + ", piSize=" +
             FormatPointer(&numIdSize) + " [8])",
         "...returned 0 [GC_ERR_SUCCESS], *piType=8 [INFO_DATATYPE_UINT64], *pBuffer=42, *piSize=8"},
        {"infinite count and an unknown result",
         [&] {
             fake.result = -1023;
             return logged.DSStartAcquisition(h, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE);
         },
         "Called DSStartAcquisition (hDataStream=" + hs +
             ", iStartFlags=0 [ACQ_START_FLAGS_DEFAULT], iNumToAcquire=18446744073709551615)",
         "...returned -1023 [Unknown]"},
        {"text argument, failed open shows what the variable holds",
         [&] {
             fake.result = GC_ERR_INVALID_ID;
             return logged.TLOpenInterface(h, "CXP_0", &tl);
         },
         "Called TLOpenInterface (hTL=" + hs + ", *sIfaceID=CXP_0, phIface=" + FormatPointer(&tl) + ")",
         "...returned -1007 [GC_ERR_INVALID_ID], *phIface=" + p},
        {"changed flag",
         [&] {
             fake.effect = [&] { changed = true; };
             return logged.TLUpdateInterfaceList(h, &changed, 100);
         },
         "Called TLUpdateInterfaceList (hTL=" + hs + ", pbChanged=" + FormatPointer(&changed) + ", iTimeout=100)",
         "...returned 0 [GC_ERR_SUCCESS], pbChanged=true"},
        {"stacked write",
         [&] { return logged.GCWritePortStacked(h, entries, &numEntries); },
         "Called GCWritePortStacked (hPort=" + hs + ", *pEntries={ 10 00 00 00 00 00 00 00 ... }, *piNumEntries=2)",
         "...returned 0 [GC_ERR_SUCCESS], *piNumEntries=2"},
        {"open flags", [&] { return logged.IFOpenDevice(h, "Dev", DEVICE_ACCESS_CONTROL, nullptr); },
         "Called IFOpenDevice (hIface=" + hs + ", *sDeviceID=Dev, iOpenFlags=3 [DEVICE_ACCESS_CONTROL], phDevice=" + p + ")",
         "...returned 0 [GC_ERR_SUCCESS], *phDevice={ null }"},
    };
    for (const Case& c : cases) {
        fake.result = GC_ERR_SUCCESS;
        fake.effect = nullptr;
        const std::vector<std::string> lines = TracedLines(c.call);
        ASSERT_EQ(lines.size(), 2u) << c.what;
        EXPECT_EQ(lines[0], c.callLine) << c.what;
        EXPECT_EQ(lines[1], c.resultLine) << c.what;
    }
}

// After GC_ERR_BUFFER_TOO_SMALL the size out is the size the caller would
// need; the trace reads no further than the buffer the caller passed in.
// The buffers are heap blocks of exactly their size, so that the address
// sanitizer catches any read beyond them.
TEST_F(LoggedServiceTest, TooSmallBuffersAreReadOnlyAsFarAsTheyGo)
{
    fake.result = GC_ERR_BUFFER_TOO_SMALL;

    std::unique_ptr<char[]> text(new char[8]);
    std::memset(text.get(), 't', 8);
    size_t textSize = 8;
    GC_ERROR code = GC_ERR_BUFFER_TOO_SMALL;
    fake.effect = [&] { textSize = 300; };
    std::vector<std::string> lines = TracedLines([&] { logged.GCGetLastError(&code, text.get(), &textSize); });
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "...returned -1016 [GC_ERR_BUFFER_TOO_SMALL], *piErrorCode=-1016 [GC_ERR_BUFFER_TOO_SMALL], "
                        "*sErrText=tttttttt");

    std::unique_ptr<unsigned char[]> reg(new unsigned char[2]{0x01, 0x02});
    size_t regSize = 2;
    fake.effect = [&] { regSize = 8; };
    lines = TracedLines([&] { logged.GCReadPort(nullptr, 0, reg.get(), &regSize); });
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "...returned -1016 [GC_ERR_BUFFER_TOO_SMALL], *pBuffer={ 01 02 } [513U, 513S], *piSize=8");

    std::unique_ptr<unsigned char[]> data(new unsigned char[3]{0xAA, 0xBB, 0xCC});
    size_t dataSize = 3;
    fake.effect = [&] { dataSize = 64; };
    lines = TracedLines([&] { logged.EventGetData(nullptr, data.get(), &dataSize, 0); });
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "...returned -1016 [GC_ERR_BUFFER_TOO_SMALL], *pBuffer={ aa bb cc }, *piSize=64");

    // A size_t answer into a 4-byte buffer: only the 4 bytes are shown.
    std::unique_ptr<unsigned char[]> info(new unsigned char[4]{1, 0, 0, 0});
    size_t infoSize = 4;
    INFO_DATATYPE type = 0;
    fake.effect = [&] {
        type = INFO_DATATYPE_SIZET;
        infoSize = 8;
    };
    lines = TracedLines([&] { logged.DSGetInfo(nullptr, STREAM_INFO_PAYLOAD_SIZE, &type, info.get(), &infoSize); });
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "...returned -1016 [GC_ERR_BUFFER_TOO_SMALL], *piType=12 [INFO_DATATYPE_SIZET], "
                        "*pBuffer={ 01 00 00 00 }, *piSize=8");
}

TEST_F(LoggedServiceTest, FixedWidthInfoValuesStayWithinTheirSize)
{
    INFO_DATATYPE type = INFO_DATATYPE_UINT64;
    std::unique_ptr<unsigned char[]> two(new unsigned char[2]{0x34, 0x12});
    size_t size = 2;
    std::vector<std::string> lines =
        TracedLines([&] { logged.DevGetInfo(nullptr, DEVICE_INFO_TIMESTAMP_FREQUENCY, &type, two.get(), &size); });
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "...returned 0 [GC_ERR_SUCCESS], *piType=8 [INFO_DATATYPE_UINT64], *pBuffer={ 34 12 }, "
                        "*piSize=2");

    // Without a size pointer the value is not read at all.
    lines = TracedLines([&] { logged.DevGetInfo(nullptr, DEVICE_INFO_TIMESTAMP_FREQUENCY, &type, two.get(), nullptr); });
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "...returned 0 [GC_ERR_SUCCESS], *piType=8 [INFO_DATATYPE_UINT64], "
                        "*pBuffer={ unknown buffer size }, *piSize={ null }");

    // A chunk list that grew past the caller's array is dumped within it.
    SINGLE_CHUNK_DATA chunk{7, 0, 4};
    size_t chunks = 1;
    fake.result = GC_ERR_BUFFER_TOO_SMALL;
    fake.effect = [&] { chunks = 1000; };
    lines = TracedLines([&] { logged.DSGetBufferChunkData(nullptr, nullptr, &chunk, &chunks); });
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1], "...returned -1016 [GC_ERR_BUFFER_TOO_SMALL], *pChunkData={ 07 00 00 00 00 00 00 00 ... }, "
                        "*piNumChunks=1000");
}

TEST(TracingSwitchTest, TheLoggingVariableDecidesWhetherTheServiceIsWrapped)
{
    FakeGenTLService direct;
    const GenTLBrandingCXP branding;

    ::unsetenv("PEX_GENTL_LOGGING");
    EXPECT_FALSE(IsCallTracingRequested(branding));
    EXPECT_EQ(WrapForTracing(direct, branding), nullptr);

    // Only the presence counts: the empty value switches tracing on.
    ::setenv("PEX_GENTL_LOGGING", "", 1);
    std::unique_ptr<GenTLSrvLogged> logged(WrapForTracing(direct, branding));
    ::unsetenv("PEX_GENTL_LOGGING");
    ASSERT_NE(logged, nullptr);
    EXPECT_EQ(logged->Inner(), &direct);

    // The wrapper does not own what it wraps.
    int destroyed = 0;
    direct.destroyed = &destroyed;
    logged.reset();
    EXPECT_EQ(destroyed, 0);
    direct.destroyed = nullptr;
}

// At load: with the variable, the exports' service is the tracing service in
// front of the direct one, and unloading deletes both; without it, the
// direct service itself.
TEST(TracingSwitchTest, LoadWrapsTheDirectServiceOnlyWithTheVariable)
{
    for (const bool set : {true, false}) {
        EXPECT_EXIT(
            {
                if (set)
                    ::setenv("PEX_GENTL_LOGGING", "1", 1);
                else
                    ::unsetenv("PEX_GENTL_LOGGING");
                StartCoreSingletons();
                int destroyed = 0;
                auto* direct = new FakeGenTLService();
                direct->destroyed = &destroyed;
                GenTLSrv* current = InstallGenTLServices(direct, GenTLBrandingCXP());
                auto* logged = dynamic_cast<GenTLSrvLogged*>(current);
                bool ok = current == CurrentService();
                ok = ok && (set ? logged && logged->Inner() == direct : current == direct);
                // Later changes of the variable do not matter.
                ::setenv("PEX_GENTL_LOGGING", "1", 1);
                ok = ok && current->GCInitLib() == GC_ERR_SUCCESS && direct->calls == 1;
                StopCoreSingletons();
                ok = ok && destroyed == 1;
                std::exit(ok ? 0 : 1);
            },
            ::testing::ExitedWithCode(0), "")
            << (set ? "set" : "unset");
    }
}

TEST(TracingSwitchTest, ABrandingWithoutLoggingVariableNeverTraces)
{
    struct Unnamed : GenTLBrandingCXP {
        std::string GetLoggingEnvVarName() const override { return std::string(); }
    };
    FakeGenTLService direct;
    ::setenv("PEX_GENTL_LOGGING", "1", 1);
    EXPECT_EQ(WrapForTracing(direct, Unnamed()), nullptr);
    ::unsetenv("PEX_GENTL_LOGGING");
}
