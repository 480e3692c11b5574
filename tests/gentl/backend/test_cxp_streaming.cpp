// Streaming from the simulated camera through the shipped
// Corvane.CoaXPress.cti, and the device's custom registers and events, as a
// consumer sees them.
#include "CtiProducer.h"
#include "GenTLDataStream.h"

#include <platform/pex/PexTest.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#include <vector>

namespace {

// Camera registers (remote port, big-endian) and device registers (the
// device's own port, little-endian).
constexpr uint64_t kWidth = 0x3010, kHeight = 0x3014, kPixelFormat = 0x3020, kAcquisitionStart = 0x3038,
                   kAcquisitionStop = 0x303C, kTLParamsLocked = 0x3054;
constexpr uint64_t kBalanceRatioRed = 0x50001004, kBalanceWhiteAuto = 0x50001010, kDecimationHorizontal = 0x50002028,
                   kReverseX = 0x50002030, kBayerConversionAuto = 0x50002038;
constexpr uint32_t kMono8 = 0x01080001, kMono16 = 0x01100007, kRGB8 = 0x02180014, kBGR8 = 0x02180015,
                   kBayerRG8 = 0x01080009;

// The frame number whose pattern pixel (0, 0) shows `value` (colour 0).
bool FrameOf(uint32_t value, uint32_t bits, uint64_t* frame)
{
    for (uint64_t n = 0; n < 256; ++n) {
        if (PexTestPatternValue(0, 0, n, 0, bits) == value) {
            *frame = n;
            return true;
        }
    }
    return false;
}

// Pixel (x, y) colour c of a delivered image (BGR8 is packed blue, green,
// red; Bayer RG carries red at even/even, blue at odd/odd).
uint32_t Pixel(const uint8_t* image, uint32_t format, uint32_t width, uint32_t x, uint32_t y, uint32_t* colour)
{
    switch (format) {
    case kMono16: {
        uint16_t v = 0;
        std::memcpy(&v, image + 2 * (y * width + x), 2);
        *colour = 0;
        return v;
    }
    case kBGR8: {
        const uint32_t c = *colour;
        return image[3 * (y * width + x) + (2 - c)];
    }
    case kBayerRG8: *colour = (x % 2 == 0 && y % 2 == 0) ? 0 : (x % 2 == 1 && y % 2 == 1) ? 2 : 1; return image[y * width + x];
    default: *colour = 0; return image[y * width + x];
    }
}

bool ShowsPattern(const uint8_t* image, uint32_t format, uint32_t width, uint32_t height)
{
    const uint32_t bits = format == kMono16 ? 16 : 8;
    uint32_t colour = 0;
    uint64_t frame = 0;
    if (!FrameOf(Pixel(image, format, width, 0, 0, &colour), bits, &frame))
        return false;
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            for (uint32_t c = 0; c < (format == kBGR8 ? 3u : 1u); ++c) {
                colour = c;
                const uint32_t value = Pixel(image, format, width, x, y, &colour);
                if (value != PexTestPatternValue(x, y, frame, colour, bits))
                    return false;
            }
    return true;
}

class CxpStreaming : public ::testing::Test {
protected:
    explicit CxpStreaming(const char* config = "[camera]\nwidth = 64\nheight = 48\nframe_rate = 0\n") : cti(config)
    {
        PexTestSetCallLog(1);
        PexTestClearCallLog();
        EXPECT_EQ(cti.OpenFirstDevice(DEVICE_ACCESS_EXCLUSIVE, &device), GC_ERR_SUCCESS);
        digitizer = CtiProducer::LastControlledDigitizer();
        PexTestSetCallLog(0);
        EXPECT_EQ(cti.Fn<PDevGetPort>("DevGetPort")(device, &remote), GC_ERR_SUCCESS);
        OpenStream();
    }
    ~CxpStreaming() override { cti.Close(); }

