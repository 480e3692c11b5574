#pragma once
#include "CountedPtr.h"
#include "GenTLBuffer.h"
#include "GenTLModule.h"
#include "GenTLNewBufferEvent.h"
#include "MemFunThread.h"
#include "StreamTag.h"

#include <GenTL.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace GenTLCore {

// The module behind a DS_HANDLE: announced buffers, the input queue, the
// output queue (its new-buffer event), auxiliary buffers that keep the
// engine busy, the stream registers and the acquisition thread. The back end
// derives from it and supplies the engine.
//
// Consumer calls run under the stream's module lock (then a buffer's lock
// where a buffer is inspected). The acquisition thread never takes the
// module lock: it meets the consumer at the output queue's lock, at each
// buffer's lock and at the atomic counters and flags. Engine calls are made
// with no buffer lock held, except PrepareStreamBuffer.
//
// A back end whose stream may be destroyed while acquiring calls
// StopStreaming in its destructor; normally Close has stopped it.
class GenTLDataStream : public GenTLModule {
public:
    enum HandlingMode : uint32_t {
        MODE_OLDEST_FIRST = 0,            // consumer buffers appended; auxiliary blocks dropped
        MODE_OLDEST_FIRST_OVERWRITE = 1,  // auxiliary blocks overwrite the oldest waiting buffer
        MODE_NEWEST_ONLY = 2,             // only the newest block waits; the others go back to the engine
    };
    static constexpr uint64_t kUnlimited = 0xFFFFFFFFFFFFFFFFull;
    static constexpr int32_t kNotSet = 0x7FFFFFFF;
    static constexpr uint32_t kMaxAuxiliaryBuffers = 20;
    // The stream registers' addresses on its port (the description text
    // lies at kDescriptionAddress).
    static constexpr uint64_t kStreamIdAddress = 0x0;
    static constexpr uint64_t kAnnouncedCountAddress = 0x10000000;
    static constexpr uint64_t kAnnounceMinimumAddress = 0x10000004;
    static constexpr uint64_t kHandlingModeAddress = 0x10000008;
    static constexpr uint64_t kAcquisitionActiveAddress = 0x1000000C;
    static constexpr uint64_t kModifiesPayloadAddress = 0x10000010;
    static constexpr uint64_t kPayloadSizeAddress = 0x10000014;
    static constexpr uint64_t kPolicyImplementedAddress = 0x20000000;
    static constexpr uint64_t kPolicyAddress = 0x20000004;
    static constexpr uint64_t kPriorityAddress = 0x20000008;
    static constexpr uint64_t kApplyPriorityAddress = 0x2000000C;
    static constexpr uint64_t kAuxiliaryCountAddress = 0x20000010;

    explicit GenTLDataStream(const CountedPtr<StreamTag>& tag);
    ~GenTLDataStream() override;

    std::string& GetID(std::string& id) override;
    int32_t Open() override;
    int32_t Close() override;
    void MarkNonFunctional() override;
    void InitPortURLs() override;
    std::string& GetPortModuleName(std::string& name) override;
    std::string& GetPortName(std::string& name) override;

    // Payload and the back end's own stream information.
    virtual bool DefinesPayloadSize() = 0;
    virtual bool EnforcesPayloadSize() = 0;
    virtual uint64_t GetPayloadSize();
    virtual GC_ERROR GetTLStreamInfo(STREAM_INFO_CMD command, INFO_DATATYPE* type, void* buffer, size_t* size);
    // Makes the back end's buffer object; null memory: the buffer allocates.
    // May throw std::bad_alloc.
    virtual CountedPtr<GenTLBuffer> AllocateStreamBuffer(void* memory, uint64_t size, void* userPointer,
                                                         bool auxiliary) = 0;

    // The engine.
    virtual GC_ERROR PrepareTLStreaming() = 0;
    virtual bool PrepareStreamBuffer(GenTLBuffer& buffer) = 0;
    virtual GC_ERROR StartStream() = 0;
    virtual bool StopStream() = 0;
    // Makes a pending or later WaitForBuffer return 1.
    virtual void AbortTLStreaming() = 0;
    virtual void ResetTLStreaming() = 0;
    virtual void ScheduleBufferForAcquisition(GenTLBuffer* buffer) = 0;
    // 0 with a filled buffer (MarkFilled done) or none, 1 when the
    // acquisition ended, 2 or 3 on an engine failure.
    virtual int32_t WaitForBuffer(GenTLBuffer** buffer) = 0;
    // Every buffer still with the engine, once the thread has ended.
    virtual void ReleaseScheduledBuffers(std::vector<GenTLBuffer*>* buffers) = 0;
    // 0 frames started, 1 buffers held by the engine, 2 underruns.
    virtual uint64_t GetTLStatistic(int32_t kind) = 0;
    virtual void OpenTLStream() = 0;
    virtual void CloseTLStream() = 0;
    virtual bool SetAcquisitionThreadPriority(int32_t policy, int32_t priority);
    virtual bool GetAcquisitionThreadPriority(int32_t* policy, int32_t* priority);

