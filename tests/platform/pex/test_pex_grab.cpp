// The simulated camera and grabs: registers and description, frames,
// hooks, aborts and frees.
#include "PexTestSupport.h"

#include "GenApiSchema.h"
#include "PexCamera.h"
#include "WaitFor.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

using namespace pextest;

namespace {

constexpr uint64_t kAcquisitionStart = 0x3038;
constexpr uint64_t kAcquisitionStop = 0x303C;
constexpr uint64_t kPixelFormat = 0x3020;
constexpr uint64_t kWidth = 0x3010;
constexpr uint64_t kLocked = 0x3054;

// The order of the grab hooks and the info the tests read.
const std::vector<PEX_INT> kGrabHooks = {4, 0xD, 0x200000, 5, 3};
const std::vector<PEX_INT> kInfo = {0x40430000, 0x40480000, 4378, 0x40410000, 0x40420000, 0x40160000};

class PexGrabTest : public PexDigitizerFixture {
protected:
    PEX_INT inquire(PEX_INT code)
    {
        PEX_INT v = 0;
        PexDigInquire(dig, code, &v);
        return v;
    }
    void hookAll(HookLog& log)
    {
        log.codes = kInfo;
        for (PEX_INT type : kGrabHooks)
            PexDigHookFunction(dig, type, &HookLog::hook, &log);
    }
};

std::string readDescription(PEX_ID dig, std::wstring* url)
{
    PEX_INT count = 0;
    PexDigInquire(dig, 5455, &count);
    EXPECT_EQ(count, 1);
    return readCameraDescription(dig, url);
}

}  // namespace

TEST_F(PexGrabTest, TheCameraDescriptionLoadsThroughTheRegisterSpaceAndValidates)
{
    open("[camera]\nmodel = CVN Test-2\n");
    EXPECT_EQ(readRegister(dig, 0x0), 0xC0A79AE5u);
    std::wstring url;
    const std::string xml = readDescription(dig, &url);
    EXPECT_EQ(url.rfind(L"local:CVN Test-2.xml;100000;", 0), 0u) << std::string(url.begin(), url.end());
    ASSERT_FALSE(xml.empty());
    EXPECT_NE(xml.find("<Port Name=\"Device\">"), std::string::npos);
    EXPECT_NE(xml.find("ModelName=\"CVN_Test_2\""), std::string::npos);
    const std::vector<PEX_INT> versions = {inquire(5456), inquire(5472), inquire(5488), inquire(5504), inquire(5520)};
    EXPECT_EQ(versions, (std::vector<PEX_INT>{1, 0, 0, 1, 1}));
    if (const char* reason = GenApiSchemaMissingReason())
        GTEST_SKIP() << reason;
    char output[4096];
    EXPECT_EQ(GenApiSchemaValidate(xml.data(), xml.size(), output, sizeof output), 0) << output;
}

TEST_F(PexGrabTest, RegistersRefuseWhatTheirAccessAndLockForbid)
{
    open("");
    ErrorProbe probe;
    struct Case {
        bool read;
        uint64_t address;
        const char* why;
    };
    const Case refused[] = {
        {true, kAcquisitionStart, "write-only"},
        {true, 0x9000, "unmapped"},
        {false, 0x9000, "unmapped"},
        {false, 0x3000, "read-only"},
    };
    int expected = 0;
    for (const Case& c : refused) {
        if (c.read)
            readRegister(dig, c.address);
        else
            writeRegister(dig, c.address, 1);
        EXPECT_EQ(probe.calls, ++expected) << c.why;
    }
    writeRegister(dig, kWidth, 320);
    EXPECT_EQ(inquire(1536), 320) << "the digitizer sees the camera's width live";
    writeRegister(dig, kLocked, 1);
    writeRegister(dig, kWidth, 200);
    EXPECT_EQ(probe.calls, ++expected) << "locked";
    EXPECT_EQ(readRegister(dig, kWidth), 320u);
    writeRegister(dig, kLocked, 0);
    EXPECT_EQ(probe.calls, expected);
}