    void OpenStream()
    {
        char id[256] = {};
        size_t size = sizeof id;
        ASSERT_EQ(cti.Fn<PDevGetDataStreamID>("DevGetDataStreamID")(device, 0, id, &size), GC_ERR_SUCCESS);
        ASSERT_EQ(cti.Fn<PDevOpenDataStream>("DevOpenDataStream")(device, id, &stream), GC_ERR_SUCCESS);
        ASSERT_EQ(cti.Fn<PGCRegisterEvent>("GCRegisterEvent")(stream, EVENT_NEW_BUFFER, &newBuffer), GC_ERR_SUCCESS);
    }
    GC_ERROR WriteRemote(uint64_t address, uint32_t value)
    {
        const uint8_t bytes[4] = {uint8_t(value >> 24), uint8_t(value >> 16), uint8_t(value >> 8), uint8_t(value)};
        size_t size = 4;
        return cti.Fn<PGCWritePort>("GCWritePort")(remote, address, bytes, &size);
    }
    GC_ERROR WriteDevice(uint64_t address, uint32_t value)
    {
        size_t size = 4;
        return cti.Fn<PGCWritePort>("GCWritePort")(device, address, &value, &size);
    }
    uint32_t ReadDevice(uint64_t address)
    {
        uint32_t value = 0;
        size_t size = 4;
        EXPECT_EQ(cti.Fn<PGCReadPort>("GCReadPort")(device, address, &value, &size), GC_ERR_SUCCESS) << std::hex
                                                                                                      << address;
        return value;
    }
    void StartCamera()
    {
        ASSERT_EQ(WriteRemote(kTLParamsLocked, 1), GC_ERR_SUCCESS);
        ASSERT_EQ(WriteRemote(kAcquisitionStart, 1), GC_ERR_SUCCESS);
    }
    void StopCamera()
    {
        ASSERT_EQ(WriteRemote(kAcquisitionStop, 1), GC_ERR_SUCCESS);
        ASSERT_EQ(WriteRemote(kTLParamsLocked, 0), GC_ERR_SUCCESS);
    }
    uint64_t Payload()
    {
        uint64_t value = 0;
        size_t size = sizeof value;
        INFO_DATATYPE type = 0;
        EXPECT_EQ(cti.Fn<PDSGetInfo>("DSGetInfo")(stream, STREAM_INFO_PAYLOAD_SIZE, &type, &value, &size),
                  GC_ERR_SUCCESS);
        return value;
    }
    uint64_t StreamInfo(STREAM_INFO_CMD command)
    {
        uint64_t value = 0;
        size_t size = sizeof value;
        INFO_DATATYPE type = 0;
        EXPECT_EQ(cti.Fn<PDSGetInfo>("DSGetInfo")(stream, command, &type, &value, &size), GC_ERR_SUCCESS);
        return size == 1 ? (value & 0xFF) : value;
    }
    uint64_t BufferInfo(BUFFER_HANDLE buffer, BUFFER_INFO_CMD command)
    {
        uint64_t value = 0;
        size_t size = sizeof value;
        INFO_DATATYPE type = 0;
        EXPECT_EQ(cti.Fn<PDSGetBufferInfo>("DSGetBufferInfo")(stream, buffer, command, &type, &value, &size),
                  GC_ERR_SUCCESS);
        return size == 1 ? (value & 0xFF) : size == 4 ? (value & 0xFFFFFFFF) : value;
    }
    // n producer buffers (or consumer buffers in `memory`), announced and
    // queued.
    std::vector<BUFFER_HANDLE> Announce(size_t n, bool consumerMemory = false)
    {
        const uint64_t payload = Payload();
        std::vector<BUFFER_HANDLE> buffers(n);
        for (BUFFER_HANDLE& buffer : buffers) {
            if (consumerMemory) {
                memory.emplace_back(payload);
                EXPECT_EQ(cti.Fn<PDSAnnounceBuffer>("DSAnnounceBuffer")(stream, memory.back().data(), payload,
                                                                         nullptr, &buffer),
                          GC_ERR_SUCCESS);
            } else {
                EXPECT_EQ(cti.Fn<PDSAllocAndAnnounceBuffer>("DSAllocAndAnnounceBuffer")(stream, payload, nullptr,
                                                                                         &buffer),
                          GC_ERR_SUCCESS);
            }
            EXPECT_EQ(Queue(buffer), GC_ERR_SUCCESS);
        }
        return buffers;
    }
    GC_ERROR Queue(BUFFER_HANDLE buffer) { return cti.Fn<PDSQueueBuffer>("DSQueueBuffer")(stream, buffer); }
    GC_ERROR Start() { return cti.Fn<PDSStartAcquisition>("DSStartAcquisition")(stream, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE); }
    GC_ERROR Stop() { return cti.Fn<PDSStopAcquisition>("DSStopAcquisition")(stream, ACQ_STOP_FLAGS_DEFAULT); }
    BUFFER_HANDLE Next()
    {
        EVENT_NEW_BUFFER_DATA item{};
        size_t size = sizeof item;
        if (cti.Fn<PEventGetData>("EventGetData")(newBuffer, &item, &size, 10000) != GC_ERR_SUCCESS)
            return nullptr;
        return item.BufferHandle;
    }
    const uint8_t* Base(BUFFER_HANDLE buffer)
    {
        void* base = nullptr;
        size_t size = sizeof base;
        INFO_DATATYPE type = 0;
        EXPECT_EQ(cti.Fn<PDSGetBufferInfo>("DSGetBufferInfo")(stream, buffer, BUFFER_INFO_BASE, &type, &base, &size),
                  GC_ERR_SUCCESS);
        return static_cast<const uint8_t*>(base);
    }
    // Streams `frames` images and checks each one.
    void StreamAndCheck(size_t frames, uint32_t format, uint32_t width, uint32_t height, bool pattern)
    {
        ASSERT_EQ(Start(), GC_ERR_SUCCESS);
        uint64_t lastId = 0, lastStamp = 0;
        for (size_t i = 0; i < frames; ++i) {
            BUFFER_HANDLE buffer = Next();
            ASSERT_NE(buffer, nullptr) << i;
            EXPECT_EQ(BufferInfo(buffer, BUFFER_INFO_WIDTH), width);
            EXPECT_EQ(BufferInfo(buffer, BUFFER_INFO_HEIGHT), height);
            EXPECT_EQ(BufferInfo(buffer, BUFFER_INFO_PIXELFORMAT), format);
            const uint64_t id = BufferInfo(buffer, BUFFER_INFO_FRAMEID);
            EXPECT_GT(id, lastId);
            if (i == 0) {
                EXPECT_EQ(id, 1u);
            }
            lastId = id;
            const uint64_t stamp = BufferInfo(buffer, BUFFER_INFO_TIMESTAMP_NS);
            EXPECT_GE(stamp, lastStamp);
            lastStamp = stamp;
            if (pattern) {
                EXPECT_TRUE(ShowsPattern(Base(buffer), format, width, height)) << "frame " << i;
            }
            ASSERT_EQ(Queue(buffer), GC_ERR_SUCCESS);
        }
        ASSERT_EQ(Stop(), GC_ERR_SUCCESS);
    }

