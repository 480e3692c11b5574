// Acquisition start and stop and the acquisition thread's handling modes on
// the fake engine. Threaded: run under ThreadSanitizer.
#include "StreamFixture.h"
#include "ThreadHandle.h"

#include <chrono>
#include <cstdint>
#include <thread>

using namespace GenTLCore;
using namespace GenTLTest;

TEST_F(StreamTest, ThreeQueuedBuffersAreDeliveredAndTheCountStopsTheThread)
{
    auto buffers = Announce(3);
    QueueAll(buffers);
    ASSERT_EQ(stream.StartAcquisition(ACQ_START_FLAGS_DEFAULT, 3), GC_ERR_SUCCESS);
    EXPECT_EQ(Info(STREAM_INFO_IS_GRABBING), 1u);
    ASSERT_TRUE(stream.WaitForScheduled(3));
    EXPECT_EQ(stream.Complete(3), 3u);
    for (int i = 0; i < 3; ++i) {
        S_EVENT_NEW_BUFFER item{};
        ASSERT_EQ(Next(&item), GC_ERR_SUCCESS);
        EXPECT_EQ(item.BufferHandle, buffers[i]->Handle());
    }
    ASSERT_TRUE(stream.WaitUntilIdle());
    EXPECT_EQ(Info(STREAM_INFO_IS_GRABBING), 0u);
    EXPECT_EQ(Info(STREAM_INFO_NUM_DELIVERED), 3u);
    EXPECT_TRUE(buffers[0]->HasData());
    EXPECT_EQ(stream.StopAcquisition(ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS);
    EXPECT_EQ(stream.StopAcquisition(ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS) << "tolerated when not started";
}

TEST_F(StreamTest, StartRefusals)
{
    EXPECT_EQ(stream.StartAcquisition(ACQ_START_FLAGS_DEFAULT, 1), GC_ERR_INVALID_BUFFER);
    CountedPtr<GenTLBuffer> small;
    ASSERT_EQ(stream.AllocAndAnnounceBuffer(16, nullptr, &small), GC_ERR_SUCCESS);
    EXPECT_EQ(stream.StartAcquisition(ACQ_START_FLAGS_DEFAULT, 1), GC_ERR_BUFFER_TOO_SMALL);
    EXPECT_EQ(stream.StartAcquisition(7, 1), GC_ERR_NOT_IMPLEMENTED);
    EXPECT_EQ(stream.StartAcquisition(ACQ_START_FLAGS_DEFAULT, 0), GC_ERR_INVALID_PARAMETER);
    stream.payloadSize = 16;
    stream.failStart = true;
    EXPECT_EQ(stream.StartAcquisition(ACQ_START_FLAGS_DEFAULT, 1), GC_ERR_IO) << "the engine's code";
    stream.failStart = false;
    ASSERT_EQ(stream.StartAcquisition(ACQ_START_FLAGS_DEFAULT, GenTLDataStream::kUnlimited), GC_ERR_SUCCESS);
    EXPECT_EQ(stream.StartAcquisition(ACQ_START_FLAGS_DEFAULT, 1), GC_ERR_RESOURCE_IN_USE);
    EXPECT_EQ(WriteRegister(GenTLDataStream::kHandlingModeAddress, 1), GC_ERR_ACCESS_DENIED);
    EXPECT_EQ(stream.StopAcquisition(2), GC_ERR_NOT_IMPLEMENTED) << "stopped all the same";
    EXPECT_EQ(Info(STREAM_INFO_IS_GRABBING), 0u);
}

TEST_F(StreamTest, ModeZeroDropsAuxiliaryBlocks)
{
    Announce(1);  // announced, never queued
    ASSERT_EQ(WriteRegister(GenTLDataStream::kAuxiliaryCountAddress, 2), GC_ERR_SUCCESS);
    ASSERT_EQ(stream.StartAcquisition(ACQ_START_FLAGS_DEFAULT, GenTLDataStream::kUnlimited), GC_ERR_SUCCESS);
    ASSERT_TRUE(stream.WaitForScheduled(2));
    stream.Complete(2);
    ASSERT_TRUE(stream.WaitForScheduled(2)) << "the auxiliary buffers go back to the engine";
    ASSERT_TRUE(stream.WaitUntilIdle());
    EXPECT_EQ(Info(STREAM_INFO_NUM_UNDERRUN), 2u);
    EXPECT_EQ(Info(STREAM_INFO_NUM_AWAIT_DELIVERY), 0u);
}

TEST_F(StreamTest, ModeOneOverwritesTheOldestWaitingBuffer)
{
    auto buffers = Announce(1);
    ASSERT_EQ(WriteRegister(GenTLDataStream::kAuxiliaryCountAddress, 1), GC_ERR_SUCCESS);
    ASSERT_EQ(WriteRegister(GenTLDataStream::kHandlingModeAddress, 1), GC_ERR_SUCCESS);
    QueueAll(buffers);
    ASSERT_EQ(stream.StartAcquisition(ACQ_START_FLAGS_DEFAULT, GenTLDataStream::kUnlimited), GC_ERR_SUCCESS);
    ASSERT_TRUE(stream.WaitForScheduled(2));
    stream.Complete(1);  // the consumer buffer was scheduled first
    ASSERT_TRUE(stream.WaitUntilIdle());
    stream.Complete(1);  // the auxiliary block
    ASSERT_TRUE(stream.WaitForScheduled(1));
    ASSERT_TRUE(stream.WaitUntilIdle());
    EXPECT_EQ(Info(STREAM_INFO_NUM_AWAIT_DELIVERY), 1u);
    EXPECT_EQ(stream.DroppedCount(), 1u);
    S_EVENT_NEW_BUFFER item{};
    ASSERT_EQ(Next(&item, 0), GC_ERR_SUCCESS);
    EXPECT_EQ(item.BufferHandle, buffers[0]->Handle());
}

TEST_F(StreamTest, ModeTwoKeepsOnlyTheNewestAndReschedulesTheRest)
{
    auto buffers = Announce(4);
    ASSERT_EQ(WriteRegister(GenTLDataStream::kHandlingModeAddress, 2), GC_ERR_SUCCESS);
    ASSERT_TRUE(StartWithQueued(buffers));
    for (int i = 0; i < 4; ++i) {
        stream.Complete(1);
        ASSERT_TRUE(stream.WaitUntilIdle());
    }
    EXPECT_EQ(Info(STREAM_INFO_NUM_AWAIT_DELIVERY), 1u);
    EXPECT_EQ(stream.DroppedCount(), 3u);
    EXPECT_EQ(stream.ScheduledCount(), 3u) << "the three older ones went back to the engine";
    S_EVENT_NEW_BUFFER item{};
    ASSERT_EQ(Next(&item, 0), GC_ERR_SUCCESS);
    EXPECT_EQ(item.BufferHandle, buffers[3]->Handle());
}

TEST_F(StreamTest, StopReturnsTheEngineBuffersToTheInputQueue)
{
    auto buffers = Announce(3);
    ASSERT_TRUE(StartWithQueued(buffers));
    stream.Complete(1);
    ASSERT_TRUE(stream.WaitUntilIdle());
    ASSERT_EQ(stream.StopAcquisition(ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS);
    EXPECT_EQ(Info(STREAM_INFO_NUM_QUEUED), 2u);
    EXPECT_EQ(Info(STREAM_INFO_NUM_AWAIT_DELIVERY), 1u);
    EXPECT_FALSE(buffers[1]->IsAcquiring());
    EXPECT_TRUE(buffers[1]->IsQueued());
    // FlushQueue 2 during an acquisition stops it first.
    ASSERT_EQ(stream.StartAcquisition(ACQ_START_FLAGS_DEFAULT, GenTLDataStream::kUnlimited), GC_ERR_SUCCESS);
    ASSERT_EQ(stream.FlushQueue(ACQ_QUEUE_ALL_TO_INPUT), GC_ERR_SUCCESS);
    EXPECT_EQ(Info(STREAM_INFO_IS_GRABBING), 0u);
    EXPECT_EQ(Info(STREAM_INFO_NUM_QUEUED), 3u);
    EXPECT_EQ(stream.StopAcquisition(ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS);
}

TEST_F(StreamTest, AFailedThreadStartIsUndone)
{
    auto buffers = Announce(2);
    QueueAll(buffers);
    ThreadHandle::FailNextStarts(1);
    EXPECT_EQ(stream.StartAcquisition(ACQ_START_FLAGS_DEFAULT, GenTLDataStream::kUnlimited), GC_ERR_ERROR);
    EXPECT_EQ(LastErrorText(), "StartAcquisition: failed to start the acquisition thread");
    EXPECT_EQ(Info(STREAM_INFO_IS_GRABBING), 0u);
    EXPECT_EQ(stream.ScheduledCount(), 0u);
    EXPECT_EQ(Info(STREAM_INFO_NUM_QUEUED), 2u) << "the scheduled buffers are back in the input queue";
    EXPECT_FALSE(buffers[0]->IsAcquiring());
    EXPECT_EQ(stream.StartAcquisition(ACQ_START_FLAGS_DEFAULT, GenTLDataStream::kUnlimited), GC_ERR_SUCCESS);
}

TEST_F(StreamTest, StaleOutputOfAnEarlierRunDoesNotEndTheCountAtOnce)
{
    auto buffers = Announce(4);
    ASSERT_TRUE(StartWithQueued(buffers));
    stream.Complete(3);
    ASSERT_TRUE(stream.WaitUntilIdle());
    ASSERT_EQ(stream.StopAcquisition(ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS);
    ASSERT_EQ(Info(STREAM_INFO_NUM_AWAIT_DELIVERY), 3u);  // stale

    // Mode 2, two blocks: the first takes the three stale ones back.
    ASSERT_EQ(WriteRegister(GenTLDataStream::kHandlingModeAddress, 2), GC_ERR_SUCCESS);
    ASSERT_EQ(stream.StartAcquisition(ACQ_START_FLAGS_DEFAULT, 2), GC_ERR_SUCCESS);
    ASSERT_TRUE(stream.WaitForScheduled(1));
    stream.Complete(1);
    ASSERT_TRUE(stream.WaitUntilIdle());
    EXPECT_EQ(Info(STREAM_INFO_IS_GRABBING), 1u) << "one block of two: still running";
    S_EVENT_NEW_BUFFER item{};
    ASSERT_EQ(Next(&item), GC_ERR_SUCCESS);
    for (int i = 0; i < 4 && stream.IsStreaming(); ++i) {
        ASSERT_TRUE(stream.WaitForScheduled(1));
        stream.Complete(1);
        ASSERT_EQ(Next(&item), GC_ERR_SUCCESS);
        ASSERT_TRUE(stream.WaitUntilIdle());
    }
    EXPECT_FALSE(stream.IsStreaming()) << "the count ends the run";
}

TEST_F(StreamTest, StaleOutputLeftQueuedDoesNotKeepTheCountFromEnding)
{
    auto buffers = Announce(4);
    ASSERT_TRUE(StartWithQueued(buffers));
    stream.Complete(3);
    ASSERT_TRUE(stream.WaitUntilIdle());
    ASSERT_EQ(stream.StopAcquisition(ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS);
    ASSERT_EQ(Info(STREAM_INFO_NUM_AWAIT_DELIVERY), 3u);  // stale, and the consumer never takes them

    ASSERT_EQ(WriteRegister(GenTLDataStream::kHandlingModeAddress, 2), GC_ERR_SUCCESS);
    ASSERT_EQ(stream.StartAcquisition(ACQ_START_FLAGS_DEFAULT, 1), GC_ERR_SUCCESS);
    ASSERT_TRUE(stream.WaitForScheduled(1));
    stream.Complete(1);
    ASSERT_TRUE(stream.WaitUntilIdle());
    for (int i = 0; i < 1000 && stream.IsStreaming(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(stream.IsStreaming()) << "one block of one ends the run";
}

TEST_F(StreamTest, ABufferNoMemoryCanHoldIsOutOfMemory)
{
    CountedPtr<GenTLBuffer> buffer;
    EXPECT_EQ(stream.AllocAndAnnounceBuffer(SIZE_MAX, nullptr, &buffer), GC_ERR_OUT_OF_MEMORY);
    EXPECT_FALSE(buffer);
}

TEST_F(StreamTest, EngineFailureMakesTheStreamNonFunctional)
{
    auto buffers = Announce(2);
    QueueAll({buffers[0]});
    ASSERT_EQ(stream.StartAcquisition(ACQ_START_FLAGS_DEFAULT, GenTLDataStream::kUnlimited), GC_ERR_SUCCESS);
    stream.FailNextWait();
    ASSERT_TRUE(stream.WaitUntilIdle());
    EXPECT_EQ(stream.QueueBuffer(buffers[1].Get()), GC_ERR_ACCESS_DENIED);
    EXPECT_EQ(stream.FlushQueue(ACQ_QUEUE_UNQUEUED_TO_INPUT), GC_ERR_ACCESS_DENIED);
    EXPECT_EQ(stream.StopAcquisition(ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS);
}

TEST_F(FrameworkTest, ARefusedDeliveryGoesBackToTheEngine)
{
    TestDataStream stream;
    stream.refusingOutput = true;  // takes items only once registered
    stream.InitPortURLsOnce();
    stream.OpenLocked();
    CountedPtr<GenTLBuffer> buffer;
    ASSERT_EQ(stream.AllocAndAnnounceBuffer(64, nullptr, &buffer), GC_ERR_SUCCESS);
    ASSERT_EQ(stream.QueueBuffer(buffer.Get()), GC_ERR_SUCCESS);
    ASSERT_EQ(stream.StartAcquisition(ACQ_START_FLAGS_DEFAULT, GenTLDataStream::kUnlimited), GC_ERR_SUCCESS);
    ASSERT_TRUE(stream.WaitForScheduled(1));
    stream.Complete(1);
    ASSERT_TRUE(stream.WaitForScheduled(1)) << "refused by the output queue, scheduled again";
    EXPECT_EQ(stream.DroppedCount(), 1u);
    EXPECT_TRUE(buffer->IsQueued());

    CountedPtr<GenTLEvent> output;
    ASSERT_EQ(stream.RegisterEvent(EVENT_NEW_BUFFER, &output), GC_ERR_SUCCESS);
    output->OpenLocked();
    stream.Complete(1);
    S_EVENT_NEW_BUFFER item{};
    size_t size = sizeof item;
    ASSERT_EQ(output->GetEventData(&item, &size, 10000), GC_ERR_SUCCESS);
    EXPECT_EQ(item.BufferHandle, buffer->Handle());
    EXPECT_EQ(stream.StopAcquisition(ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS);
    stream.CloseLocked();
}
