// The data stream and its buffers on the imaging-library stand-in.
#include "GenTLBufferPEX.h"
#include "PexStreamFixture.h"

#include <platform/pex/PexTest.h>

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <thread>

using namespace GenTLCore;
using namespace GenTLCore::PEXCore;
using PexStreamTesting::PexStreamTest;

namespace {

GenTLBufferPEX* Pex(GenTLBuffer* buffer) { return static_cast<GenTLBufferPEX*>(buffer); }

// True when a Mono8 image shows the camera's moving pattern of one frame.
bool ShowsMono8Pattern(const uint8_t* pixels, uint32_t width, uint32_t height)
{
    const uint64_t frame = pixels[0];  // (4n mod 1024) / 4 at sensor pixel 0, 0
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x)
            if (pixels[y * width + x] != PexTestPatternValue(x, y, frame, 0, 8))
                return false;
    return true;
}

}  // namespace

TEST_F(PexStreamTest, IdsComeFromTheDescriptorTheBoardAndTheDevice)
{
    EXPECT_EQ(tag->GetDeviceID(), "PX_SYSTEM_TARSILCXP0\\Device0");
    EXPECT_EQ(tag->GetStreamID(), "PX_SYSTEM_TARSILCXP0\\Device0\\Stream0");
    EXPECT_EQ(stream->GetPayloadSize(), 64u * 48u);
}