    CtiProducer cti;
    DEV_HANDLE device = nullptr;
    PORT_HANDLE remote = nullptr;
    DS_HANDLE stream = nullptr;
    EVENT_HANDLE newBuffer = nullptr;
    PEX_ID digitizer = 0;
    std::vector<std::vector<uint8_t>> memory;
};

}  // namespace

TEST_F(CxpStreaming, EveryPixelFormatStreamsAHundredImagesWithTheirGeometryIdsAndPattern)
{
    struct Case {
        uint32_t camera;
        bool convert;
        uint32_t delivered;
        bool consumerMemory;
        bool pattern;
    } cases[] = {{kMono8, false, kMono8, false, true},        {kMono16, false, kMono16, true, true},
                 {kRGB8, false, kBGR8, false, true},          {kBayerRG8, false, kBayerRG8, true, true},
                 {kBayerRG8, true, kBGR8, false, false}};
    uint32_t width = 64;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.camera);
        width += 8;
        ASSERT_EQ(WriteRemote(kWidth, width), GC_ERR_SUCCESS);
        ASSERT_EQ(WriteRemote(kHeight, 40), GC_ERR_SUCCESS);
        ASSERT_EQ(WriteRemote(kPixelFormat, c.camera), GC_ERR_SUCCESS);
        ASSERT_EQ(WriteDevice(kBayerConversionAuto, c.convert ? 1 : 0), GC_ERR_SUCCESS);
        auto buffers = Announce(8, c.consumerMemory);
        StartCamera();
        StreamAndCheck(100, c.delivered, width, 40, c.pattern);
        StopCamera();
        ASSERT_EQ(cti.Fn<PDSFlushQueue>("DSFlushQueue")(stream, ACQ_QUEUE_ALL_DISCARD), GC_ERR_SUCCESS);
        for (BUFFER_HANDLE buffer : buffers)
            ASSERT_EQ(cti.Fn<PDSRevokeBuffer>("DSRevokeBuffer")(stream, buffer, nullptr, nullptr), GC_ERR_SUCCESS);
        memory.clear();
    }
}

