#include "GenTLDataStream.h"

#include "BrandingControl.h"
#include "GenTLBranding.h"
#include "InfoWriters.h"
#include "ModuleIds.h"
#include "ReportError.h"
#include "ScopedLock.h"
#include "TLLogMessage.h"

#include <algorithm>
#include <stdexcept>
#include <new>
#include <sstream>

namespace GenTLCore {

namespace {

// Register ids of the stream registers.
enum StreamRegister : uint32_t {
    REG_STREAM_ID = 1,
    REG_ANNOUNCED_COUNT,
    REG_ANNOUNCE_MINIMUM,
    REG_HANDLING_MODE,
    REG_ACQUISITION_ACTIVE,
    REG_MODIFIES_PAYLOAD,
    REG_PAYLOAD_SIZE,
    REG_POLICY_IMPLEMENTED,
    REG_POLICY,
    REG_PRIORITY,
    REG_APPLY_PRIORITY,
    REG_AUXILIARY_COUNT,
    REG_DESCRIPTION,
};

const char kCategory[] = "Stream";
const char kNotAnnounced[] = "QueueBuffer: the required buffer was not announced in the data stream.";

std::string PointerText(const void* pointer)
{
    std::ostringstream text;
    text << pointer;
    return text.str();
}

int32_t UnknownRegister(const char* kind, const char* direction)
{
    return ReportError(GC_ERR_ERROR, std::string("Internal error: cannot identify the data stream ") + kind +
                                         " register to be " + direction);
}

}  // namespace

GenTLDataStream::GenTLDataStream(const CountedPtr<StreamTag>& tag)
    : m_tag(tag),
      m_thread(std::make_unique<MemFunThread::MemFunThreadExecutor<GenTLDataStream>>(
          this, &GenTLDataStream::AcquisitionThreadLoop))
{
    if (!m_tag) {
        LogLine("Assert", LOG_INFO, "Data stream not fully constructed due to an internal error.");
        SetNonFunctional();
        return;
    }
    m_id = MakeStreamId(m_tag->GetDeviceID(), m_tag->GetStreamID());
}

GenTLDataStream::~GenTLDataStream() = default;

std::string& GenTLDataStream::GetID(std::string& id) { return id = m_id; }

std::string& GenTLDataStream::GetPortModuleName(std::string& name) { return name = "TLDataStream"; }

std::string& GenTLDataStream::GetPortName(std::string& name) { return name = "StreamPort"; }

void GenTLDataStream::MarkNonFunctional() { m_nonFunctional = true; }

uint64_t GenTLDataStream::GetPayloadSize() { return 0; }

GC_ERROR GenTLDataStream::GetTLStreamInfo(STREAM_INFO_CMD, INFO_DATATYPE*, void*, size_t*)
{
    return ReportError(GC_ERR_NOT_IMPLEMENTED, "GetStreamInfo: unknown stream info command requested");
}

bool GenTLDataStream::SetAcquisitionThreadPriority(int32_t policy, int32_t priority)
{
    return m_thread.SetPriority(policy, priority);
}

bool GenTLDataStream::GetAcquisitionThreadPriority(int32_t* policy, int32_t* priority)
{
    return m_thread.GetPriority(policy, priority);
}

CountedPtr<GenTLNewBufferEvent> GenTLDataStream::CreateOutputQueue()
{
    return CountedPtr<GenTLNewBufferEvent>(new GenTLNewBufferEvent());
}

void GenTLDataStream::InitPortURLs()
{
    const GenTLBranding& branding = GetBranding();
    const std::string description = branding.GetDataStreamXml();
    AddStringRegister(kStreamIdAddress, 128, REG_ACCESS_RO, REG_STREAM_ID);
    AddUInt32Register(kAnnouncedCountAddress, REG_ACCESS_RO, REG_ANNOUNCED_COUNT);
    AddUInt32Register(kAnnounceMinimumAddress, REG_ACCESS_RO, REG_ANNOUNCE_MINIMUM);
    AddUInt32Register(kHandlingModeAddress, REG_ACCESS_RW, REG_HANDLING_MODE);
    AddUInt32Register(kAcquisitionActiveAddress, REG_ACCESS_RO, REG_ACQUISITION_ACTIVE);
    AddUInt32Register(kModifiesPayloadAddress, REG_ACCESS_RO, REG_MODIFIES_PAYLOAD);
    AddUInt32Register(kPayloadSizeAddress, REG_ACCESS_RO, REG_PAYLOAD_SIZE);
    AddUInt32Register(kPolicyImplementedAddress, REG_ACCESS_RO, REG_POLICY_IMPLEMENTED);
    AddInt32Register(kPolicyAddress, REG_ACCESS_RW, REG_POLICY);
    AddInt32Register(kPriorityAddress, REG_ACCESS_RW, REG_PRIORITY);
    AddUInt32Register(kApplyPriorityAddress, REG_ACCESS_WO, REG_APPLY_PRIORITY);
    AddUInt32Register(kAuxiliaryCountAddress, REG_ACCESS_RW, REG_AUXILIARY_COUNT);
    AddStringRegister(kDescriptionAddress, description.size(), REG_ACCESS_RO, REG_DESCRIPTION);
    AddCustomRegisters();
    FinalizeRegMap();
    SetPortURLs({DescriptionUrl(branding.GetDataStreamXmlFileName(), description, branding.GetDataStreamXmlSha1())});
    m_output = CreateOutputQueue();
    m_output->InitPortURLsOnce();
    AddEventObject(m_output);
    InitEventSource(true, false, 0);
    MarkEventSourceReady();
}

int32_t GenTLDataStream::Open()
{
    m_dropped = 0;
    m_delivered = 0;
    m_numberToAcquire = 0;
    m_streaming = false;
    m_started = false;
    OpenTLStream();
    m_thread.ResetPriority();
    m_thread.SetDefaultPriority();
    m_auxiliaryCount = GetBranding().GetDefaultAuxiliaryBufferCount();
    return GC_ERR_SUCCESS;
}

int32_t GenTLDataStream::Close()
{
    if (m_started)
        StopStreaming();
    DiscardOutput();
    DiscardInput();
    m_freeAuxiliary.clear();
    m_auxiliary.clear();
    CloseTLStream();
    m_announced.clear();
    m_policy = kNotSet;
    m_priority = kNotSet;
    m_handlingMode = MODE_OLDEST_FIRST;
    m_nonFunctional = false;
    return GC_ERR_SUCCESS;
}

GenTLBuffer* GenTLDataStream::FindAnnounced(const void* buffer) const
{
    for (const CountedPtr<GenTLBuffer>& announced : m_announced) {
        if (announced->Handle() == buffer)
            return announced.Get();
    }
    return nullptr;
}

GC_ERROR GenTLDataStream::NotAnnounced() const { return ReportError(GC_ERR_INVALID_HANDLE, kNotAnnounced); }

GC_ERROR GenTLDataStream::AnnounceBufferChecked(void* memory, uint64_t size, void* userPointer,
                                                CountedPtr<GenTLBuffer>* buffer)
{
    if (!memory)
        return ReportError(GC_ERR_INVALID_PARAMETER, "AnnounceBuffer: invalid buffer pointer");
    return AnnounceAny(memory, size, userPointer, buffer);
}

GC_ERROR GenTLDataStream::AllocAndAnnounceBuffer(uint64_t size, void* userPointer, CountedPtr<GenTLBuffer>* buffer)
{
    return AnnounceAny(nullptr, size, userPointer, buffer);
}

GC_ERROR GenTLDataStream::AnnounceAny(void* memory, uint64_t size, void* userPointer, CountedPtr<GenTLBuffer>* buffer)
{
    ScopedLock lock(GetModuleLock());
    if (size == 0)
        return ReportError(GC_ERR_BUFFER_TOO_SMALL, "AnnounceBuffer: announcing zero-sized buffer");
    if (memory) {
        const uintptr_t begin = reinterpret_cast<uintptr_t>(memory);
        if (size > UINTPTR_MAX - begin)
            return ReportError(GC_ERR_INVALID_PARAMETER, "AnnounceBuffer: the buffer wraps around the address space");
        const uintptr_t end = begin + size;
        for (const CountedPtr<GenTLBuffer>& announced : m_announced) {
            const uintptr_t otherBegin = reinterpret_cast<uintptr_t>(announced->GetBase());
            const uintptr_t otherEnd = otherBegin + announced->GetSize();
            if (begin < otherEnd && otherBegin < end)
                return ReportError(GC_ERR_RESOURCE_IN_USE,
                                   "AnnounceBuffer: attempt to announce duplicate or overlapping buffer");
        }
    }
    if (m_started) {
        if (!GetBranding().AllowsBufferChangesDuringAcquisition())
            return ReportError(GC_ERR_BUSY, "AnnounceBuffer: announcing buffers during acquisition not supported");
        if (EnforcesPayloadSize() && size < GetPayloadSize())
            return ReportError(GC_ERR_BUFFER_TOO_SMALL,
                               "AnnounceBuffer: the buffer announced while actively streaming is smaller than required");
    }
    CountedPtr<GenTLBuffer> made;
    try {
        made = AllocateStreamBuffer(memory, size, userPointer, false);
    } catch (const std::bad_alloc&) {
        made.Reset();
    } catch (const std::length_error&) {  // a size no vector can hold
        made.Reset();
    }
    if (!made)
        return ReportError(GC_ERR_OUT_OF_MEMORY, "AnnounceBuffer: out of memory for the buffer");
    made->InitPortURLsOnce();
    if (m_started) {
        ScopedLock bufferLock(made->GetModuleLock());
        if (!PrepareStreamBuffer(*made))
            return ReportError(GC_ERR_OUT_OF_MEMORY, "AnnounceBuffer: failed to prepare the buffer for streaming");
    }
    m_announced.push_back(made);
    if (IsLogged(LOG_INFO)) {
        std::string logId;
        LogLine(kCategory, LOG_INFO,
                std::string("Announcing buffer") + (memory ? " (consumer allocated)" : " (producer allocated)") +
                    ", size " + std::to_string(size) + " bytes" + ", user ptr " + PointerText(userPointer) +
                    ", log-id " + made->GetLogID(logId));
    }
    if (buffer)
        *buffer = made;
    return GC_ERR_SUCCESS;
}

void GenTLDataStream::RevokeAnnounced(GenTLBuffer* buffer)
{
    ScopedLock lock(GetModuleLock());
    auto it = std::find_if(m_announced.begin(), m_announced.end(),
                           [buffer](const CountedPtr<GenTLBuffer>& announced) { return announced.Get() == buffer; });
    if (it != m_announced.end() && !(*it)->IsQueued())
        m_announced.erase(it);
}

void GenTLDataStream::Schedule(GenTLBuffer* buffer)
{
    buffer->SetAcquiring(true);
    ScheduleBufferForAcquisition(buffer);
}

void GenTLDataStream::Enqueue(GenTLBuffer* buffer)
{
    buffer->SetQueued(true);
    if (m_streaming)
        Schedule(buffer);
    else
        m_input.push_back(buffer);
}

GC_ERROR GenTLDataStream::QueueBuffer(GenTLBuffer* buffer)
{
    ScopedLock lock(GetModuleLock());
    if (m_nonFunctional)
        return ReportError(GC_ERR_ACCESS_DENIED,
                           "QueueBuffer: the stream is marked as non-functional, check and reopen the device.");
    GenTLBuffer* announced = FindAnnounced(buffer ? buffer->Handle() : nullptr);
    if (!announced)
        return NotAnnounced();
    // Only the consumer queues a buffer, under this stream's lock: nothing
    // can queue it between the test and Enqueue.
    if (announced->IsQueued())
        return ReportError(GC_ERR_RESOURCE_IN_USE, "QueueBuffer: the buffer is already queued");
    Enqueue(announced);
    return GC_ERR_SUCCESS;
}

GC_ERROR GenTLDataStream::RevokeBuffer(GenTLBuffer* buffer, void** memory, void** userPointer)
{
    ScopedLock lock(GetModuleLock());
    if (m_started && !GetBranding().AllowsBufferChangesDuringAcquisition())
        return ReportError(GC_ERR_BUSY, "RevokeBuffer: revoking buffers during acquisition not supported");
    auto it = std::find_if(m_announced.begin(), m_announced.end(),
                           [buffer](const CountedPtr<GenTLBuffer>& announced) { return announced.Get() == buffer; });
    if (it == m_announced.end())
        return ReportError(GC_ERR_INVALID_HANDLE, "RevokeBuffer: no such buffer object exists within  this stream.");
    if ((*it)->IsQueued())
        return ReportError(GC_ERR_BUSY, "RevokeBuffer: attempt to revoke a queued buffer.");
    if (IsLogged(LOG_INFO)) {
        std::string logId;
        LogLine(kCategory, LOG_INFO, "Revoking buffer " + (*it)->GetLogID(logId));
    }
    if (memory)
        *memory = (*it)->HoldsProducerMemory() ? nullptr : (*it)->GetBase();
    if (userPointer)
        *userPointer = (*it)->GetUserPointer();
    m_announced.erase(it);
    return GC_ERR_SUCCESS;
}

void GenTLDataStream::DiscardOutput()
{
    if (m_output)
        m_output->FlushEvents();
}

void GenTLDataStream::DiscardInput()
{
    for (GenTLBuffer* buffer : m_input) {
        buffer->ClearDataState();
        buffer->SetQueued(false);
    }
    m_input.clear();
}

GC_ERROR GenTLDataStream::FlushQueue(ACQ_QUEUE_TYPE operation)
{
    ScopedLock lock(GetModuleLock());
    switch (operation) {
    case ACQ_QUEUE_INPUT_TO_OUTPUT:
        for (GenTLBuffer* buffer : m_input) {
            buffer->ClearDataState();
            if (!m_output || !m_output->PushEvent({buffer->Handle(), buffer->GetUserPointer()}, PUSH_APPEND, nullptr))
                buffer->SetQueued(false);  // refused: back to the consumer rather than lost
        }
        m_input.clear();
        return GC_ERR_SUCCESS;
    case ACQ_QUEUE_OUTPUT_DISCARD:
        DiscardOutput();
        return GC_ERR_SUCCESS;
    case ACQ_QUEUE_ALL_TO_INPUT:
        if (m_started)
            StopStreaming();
        DiscardOutput();
        for (const CountedPtr<GenTLBuffer>& buffer : m_announced) {
            if (!buffer->IsQueued())
                Enqueue(buffer.Get());
        }
        return GC_ERR_SUCCESS;
    case ACQ_QUEUE_UNQUEUED_TO_INPUT:
        if (m_nonFunctional)
            return ReportError(GC_ERR_ACCESS_DENIED, "FlushQueue (unqueued to input): the stream is marked as "
                                                     "non-functional, check and reopen the device.");
        for (const CountedPtr<GenTLBuffer>& buffer : m_announced) {
            if (!buffer->IsQueued())
                Enqueue(buffer.Get());
        }
        ScheduleAll();
        return GC_ERR_SUCCESS;
    case ACQ_QUEUE_ALL_DISCARD:
        if (m_started)
            StopStreaming();
        DiscardOutput();
        DiscardInput();
        return GC_ERR_SUCCESS;
    default:
        return ReportError(GC_ERR_NOT_IMPLEMENTED, "FlushQueue: unknown queue flush operation requested");
    }
}

GC_ERROR GenTLDataStream::GetBufferID(uint32_t index, CountedPtr<GenTLBuffer>* buffer)
{
    ScopedLock lock(GetModuleLock());
    if (index >= m_announced.size())
        return ReportError(GC_ERR_INVALID_INDEX, "GetBufferID: invalid buffer index, exceeding number of buffers");
    if (!buffer)
        return ReportError(GC_ERR_INVALID_PARAMETER, "GetBufferID: invalid buffer handle pointer.");
    *buffer = m_announced[index];
    return GC_ERR_SUCCESS;
}

GC_ERROR GenTLDataStream::GetStreamInfo(STREAM_INFO_CMD command, INFO_DATATYPE* type, void* buffer, size_t* size)
{
    ScopedLock lock(GetModuleLock());
    switch (command) {
    case STREAM_INFO_ID: return WriteInfoString(type, buffer, size, m_id);
    case STREAM_INFO_NUM_DELIVERED:
        return WriteInfoUInt64(type, buffer, size, m_output ? m_output->DeliveredCount() : 0);
    case STREAM_INFO_NUM_UNDERRUN: return WriteInfoUInt64(type, buffer, size, GetTLStatistic(2) + m_dropped.load());
    case STREAM_INFO_NUM_ANNOUNCED: return WriteInfoSizeT(type, buffer, size, m_announced.size());
    case STREAM_INFO_NUM_QUEUED: return WriteInfoSizeT(type, buffer, size, m_input.size() + GetTLStatistic(1));
    case STREAM_INFO_NUM_AWAIT_DELIVERY:
        return WriteInfoSizeT(type, buffer, size, m_output ? m_output->QueueLength() : 0);
    case STREAM_INFO_NUM_STARTED: return WriteInfoUInt64(type, buffer, size, GetTLStatistic(0));
    case STREAM_INFO_PAYLOAD_SIZE:
        if (!DefinesPayloadSize())
            return ReportError(GC_ERR_NOT_AVAILABLE,
                               "GetStreamInfo: the payload size of this data stream is not modified by the producer, "
                               "PayloadSize of the remote device should be used.");
        return WriteInfoSizeT(type, buffer, size, GetPayloadSize());
    case STREAM_INFO_IS_GRABBING: return WriteInfoBool8(type, buffer, size, m_streaming.load());
    case STREAM_INFO_DEFINES_PAYLOADSIZE: return WriteInfoBool8(type, buffer, size, DefinesPayloadSize());
    case STREAM_INFO_TLTYPE: return WriteInfoString(type, buffer, size, GetBranding().GetTLType());
    case STREAM_INFO_NUM_CHUNKS_MAX:
        return ReportError(GC_ERR_NOT_AVAILABLE,
                           "GetStreamInfo: the max number of chunks is unknown, the chunk layout is device specific.");
    case STREAM_INFO_BUF_ANNOUNCE_MIN:
    case STREAM_INFO_BUF_ALIGNMENT: return WriteInfoSizeT(type, buffer, size, 1);
    default:
        if (command >= STREAM_INFO_CUSTOM_ID)
            return GetTLStreamInfo(command, type, buffer, size);
        return ReportError(GC_ERR_NOT_IMPLEMENTED, "GetStreamInfo: unknown stream info command requested");
    }
}

GC_ERROR GenTLDataStream::GetBufferInfoFor(BUFFER_HANDLE buffer, BUFFER_INFO_CMD command, INFO_DATATYPE* type,
                                           void* value, size_t* size)
{
    ScopedLock lock(GetModuleLock());
    GenTLBuffer* announced = FindAnnounced(buffer);
    return announced ? announced->GetBufferInfo(command, type, value, size) : NotAnnounced();
}

GC_ERROR GenTLDataStream::GetBufferChunkDataFor(BUFFER_HANDLE buffer, SINGLE_CHUNK_DATA* chunks, size_t* count)
{
    ScopedLock lock(GetModuleLock());
    GenTLBuffer* announced = FindAnnounced(buffer);
    return announced ? announced->GetBufferChunkData(chunks, count) : NotAnnounced();
}

GC_ERROR GenTLDataStream::GetNumBufferPartsFor(BUFFER_HANDLE buffer, uint32_t* count)
{
    ScopedLock lock(GetModuleLock());
    GenTLBuffer* announced = FindAnnounced(buffer);
    return announced ? announced->GetNumBufferParts(count) : NotAnnounced();
}

GC_ERROR GenTLDataStream::GetBufferPartInfoFor(BUFFER_HANDLE buffer, uint32_t part, BUFFER_PART_INFO_CMD command,
                                               INFO_DATATYPE* type, void* value, size_t* size)
{
    ScopedLock lock(GetModuleLock());
    GenTLBuffer* announced = FindAnnounced(buffer);
    return announced ? announced->GetBufferPartInfo(part, command, type, value, size) : NotAnnounced();
}

bool GenTLDataStream::PrepareAuxBuffers(uint32_t count, uint64_t size)
{
    m_freeAuxiliary.clear();
    if (m_auxiliary.size() > count)
        m_auxiliary.resize(count);
    for (const CountedPtr<GenTLBuffer>& buffer : m_auxiliary) {
        if (buffer->GetSize() < size && (!buffer->IsProducerAllocated() || !buffer->EnsureCapacity(size)))
            return false;
    }
    try {
        while (m_auxiliary.size() < count) {
            CountedPtr<GenTLBuffer> buffer = AllocateStreamBuffer(nullptr, size, nullptr, true);
            if (!buffer)
                return false;
            buffer->InitPortURLsOnce();
            m_auxiliary.push_back(buffer);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    for (const CountedPtr<GenTLBuffer>& buffer : m_auxiliary)
        m_freeAuxiliary.push_back(buffer.Get());
    return true;
}

void GenTLDataStream::ScheduleAll()
{
    if (!m_streaming)
        return;
    for (GenTLBuffer* buffer : m_input)
        Schedule(buffer);
    for (GenTLBuffer* buffer : m_freeAuxiliary)
        Schedule(buffer);
    m_input.clear();
    m_freeAuxiliary.clear();
}

GC_ERROR GenTLDataStream::StartAcquisition(ACQ_START_FLAGS flags, uint64_t count)
{
    ScopedLock lock(GetModuleLock());
    LogLine(kCategory, LOG_INFO, "Acquisition start requested");
    if (m_started)
        return ReportError(GC_ERR_RESOURCE_IN_USE, "StartAcquisition: acquisition already started");
    if (flags != ACQ_START_FLAGS_DEFAULT)
        return ReportError(GC_ERR_NOT_IMPLEMENTED,
                           "StartAcquisition: the requested acquisition start flag(s) not implemented");
    if (count == 0)
        return ReportError(GC_ERR_INVALID_PARAMETER, "StartAcquisition: the consumer requested to acquire zero buffers");
    m_numberToAcquire = count;
    m_delivered = 0;
    // Blocks an earlier run left in the output queue are not this run's.
    m_staleOutput = m_output ? m_output->QueueLength() : 0;
    if (m_announced.empty())
        return ReportError(GC_ERR_INVALID_BUFFER, "StartAcquisition: no buffers announced, nothing to be acquired");
    uint64_t size = 0;
    if (EnforcesPayloadSize()) {
        size = GetPayloadSize();
        if (size == 0)
            return ReportError(GC_ERR_ERROR,
                               "StartAcquisition: the reported stream payload size is zero, nothing to be acquired");
        for (const CountedPtr<GenTLBuffer>& buffer : m_announced) {
            if (buffer->GetSize() < size)
                return ReportError(GC_ERR_BUFFER_TOO_SMALL,
                                   "StartAcquisition: one or more of the announced buffers are smaller than required");
        }
    }
    GC_ERROR code = PrepareTLStreaming();
    if (code != GC_ERR_SUCCESS)
        return code;
    for (const CountedPtr<GenTLBuffer>& buffer : m_announced) {
        ScopedLock bufferLock(buffer->GetModuleLock());
        if (!PrepareStreamBuffer(*buffer))
            return ReportError(GC_ERR_OUT_OF_MEMORY, "StartAcquisition: failed to prepare the buffers for streaming");
    }
    if (size == 0) {
        for (const CountedPtr<GenTLBuffer>& buffer : m_announced)
            size = std::max(size, buffer->GetSize());
    }
    if (size == 0 || !PrepareAuxBuffers(m_auxiliaryCount, size)) {
        LogLine(kCategory, LOG_WARNING,
                "StartAcquisition: failed to create required auxiliary buffers, continuing without aux buffers");
        PrepareAuxBuffers(0, 0);
    }
    for (const CountedPtr<GenTLBuffer>& buffer : m_auxiliary) {
        ScopedLock bufferLock(buffer->GetModuleLock());
        if (!PrepareStreamBuffer(*buffer)) {
            bufferLock.Release();
            LogLine(kCategory, LOG_WARNING,
                    "StartAcquisition: failed to prepare aux buffersfor streaming, continuing without aux buffers");
            PrepareAuxBuffers(0, 0);
            break;
        }
    }
    code = StartStream();
    if (code != GC_ERR_SUCCESS)
        return code;
    m_streaming = true;
    ResetTLStreaming();
    ScheduleAll();
    if (m_output)
        m_output->TakeDeliveredCount();
    if (!m_thread.Start()) {
        // Without its thread the engine would fill buffers nobody takes:
        // stop it and take every buffer back.
        StopStreaming();
        return ReportError(GC_ERR_ERROR, "StartAcquisition: failed to start the acquisition thread");
    }
    LogLine(kCategory, LOG_INFO, "Acquisition started");
    m_started = true;
    return GC_ERR_SUCCESS;
}

bool GenTLDataStream::StopStreaming()
{
    ScopedLock lock(GetModuleLock());
    m_started = false;
    bool stopped = true;
    if (m_streaming.exchange(false) && !StopStream()) {
        LogLine(kCategory, LOG_ERROR, "Failed to stop streaming on the device");
        stopped = false;
    }
    AbortTLStreaming();
    m_thread.Join();
    std::vector<GenTLBuffer*> released;
    ReleaseScheduledBuffers(&released);
    for (GenTLBuffer* buffer : released) {
        buffer->SetAcquiring(false);
        if (buffer->IsAuxiliary())
            m_freeAuxiliary.push_back(buffer);
        else
            m_input.push_back(buffer);
    }
    m_freeAuxiliary.clear();
    return stopped;
}

GC_ERROR GenTLDataStream::StopAcquisition(ACQ_STOP_FLAGS flags)
{
    ScopedLock lock(GetModuleLock());
    LogLine(kCategory, LOG_INFO, "Acquisition stop requested");
    if (!m_started) {
        if (GetBranding().ToleratesStopWhenNotStarted())
            return GC_ERR_SUCCESS;
        return ReportError(GC_ERR_RESOURCE_IN_USE, "StopAcquisition: attempt to stop acquisition when it is not started");
    }
    if (!StopStreaming())
        return ReportError(GC_ERR_IO, "StopAcquisition: failed to stop the streaming");
    if (flags != ACQ_STOP_FLAGS_DEFAULT && flags != ACQ_STOP_FLAGS_KILL)
        return ReportError(GC_ERR_NOT_IMPLEMENTED, "StopAcquisition: the requested acquisition stop flag(s) not implemented");
    LogLine(kCategory, LOG_INFO, "Acquisition stopped");
    return GC_ERR_SUCCESS;
}

void GenTLDataStream::Deliver(GenTLBuffer* buffer)
{
    buffer->SetAcquiring(false);
    const bool auxiliary = buffer->IsAuxiliary();
    const uint32_t mode = m_handlingMode.load();
    const S_EVENT_NEW_BUFFER item{buffer->Handle(), buffer->GetUserPointer()};
    std::vector<S_EVENT_NEW_BUFFER> removed;
    bool accepted = false;
    uint64_t overwritten = 0;
    // The consumer takes the oldest blocks first: stale ones it took are gone.
    if (m_output)
        m_staleOutput = std::min<uint64_t>(m_staleOutput, m_output->QueueLength());
    if (!auxiliary) {
        accepted = m_output->PushEvent(item, mode == MODE_NEWEST_ONLY ? PUSH_REPLACE_ALL : PUSH_APPEND, &removed);
    } else if (mode != MODE_OLDEST_FIRST) {
        accepted = m_output->PushEvent(
            item, mode == MODE_OLDEST_FIRST_OVERWRITE ? PUSH_OVERWRITE_OLDEST : PUSH_OVERWRITE_OLDEST_ONLY, &removed);
        overwritten = accepted ? 1 : 0;
    }
    if (accepted) {
        m_delivered.fetch_add(1);
    } else {
        m_dropped.fetch_add(1);
        if (IsLogged(LOG_DEBUG))  // a lagging consumer drops on every frame: no text unless logged
            LogLine(kCategory, LOG_DEBUG, "Dropping a new block, no buffers available");
    }
    const uint64_t lost = removed.size() + overwritten;
    if (lost != 0) {
        if (IsLogged(LOG_DEBUG))
            LogLine(kCategory, LOG_DEBUG,
                    "Dropping " + std::to_string(lost) + " old blocks depending on the buffer handling mode");
        m_dropped.fetch_add(lost);
        // Blocks left in the output queue by an earlier run were never
        // counted in this one: only this run's own come off its count.
        const uint64_t stale = std::min(lost, m_staleOutput);
        m_staleOutput -= stale;
        const uint64_t counted = lost - stale;
        const uint64_t delivered = m_delivered.load();
        m_delivered.store(delivered > counted ? delivered - counted : 0);
    }
    // A refused consumer buffer goes back to the engine, never lost between
    // the queues.
    if (auxiliary || !accepted) {
        buffer->ClearDataState();
        Schedule(buffer);
    }
    for (const S_EVENT_NEW_BUFFER& entry : removed) {
        GenTLBuffer* back = GenTLBuffer::FromHandle(entry.BufferHandle);
        back->ClearDataState();
        Schedule(back);
    }
}

void GenTLDataStream::AcquisitionThreadLoop()
{
    GenTLBuffer* buffer = nullptr;
    int32_t result = WaitForBuffer(&buffer);
    while (result == 0) {
        if (buffer)
            Deliver(buffer);
        const uint64_t limit = m_numberToAcquire.load();
        if (limit != kUnlimited && m_delivered.load() >= limit) {
            m_streaming = false;
            StopStream();
            LogLine(kCategory, LOG_INFO, "Implicit stop of the acquisition thread (required number of buffers reached).");
            return;
        }
        buffer = nullptr;
        result = WaitForBuffer(&buffer);
    }
    if (result == 1)
        return;
    if (result == 2 || result == 3) {
        // The stream's own flag: the handle's lock is held by a stop that
        // waits for this thread. Set before streaming ends, so that whoever
        // sees the stream stopped sees it non-functional too.
        m_nonFunctional = true;
        m_streaming = false;
        StopStream();
        LogLine(kCategory, LOG_ERROR,
                "Failure in the acquisition engine, stopping the acquisition thread. The stream (and possibly also "
                "the device) is unuseable.");
        return;
    }
    LogLine(kCategory, LOG_ERROR,
            "Acquisition engine reports unknown status. Undefined behaviour, stopping the acquisition thread.");
}

int32_t GenTLDataStream::ThreadParameter(bool policy)
{
    int32_t livePolicy = 0, livePriority = 0;
    if (!m_thread.GetPriority(&livePolicy, &livePriority)) {
        LogLine(kCategory, LOG_ERROR, "Failed to query thread priority parameters");
        return policy ? m_policy : m_priority;
    }
    const int32_t value = policy ? livePolicy : livePriority;
    (policy ? m_policy : m_priority) = value;
    if (GetBranding().SupportsStreamEngineControl() && IsLogged(LOG_WARNING)) {
        int32_t tlPolicy = 0, tlPriority = 0;
        if (!GetAcquisitionThreadPriority(&tlPolicy, &tlPriority) || (policy ? tlPolicy : tlPriority) != value)
            LogLine(kCategory, LOG_WARNING,
                    policy ? "Stream engine scheduling policy not synced with TL-specific code"
                           : "Stream engine thread priority not synced with TL-specific code");
    }
    return value;
}

void GenTLDataStream::ApplyThreadPriority()
{
    if (m_priority == kNotSet) {
        int32_t livePolicy = 0, livePriority = 0;
        if (m_thread.GetPriority(&livePolicy, &livePriority))
            m_priority = livePriority;
    }
    if (!m_thread.SetPriority(m_policy, m_priority)) {
        LogLine(kCategory, LOG_ERROR, "Failed to configure thread priority parameters");
        return;
    }
    if (GetBranding().SupportsStreamEngineControl() && !SetAcquisitionThreadPriority(m_policy, m_priority))
        LogLine(kCategory, LOG_ERROR, "Failed to configure thread priority parameters in TL-specific code");
}

int32_t GenTLDataStream::ReadInt32Register(uint32_t id, int32_t* value)
{
    if (id != REG_POLICY && id != REG_PRIORITY)
        return UnknownRegister("int32", "read");
    *value = ThreadParameter(id == REG_POLICY);
    return GC_ERR_SUCCESS;
}

int32_t GenTLDataStream::ReadUInt32Register(uint32_t id, uint32_t* value)
{
    switch (id) {
    case REG_ANNOUNCED_COUNT: *value = static_cast<uint32_t>(m_announced.size()); break;
    case REG_ANNOUNCE_MINIMUM: *value = 1; break;
    case REG_HANDLING_MODE: *value = m_handlingMode.load(); break;
    case REG_ACQUISITION_ACTIVE: *value = m_started ? 1 : 0; break;
    case REG_MODIFIES_PAYLOAD: *value = DefinesPayloadSize() ? 1 : 0; break;
    case REG_PAYLOAD_SIZE: *value = static_cast<uint32_t>(GetPayloadSize()); break;
    case REG_POLICY_IMPLEMENTED: *value = 0; break;
    case REG_AUXILIARY_COUNT: *value = m_auxiliaryCount; break;
    default: return UnknownRegister("uint32", "read");
    }
    return GC_ERR_SUCCESS;
}

int32_t GenTLDataStream::ReadStringRegister(uint32_t id, std::string* value)
{
    if (id == REG_STREAM_ID)
        *value = m_id;
    else if (id == REG_DESCRIPTION)
        *value = GetBranding().GetDataStreamXml();
    else
        return UnknownRegister("string", "read");
    return GC_ERR_SUCCESS;
}

int32_t GenTLDataStream::WriteInt32Register(uint32_t id, int32_t value)
{
    if (id == REG_POLICY)
        m_policy = value;
    else if (id == REG_PRIORITY)
        m_priority = value;
    else
        return UnknownRegister("int32", "written");
    return GC_ERR_SUCCESS;
}

int32_t GenTLDataStream::WriteUInt32Register(uint32_t id, uint32_t value)
{
    switch (id) {
    case REG_HANDLING_MODE:
        if (value > MODE_NEWEST_ONLY)
            return ReportError(GC_ERR_INVALID_VALUE, "Trying to set an unknown buffer handling mode value");
        if (m_started)
            return ReportError(GC_ERR_ACCESS_DENIED, "Cannot change the buffer handling mode during active acquisition");
        m_handlingMode = value;
        return GC_ERR_SUCCESS;
    case REG_AUXILIARY_COUNT:
        if (value > kMaxAuxiliaryBuffers)
            return ReportError(GC_ERR_INVALID_VALUE, "The requested number of auxiliary buffers is out of valid range");
        if (m_started)
            return ReportError(GC_ERR_ACCESS_DENIED,
                               "Cannot change the number of auxiliary buffers during active acquisition");
        m_auxiliaryCount = value;
        return GC_ERR_SUCCESS;
    case REG_APPLY_PRIORITY:
        ApplyThreadPriority();
        return GC_ERR_SUCCESS;
    default:
        return UnknownRegister("uint32", "written");
    }
}

}  // namespace GenTLCore
