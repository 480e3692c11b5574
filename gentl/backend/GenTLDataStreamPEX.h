#pragma once
#include "EventSignal.h"
#include "GenTLBufferPEX.h"
#include "GenTLDataStream.h"
#include "StreamTagPEX.h"

#include <platform/pex/Pex.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <set>
#include <string>
#include <vector>

namespace GenTLCore {
namespace PEXCore {

// The stream engine over one digitizer: every grab of the stream is queued
// on a library thread object behind a wait on a library event, which
// StartStream sets; the buffers' hooks report each grab, and WaitForBuffer
// hands the filled ones out in report order.
//
// The engine lock (the signal's lock) guards the queued set, the lists and
// the flags. Grabs and the thread selection are made with it held; the
// abort controls and the frees without it, because they report buffers
// through the hooks, which take it.
class GenTLDataStreamPEX : public GenTLDataStream {
public:
    explicit GenTLDataStreamPEX(const CountedPtr<StreamTagPEX>& tag);
    ~GenTLDataStreamPEX() override;

    bool DefinesPayloadSize() override { return true; }
    bool EnforcesPayloadSize() override { return true; }
    uint64_t GetPayloadSize() override;
    CountedPtr<GenTLBuffer> AllocateStreamBuffer(void* memory, uint64_t size, void* userPointer,
                                                 bool auxiliary) override;
    GC_ERROR PrepareTLStreaming() override;
    // False for a buffer whose library buffer is smaller than the payload
    // (made before the image grew).
    bool PrepareStreamBuffer(GenTLBuffer& buffer) override;
    GC_ERROR StartStream() override;
    bool StopStream() override;
    void AbortTLStreaming() override;
    void ResetTLStreaming() override;
    void ScheduleBufferForAcquisition(GenTLBuffer* buffer) override;
    int32_t WaitForBuffer(GenTLBuffer** buffer) override;
    void ReleaseScheduledBuffers(std::vector<GenTLBuffer*>* buffers) override;
    uint64_t GetTLStatistic(int32_t kind) override;
    void OpenTLStream() override {}
    void CloseTLStream() override {}

    // A buffer hook's report, on a library thread.
    void ModifiedBufferCallback(GenTLBufferPEX* buffer);
    static PEX_INT OnGrabStart(PEX_INT hookType, PEX_ID eventId, void* userData);
    // The frame id of the next completed frame (1 after StartStream).
    uint64_t NextFrameId() { return static_cast<uint64_t>(m_frameCounter.fetch_add(1) + 1); }

    PEX_ID GetDigitizer() const { return m_digitizer; }
    // Ends everything the stream has on the digitizer and the library: the
    // acquisition, the grab thread and event, the grab-start hook. Once; the
    // device calls it before it frees the digitizer, so that a stream that a
    // racing call still holds never reaches a freed digitizer at its end.
    void DetachFromDigitizer();
    // The colour-buffer attribute of a digitizer's image: image + grab,
    // packed BGR for three bands.
    static PEX_INT ColourAttribute(PEX_INT bands, PEX_INT type);

private:
    void WaitForAbortComplete(uint32_t timeoutMs);
    // Runs `call` with the grab thread selected for the calling thread, so
    // that a grab or a wait is queued on it.
    template <class Call>
    void OnGrabThread(Call call);
    void ArmGrabEvent();
    void Trace(const std::string& text) const;

    CountedPtr<StreamTagPEX> m_tag;
    PEX_ID m_grabThread = 0;
    PEX_ID m_grabEvent = 0;
    const PEX_ID m_digitizer;
    const PEX_ID m_system;
    std::set<GenTLBuffer*> m_queuedBuffers;
    // Scheduled while the engine is stopping: recorded, never grabbed.
    std::vector<GenTLBuffer*> m_heldBuffers;
    std::deque<GenTLBuffer*> m_canceledBuffers;
    std::deque<GenTLBuffer*> m_grabbedBuffers;
    EventSignal m_engineSignal;
    bool m_aborting = false;
    bool m_detached = false;
    bool m_stopping = false;
    std::atomic<uint32_t> m_callbackThreadId{0};
    std::atomic<size_t> m_queuedCount{0};
    std::atomic<int64_t> m_grabStartCount{0};
    // Consumer buffers with the engine: scheduled and not yet handed out or
    // released (the framework adds it to its input queue's count).
    std::atomic<int64_t> m_scheduledCount{0};
    std::atomic<bool> m_started{false};
    std::atomic<int64_t> m_frameCounter{0};
    uint64_t m_preparedPayload = 0;
};

}  // namespace PEXCore
}  // namespace GenTLCore