TEST_F(CxpStreaming, StopAndRestartInEveryHandlingModeLoseNoBufferAndDeliverNoneTwice)
{
    auto buffers = Announce(5);
    StartCamera();
    for (uint32_t mode : {1u, 2u, 0u}) {
        size_t size = sizeof mode;
        ASSERT_EQ(cti.Fn<PGCWritePort>("GCWritePort")(stream, GenTLCore::GenTLDataStream::kHandlingModeAddress, &mode,
                                                      &size),
                  GC_ERR_SUCCESS);
        for (int run = 0; run < 5; ++run) {
            ASSERT_EQ(cti.Fn<PDSFlushQueue>("DSFlushQueue")(stream, ACQ_QUEUE_ALL_TO_INPUT), GC_ERR_SUCCESS);
            ASSERT_EQ(Start(), GC_ERR_SUCCESS);
            std::set<BUFFER_HANDLE> held;
            for (int i = 0; i < 10 + 7 * run; ++i) {
                BUFFER_HANDLE buffer = Next();
                ASSERT_NE(buffer, nullptr);
                ASSERT_TRUE(held.insert(buffer).second) << "delivered while the consumer holds it";
                if (held.size() > 2) {
                    ASSERT_EQ(Queue(*held.begin()), GC_ERR_SUCCESS);
                    held.erase(held.begin());
                }
            }
            ASSERT_EQ(Stop(), GC_ERR_SUCCESS);
            EXPECT_EQ(StreamInfo(STREAM_INFO_NUM_QUEUED) + StreamInfo(STREAM_INFO_NUM_AWAIT_DELIVERY) + held.size(),
                      buffers.size())
                << "mode " << mode << " run " << run;
            for (BUFFER_HANDLE buffer : held)
                ASSERT_EQ(Queue(buffer), GC_ERR_SUCCESS);
        }
    }
    StopCamera();
}

TEST_F(CxpStreaming, DecimationAndReverseThroughTheDeviceRegisters)
{
    ASSERT_EQ(WriteDevice(kDecimationHorizontal, 2), GC_ERR_SUCCESS);
    EXPECT_EQ(ReadDevice(kDecimationHorizontal), 2u);
    EXPECT_EQ(WriteDevice(kDecimationHorizontal, 0), GC_ERR_INVALID_VALUE);
    EXPECT_EQ(WriteDevice(kDecimationHorizontal, uint32_t(-3)), GC_ERR_INVALID_VALUE);
    ASSERT_EQ(WriteDevice(kReverseX, 1), GC_ERR_SUCCESS);
    auto buffers = Announce(2);
    StartCamera();
    ASSERT_EQ(Start(), GC_ERR_SUCCESS);
    BUFFER_HANDLE buffer = Next();
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(BufferInfo(buffer, BUFFER_INFO_WIDTH), 32u);
    EXPECT_EQ(BufferInfo(buffer, BUFFER_INFO_XPADDING), 32u) << "lines keep the camera's pitch";
    const uint8_t* image = Base(buffer);
    uint64_t frame = 0;
    // Reversed and decimated: delivered pixel x shows sensor pixel 62 - 2x.
    ASSERT_TRUE(FrameOf(image[31], 8, &frame));
    EXPECT_EQ(image[0], PexTestPatternValue(62, 0, frame, 0, 8));
    ASSERT_EQ(Stop(), GC_ERR_SUCCESS);
    StopCamera();
}

TEST_F(CxpStreaming, WhiteBalanceOnceSetsTheRatiosAndReadsOff)
{
    EXPECT_EQ(ReadDevice(kBalanceWhiteAuto), 0u);
    ASSERT_EQ(WriteRemote(kPixelFormat, kBayerRG8), GC_ERR_SUCCESS);
    ASSERT_EQ(WriteDevice(kBayerConversionAuto, 1), GC_ERR_SUCCESS);
    const uint32_t before = ReadDevice(kBalanceRatioRed);
    ASSERT_EQ(WriteDevice(kBalanceWhiteAuto, 1), GC_ERR_SUCCESS);
    EXPECT_NE(ReadDevice(kBalanceRatioRed), before);
    EXPECT_EQ(ReadDevice(kBalanceWhiteAuto), 0u) << "Once clears itself";
}