    // The consumer's calls (DSAnnounceBuffer ... DSGetBufferPartInfo).
    GC_ERROR AnnounceBufferChecked(void* memory, uint64_t size, void* userPointer, CountedPtr<GenTLBuffer>* buffer);
    GC_ERROR AllocAndAnnounceBuffer(uint64_t size, void* userPointer, CountedPtr<GenTLBuffer>* buffer);
    // Takes back an announcement that could not be completed (not queued).
    void RevokeAnnounced(GenTLBuffer* buffer);
    GC_ERROR QueueBuffer(GenTLBuffer* buffer);
    GC_ERROR RevokeBuffer(GenTLBuffer* buffer, void** memory, void** userPointer);
    GC_ERROR FlushQueue(ACQ_QUEUE_TYPE operation);
    GC_ERROR GetBufferID(uint32_t index, CountedPtr<GenTLBuffer>* buffer);
    GC_ERROR GetStreamInfo(STREAM_INFO_CMD command, INFO_DATATYPE* type, void* buffer, size_t* size);
    GC_ERROR GetBufferInfoFor(BUFFER_HANDLE buffer, BUFFER_INFO_CMD command, INFO_DATATYPE* type, void* value,
                              size_t* size);
    GC_ERROR GetBufferChunkDataFor(BUFFER_HANDLE buffer, SINGLE_CHUNK_DATA* chunks, size_t* count);
    GC_ERROR GetNumBufferPartsFor(BUFFER_HANDLE buffer, uint32_t* count);
    GC_ERROR GetBufferPartInfoFor(BUFFER_HANDLE buffer, uint32_t part, BUFFER_PART_INFO_CMD command,
                                  INFO_DATATYPE* type, void* value, size_t* size);
    GC_ERROR StartAcquisition(ACQ_START_FLAGS flags, uint64_t count);
    GC_ERROR StopAcquisition(ACQ_STOP_FLAGS flags);
    // The common stop: engine, thread, then the engine's buffers back to
    // the input queue. False when the engine failed to stop.
    bool StopStreaming();

    // Stream registers.
    int32_t ReadInt32Register(uint32_t id, int32_t* value) override;
    int32_t ReadUInt32Register(uint32_t id, uint32_t* value) override;
    int32_t ReadStringRegister(uint32_t id, std::string* value) override;
    int32_t WriteInt32Register(uint32_t id, int32_t value) override;
    int32_t WriteUInt32Register(uint32_t id, uint32_t value) override;

    bool IsStreaming() const { return m_streaming.load(); }
    uint64_t DroppedCount() const { return m_dropped.load(); }

protected:
    // The output queue; a back end may supply its own kind.
    virtual CountedPtr<GenTLNewBufferEvent> CreateOutputQueue();

private:
    GC_ERROR AnnounceAny(void* memory, uint64_t size, void* userPointer, CountedPtr<GenTLBuffer>* buffer);
    void AcquisitionThreadLoop();
    // One filled buffer by the handling mode.
    void Deliver(GenTLBuffer* buffer);
    // Hands one buffer to the engine; no buffer lock is held during the call.
    void Schedule(GenTLBuffer* buffer);
    void Enqueue(GenTLBuffer* buffer);
    void ScheduleAll();
    bool PrepareAuxBuffers(uint32_t count, uint64_t size);
    void DiscardOutput();
    void DiscardInput();
    // The announced buffer of a handle; null when not announced here.
    GenTLBuffer* FindAnnounced(const void* buffer) const;
    GC_ERROR NotAnnounced() const;
    int32_t ThreadParameter(bool policy);
    void ApplyThreadPriority();

    CountedPtr<StreamTag> m_tag;
    std::string m_id;
    CountedPtr<GenTLNewBufferEvent> m_output;
    std::vector<CountedPtr<GenTLBuffer>> m_announced;
    std::atomic<uint64_t> m_dropped{0};
    std::atomic<uint64_t> m_delivered{0};
    uint64_t m_staleOutput = 0;  // earlier runs' blocks still queued; the acquisition thread's
    std::atomic<uint64_t> m_numberToAcquire{kUnlimited};
    std::atomic<bool> m_streaming{false};
    bool m_started = false;
    std::deque<GenTLBuffer*> m_input;
    std::vector<CountedPtr<GenTLBuffer>> m_auxiliary;
    std::deque<GenTLBuffer*> m_freeAuxiliary;
    MemFunThread m_thread;
    std::atomic<bool> m_nonFunctional{false};
    std::atomic<uint32_t> m_handlingMode{MODE_OLDEST_FIRST};
    int32_t m_policy = kNotSet;
    int32_t m_priority = kNotSet;
    uint32_t m_auxiliaryCount = 0;
};

}  // namespace GenTLCore
