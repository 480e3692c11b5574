#include "GenTLDataStreamPEX.h"

#include "PexErrorTracker.h"
#include "PexIdRelease.h"
#include "PexTextInquiry.h"
#include "ReportError.h"
#include "ScopedLock.h"
#include "TLLogMessage.h"

#include <algorithm>
#include <platform/os/ThreadControl.h>

#include <new>

namespace GenTLCore {
namespace PEXCore {

namespace {

constexpr PEX_INT kDefault = PEX_DEFAULT;
constexpr PEX_INT kEnable = -9997;
constexpr PEX_INT kDisable = -9999;
constexpr PEX_INT kGrabStartHook = 4;
constexpr PEX_INT kUnhook = 0x04000000;

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
    PEX_INT attribute = 12;
    if (bands == 3)
        attribute += type == 8 ? 0x20800 : 0x20B00;
    return attribute;
}

GenTLDataStreamPEX::GenTLDataStreamPEX(const CountedPtr<StreamTagPEX>& tag)
    : GenTLDataStream(tag), m_tag(tag), m_digitizer(tag ? tag->GetDigitizer() : 0),
      m_system(tag ? tag->GetSystem() : 0)
{
    m_grabThread = PexThrAlloc(m_system, 4096, kDefault, 0, 0, 0);
    m_grabEvent = PexThrAlloc(m_system, 128, 0x4020, 0, 0, 0);
    PexDigControl(m_digitizer, 5348, kEnable);
    PexDigHookFunction(m_digitizer, kGrabStartHook, &GenTLDataStreamPEX::OnGrabStart, this);
    ScopedLock lock(m_engineSignal.GetLock());
    ArmGrabEvent();
}

GenTLDataStreamPEX::~GenTLDataStreamPEX()
{
    // The acquisition thread calls this object: it ends first (the leaf
    // class has stopped it already).
    if (IsStreaming())
        StopStreaming();
    // Then the library: the running grab is aborted and the grab thread
    // freed and joined (its pending grabs report here, while the engine
    // still exists); after that no buffer hook and no grab-start hook runs.
    OnGrabThread([this] {
        PexThrControl(m_grabThread, 1810, kDefault);
        PexDigControl(m_digitizer, 6643, kDefault);
    });
    if (IsReleasablePexId(m_grabThread))
        PexThrFree(m_grabThread);
    if (IsReleasablePexId(m_grabEvent))
        PexThrFree(m_grabEvent);
    PexDigControl(m_digitizer, 5348, kDisable);
    PexDigHookFunction(m_digitizer, kGrabStartHook + kUnhook, &GenTLDataStreamPEX::OnGrabStart, this);
    m_engineSignal.Destroy();
}

template <class Call>
void GenTLDataStreamPEX::OnGrabThread(Call call)
{
    PEX_INT saved = kDefault;
    PexSysInquire(m_system, 1103, &saved);
    PexThrControl(m_grabThread, 1708, kDefault);
    call();
    PexThrControl(static_cast<PEX_ID>(saved), 1708, kDefault);
}

void GenTLDataStreamPEX::ArmGrabEvent()
{
    OnGrabThread([this] { PexThrWait(m_grabEvent, 0x8000000, nullptr); });
}

void GenTLDataStreamPEX::Trace(const std::string& text) const
{
    if (IsLogged(LOG_ALWAYS))
        LogLine("Stream", LOG_ALWAYS, text);
}

uint64_t GenTLDataStreamPEX::GetPayloadSize()
{
    if (!m_started)
        PexDigControl(m_digitizer, 5325, kDefault);
    const PEX_INT bands = DigitizerValue(m_digitizer, 1005);
    const PEX_INT width = DigitizerValue(m_digitizer, 1536);
    const PEX_INT height = DigitizerValue(m_digitizer, 1537);
    const PEX_INT type = DigitizerValue(m_digitizer, 1008);
    const PEX_ID line = PexBufAllocColor(m_system, bands, width, 1, type, ColourAttribute(bands, type), nullptr);
    if (line == 0)
        return 0;
    PEX_INT lineBytes = 0;
    PexBufInquire(line, 5061, &lineBytes);
    if (IsReleasablePexId(line))
        PexBufFree(line);
    return static_cast<uint64_t>(lineBytes) * static_cast<uint64_t>(height);
}

CountedPtr<GenTLBuffer> GenTLDataStreamPEX::AllocateStreamBuffer(void* memory, uint64_t size, void* userPointer,
                                                                 bool auxiliary)
{
    const PEX_INT bands = DigitizerValue(m_digitizer, 1005);
    const PEX_INT type = DigitizerValue(m_digitizer, 1008);
    const PEX_INT attribute = ColourAttribute(bands, type);
    PEX_INT height = DigitizerValue(m_digitizer, 1537);
    const PEX_INT width = DigitizerValue(m_digitizer, 1536);
    PEX_ID library = PexBufAllocColor(m_system, bands, width, height, type, attribute, nullptr);
    PEX_INT bytes = 0;
    if (library != 0)
        PexBufInquire(library, 5061, &bytes);
    if (!memory && library != 0 && static_cast<uint64_t>(bytes) < size && height > 0) {
        // Producer memory is the library buffer: it must hold every byte the
        // buffer reports, so it gets as many lines as the asked size needs.
        const uint64_t lineBytes = static_cast<uint64_t>(bytes) / static_cast<uint64_t>(height);
        if (IsReleasablePexId(library))
            PexBufFree(library);
        library = 0;
        if (lineBytes != 0) {
            height = static_cast<PEX_INT>((size + lineBytes - 1) / lineBytes);
            library = PexBufAllocColor(m_system, bands, width, height, type, attribute, nullptr);
        }
    }
    if (library == 0) {
        Check();
        throw std::bad_alloc();
    }
    PEX_INT host = 0;
    PexBufInquire(library, 0x10000, &host);
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
    PexDigControl(m_digitizer, 5349, 0);
    m_frameCounter = 0;
    PexThrControl(m_grabEvent, 1707, 16);
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
        PexThrControl(m_grabThread, 1810, kDefault);
        PexDigControl(m_digitizer, 6643, kDefault);
    });
    WaitForAbortComplete(1000);
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
    PexAppTimer(kDefault, 0x30000, &start);
    bool timedOut = false;
    while (m_queuedCount.load() != 0) {
        PexSleep(15);
        double now = 0.0;
        PexAppTimer(kDefault, 0x30000, &now);
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
    PexDigControl(m_digitizer, 5349, 0);
    PexDigControl(m_digitizer, 5325, kDefault);
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
    PexThrControl(m_grabEvent, 1707, 32);
    ArmGrabEvent();
}

uint64_t GenTLDataStreamPEX::GetTLStatistic(int32_t kind)
{
    switch (kind) {
    case 0: return static_cast<uint64_t>(m_grabStartCount.load());
    case 1: return static_cast<uint64_t>(m_scheduledCount.load());
    case 2: {
        const PEX_INT missed = DigitizerValue(m_digitizer, 5347);
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
