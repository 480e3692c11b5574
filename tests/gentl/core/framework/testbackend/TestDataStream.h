#pragma once
#include "GenTLDataStream.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <vector>

namespace GenTLTest {

// A data stream of the test back end over a fake engine: a mutex and a
// condition variable guard the scheduled and completed buffers. The test
// completes buffers (or lets the engine complete every scheduled buffer at
// once), fails the next wait, the start or the buffer preparation.
class TestDataStream : public GenTLCore::GenTLDataStream {
public:
    TestDataStream();
    explicit TestDataStream(const GenTLCore::CountedPtr<GenTLCore::StreamTag>& tag);
    ~TestDataStream() override;

    bool DefinesPayloadSize() override { return true; }
    bool EnforcesPayloadSize() override { return enforcePayloadSize; }
    uint64_t GetPayloadSize() override { return payloadSize; }
    GenTLCore::CountedPtr<GenTLCore::GenTLBuffer> AllocateStreamBuffer(void* memory, uint64_t size, void* userPointer,
                                                                       bool auxiliary) override;
    GC_ERROR PrepareTLStreaming() override { return GC_ERR_SUCCESS; }
    bool PrepareStreamBuffer(GenTLCore::GenTLBuffer&) override { return !failPrepare; }
    GC_ERROR StartStream() override { return failStart ? GC_ERR_IO : GC_ERR_SUCCESS; }
    bool StopStream() override;
    void AbortTLStreaming() override;
    void ResetTLStreaming() override;
    void ScheduleBufferForAcquisition(GenTLCore::GenTLBuffer* buffer) override;
    int32_t WaitForBuffer(GenTLCore::GenTLBuffer** buffer) override;
    void ReleaseScheduledBuffers(std::vector<GenTLCore::GenTLBuffer*>* buffers) override;
    uint64_t GetTLStatistic(int32_t kind) override;
    void OpenTLStream() override {}
    void CloseTLStream() override {}

    // Fills the n oldest scheduled buffers; the number filled.
    size_t Complete(size_t n);
    void FailNextWait();
    // Waits until the engine holds n buffers; false after 10 s.
    bool WaitForScheduled(size_t n);
    // Waits until the acquisition thread took every filled buffer and waits
    // again, or stopped streaming; false after 10 s.
    bool WaitUntilIdle();
    size_t ScheduledCount();

    uint64_t payloadSize = 64;
    bool enforcePayloadSize = true;
    bool failPrepare = false;
    bool failStart = false;
    // Every scheduled buffer counts as filled at once (the benchmark).
    bool autoComplete = false;
    // The output queue takes items only while open (refused pushes).
    bool refusingOutput = false;

protected:
    GenTLCore::CountedPtr<GenTLCore::GenTLNewBufferEvent> CreateOutputQueue() override;

private:
    GenTLCore::CountedPtr<GenTLCore::StreamTag> m_tag;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<GenTLCore::GenTLBuffer*> m_scheduled;
    std::deque<GenTLCore::GenTLBuffer*> m_completed;
    bool m_aborted = false;
    bool m_failWait = false;
    int m_waiting = 0;
    uint64_t m_frames = 0;
};

}  // namespace GenTLTest
