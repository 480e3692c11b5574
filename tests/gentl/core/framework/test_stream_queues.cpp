// Data stream buffers and queues (DSAnnounceBuffer ... DSFlushQueue).
#include "StreamFixture.h"

#include <cstdint>

using namespace GenTLCore;
using namespace GenTLTest;

TEST_F(StreamTest, AnnouncedRangesMayTouchButNotOverlapOrWrap)
{
    static uint8_t memory[64];
    CountedPtr<GenTLBuffer> buffer;
    EXPECT_EQ(stream.AnnounceBufferChecked(memory, 32, nullptr, &buffer), GC_ERR_SUCCESS);
    EXPECT_EQ(stream.AnnounceBufferChecked(memory + 32, 32, nullptr, &buffer), GC_ERR_SUCCESS);
    EXPECT_EQ(stream.AnnounceBufferChecked(memory + 31, 1, nullptr, &buffer), GC_ERR_RESOURCE_IN_USE);
    EXPECT_EQ(stream.AnnounceBufferChecked(memory, 0, nullptr, &buffer), GC_ERR_BUFFER_TOO_SMALL);
    EXPECT_EQ(stream.AnnounceBufferChecked(nullptr, 8, nullptr, &buffer), GC_ERR_INVALID_PARAMETER);
    // A size that runs past the end of the address space would wrap into a
    // range that overlaps nothing.
    EXPECT_EQ(stream.AnnounceBufferChecked(memory + 8, UINT64_MAX - 4, nullptr, &buffer), GC_ERR_INVALID_PARAMETER);
    EXPECT_EQ(Info(STREAM_INFO_NUM_ANNOUNCED), 2u);

    void* base = nullptr;
    void* user = &buffer;
    ASSERT_EQ(stream.RevokeBuffer(buffer.Get(), &base, &user), GC_ERR_SUCCESS);
    EXPECT_EQ(base, memory + 32);
    EXPECT_EQ(user, nullptr);
    EXPECT_EQ(stream.RevokeBuffer(buffer.Get(), &base, &user), GC_ERR_INVALID_HANDLE);
}