TEST_F(PexGrabTest, PayloadSizeIsTheStreamPayloadOfAOneLineBuffer)
{
    open("[camera]\nwidth = 100\nheight = 30\n");
    struct Case {
        uint32_t format;
        bool bayerOn;
        PEX_INT bands, type, bits;
    };
    const Case cases[] = {
        {0x01080001, false, 1, 8, 8},  {0x01100003, false, 1, 16, 10}, {0x01100005, false, 1, 16, 12},
        {0x01100007, false, 1, 16, 16}, {0x01080009, false, 1, 8, 8},   {0x01080009, true, 3, 8, 8},
        {0x01100011, true, 3, 16, 12},  {0x02180014, false, 3, 8, 8},
    };
    for (const Case& c : cases) {
        writeRegister(dig, kPixelFormat, c.format);
        PexDigControl(dig, 5326, c.bayerOn ? -9997 : -9999);
        PexDigControl(dig, 5325, PEX_DEFAULT);
        EXPECT_EQ(inquire(1005), c.bands) << std::hex << c.format;
        EXPECT_EQ(inquire(1008), c.type) << std::hex << c.format;
        EXPECT_EQ(inquire(1007), c.bits) << std::hex << c.format;
        EXPECT_EQ(inquire(5198), PEX_INT(c.format));
        const PEX_INT attribute = 12 + (c.bands == 3 ? (c.type == 8 ? 0x20800 : 0x20B00) : 0);
        const PEX_ID line = PexBufAllocColor(system, c.bands, inquire(1536), 1, c.type, attribute, nullptr);
        PEX_INT lineBytes = 0;
        PexBufInquire(line, 5061, &lineBytes);
        PexBufFree(line);
        if (!c.bayerOn) {
            EXPECT_EQ(uint64_t(lineBytes * inquire(1537)), readRegister(dig, 0x3050)) << std::hex << c.format;
        }
    }
}

TEST_F(PexGrabTest, AGrabOnASelectedThreadFiresItsHooksInOrderWithTheFrame)
{
    open("[camera]\nwidth = 64\nheight = 16\npixel_format = Mono16\nframe_rate = 0\nexposure_timer = 1\n");
    HookLog log;
    hookAll(log);
    PexDigHookFunction(dig, 0x301, &HookLog::hook, &log);
    PexDigHookFunction(dig, 0x401, &HookLog::hook, &log);
    const PEX_ID buf = PexBufAllocColor(system, 1, 64, 16, 16, 12, nullptr);
    PexBufHookFunction(buf, 21, &HookLog::hook, &log);
    const PEX_ID thr = PexThrAlloc(system, 4096, PEX_DEFAULT, 0, 0, 0);
    PexThrControl(thr, 1708, PEX_DEFAULT);
    PEX_INT selected = 0;
    PexSysInquire(system, 1103, &selected);
    EXPECT_EQ(PEX_ID(selected), thr);
    writeRegister(dig, kAcquisitionStart, 1);
    PexDigGrab(dig, buf);
    PexThrControl(PEX_DEFAULT, 1708, PEX_DEFAULT);
    PexSysInquire(system, 1103, &selected);
    EXPECT_EQ(selected, PEX_DEFAULT);
    ASSERT_TRUE(log.waitFor(21, 1));

    const auto calls = log.snapshot();
    std::vector<PEX_INT> order;
    for (const auto& c : calls) {
        order.push_back(c.type);
        EXPECT_NE(c.thread, std::this_thread::get_id()) << "hooks run on the library's thread";
        EXPECT_GT(c.stamp, 0.0);
    }
    EXPECT_EQ(order, (std::vector<PEX_INT>{4, 0x301, 0x401, 0xD, 0x200000, 5, 3, 21}));
    const auto& modified = calls.back();
    EXPECT_EQ(modified.info[0], 64);
    EXPECT_EQ(modified.info[1], 16);
    EXPECT_EQ(modified.info[2], 16);
    EXPECT_EQ(modified.info[3], 0);
    EXPECT_EQ(modified.info[4], 0);
    const uint64_t frame = uint64_t(modified.info[5]);
    PEX_INT lacking = 77;
    EXPECT_NE(PexGetHookInfo(modified.event, 0x8A000, &lacking), 0);
    EXPECT_EQ(lacking, 77);

    std::vector<uint16_t> pixels(64 * 16);
    PexBufGet(buf, pixels.data());
    for (uint32_t y : {0u, 7u, 15u})
        for (uint32_t x : {0u, 1u, 63u})
            EXPECT_EQ(pixels[y * 64 + x], PexTestPatternValue(x, y, frame, 0, 16)) << x << "," << y;
    PexThrFree(thr);
    PexBufFree(buf);
}

