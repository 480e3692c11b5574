#include "GenTLDataStreamPEX.h"

#include "PexErrorTracker.h"
#include "PexIdRelease.h"
#include "PexLibraryCodes.h"
#include "PexTextInquiry.h"
#include "ReportError.h"
#include "ScopedLock.h"
#include "TLLogMessage.h"

#include <algorithm>
#include <platform/os/ThreadControl.h>

#include <limits>
#include <new>

namespace GenTLCore {
namespace PEXCore {

namespace {

using namespace PexCode;

// How long an abort may take to report the queued buffers, and how often
// it is looked at meanwhile.
constexpr uint32_t kAbortTimeoutMs = 1000;
constexpr PEX_INT kAbortPollMs = 15;
// The largest byte count the library's sizes (signed) can express.
constexpr uint64_t kLibraryBytesMax = static_cast<uint64_t>(std::numeric_limits<PEX_INT>::max());

int32_t Check() { return PexErrorTracker::CheckThreadError(PexErrorTracker::Instance()); }

PEX_INT DigitizerValue(PEX_ID digitizer, PEX_INT code) { return InquirePexValue(&PexDigInquire, digitizer, code); }

uint64_t LibraryBufferId(GenTLBuffer* buffer)
{
    auto* pex = static_cast<GenTLBufferPEX*>(buffer);
    return pex ? pex->GetLibraryBuffer() : 0;
}

}  // namespace

PEX_INT GenTLDataStreamPEX::ColourAttribute(PEX_INT bands, PEX_INT type)
{
    PEX_INT attribute = kBufImageGrab;
    if (bands == 3)
        attribute += type == kDataTypeUnsigned8 ? kBufPackedBgr8 : kBufPackedBgr16;
    return attribute;
}

GenTLDataStreamPEX::GenTLDataStreamPEX(const CountedPtr<StreamTagPEX>& tag)
    : GenTLDataStream(tag), m_tag(tag), m_digitizer(tag ? tag->GetDigitizer() : 0),
      m_system(tag ? tag->GetSystem() : 0)
{
    m_grabThread = PexThrAlloc(m_system, kThrSelectable, kDefault, 0, 0, 0);
    m_grabEvent = PexThrAlloc(m_system, kThrEvent, kThrEventMode, 0, 0, 0);
    PexDigControl(m_digitizer, kDigMissedFrameCount, kEnable);
    PexDigHookFunction(m_digitizer, kHookGrabStart, &GenTLDataStreamPEX::OnGrabStart, this);
    ScopedLock lock(m_engineSignal.GetLock());
    ArmGrabEvent();
}

GenTLDataStreamPEX::~GenTLDataStreamPEX()
{
    DetachFromDigitizer();
    m_engineSignal.Destroy();
}

void GenTLDataStreamPEX::DetachFromDigitizer()
{
    ScopedLock lock(GetModuleLock());
    if (m_detached)
        return;
    m_detached = true;
    // The acquisition thread calls this object: it ends first, also after
    // an implicit stop.
    StopStreaming();
    // Then the library: the running grab is aborted and the grab thread
    // freed and joined (its pending grabs report here, while the engine
    // still exists); after that no buffer hook and no grab-start hook runs.
    OnGrabThread([this] {
        PexThrControl(m_grabThread, kThrDropPending, kDefault);
        PexDigControl(m_digitizer, kDigGrabAbort, kDefault);
    });
    if (IsReleasablePexId(m_grabThread))
        PexThrFree(m_grabThread);
    if (IsReleasablePexId(m_grabEvent))
        PexThrFree(m_grabEvent);
    PexDigControl(m_digitizer, kDigMissedFrameCount, kDisable);
    PexDigHookFunction(m_digitizer, kHookGrabStart + kUnhook, &GenTLDataStreamPEX::OnGrabStart, this);
}

template <class Call>
void GenTLDataStreamPEX::OnGrabThread(Call call)
{
    PEX_INT saved = kDefault;
    PexSysInquire(m_system, kSysSelectedThread, &saved);
    PexThrControl(m_grabThread, kThrSelect, kDefault);
    call();
    PexThrControl(static_cast<PEX_ID>(saved), kThrSelect, kDefault);
}

void GenTLDataStreamPEX::ArmGrabEvent()
{
    OnGrabThread([this] { PexThrWait(m_grabEvent, kThrWaitForEvent, nullptr); });
}

void GenTLDataStreamPEX::Trace(const std::string& text) const
{
    if (IsLogged(LOG_ALWAYS))
        LogLine("Stream", LOG_ALWAYS, text);
}

uint64_t GenTLDataStreamPEX::GetPayloadSize()
{
    if (!m_started)
        PexDigControl(m_digitizer, kDigRefreshSettings, kDefault);
    const PEX_INT bands = DigitizerValue(m_digitizer, kDigBands);
    const PEX_INT width = DigitizerValue(m_digitizer, kDigWidth);
    const PEX_INT height = DigitizerValue(m_digitizer, kDigHeight);
    const PEX_INT type = DigitizerValue(m_digitizer, kDigDataType);
    const PEX_ID line = PexBufAllocColor(m_system, bands, width, 1, type, ColourAttribute(bands, type), nullptr);
    if (line == 0)
        return 0;
    PEX_INT lineBytes = 0;
    PexBufInquire(line, kBufByteSize, &lineBytes);
    if (IsReleasablePexId(line))
        PexBufFree(line);
    return static_cast<uint64_t>(lineBytes) * static_cast<uint64_t>(height);
}

CountedPtr<GenTLBuffer> GenTLDataStreamPEX::AllocateStreamBuffer(void* memory, uint64_t size, void* userPointer,
                                                                 bool auxiliary)
{
    const PEX_INT bands = DigitizerValue(m_digitizer, kDigBands);
    const PEX_INT type = DigitizerValue(m_digitizer, kDigDataType);
    const PEX_INT attribute = ColourAttribute(bands, type);
    PEX_INT height = DigitizerValue(m_digitizer, kDigHeight);
    const PEX_INT width = DigitizerValue(m_digitizer, kDigWidth);
    PEX_ID library = PexBufAllocColor(m_system, bands, width, height, type, attribute, nullptr);
    PEX_INT bytes = 0;
    if (library != 0)
        PexBufInquire(library, kBufByteSize, &bytes);
    if (!memory && library != 0 && static_cast<uint64_t>(bytes) < size && height > 0) {
        // Producer memory is the library buffer: it must hold every byte the
        // buffer reports, so it gets as many lines as the asked size needs.
        const uint64_t lineBytes = static_cast<uint64_t>(bytes) / static_cast<uint64_t>(height);
        if (IsReleasablePexId(library))
            PexBufFree(library);
        library = 0;
        // Whole lines of a size past the library's signed byte counts are
        // more than it can allocate: refused before the lines are counted.
        if (lineBytes != 0 && size <= kLibraryBytesMax - (lineBytes - 1)) {
            height = static_cast<PEX_INT>((size + lineBytes - 1) / lineBytes);
            library = PexBufAllocColor(m_system, bands, width, height, type, attribute, nullptr);
        }
    }
    if (library == 0) {
        Check();
        throw std::bad_alloc();
    }
    PEX_INT host = 0;
    PexBufInquire(library, kBufHostAddress, &host);
    void* hostAddress = reinterpret_cast<void*>(static_cast<uintptr_t>(host));
    try {
        return CountedPtr<GenTLBuffer>(new GenTLBufferPEX(memory ? memory : hostAddress, size, userPointer, auxiliary,
                                                          m_tag, library, hostAddress, this));
    } catch (...) {
        if (IsReleasablePexId(library))
            PexBufFree(library);
        throw;
    }
}

GC_ERROR GenTLDataStreamPEX::PrepareTLStreaming()
{
    m_preparedPayload = GetPayloadSize();
    return GC_ERR_SUCCESS;
}

bool GenTLDataStreamPEX::PrepareStreamBuffer(GenTLBuffer& buffer)
{
    return static_cast<GenTLBufferPEX&>(buffer).GetByteSize() >= m_preparedPayload;
}

GC_ERROR GenTLDataStreamPEX::StartStream()
{
    Trace("StartStream");
    PexDigControl(m_digitizer, kDigMissedFramesReset, 0);
    m_frameCounter = 0;
    PexThrControl(m_grabEvent, kThrEventState, kThrEventSet);
    const int32_t result = Check();
    if (result == 0)
        m_started = true;
    return result;
}

bool GenTLDataStreamPEX::StopStream()
{
    Trace("StopStream");
    m_started = false;
    return Check() == 0;
}

void GenTLDataStreamPEX::ScheduleBufferForAcquisition(GenTLBuffer* buffer)
{
    ScopedLock lock(m_engineSignal.GetLock());
    if (!buffer->IsAuxiliary())
        ++m_scheduledCount;
    if (m_stopping) {
        // The abort has been issued: a grab queued now would outlive it and
        // fill a buffer the framework already takes back.
        m_heldBuffers.push_back(buffer);
        return;
    }
    m_queuedBuffers.insert(buffer);
    m_queuedCount = m_queuedBuffers.size();
    OnGrabThread([this, buffer] { PexDigGrab(m_digitizer, LibraryBufferId(buffer)); });
    if (IsLogged(LOG_ALWAYS))
        Trace("ScheduleBufferForAcquisition ID: " + std::to_string(LibraryBufferId(buffer)) +
              " QueuedBuffers: " + std::to_string(m_queuedBuffers.size()));
}

void GenTLDataStreamPEX::ModifiedBufferCallback(GenTLBufferPEX* buffer)
{
    ScopedLock lock(m_engineSignal.GetLock());
    if (m_callbackThreadId == 0)
        m_callbackThreadId = static_cast<uint32_t>(platform::os::currentThreadId());
    m_queuedBuffers.erase(buffer);
    m_queuedCount = m_queuedBuffers.size();
    if (!buffer->IsCancelled()) {
        m_grabbedBuffers.push_back(buffer);
        m_engineSignal.Signal();
        if (IsLogged(LOG_ALWAYS))
            Trace("ModifiedBufferCallback ID: " + std::to_string(buffer->GetLibraryBuffer()) +
                  " QueuedBuffers: " + std::to_string(m_queuedBuffers.size()) +
                  " GrabbedBuffers: " + std::to_string(m_grabbedBuffers.size()));
    } else {
        m_canceledBuffers.push_back(buffer);
        if (IsLogged(LOG_ALWAYS))
            Trace("ModifiedBufferCallback Canceled ID: " + std::to_string(buffer->GetLibraryBuffer()) +
                  " QueuedBuffers: " + std::to_string(m_queuedBuffers.size()) +
                  " CanceledBuffers: " + std::to_string(m_canceledBuffers.size()));
    }
}

int32_t GenTLDataStreamPEX::WaitForBuffer(GenTLBuffer** buffer)
{
    ScopedLock lock(m_engineSignal.GetLock());
    if (m_aborting)
        return 1;
    while (m_grabbedBuffers.empty()) {
        const int32_t result = m_engineSignal.Wait();
        if (result != EventSignal::SIGNALLED && result != EventSignal::ABORTED)
            return 2;
        if (m_aborting)
            return 1;
    }
    GenTLBuffer* front = m_grabbedBuffers.front();
    m_grabbedBuffers.pop_front();
    if (!front)
        return 2;
    if (!front->IsAuxiliary())
        --m_scheduledCount;
    auto* filled = static_cast<GenTLBufferPEX*>(front);
    // The delivered image's bytes, never more than the library buffer holds
    // nor than the consumer's buffer has room for (a buffer announced before
    // the image shrank, or asked larger than whole lines).
    uint64_t lines = 0;
    filled->GetDeliveredImageHeight(&lines);
    uint64_t image = filled->GetPitch() * lines;
    if (image == 0 || image > filled->GetByteSize())
        image = filled->GetByteSize();
    image = std::min<uint64_t>(image, filled->GetSize());
    BufferDelivery delivery;
    delivery.sizeFilled = image;
    delivery.dataSize = image;
    delivery.complete = true;
    delivery.dataLargerThanBuffer = false;
    filled->MarkFilled(delivery);
    *buffer = filled;
    if (IsLogged(LOG_ALWAYS))
        Trace("WaitForBuffer ID: " + std::to_string(filled->GetLibraryBuffer()));
    return 0;
}

void GenTLDataStreamPEX::AbortTLStreaming()
{
    {
        // From here on nothing is grabbed: every grab the abort does not see
        // would deliver a buffer that is also handed back as queued.
        ScopedLock lock(m_engineSignal.GetLock());
        m_stopping = true;
    }
    OnGrabThread([this] {
        PexThrControl(m_grabThread, kThrDropPending, kDefault);
        PexDigControl(m_digitizer, kDigGrabAbort, kDefault);
    });
    WaitForAbortComplete(kAbortTimeoutMs);
    {
        ScopedLock lock(m_engineSignal.GetLock());
        m_aborting = true;
        m_started = false;
    }
    m_engineSignal.Signal();
}

void GenTLDataStreamPEX::WaitForAbortComplete(uint32_t timeoutMs)
{
    if (m_callbackThreadId == static_cast<uint32_t>(platform::os::currentThreadId()))
        return;
    Trace("WaitForAbortComplete - IN");
    double start = 0.0;
    PexAppTimer(kDefault, kAppTimerSeconds, &start);
    bool timedOut = false;
    while (m_queuedCount.load() != 0) {
        PexSleep(kAbortPollMs);
        double now = 0.0;
        PexAppTimer(kDefault, kAppTimerSeconds, &now);
        const uint32_t elapsed = static_cast<uint32_t>(static_cast<int64_t>((now - start) * 1000.0));
        if (elapsed >= timeoutMs) {
            timedOut = true;
            break;
        }
    }
    Trace(std::string("WaitForAbortComplete ") + (timedOut ? "Timeout - OUT" : "- OUT"));
}

void GenTLDataStreamPEX::ResetTLStreaming()
{
    ScopedLock lock(m_engineSignal.GetLock());
    m_engineSignal.Reset();
    m_queuedBuffers.clear();
    m_queuedCount = 0;
    m_heldBuffers.clear();
    m_canceledBuffers.clear();
    m_grabbedBuffers.clear();
    m_callbackThreadId = 0;
    m_grabStartCount = 0;
    m_scheduledCount = 0;
    PexDigControl(m_digitizer, kDigMissedFramesReset, 0);
    PexDigControl(m_digitizer, kDigRefreshSettings, kDefault);
    Check();
    m_aborting = false;
    m_stopping = false;
}

void GenTLDataStreamPEX::ReleaseScheduledBuffers(std::vector<GenTLBuffer*>* buffers)
{
    buffers->clear();
    ScopedLock lock(m_engineSignal.GetLock());
    const size_t queued = m_queuedBuffers.size() + m_heldBuffers.size();
    const size_t grabbed = m_grabbedBuffers.size();
    const size_t canceled = m_canceledBuffers.size();
    buffers->insert(buffers->end(), m_queuedBuffers.begin(), m_queuedBuffers.end());
    buffers->insert(buffers->end(), m_heldBuffers.begin(), m_heldBuffers.end());
    buffers->insert(buffers->end(), m_grabbedBuffers.begin(), m_grabbedBuffers.end());
    buffers->insert(buffers->end(), m_canceledBuffers.begin(), m_canceledBuffers.end());
    if (IsLogged(LOG_ALWAYS))
        Trace("ReleaseScheduledBuffers QueuedBuffers: " + std::to_string(queued) +
              " GrabbedBuffers: " + std::to_string(grabbed) + " CanceledBuffers: " + std::to_string(canceled));
    // The framework takes them all back into its input queue and may revoke
    // them: the engine keeps no pointer a later release could hand out again.
    m_queuedBuffers.clear();
    m_queuedCount = 0;
    m_heldBuffers.clear();
    m_grabbedBuffers.clear();
    m_canceledBuffers.clear();
    m_scheduledCount = 0;
    PexThrControl(m_grabEvent, kThrEventState, kThrEventClear);
    ArmGrabEvent();
}

uint64_t GenTLDataStreamPEX::GetTLStatistic(int32_t kind)
{
    switch (kind) {
    case 0: return static_cast<uint64_t>(m_grabStartCount.load());
    case 1: return static_cast<uint64_t>(m_scheduledCount.load());
    case 2: {
        const PEX_INT missed = DigitizerValue(m_digitizer, kDigMissedFrames);
        Check();
        return static_cast<uint64_t>(missed);
    }
    default: return 0;
    }
}

PEX_INT GenTLDataStreamPEX::OnGrabStart(PEX_INT, PEX_ID, void* userData)
{
    ++static_cast<GenTLDataStreamPEX*>(userData)->m_grabStartCount;
    return 0;
}

}  // namespace PEXCore
}  // namespace GenTLCore