TEST_F(StreamTest, QueuedBuffersAreNeitherQueuedTwiceNorRevoked)
{
    auto buffers = Announce(2);
    ASSERT_EQ(stream.QueueBuffer(buffers[0].Get()), GC_ERR_SUCCESS);
    EXPECT_EQ(stream.QueueBuffer(buffers[0].Get()), GC_ERR_RESOURCE_IN_USE);
    EXPECT_EQ(LastErrorText(), "QueueBuffer: the buffer is already queued");
    EXPECT_EQ(stream.RevokeBuffer(buffers[0].Get(), nullptr, nullptr), GC_ERR_BUSY);

    // Input to output: the buffer waits in the output queue, still queued.
    ASSERT_EQ(stream.FlushQueue(ACQ_QUEUE_INPUT_TO_OUTPUT), GC_ERR_SUCCESS);
    EXPECT_EQ(Info(STREAM_INFO_NUM_AWAIT_DELIVERY), 1u);
    EXPECT_EQ(stream.RevokeBuffer(buffers[0].Get(), nullptr, nullptr), GC_ERR_BUSY);
    S_EVENT_NEW_BUFFER item{};
    ASSERT_EQ(Next(&item, 0), GC_ERR_SUCCESS);
    EXPECT_EQ(item.BufferHandle, buffers[0]->Handle());
    EXPECT_EQ(stream.RevokeBuffer(buffers[0].Get(), nullptr, nullptr), GC_ERR_SUCCESS) << "delivered: the consumer's";

    CountedPtr<GenTLBuffer> stranger = TestDataStream().AllocateStreamBuffer(nullptr, 8, nullptr, false);
    EXPECT_EQ(stream.QueueBuffer(stranger.Get()), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(stream.GetBufferInfoFor(stranger->Handle(), BUFFER_INFO_SIZE, nullptr, nullptr, nullptr),
              GC_ERR_INVALID_HANDLE);
}

TEST_F(StreamTest, FlushModesMoveBuffersBetweenQueues)
{
    auto buffers = Announce(3);
    QueueAll({buffers[0], buffers[1]});
    ASSERT_EQ(stream.FlushQueue(ACQ_QUEUE_INPUT_TO_OUTPUT), GC_ERR_SUCCESS);
    EXPECT_EQ(Info(STREAM_INFO_NUM_AWAIT_DELIVERY), 2u);
    EXPECT_EQ(Info(STREAM_INFO_NUM_QUEUED), 0u);

    ASSERT_EQ(stream.FlushQueue(ACQ_QUEUE_OUTPUT_DISCARD), GC_ERR_SUCCESS);
    EXPECT_EQ(Info(STREAM_INFO_NUM_AWAIT_DELIVERY), 0u);
    EXPECT_FALSE(buffers[0]->IsQueued());

    ASSERT_EQ(stream.QueueBuffer(buffers[2].Get()), GC_ERR_SUCCESS);
    ASSERT_EQ(stream.FlushQueue(ACQ_QUEUE_UNQUEUED_TO_INPUT), GC_ERR_SUCCESS);
    EXPECT_EQ(Info(STREAM_INFO_NUM_QUEUED), 3u);

    ASSERT_EQ(stream.FlushQueue(ACQ_QUEUE_ALL_DISCARD), GC_ERR_SUCCESS);
    EXPECT_EQ(Info(STREAM_INFO_NUM_QUEUED), 0u);
    for (const auto& buffer : buffers)
        EXPECT_FALSE(buffer->IsQueued());

    ASSERT_EQ(stream.FlushQueue(ACQ_QUEUE_ALL_TO_INPUT), GC_ERR_SUCCESS);
    EXPECT_EQ(Info(STREAM_INFO_NUM_QUEUED), 3u);
    EXPECT_EQ(stream.FlushQueue(5), GC_ERR_NOT_IMPLEMENTED);
}

TEST_F(StreamTest, StreamInformationAndRegisters)
{
    EXPECT_EQ(Info(STREAM_INFO_BUF_ANNOUNCE_MIN), 1u);
    EXPECT_EQ(Info(STREAM_INFO_PAYLOAD_SIZE), 64u);
    uint64_t value = 0;
    size_t size = sizeof value;
    INFO_DATATYPE type = 0;
    EXPECT_EQ(stream.GetStreamInfo(14, &type, &value, &size), GC_ERR_NOT_IMPLEMENTED);
    EXPECT_EQ(stream.GetStreamInfo(STREAM_INFO_CUSTOM_ID, &type, &value, &size), GC_ERR_NOT_IMPLEMENTED);
    EXPECT_EQ(stream.GetStreamInfo(STREAM_INFO_NUM_CHUNKS_MAX, &type, &value, &size), GC_ERR_NOT_AVAILABLE);
    char id[64] = {};
    size = sizeof id;
    ASSERT_EQ(stream.GetStreamInfo(STREAM_INFO_ID, &type, id, &size), GC_ERR_SUCCESS);
    EXPECT_STREQ(id, "TestTL_STM0_dev");

    EXPECT_EQ(WriteRegister(GenTLDataStream::kHandlingModeAddress, 3), GC_ERR_INVALID_VALUE);
    EXPECT_EQ(WriteRegister(GenTLDataStream::kHandlingModeAddress, 2), GC_ERR_SUCCESS);
    EXPECT_EQ(WriteRegister(GenTLDataStream::kAuxiliaryCountAddress, 21), GC_ERR_INVALID_VALUE);
    EXPECT_EQ(WriteRegister(GenTLDataStream::kApplyPriorityAddress, 1), GC_ERR_SUCCESS)
        << "applying the priority always answers 0";
    uint32_t mode = 0;
    size = sizeof mode;
    ASSERT_EQ(stream.ReadPort(GenTLDataStream::kHandlingModeAddress, &mode, &size), GC_ERR_SUCCESS);
    EXPECT_EQ(mode, 2u);
    Announce(1);
    uint32_t count = 0;
    ASSERT_EQ(stream.ReadPort(GenTLDataStream::kAnnouncedCountAddress, &count, &size), GC_ERR_SUCCESS);
    EXPECT_EQ(count, 1u);
}