TEST_F(PexStreamTest, ProducerBuffersAreFilledInPlaceWithFrameIdsFromOne)
{
    auto buffers = AllocAndAnnounce(4);
    for (auto& buffer : buffers) {
        EXPECT_TRUE(Pex(buffer.Get())->IsZeroCopy());
        PEX_INT host = 0;
        PexBufInquire(Pex(buffer.Get())->GetLibraryBuffer(), 0x10000, &host);
        EXPECT_EQ(buffer->GetBase(), reinterpret_cast<uint8_t*>(host));
    }
    QueueAll(buffers);
    StartCamera();
    for (int run = 0; run < 2; ++run) {
        ASSERT_EQ(Start(), GC_ERR_SUCCESS);
        uint64_t lastStamp = 0;
        for (uint64_t id = 1; id <= 20; ++id) {
            GenTLBuffer* buffer = Next();
            ASSERT_NE(buffer, nullptr);
            EXPECT_EQ(BufferInfo(buffer, BUFFER_INFO_FRAMEID), id) << "restart at 1 after each start";
            EXPECT_EQ(BufferInfo(buffer, BUFFER_INFO_WIDTH), 64u);
            EXPECT_EQ(BufferInfo(buffer, BUFFER_INFO_HEIGHT), 48u);
            EXPECT_EQ(BufferInfo(buffer, BUFFER_INFO_DELIVERED_IMAGEHEIGHT), 48u);
            EXPECT_EQ(BufferInfo(buffer, BUFFER_INFO_XPADDING), 0u);
            EXPECT_EQ(BufferInfo(buffer, BUFFER_INFO_PIXELFORMAT), 0x01080001u);
            EXPECT_EQ(BufferInfo(buffer, BUFFER_INFO_SIZE_FILLED), 64u * 48u);
            const uint64_t stamp = BufferInfo(buffer, BUFFER_INFO_TIMESTAMP_NS);
            EXPECT_GE(stamp, lastStamp);
            lastStamp = stamp;
            EXPECT_TRUE(ShowsMono8Pattern(buffer->GetBase(), 64, 48));
            ASSERT_EQ(stream->QueueBuffer(buffer), GC_ERR_SUCCESS);
        }
        ASSERT_EQ(stream->StopAcquisition(ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS);
        ASSERT_EQ(stream->FlushQueue(ACQ_QUEUE_OUTPUT_DISCARD), GC_ERR_SUCCESS);
        ASSERT_EQ(stream->FlushQueue(ACQ_QUEUE_ALL_TO_INPUT), GC_ERR_SUCCESS);
    }
}

TEST_F(PexStreamTest, ConsumerMemoryReceivesACopyOfAtMostTheLibraryBuffer)
{
    const uint64_t payload = stream->GetPayloadSize();
    std::vector<uint8_t> large(payload + 100, 0xEE), small(payload / 2, 0xEE);
    CountedPtr<GenTLBuffer> big, little;
    ASSERT_EQ(stream->AnnounceBufferChecked(large.data(), large.size(), nullptr, &big), GC_ERR_SUCCESS);
    EXPECT_FALSE(Pex(big.Get())->IsZeroCopy());
    ASSERT_EQ(stream->QueueBuffer(big.Get()), GC_ERR_SUCCESS);
    StartCamera();
    ASSERT_EQ(Start(), GC_ERR_SUCCESS);
    ASSERT_EQ(Next(), big.Get());
    EXPECT_TRUE(ShowsMono8Pattern(large.data(), 64, 48));
    EXPECT_EQ(large[payload], 0xEE) << "nothing beyond the library buffer";
    ASSERT_EQ(stream->StopAcquisition(ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS);

    // A smaller consumer buffer (the payload is not enforced by the library
    // here: the engine is driven directly) receives its own size.
    ASSERT_EQ(stream->AnnounceBufferChecked(small.data(), small.size(), nullptr, &little), GC_ERR_SUCCESS);
    Pex(little.Get())->HandleReport(0, false);
    EXPECT_NE(small[small.size() - 1], 0xEE);
    stream->ResetTLStreaming();  // forget the report
}

TEST_F(PexStreamTest, BayerWithoutConversionIsDeliveredAsTheCameraFormatAndWithConversionAsBGR8)
{
    WriteCamera(0x3020, 0x01080009);  // BayerRG8
    PexDigControl(digitizer, 5326, -9999);
    auto raw = AllocAndAnnounce(1);
    QueueAll(raw);
    StartCamera();
    ASSERT_EQ(Start(), GC_ERR_SUCCESS);
    GenTLBuffer* buffer = Next();
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(BufferInfo(buffer, BUFFER_INFO_PIXELFORMAT), 0x01080009u);
    ASSERT_EQ(stream->StopAcquisition(ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS);

    ASSERT_EQ(stream->FlushQueue(ACQ_QUEUE_OUTPUT_DISCARD), GC_ERR_SUCCESS);
    ASSERT_EQ(stream->FlushQueue(ACQ_QUEUE_ALL_DISCARD), GC_ERR_SUCCESS);
    void* memory = raw[0]->GetBase();
    ASSERT_EQ(stream->RevokeBuffer(raw[0].Get(), &memory, nullptr), GC_ERR_SUCCESS);
    EXPECT_EQ(memory, nullptr) << "the library's memory goes with the buffer";

    PexDigControl(digitizer, 5326, -9997);
    EXPECT_EQ(stream->GetPayloadSize(), 64u * 48u * 3u);
    auto colour = AllocAndAnnounce(1);
    QueueAll(colour);
    ASSERT_EQ(Start(), GC_ERR_SUCCESS);
    buffer = Next();
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(BufferInfo(buffer, BUFFER_INFO_PIXELFORMAT), 0x02180015u) << "BGR8";
    EXPECT_EQ(BufferInfo(buffer, BUFFER_INFO_SIZE_FILLED), 64u * 48u * 3u);
}

TEST(PexBufferPadding, BitsPerPixelByFormatClass)
{
    struct Case {
        uint64_t code;
        int64_t bits;
    } cases[] = {{0x200, 8}, {0x300, 16}, {0x800, 24}, {0xB00, 48}, {0x1400, 192},
                 {0x2900, 64}, {0x500, -1}, {0, -1}, {0x10201, 8}};
    for (const Case& c : cases)
        EXPECT_EQ(GenTLBufferPEX::BitsPerPixel(c.code), c.bits) << std::hex << c.code;
}

TEST_F(PexStreamTest, AProducerBufferLargerThanThePayloadHasALibraryBufferOfAtLeastItsSize)
{
    const uint64_t payload = stream->GetPayloadSize();
    auto buffers = AllocAndAnnounce(1, payload * 2 + 5);
    GenTLBufferPEX* buffer = Pex(buffers[0].Get());
    EXPECT_GE(buffer->GetByteSize(), payload * 2 + 5);
    std::memset(buffer->GetBase(), 1, payload * 2 + 5);  // ASan: every byte exists
}

TEST_F(PexStreamTest, StartRefusesLibraryBuffersMadeBeforeTheImageGrew)
{
    std::vector<uint8_t> memory(64 * 96);
    CountedPtr<GenTLBuffer> buffer;
    ASSERT_EQ(stream->AnnounceBufferChecked(memory.data(), memory.size(), nullptr, &buffer), GC_ERR_SUCCESS);
    QueueAll({buffer});
    WriteCamera(0x3014, 96);  // Height
    EXPECT_EQ(stream->GetPayloadSize(), 64u * 96u);
    EXPECT_NE(Start(), GC_ERR_SUCCESS);
    EXPECT_FALSE(stream->IsStreaming());
}

TEST_F(PexStreamTest, AfterTheAbortScheduledBuffersAreHeldNotGrabbed)
{
    auto buffers = AllocAndAnnounce(2);
    StartCamera();
    ASSERT_EQ(stream->StartStream(), GC_ERR_SUCCESS);
    stream->ResetTLStreaming();
    stream->AbortTLStreaming();
    PexTestSetCallLog(1);
    PexTestClearCallLog();
    stream->ScheduleBufferForAcquisition(buffers[0].Get());
    EXPECT_EQ(PexTestCallCountOf("PexDigGrab"), 0u);
    GenTLBuffer* taken = nullptr;
    EXPECT_EQ(stream->WaitForBuffer(&taken), 1);
    EXPECT_EQ(stream->GetTLStatistic(1), 1u);
    std::vector<GenTLBuffer*> released;
    stream->ReleaseScheduledBuffers(&released);
    EXPECT_EQ(released, std::vector<GenTLBuffer*>{buffers[0].Get()});
    EXPECT_EQ(stream->GetTLStatistic(1), 0u) << "released buffers are no longer with the engine";
    EXPECT_EQ(stream->GetTLStatistic(3), 0u);
    stream->ReleaseScheduledBuffers(&released);
    EXPECT_TRUE(released.empty()) << "a buffer is handed back once";
}

TEST_F(PexStreamTest, StopAndRestartLoseNoBufferAndDeliverNoneTwice)
{
    auto buffers = AllocAndAnnounce(6);
    std::set<GenTLBuffer*> announced;
    for (auto& b : buffers)
        announced.insert(b.Get());
    StartCamera();
    for (uint32_t mode : {0u, 1u, 2u}) {
        size_t size = sizeof mode;
        ASSERT_EQ(stream->WritePort(GenTLDataStream::kHandlingModeAddress, &mode, &size), GC_ERR_SUCCESS);
        for (int run = 0; run < 15; ++run) {
            ASSERT_EQ(stream->FlushQueue(ACQ_QUEUE_ALL_TO_INPUT), GC_ERR_SUCCESS);
            ASSERT_EQ(Start(), GC_ERR_SUCCESS);
            std::set<GenTLBuffer*> held;
            for (int i = 0; i < 4 + run; ++i) {
                GenTLBuffer* buffer = Next();
                ASSERT_NE(buffer, nullptr);
                ASSERT_TRUE(announced.count(buffer));
                ASSERT_TRUE(held.insert(buffer).second) << "delivered while the consumer holds it";
                if (held.size() > 2) {
                    GenTLBuffer* back = *held.begin();
                    held.erase(held.begin());
                    ASSERT_EQ(stream->QueueBuffer(back), GC_ERR_SUCCESS);
                }
            }
            ASSERT_EQ(stream->StopAcquisition(ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS);
            // Every buffer is back in the input queue, in the output queue or
            // with the consumer, once.
            const uint64_t input = StreamInfo(STREAM_INFO_NUM_QUEUED);
            const uint64_t waiting = StreamInfo(STREAM_INFO_NUM_AWAIT_DELIVERY);
            EXPECT_EQ(input + waiting + held.size(), announced.size()) << "mode " << mode << " run " << run;
            for (GenTLBuffer* buffer : held)
                ASSERT_EQ(stream->QueueBuffer(buffer), GC_ERR_SUCCESS);
        }
    }
}

TEST_F(PexStreamTest, DestroyingAnAcquiringStreamLeavesNoHookBehind)
{
    auto buffers = AllocAndAnnounce(3);
    QueueAll(buffers);
    ASSERT_EQ(Start(), GC_ERR_SUCCESS);  // the camera is stopped: grabs wait
    EXPECT_GT(PexTestHookCount(digitizer), 0u);
    buffers.clear();
    output = CountedPtr<GenTLEvent>();
    stream = CountedPtr<GenTLDataStream>();
    EXPECT_EQ(PexTestHookCount(digitizer), 0u);
    StartCamera();  // no grab is left to run into freed objects
}

TEST_F(PexStreamTest, GrabStartsAreCounted)
{
    auto buffers = AllocAndAnnounce(2);
    QueueAll(buffers);
    StartCamera();
    ASSERT_EQ(Start(), GC_ERR_SUCCESS);
    GenTLBuffer* first = Next();
    ASSERT_NE(first, nullptr);
    EXPECT_GE(stream->GetTLStatistic(0), 1u);
    EXPECT_EQ(StreamInfo(STREAM_INFO_NUM_STARTED), stream->GetTLStatistic(0));
}

class PexSilentAbortTest : public PexStreamTest {
protected:
    PexSilentAbortTest() : PexStreamTest("[camera]\nwidth = 64\nheight = 48\nsilent_abort = 1\n") {}
};

TEST_F(PexSilentAbortTest, AnAbortTheLibraryNeverReportsEndsAfterItsTimeOutWithEveryBufferBack)
{
    auto buffers = AllocAndAnnounce(3);
    QueueAll(buffers);
    ASSERT_EQ(Start(), GC_ERR_SUCCESS);  // the camera is stopped: grabs wait
    ASSERT_EQ(stream->StopAcquisition(ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS);
    EXPECT_EQ(StreamInfo(STREAM_INFO_NUM_QUEUED), 3u);
}

// What a buffer reports as filled fits the buffer and is the delivered image:
// a consumer buffer announced before the image shrank, and a producer buffer
// asked a little larger than the payload.
TEST_F(PexStreamTest, SizeFilledIsTheDeliveredImageWithinTheBuffer)
{
    const uint64_t big = stream->GetPayloadSize();  // 64 x 48
    std::vector<uint8_t> memory(big / 2);
    CountedPtr<GenTLBuffer> consumer;
    ASSERT_EQ(stream->AnnounceBufferChecked(memory.data(), memory.size(), nullptr, &consumer), GC_ERR_SUCCESS);
    WriteCamera(0x3014, 24);  // Height
    const uint64_t small = stream->GetPayloadSize();
    ASSERT_EQ(small, big / 2);
    auto producer = AllocAndAnnounce(1, small + 1);
    QueueAll({consumer, producer[0]});
    StartCamera();
    ASSERT_EQ(Start(), GC_ERR_SUCCESS);
    for (int i = 0; i < 2; ++i) {
        GenTLBuffer* got = Next(2000);
        ASSERT_NE(got, nullptr);
        EXPECT_EQ(BufferInfo(got, BUFFER_INFO_SIZE_FILLED), small);
        EXPECT_EQ(BufferInfo(got, BUFFER_INFO_DATA_SIZE), small);
    }
    ASSERT_EQ(stream->StopAcquisition(ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS);
}

// A producer buffer of a size the library cannot allocate is out of memory,
// at image widths whose line size divides 2^64 - 1 and at an ordinary one:
// a size whose whole lines pass the library's signed byte counts is refused
// before the library is asked for them, a smaller absurd one by the library.
// The stream announces an ordinary buffer afterwards.
TEST_F(PexStreamTest, AbsurdProducerBufferSizesAreOutOfMemory)
{
    const struct {
        uint64_t size;
        bool libraryAsked;
    } cases[] = {
        {UINT64_MAX, false},          {0xFFFFFFFFFFFFFF01u, false}, {uint64_t(1) << 63, false},
        {uint64_t(INT64_MAX), false}, {uint64_t(1) << 62, true},    {uint64_t(1) << 40, true},
    };
    PexTestSetCallLog(1);
    for (uint32_t width : {3u, 255u, 257u, 640u}) {
        WriteCamera(0x3010, width);  // Width
        ASSERT_EQ(stream->GetPayloadSize(), width * 48u);
        for (const auto& c : cases) {
            PexTestClearCallLog();
            CountedPtr<GenTLBuffer> buffer;
            EXPECT_EQ(stream->AllocAndAnnounceBuffer(c.size, nullptr, &buffer), GC_ERR_OUT_OF_MEMORY)
                << "width " << width << ", size " << c.size;
            EXPECT_EQ(PexTestCallCountOf("PexBufAllocColor"), c.libraryAsked ? 2u : 1u)
                << "width " << width << ", size " << c.size;
        }
        AllocAndAnnounce(1);
    }
    EXPECT_EQ(StreamInfo(STREAM_INFO_NUM_ANNOUNCED), 4u);
}