TEST_F(CxpStreaming, CustomEventsShareTheModuleEventAndArriveWhileRegistered)
{
    auto registerEvent = cti.Fn<PGCRegisterEvent>("GCRegisterEvent");
    auto unregisterEvent = cti.Fn<PGCUnregisterEvent>("GCUnregisterEvent");
    auto getData = cti.Fn<PEventGetData>("EventGetData");
    EVENT_HANDLE shared = nullptr;
    for (EVENT_TYPE type = 1000; type <= 1048; ++type) {
        EVENT_HANDLE handle = nullptr;
        ASSERT_EQ(registerEvent(device, type, &handle), GC_ERR_SUCCESS) << type;
        if (!shared)
            shared = handle;
        EXPECT_EQ(handle, shared) << "one module event for every custom type";
    }
    EVENT_HANDLE again = nullptr;
    EXPECT_EQ(registerEvent(device, 1006, &again), GC_ERR_RESOURCE_IN_USE);
    EXPECT_EQ(registerEvent(device, 1049, &again), GC_ERR_NOT_IMPLEMENTED);
    EXPECT_EQ(registerEvent(device, EVENT_MODULE, &again), GC_ERR_SUCCESS);
    EXPECT_EQ(again, shared);

    ASSERT_EQ(PexTestInjectIoEdge(digitizer, 0x501), 1);
    ASSERT_EQ(PexTestInjectIoEdge(digitizer, 0x51F), 1);
    ASSERT_EQ(PexTestInjectEncoderSteps(digitizer, 4, 2), 1);
    ASSERT_EQ(PexTestInjectTimer(digitizer, 3, 0), 1);
    ASSERT_EQ(PexTestInjectTimer(digitizer, 3, 1), 1);
    std::map<uint32_t, int> packets;
    uint8_t packet[8 + 128] = {};
    size_t size = sizeof packet;
    while (getData(shared, packet, &size, 0) == GC_ERR_SUCCESS) {
        uint32_t id = 0;
        std::memcpy(&id, packet + 4, 4);
        ++packets[id];
        size = sizeof packet;
    }
    // Every armed pin's record sees an edge of any pin.
    EXPECT_EQ(packets.size(), 31u + 1u + 2u);
    EXPECT_EQ(packets[1006], 2);
    EXPECT_EQ(packets[1036], 2);
    EXPECT_EQ(packets[1040], 2);
    EXPECT_EQ(packets[1043], 1);
    EXPECT_EQ(packets[1047], 1);

    for (EVENT_TYPE type = 1000; type <= 1048; ++type)
        ASSERT_EQ(unregisterEvent(device, type), GC_ERR_SUCCESS);
    EXPECT_EQ(PexTestInjectIoEdge(digitizer, 0x501), 1);
    size = sizeof packet;
    EXPECT_EQ(getData(shared, packet, &size, 0), GC_ERR_TIMEOUT) << "still open for EVENT_MODULE, nothing armed";
    ASSERT_EQ(unregisterEvent(device, EVENT_MODULE), GC_ERR_SUCCESS);
    size = sizeof packet;
    EXPECT_EQ(getData(shared, packet, &size, 0), GC_ERR_INVALID_HANDLE) << "closed with its last registration";
}

TEST_F(CxpStreaming, ATypeRegisteredBeforeACloseRegistersAgainAfterTheReopen)
{
    auto registerEvent = cti.Fn<PGCRegisterEvent>("GCRegisterEvent");
    EVENT_HANDLE handle = nullptr;
    ASSERT_EQ(registerEvent(device, 1004, &handle), GC_ERR_SUCCESS);
    ASSERT_EQ(cti.Fn<PDevClose>("DevClose")(device), GC_ERR_SUCCESS);
    PexTestSetCallLog(1);
    PexTestClearCallLog();
    ASSERT_EQ(cti.OpenFirstDevice(DEVICE_ACCESS_EXCLUSIVE, &device), GC_ERR_SUCCESS);
    digitizer = CtiProducer::LastControlledDigitizer();
    PexTestSetCallLog(0);
    ASSERT_EQ(registerEvent(device, 1004, &handle), GC_ERR_SUCCESS);
    ASSERT_EQ(registerEvent(device, 1041, &handle), GC_ERR_SUCCESS);
    ASSERT_EQ(PexTestInjectTimer(digitizer, 1, 0), 1);
    uint8_t packet[8 + 128] = {};
    size_t size = sizeof packet;
    ASSERT_EQ(cti.Fn<PEventGetData>("EventGetData")(handle, packet, &size, 0), GC_ERR_SUCCESS);
    EXPECT_EQ(size, 8u + 16u);
}