TEST_F(PexGrabTest, RenderingFollowsRoiDecimationReverseAndBayerConversion)
{
    open("[camera]\nwidth = 32\nheight = 16\nframe_rate = 0\n");
    writeRegister(dig, kAcquisitionStart, 1);
    HookLog log;
    log.codes = kInfo;
    struct Case {
        const char* name;
        uint32_t format;
        std::vector<std::pair<PEX_INT, PEX_INT>> controls;
        double scale;
        uint32_t width, height;  // delivered
        // expected value of delivered pixel (x, y), band b, for frame n
        uint32_t (*expect)(uint32_t x, uint32_t y, uint32_t b, uint64_t n);
    };
    const Case cases[] = {
        {"roi", 0x01080001, {{4022, 10}, {4023, 4}, {4024, 3}, {4025, 2}}, 1.0, 10, 4,
         [](uint32_t x, uint32_t y, uint32_t, uint64_t n) { return PexTestPatternValue(x + 3, y + 2, n, 0, 8); }},
        {"decimation", 0x01080001, {}, 0.5, 16, 8,
         [](uint32_t x, uint32_t y, uint32_t, uint64_t n) { return PexTestPatternValue(2 * x, 2 * y, n, 0, 8); }},
        {"reverse", 0x01080001, {{4230, 4}, {4231, 4}}, 1.0, 32, 16,
         [](uint32_t x, uint32_t y, uint32_t, uint64_t n) { return PexTestPatternValue(31 - x, 15 - y, n, 0, 8); }},
        {"rgb", 0x02180014, {}, 1.0, 32, 16,
         [](uint32_t x, uint32_t y, uint32_t b, uint64_t n) { return PexTestPatternValue(x, y, n, 2 - b, 8); }},
        {"bayer", 0x01080009, {{5326, -9997}}, 1.0, 32, 16,
         [](uint32_t x, uint32_t y, uint32_t b, uint64_t n) {
             const uint32_t cx = x & ~1u, cy = y & ~1u;
             const uint32_t colour = 2 - b;
             return PexTestPatternValue(cx + (colour > 0), cy + (colour == 2), n, colour, 8);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeRegister(dig, kPixelFormat, c.format);
        for (const auto& control : c.controls)
            PexDigControl(dig, control.first, control.second);
        PexDigControlDouble(dig, 6601, c.scale);
        PexDigControlDouble(dig, 6602, c.scale);
        PexDigControl(dig, 5325, PEX_DEFAULT);
        const PEX_INT bands = inquire(1005);
        const PEX_ID buf = PexBufAllocColor(system, bands, 32, 16, 8, 12 + (bands == 3 ? 0x20800 : 0), nullptr);
        PexBufHookFunction(buf, 21, &HookLog::hook, &log);
        const size_t before = log.count(21);
        PexDigGrab(dig, buf);  // no thread selected: runs on this thread
        ASSERT_EQ(log.count(21), before + 1);
        const auto info = log.snapshot().back().info;
        EXPECT_EQ(info[0], PEX_INT(c.width));
        EXPECT_EQ(info[1], PEX_INT(c.height));
        std::vector<uint8_t> pixels(size_t(32 * 16 * bands));
        PexBufGet(buf, pixels.data());
        for (uint32_t y = 0; y < c.height; y += 3)
            for (uint32_t x = 0; x < c.width; x += 5)
                for (uint32_t b = 0; b < uint32_t(bands); ++b)
                    ASSERT_EQ(pixels[(y * 32 + x) * bands + b], c.expect(x, y, b, uint64_t(info[5])))
                        << x << "," << y << " band " << b;
        PexBufFree(buf);
        // Back to the plain settings.
        PexDigControl(dig, 4024, 0);
        PexDigControl(dig, 4025, 0);
        PexDigControl(dig, 4022, 32);
        PexDigControl(dig, 4023, 16);
        PexDigControl(dig, 4230, 1);
        PexDigControl(dig, 4231, 1);
        PexDigControl(dig, 5326, -9999);
    }
}

TEST_F(PexGrabTest, DropAndAbortReportEveryOutstandingBuffer)
{
    // One frame a minute: the first grab waits, the others queue behind it.
    open("[camera]\nwidth = 16\nheight = 4\nframe_rate = 0.0166\n");
    HookLog log;
    const PEX_ID thr = PexThrAlloc(system, 4096, PEX_DEFAULT, 0, 0, 0);
    const PEX_ID evt = PexThrAlloc(system, 128, 0x4020, 0, 0, 0);
    std::vector<PEX_ID> bufs;
    PexThrControl(thr, 1708, PEX_DEFAULT);
    PexThrWait(evt, 0x8000000, nullptr);
    for (int i = 0; i < 5; ++i) {
        bufs.push_back(PexBufAllocColor(system, 1, 16, 4, 8, 12, nullptr));
        PexBufHookFunction(bufs.back(), 21, &HookLog::hook, &log);
        PexBufHookFunction(bufs.back(), 22, &HookLog::hook, &log);
        PexDigGrab(dig, bufs.back());
    }
    EXPECT_EQ(inquire(4128), 1);
    writeRegister(dig, kAcquisitionStart, 1);
    PexThrControl(evt, 1707, 16);
    ASSERT_TRUE(log.waitFor(21, 1)) << "the first frame is there at once";
    PexThrControl(thr, 1810, PEX_DEFAULT);
    PexDigControl(dig, 6643, PEX_DEFAULT);
    PexThrControl(PEX_DEFAULT, 1708, PEX_DEFAULT);
    ASSERT_TRUE(log.waitFor(22, 4));
    EXPECT_EQ(log.count(21) + log.count(22), 5u);
    PexThrFree(thr);
    EXPECT_EQ(inquire(4128), 0);
    PexThrFree(evt);
}

TEST_F(PexGrabTest, FreeingADigitizerReportsItsGrabsAndNoHookFiresAfterwards)
{
    open("[camera]\nwidth = 16\nheight = 4\n");
    HookLog log;
    hookAll(log);
    const PEX_ID thr = PexThrAlloc(system, 4096, PEX_DEFAULT, 0, 0, 0);
    const PEX_ID buf = PexBufAllocColor(system, 1, 16, 4, 8, 12, nullptr);
    const PEX_ID dropped = PexBufAllocColor(system, 1, 16, 4, 8, 12, nullptr);
    PexBufHookFunction(buf, 22, &HookLog::hook, &log);
    PexBufHookFunction(dropped, 22, &HookLog::hook, &log);
    PexThrControl(thr, 1708, PEX_DEFAULT);
    PexDigGrab(dig, buf);      // waits: the camera does not acquire
    PexDigGrab(dig, dropped);  // pending
    PexDigGrab(dig, dropped);
    PexThrControl(PEX_DEFAULT, 1708, PEX_DEFAULT);
    PexBufFree(dropped);  // its pending grabs go without a report
    PexDigFree(dig);
    EXPECT_EQ(log.count(22), 1u) << "reported before PexDigFree returned";
    EXPECT_EQ(PexTestHookCount(dig), 0u);
    const size_t calls = log.snapshot().size();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(log.snapshot().size(), calls);
    dig = 0;
    PexThrFree(thr);
    PexBufFree(buf);
}

TEST_F(PexGrabTest, IoEdgesEncodersAndTimersReachTheirHooks)
{
    open("");
    HookLog log;
    log.codes = {0x8A000, 0x81000, 0x26710, 0x26720, 0x20321, 0x1C0000};
    for (PEX_INT type : {0x8B000, 0xE20, 0x302, 0x402})
        PexDigHookFunction(dig, type, &HookLog::hook, &log);
    EXPECT_TRUE(PexTestInjectIoEdge(dig, 0x503));
    EXPECT_EQ(log.count(0x8B000), 0u) << "the pin is not armed";
    PexDigControl(dig, 0x85503, 12);
    PexDigControl(dig, 0x89503, -9997);
    EXPECT_TRUE(PexTestInjectIoEdge(dig, 0x503));
    EXPECT_TRUE(PexTestInjectEncoderSteps(dig, 2, 3));
    EXPECT_TRUE(PexTestInjectTimer(dig, 2, 0));
    EXPECT_TRUE(PexTestInjectTimer(dig, 2, 1));
    const auto calls = log.snapshot();
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_EQ(calls[0].type, 0x8B000);
    EXPECT_EQ(calls[0].info[0], 0x503);
    EXPECT_EQ(calls[0].info[1], 1 << 2);
    EXPECT_NE(calls[0].thread, std::this_thread::get_id());
    EXPECT_EQ(calls[1].type, 0xE20);
    EXPECT_EQ(calls[3].info[3], 3) << "encoder 2 position";
    EXPECT_EQ(calls[4].type, 0x302);
    EXPECT_EQ(calls[5].type, 0x402);
    EXPECT_EQ(calls[5].info[4], 0) << "timer 1 has not run";
    EXPECT_GT(calls[5].info[5], calls[0].info[5]) << "the event counter moves";
}

// The whole road: find the system, open a digitizer, read the camera's
// description, grab 100 frames, abort, free everything.
TEST_F(PexGrabTest, AHundredFramesThroughAThreadObjectThenACleanEnd)
{
    open("[camera]\nwidth = 48\nheight = 20\npixel_format = Mono12\nframe_rate = 0\n");
    std::wstring url;
    ASSERT_FALSE(readDescription(dig, &url).empty());
    HookLog log;
    hookAll(log);
    const PEX_ID thr = PexThrAlloc(system, 4096, PEX_DEFAULT, 0, 0, 0);
    std::vector<PEX_ID> bufs;
    for (int i = 0; i < 4; ++i) {
        bufs.push_back(PexBufAllocColor(system, 1, inquire(1536), inquire(1537), inquire(1008), 12, nullptr));
        PexBufHookFunction(bufs.back(), 21, &HookLog::hook, &log);
        PexBufHookFunction(bufs.back(), 22, &HookLog::hook, &log);
    }
    writeRegister(dig, kAcquisitionStart, 1);
    PexThrControl(thr, 1708, PEX_DEFAULT);
    for (int i = 0; i < 100; ++i)
        PexDigGrab(dig, bufs[size_t(i) % bufs.size()]);
    PexThrControl(PEX_DEFAULT, 1708, PEX_DEFAULT);
    ASSERT_TRUE(log.waitFor(21, 100));
    uint64_t previous = 0;
    int checked = 0;
    for (const auto& c : log.snapshot()) {
        if (c.type != 21)
            continue;
        EXPECT_EQ(c.info[0], 48);
        EXPECT_EQ(c.info[1], 20);
        EXPECT_TRUE(checked == 0 || uint64_t(c.info[5]) > previous) << "frames move forward";
        previous = uint64_t(c.info[5]);
        ++checked;
    }
    EXPECT_EQ(checked, 100);
    std::vector<uint16_t> pixels(48 * 20);
    PexBufGet(bufs[3], pixels.data());
    EXPECT_EQ(pixels[5 * 48 + 7], PexTestPatternValue(7, 5, previous, 0, 12)) << "the last frame's pattern";

    writeRegister(dig, kAcquisitionStop, 1);
    PexThrControl(thr, 1708, PEX_DEFAULT);
    PexDigGrab(dig, bufs[0]);
    PexThrControl(PEX_DEFAULT, 1708, PEX_DEFAULT);
    PexThrControl(thr, 1810, PEX_DEFAULT);
    PexDigControl(dig, 6643, PEX_DEFAULT);
    ASSERT_TRUE(log.waitFor(22, 1));
    PexThrFree(thr);
    for (PEX_ID b : bufs)
        PexBufFree(b);
    PexDigFree(dig);
    PexSysFree(system);
    system = 0;
    const size_t calls = log.snapshot().size();
    EXPECT_EQ(PexTestHookCount(dig), 0u);
    EXPECT_TRUE(PexTestConfigure("")) << "nothing left allocated";
    EXPECT_EQ(log.snapshot().size(), calls);
}

TEST_F(PexGrabTest, BuffersReportTheirLayoutAndFormat)
{
    open("");
    struct Case {
        PEX_INT bands, type, attribute;
        PEX_INT pitch, formatClass, pixelFormat;
    };
    const Case cases[] = {
        {1, 8, 12, 100, 0x200, 0x01080001},
        {1, 16, 12, 200, 0x300, 0x01100007},
        {3, 8, 12 + 0x20800, 300, 0x800, 0x02180015},
        {3, 16, 12 + 0x20B00, 600, 0xB00, 0x0230004B},
    };
    for (const Case& c : cases) {
        const PEX_ID buf = PexBufAllocColor(system, c.bands, 100, 7, c.type, c.attribute, nullptr);
        auto value = [&](PEX_INT code) {
            PEX_INT v = 0;
            PexBufInquire(buf, code, &v);
            return v;
        };
        EXPECT_EQ(value(0x8000000), c.pitch);
        EXPECT_EQ(value(5061), c.pitch * 7);
        EXPECT_EQ(value(6702) & 0x3F00, c.formatClass);
        EXPECT_EQ(value(5101), c.pixelFormat);
        EXPECT_EQ(value(1005), c.bands);
        std::vector<uint8_t> bytes(size_t(c.pitch * 7), 0x5A);
        PexBufPut(buf, bytes.data());
        EXPECT_EQ(*reinterpret_cast<const uint8_t*>(value(0x10000) + c.pitch * 7 - 1), 0x5A);
        PexBufFree(buf);
    }
}

TEST_F(PexGrabTest, FramesNobodyWaitedForCountAsMissedUntilReset)
{
    open("[camera]\nwidth = 8\nheight = 2\nframe_rate = 1000\n");
    const PEX_ID buf = PexBufAllocColor(system, 1, 8, 2, 8, 12, nullptr);
    writeRegister(dig, kAcquisitionStart, 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    PexDigGrab(dig, buf);
    PexTestCameraState state{};
    ASSERT_TRUE(PexTestGetCameraState(dig, &state));
    EXPECT_TRUE(state.acquiring);
    EXPECT_GT(state.missed, 0);
    EXPECT_EQ(inquire(5347), state.missed);
    EXPECT_EQ(state.frameCounter, uint64_t(state.missed) + 1) << "the newest frame went to the grab";
    PexDigControl(dig, 5349, 0);
    EXPECT_EQ(inquire(5347), 0);
    writeRegister(dig, kAcquisitionStop, 1);
    ASSERT_TRUE(PexTestGetCameraState(dig, &state));
    EXPECT_FALSE(state.acquiring);
    PexBufFree(buf);
}

// The camera's timing at given times rather than the clock's: whatever the
// rate and the clock's magnitude, the due time it names lies ahead and the
// frame is there at exactly that time, so a grab woken then takes it instead
// of waiting again for a time already past; once a lowered frame count is
// reached nothing is due any more.
TEST(PexCameraTest, EveryFrameIsThereAtTheDueTimeItsCameraNamed)
{
    struct Case {
        double rate;
        double start;  // seconds on the steady clock
    };
    const Case cases[] = {
        {10000.0, 1e6 + 0.1}, {9999.9999, 123456.789}, {7777.7, 98765.4321},  {29.97, 5e5},
        {3.0, 1e7 / 3},       {0.0166, 86400.5},       {0.01, 3.3e6 + 1e-7},
    };
    for (const Case& c : cases) {
        platform::pex::PexCameraConfig config;
        config.frameRate = c.rate;
        platform::pex::PexCamera camera(config, "SIM00");
        camera.startAcquisition(c.start);
        double now = c.start;
        uint64_t frame = 0;
        double due = 0.0;
        for (uint64_t n = 0; n < 2000; ++n) {
            ASSERT_TRUE(camera.takeFrame(now, &frame, &due)) << c.rate << " Hz, frame " << n;
            EXPECT_EQ(frame, n);
            ASSERT_FALSE(camera.takeFrame(now, &frame, &due));
            ASSERT_GT(due, now) << c.rate << " Hz, frame " << n + 1;
            ASSERT_LE(due - now, 1.0 / c.rate + 1e-6) << c.rate << " Hz, frame " << n + 1;
            now = due;
        }
        EXPECT_EQ(camera.missed(), 0) << c.rate;

        std::string why;
        const uint8_t two[4] = {0, 0, 0, 2};
        ASSERT_TRUE(camera.write(0x3034, 4, two, &why, now) && camera.write(0x3030, 4, two, &why, now)) << why;
        EXPECT_FALSE(camera.takeFrame(now + 1e3, &frame, &due));
        EXPECT_EQ(due, 0.0) << c.rate << " Hz: 2 frames were asked for, 2000 made";
        EXPECT_FALSE(camera.acquiring());
    }
}

TEST_F(PexGrabTest, WhiteBalanceOnceFillsTheCoefficientBuffer)
{
    open("[camera]\nwidth = 64\nheight = 64\npixel_format = BayerRG8\n");
    PexDigControl(dig, 5326, -9997);
    EXPECT_EQ(inquire(5328), 0);
    PexDigControl(dig, 5112, 1);
    const PEX_ID coefficients = PEX_ID(inquire(5328));
    ASSERT_NE(coefficients, 0u);
    float rgb[3] = {0, 0, 0};
    PexBufGet(coefficients, rgb);
    EXPECT_GT(rgb[0], 0.0f);
    EXPECT_FLOAT_EQ(rgb[1], 1.0f);
    EXPECT_GT(rgb[2], 0.0f);
    const PEX_ID own = PexBufAlloc1d(system, 3, 0x48000020, 64);
    PexDigControl(dig, 5328, PEX_INT(own));
    EXPECT_EQ(PEX_ID(inquire(5328)), own);
    PexBufFree(own);
}

TEST_F(PexGrabTest, PeriodicEdgesReachAnArmedPinUntilTheDigitizerIsFreed)
{
    open("[camera]\nio_period_ms = 2\nio_pin = 0x510\n");
    HookLog log;
    log.codes = {0x8A000};
    PexDigHookFunction(dig, 0x8B000, &HookLog::hook, &log);
    PexDigControl(dig, 0x85510, 12);
    PexDigControl(dig, 0x89510, -9997);
    ASSERT_TRUE(log.waitFor(0x8B000, 3));
    EXPECT_EQ(log.snapshot().front().info[0], 0x510);
    PexDigFree(dig);
    const size_t calls = log.snapshot().size();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(log.snapshot().size(), calls) << "no edge after the free";
    dig = 0;
}

// A callback may free the object whose library thread runs it: the thread
// carries on to its end without touching what was freed.
TEST_F(PexGrabTest, ADigitizerFreedFromItsOwnEdgeCallbackEndsItsEdges)
{
    open("[camera]\nio_period_ms = 1\nio_pin = 0x510\n");
    struct Freer {
        PEX_ID dig;
        std::atomic<int> calls{0};
        static PEX_INT hook(PEX_INT, PEX_ID, void* user)
        {
            auto* f = static_cast<Freer*>(user);
            if (f->calls++ == 0)
                PexDigFree(f->dig);
            return 0;
        }
    } freer{dig};
    PexDigHookFunction(dig, 0x8B000, &Freer::hook, &freer);
    PexDigControl(dig, 0x85510, 12);
    PexDigControl(dig, 0x89510, -9997);
    lumatest::waitFor([&] { return PexTestHookCount(dig) == 0; });
    ASSERT_EQ(PexTestHookCount(dig), 0u) << "the callback freed the digitizer";
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(freer.calls, 1);
    dig = 0;
}

TEST_F(PexGrabTest, AThreadObjectFreedFromItsOwnGrabCallbackReportsItsPendingGrabs)
{
    open("[camera]\nwidth = 16\nheight = 4\nframe_rate = 0\n");
    HookLog log;
    struct Freer {
        PEX_ID thread = 0;
        static PEX_INT hook(PEX_INT, PEX_ID, void* user)
        {
            PexThrFree(static_cast<Freer*>(user)->thread);
            return 0;
        }
    } freer;
    freer.thread = PexThrAlloc(system, 4096, PEX_DEFAULT, 0, 0, 0);
    const PEX_ID first = PexBufAllocColor(system, 1, 16, 4, 8, 12, nullptr);
    const PEX_ID second = PexBufAllocColor(system, 1, 16, 4, 8, 12, nullptr);
    PexBufHookFunction(first, 21, &Freer::hook, &freer);
    PexBufHookFunction(second, 22, &HookLog::hook, &log);
    PexThrControl(freer.thread, 1708, PEX_DEFAULT);
    PexDigGrab(dig, first);   // waits: the camera does not acquire yet
    PexDigGrab(dig, second);  // pending
    PexThrControl(PEX_DEFAULT, 1708, PEX_DEFAULT);
    writeRegister(dig, kAcquisitionStart, 1);
    ASSERT_TRUE(log.waitFor(22, 1)) << "the pending grab is reported";
    PexDigFree(dig);  // returns once no grab of it is outstanding
    dig = 0;
    PexBufFree(first);
    PexBufFree(second);
}
