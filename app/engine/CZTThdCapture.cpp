#include "CZTThdCapture.h"

#include "CZTCamView.h"
#include "CZTThdSaveImg.h"
#include "DebugLine.h"
#include "FrameBufferSet.h"
#include "MainWindow.h"
#include "WriteError.h"
#include "ZTCamFunc.h"

#include <QDateTime>
#include <QSize>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr int kVideoNameTries = 100;  // names of one camera's videos within one second

}  // namespace

CZTThdCapture::CZTThdCapture(OpenedCamera camera, MainWindow* owner, int camIndex)
    : QThread(nullptr)
    , m_pOwner(owner)
    , m_nCamIndex(camIndex)
    , m_openedCamera(camera)
{
    m_pSaveThread = new CZTThdSaveImg(owner);
    connect(m_pSaveThread, &CZTThdSaveImg::SignalSendSavedImageCount, this, &CZTThdCapture::sglCapMsg);
    connect(m_pSaveThread, &CZTThdSaveImg::SignalSendFinishSaveFlag, this, &CZTThdCapture::slotCapFinished);
    m_rateClock.start();
}

CZTThdCapture::~CZTThdCapture()
{
    if (m_bOpened) {
        stopThread();
        // The stream goes with this object; a failure leaves nothing to do.
        (void)ZTCAM_Cap_Stop(m_openedCamera.handle);
        (void)ZTCAM_Buf_Release(m_openedCamera.handle);
        (void)ZTCAM_Cap_ClearBuffer(m_openedCamera.handle);
    } else {
        joinRun();
    }
    if (m_bRecording)
        closeRecording();
    // The save loop reads the ring: it ends (and its stack files close)
    // before the ring goes.
    m_bSaving = false;
    delete m_pSaveThread;
    m_pSaveThread = nullptr;
    freeRingBuffers();
}

FrameBufferSet* CZTThdCapture::bufferSet() const
{
    if (!m_pOwner)
        return nullptr;
    return m_pOwner->m_mapBufferSets.value(m_nCamIndex, nullptr);
}

bool CZTThdCapture::openCapture(MainWindow* owner)
{
    if (!owner)
        return false;
    if (m_pOwner != owner)
        m_pOwner = owner;
    // Unique connections: a stream that failed to open is opened again
    // without closeCapture in between.
    const auto unique = static_cast<Qt::ConnectionType>(Qt::AutoConnection | Qt::UniqueConnection);
    connect(this, &CZTThdCapture::sglWriteLog, owner, &MainWindow::onWritelog, unique);
    connect(this, &CZTThdCapture::sglCapFinished, owner, &MainWindow::onFinishImageCapture, unique);
    connect(this, &CZTThdCapture::sglVideoFinished, owner, &MainWindow::slot_finish_video, unique);
    connect(this, &CZTThdCapture::sglCapMsg, owner, &MainWindow::slot_msg_capture, unique);
    connect(this, &CZTThdCapture::sglUpdateFps, owner, &MainWindow::onUpdateCamFps, unique);
    connect(this, &CZTThdCapture::sglUpdateFrameCounter, owner, &MainWindow::onUpdateCamFrameCounter, unique);
    return openCamCapture();
}

bool CZTThdCapture::closeCapture()
{
    const bool result = closeCamCapture();
    if (m_pOwner) {
        disconnect(this, &CZTThdCapture::sglWriteLog, m_pOwner, &MainWindow::onWritelog);
        disconnect(this, &CZTThdCapture::sglCapFinished, m_pOwner, &MainWindow::onFinishImageCapture);
        disconnect(this, &CZTThdCapture::sglVideoFinished, m_pOwner, &MainWindow::slot_finish_video);
        disconnect(this, &CZTThdCapture::sglCapMsg, m_pOwner, &MainWindow::slot_msg_capture);
        disconnect(this, &CZTThdCapture::sglUpdateFps, m_pOwner, &MainWindow::onUpdateCamFps);
        disconnect(this, &CZTThdCapture::sglUpdateFrameCounter, m_pOwner, &MainWindow::onUpdateCamFrameCounter);
    }
    return result;
}

bool CZTThdCapture::startThread()
{
    if (!isRunning())
        start(QThread::InheritPriority);
    return true;
}

void CZTThdCapture::stopThread()
{
    m_bOpened = false;
    if (ZTCAM_Buf_AbortWait(m_openedCamera.handle) != ZTCAM_STATUS_SUCCESS)
        LUMA_DEBUG("CZTThdCapture::stopThread", "ZTCAM_Buf_AbortWait failed");
    if (m_bSaving) {
        m_bSaving = false;
        m_pSaveThread->StopThread();
    }
    joinRun();
    if (m_bRecording)
        closeRecording();
}

void CZTThdCapture::joinRun()
{
    if (isRunning())
        wait();
    (void)m_nRunExits.load(std::memory_order_acquire);
}

int CZTThdCapture::waitIntervalFor(int previewFps)
{
    if (previewFps <= 0)
        return -1;
    const int q = 1000 / previewFps;
    return q <= 10 ? 0 : q - 10;
}

void CZTThdCapture::updateWaitInterval()
{
    if (m_pOwner)
        m_nWaitInterval = waitIntervalFor(m_pOwner->m_nPreviewFps);
}

double CZTThdCapture::fps() const
{
    std::lock_guard<std::mutex> lock(m_rateMutex);
    return m_dFps;
}

ZTCamFrame CZTThdCapture::lastFrameHeader() const
{
    std::lock_guard<std::mutex> lock(m_frameMutex);
    return m_lastHeader;
}

void CZTThdCapture::failOpen()
{
    emit sglWriteLog(QString("Camera%1 open stream failed!").arg(m_nCamIndex));
}

void CZTThdCapture::freeRingBuffers()
{
    // A save loop still finishing its pass reads the ring (the destructor
    // ends the save thread first).
    if (m_pSaveThread)
        m_pSaveThread->joinLoop();
    m_pRingSet = nullptr;
    if (FrameBufferSet* set = bufferSet())
        set->freeArrayBuffers();
    m_nRingBufferSize = 0;
}

int CZTThdCapture::ringCountFor(qint64 wanted)
{
    return static_cast<int>(std::clamp<qint64>(wanted, kMinRingBuffers, kMaxRingBuffers));
}

bool CZTThdCapture::openCamCapture()
{
    FrameBufferSet* set = bufferSet();
    if (!set) {
        LUMA_DEBUG("CZTThdCapture::openCamCapture", "Cam%d has no frame buffer set", m_nCamIndex);
        failOpen();
        return false;
    }
    if (ZTCAM_Buf_DataCallBack(m_openedCamera.handle, &CZTThdCapture::callbackBuffer, this) != ZTCAM_STATUS_SUCCESS) {
        failOpen();
        return false;
    }
    if (!allocateFrame())
        return abandonOpen(OpenStep::AllocFrame);
    const int payload = payloadSize();
    const int count = ringCountFor(m_pOwner->m_nBufferCount);
    if (!allocateRing(*set, payload, count))
        return abandonOpen(OpenStep::AllocRing);
    if (!announceRing(*set, payload, count))
        return abandonOpen(OpenStep::Announce);
    if (m_pView)
        m_pView->allocFrameBuffers(m_frame);
    markOpened();
    if (ZTCAM_Cap_Start(m_openedCamera.handle, m_pOwner->m_nCapMode) != ZTCAM_STATUS_SUCCESS) {
        LUMA_DEBUG("CZTThdCapture::openCamCapture", "ZTCAM_Cap_Start failed");
        return abandonOpen(OpenStep::Start);
    }
    emit sglWriteLog(QString("Camera%1 open stream.").arg(m_nCamIndex));
    updateWaitInterval();
    return true;
}

bool CZTThdCapture::allocateFrame()
{
    std::memset(&m_frame, 0, sizeof(m_frame));
    m_frame.data = nullptr;
    m_frame.formatRequest = ZTCAM_FORMAT_REQUEST;
    m_frame.reserveCount = 1;
    const ZTCamStatus allocRet = ZTCAM_Buf_Alloc(m_openedCamera.handle, &m_frame);
    LUMA_DEBUG("CZTThdCapture::allocateFrame", "[openCamCapture] ZTCAM_Buf_Alloc ret = %d", static_cast<int>(allocRet));
    if (allocRet != ZTCAM_STATUS_SUCCESS) {
        LUMA_DEBUG("CZTThdCapture::allocateFrame", "ZTCAM_Buf_Alloc failed");
        return false;
    }
    std::lock_guard<std::mutex> lock(m_frameMutex);
    m_lastHeader = m_frame;
    return true;
}

int CZTThdCapture::payloadSize()
{
    ZTCamDeviceInfo info{};
    info.id = ZTCAM_INFO_PAYLOAD_SIZE;
    int payload = static_cast<int>(m_frame.imageSize);
    if (ZTCAM_Dev_GetInfo(m_openedCamera.handle, &info) == ZTCAM_STATUS_SUCCESS && info.value != 0)
        payload = info.value;
    LUMA_DEBUG("CZTThdCapture::payloadSize", "Get PayLoadSize=%d, Frame uiImgSize=%d", payload,
               static_cast<int>(m_frame.imageSize));
    return payload;
}

bool CZTThdCapture::allocateRing(FrameBufferSet& set, int payload, int count)
{
    // A ring that still fits is announced again as it is.
    if (payload == m_nRingBufferSize && m_nRingCount >= count && set.ringBuffers.size() >= count)
        return true;
    LUMA_DEBUG("CZTThdCapture::allocateRing", "ImgSize=%d, Last ImgSize=%d, Allocate new memory, buffer count=%d",
               payload, m_nRingBufferSize, count);
    (void)ZTCAM_Cap_ClearBuffer(m_openedCamera.handle);  // an earlier open's buffers, if any
    freeRingBuffers();
    m_nRingBufferSize = payload;
    // Each buffer also holds a whole frame of imageSize bytes, which the
    // save path copies out of it.
    const size_t bytes = std::max<size_t>(payload > 0 ? static_cast<size_t>(payload) : 0, m_frame.imageSize);
    for (int i = 0; i < count; ++i) {
        uint8_t* buffer = new (std::nothrow) uint8_t[bytes > 0 ? bytes : 1]();
        if (!buffer) {
            LUMA_DEBUG("CZTThdCapture::allocateRing", "Cam%d out of memory for %d buffers of %d bytes", m_nCamIndex,
                       count, payload);
            return false;
        }
        set.ringBuffers.append(buffer);
    }
    m_nRingCount = count;
    return true;
}

bool CZTThdCapture::announceRing(FrameBufferSet& set, int payload, int count)
{
    // The loop of the last series may still be in its last pass over the
    // ring that is announced anew.
    if (m_pSaveThread)
        m_pSaveThread->joinLoop();
    m_pRingSet = nullptr;
    set.announcedCount = 0;
    for (int i = 0; i < count; ++i) {
        LUMA_DEBUG("CZTThdCapture::announceRing", "BufferCount=%d, Buffer[%d] size=%d", count, i, payload);
        if (ZTCAM_Cap_AnnounceBuffer(m_openedCamera.handle, static_cast<uint32_t>(payload), set.ringBuffers.at(i)) !=
            ZTCAM_STATUS_SUCCESS) {
            LUMA_DEBUG("CZTThdCapture::announceRing", "ZTCAM_Cap_AnnounceBuffer failed");
            return false;
        }
    }
    set.announcedCount = count;
    set.startDelivery(count);
    m_pRingSet = &set;
    return true;
}

void CZTThdCapture::markOpened()
{
    {
        std::lock_guard<std::mutex> lock(m_rateMutex);
        m_nFramesSinceRate = 0;
        m_dFps = 0.0;
        m_rateClock.restart();
    }
    m_nFrameCounter = 0;
    m_nFrameBytes = static_cast<int>(m_frame.imageSize);
    m_bOpened = true;
    emit sglUpdateFrameCounter(m_nCamIndex, 0);
    emit sglUpdateFps(m_nCamIndex, 0.0);
}

bool CZTThdCapture::abandonOpen(OpenStep failed)
{
    const ZTCamHandle handle = m_openedCamera.handle;
    // From the announcement on, the stream counts as not open, whatever an
    // earlier open left in the flag.
    if (failed >= OpenStep::Announce)
        m_bOpened = false;
    // The SDK's clean-ups of a stream that never ran, in its order (stop,
    // release, clear): a failing one leaves nothing else to do.
    if (failed >= OpenStep::Start)
        (void)ZTCAM_Cap_Stop(handle);
    (void)ZTCAM_Buf_Release(handle);
    if (failed >= OpenStep::Announce)
        (void)ZTCAM_Cap_ClearBuffer(handle);
    if (failed >= OpenStep::AllocRing)
        freeRingBuffers();
    failOpen();
    return false;
}

bool CZTThdCapture::closeCamCapture()
{
    const ZTCamHandle handle = m_openedCamera.handle;
    if (ZTCAM_Cap_Stop(handle) != ZTCAM_STATUS_SUCCESS) {
        emit sglWriteLog(QString("Camera%1 acquisition stop failed!").arg(m_nCamIndex));
        LUMA_DEBUG("CZTThdCapture::closeCamCapture", "ZTCAM_Cap_Stop failed");
        return false;
    }
    if (ZTCAM_Buf_Release(handle) != ZTCAM_STATUS_SUCCESS) {
        emit sglWriteLog(QString("Camera%1 buffer release failed!").arg(m_nCamIndex));
        LUMA_DEBUG("CZTThdCapture::closeCamCapture", "ZTCAM_Buf_Release failed");
        return false;
    }
    (void)ZTCAM_Cap_ClearBuffer(handle);  // the stream is closed; the next open announces afresh
    emit sglWriteLog(QString("Close camera%1 stream.").arg(m_nCamIndex));
    return true;
}

void CZTThdCapture::callbackBuffer(void* handle, void* context)
{
    Q_UNUSED(handle);
    auto* self = static_cast<CZTThdCapture*>(context);
    if (self)
        self->onFrameDelivered();
}

void CZTThdCapture::onFrameDelivered()
{
    // The frame lies in the ring whatever else happens here; a copy of the
    // entry the SDK fills next ends before this returns to the SDK.
    if (FrameBufferSet* ring = m_pRingSet.load())
        ring->frameDelivered();
    const ZTCamHandle handle = m_openedCamera.handle;
    if (!handle)
        return;
    m_callbackFrame.headerSize = 0;
    const ZTCamStatus ret = ZTCAM_Buf_GetData(handle, &m_callbackFrame);
    if (ret != ZTCAM_STATUS_SUCCESS) {
        LUMA_DEBUG("CZTThdCapture::onFrameDelivered", "cam%d ZTCAM_GenICam_GetBuffData failed, ret=0x%x", m_nCamIndex,
                   static_cast<unsigned>(ret));
        return;
    }
    const qint64 count = ++m_nFrameCounter;
    emit sglUpdateFrameCounter(m_nCamIndex, count);

    bool report = false;
    double rate = 0.0;
    {
        std::lock_guard<std::mutex> lock(m_rateMutex);
        ++m_nFramesSinceRate;
        const qint64 elapsed = m_rateClock.elapsed();
        if (elapsed >= 1000) {
            m_dFps = m_nFramesSinceRate * 1000.0 / static_cast<double>(elapsed);
            m_rateClock.restart();
            m_nFramesSinceRate = 0;
            report = m_bFpsEnabled;
            rate = m_dFps;
        }
    }
    if (report)
        emit sglUpdateFps(m_nCamIndex, rate);

    if (m_bSaving) {
        m_pSaveThread->AddCallbackCounter();
    }
}

int CZTThdCapture::displayShift() const
{
    const int shift = m_pOwner ? m_pOwner->displayShift(static_cast<int>(m_openedCamera.index)) : 0;
    return shift < 0 ? 0 : shift;
}

namespace {

// dst[i] = low byte of (16-bit sample i >> shift), shift 0 .. 31.
void shiftSamples16(const uint8_t* __restrict src, uint8_t* __restrict dst, size_t samples, unsigned shift)
{
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i count = _mm_cvtsi32_si128(static_cast<int>(shift));
    const __m128i lowByte = _mm_set1_epi16(0x00FF);
    for (; i + 16 <= samples; i += 16) {
        __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 2 * i));
        __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 2 * i + 16));
        a = _mm_and_si128(_mm_srl_epi16(a, count), lowByte);
        b = _mm_and_si128(_mm_srl_epi16(b, count), lowByte);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm_packus_epi16(a, b));
    }
#endif
    for (; i < samples; ++i) {
        const unsigned v = static_cast<unsigned>(src[2 * i]) | (static_cast<unsigned>(src[2 * i + 1]) << 8);
        dst[i] = static_cast<uint8_t>(v >> shift);
    }
}

}  // namespace

void CZTThdCapture::reduceTo8Bit(const uint8_t* src, uint8_t* dst, int width, int height, int channels,
                                 int elementBytes, int shift)
{
    if (!src || !dst || width <= 0 || height <= 0 || channels <= 0 || elementBytes <= 0)
        return;
    const size_t samples = static_cast<size_t>(width) * static_cast<size_t>(height) * static_cast<size_t>(channels);
    if (channels == 1 && elementBytes == 2 && shift != 0) {
        shiftSamples16(src, dst, samples, static_cast<unsigned>(shift) % 32u);
        return;
    }
    if (elementBytes == 1) {
        std::memcpy(dst, src, samples);
        return;
    }
    if (elementBytes == 2) {
        // The high byte of each sample is the sample shifted right by 8.
        shiftSamples16(src, dst, samples, 8u);
        return;
    }
    const size_t stride = static_cast<size_t>(elementBytes);
    const size_t offset = stride / 2;
    for (size_t i = 0; i < samples; ++i)
        dst[i] = src[i * stride + offset];
}

bool CZTThdCapture::displayFrame()
{
    CZTCamView* view = m_pView;
    const ZTCamFrame& f = m_frame;
    if (!f.data || f.headerSize < sizeof(ZTCamFrame) || f.width == 0 || f.height == 0 || f.channels == 0 ||
        f.elementBytes == 0)
        return false;
    const uint64_t samples = static_cast<uint64_t>(f.width) * f.height * f.channels;
    // The SDK block must hold every sample read, and the reduced frame must
    // fit the view's buffers (a frame that grew while live is not shown).
    if (samples * f.elementBytes > f.imageSize)
        return false;
    if (f.headerSize + samples > view->frameBufferBytes())
        return false;

    uint8_t* back = view->backBuffer();
    const uint8_t* block = static_cast<const uint8_t*>(f.data);
    std::memcpy(back, block, f.headerSize);
    reduceTo8Bit(block + f.headerSize, back + f.headerSize, f.width, f.height, f.channels, f.elementBytes,
                 f.channels == 1 ? displayShift() : 0);

    ZTCamFrame header;
    std::memcpy(&header, back, sizeof(header));
    header.elementBytes = 1;
    header.widthStep = static_cast<uint32_t>(header.width) * header.channels;
    header.imageSize = header.widthStep * header.height;
    header.data = back + header.headerSize;
    std::memcpy(back, &header, sizeof(header));

    if (!view->exchangeBackBuffer())
        return false;
    view->newFrameReady();
    if (m_pOwner && m_nCamIndex == m_pOwner->currentCameraIndex())
        m_pOwner->OnUpdateImageSize(QSize(f.width, f.height));
    return true;
}

void CZTThdCapture::run()
{
    struct ExitMark {
        std::atomic<int>& exits;
        ~ExitMark() { exits.fetch_add(1, std::memory_order_release); }
    } exitMark{m_nRunExits};
    const ZTCamHandle handle = m_openedCamera.handle;
    if (!m_pOwner || !handle || !m_pView || m_pOwner->m_bNoPreview || !m_pView->hasFrameBuffers())
        return;
    LUMA_DEBUG("CZTThdCapture::run", "[run]:Cam=0x%llx Enter waitting for frames thread!",
               static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(handle)));
    while (m_pOwner->m_bLive && m_bOpened) {
        const int interval = m_nWaitInterval;
        if (interval == -1) {
            QThread::msleep(10);
            continue;
        }
        QThread::msleep(static_cast<unsigned long>(interval));
        if (!m_pOwner->m_bLive || !m_bOpened)
            break;
        m_frame.formatRequest = ZTCAM_FORMAT_REQUEST;
        if (ZTCAM_Buf_WaitForFrame(handle, &m_frame, 1000) != ZTCAM_STATUS_SUCCESS) {
            QThread::msleep(10);
            continue;
        }
        {
            std::lock_guard<std::mutex> lock(m_frameMutex);
            m_lastHeader = m_frame;
        }
        displayFrame();
        videoRecord();
    }
    // A recording never outlives the display loop that feeds it.
    if (m_bRecording)
        closeRecording();
    LUMA_DEBUG("CZTThdCapture::run", "Cam%d exit waitting for frames thread", m_nCamIndex);
}

void CZTThdCapture::closeRecording()
{
    errno = 0;
    const bool finished = ZTCAM_Rec_Stop(m_openedCamera.handle) == ZTCAM_STATUS_SUCCESS;
    const int stopError = errno;
    if (!finished)
        LUMA_DEBUG("CZTThdCapture::closeRecording", "Stop record failed");
    m_bRecording = false;
    if (m_pOwner)
        m_pOwner->m_bRecord = false;
    reportRecording(finished, stopError);
    emit sglVideoFinished();
}

void CZTThdCapture::reportRecording(bool finished, int stopError)
{
    if (m_nVideoFramesFailed == 0) {
        if (!finished)
            emit sglWriteLog(QStringLiteral("Camera%1 could not finish the video %2: %3.")
                                 .arg(m_nCamIndex)
                                 .arg(m_strVideoPath, WriteError::reason(stopError)));
        return;
    }
    const QString end = finished ? QStringLiteral(" The video holds %1 frames.").arg(m_nVideoFramesWritten)
                                 : QStringLiteral(" The video could not be finished.");
    emit sglWriteLog(QStringLiteral("Camera%1 could not record %2 of %3 frames to %4: %5.")
                         .arg(m_nCamIndex)
                         .arg(m_nVideoFramesFailed)
                         .arg(m_nVideoFramesWritten + m_nVideoFramesFailed)
                         .arg(m_strVideoPath, WriteError::reason(m_nVideoError)) +
                     end);
}

void CZTThdCapture::startRecording()
{
    // The path has no length of its own: the system says whether it takes it.
    const QDateTime now = QDateTime::currentDateTime();
    const QString stem = QStringLiteral("%1/Cam%2_%3")
                             .arg(m_pOwner->m_strImgDir, QString::number(m_nCamIndex),
                                  now.toString(QStringLiteral("yyyyMMddHHmmss")));
    m_nVideoFramesWritten = 0;
    m_nVideoFramesFailed = 0;
    m_nVideoError = 0;
    ZTCamRecordParams params{};
    params.codec = ZTCAM_CODEC_DIB;
    params.frameRate = static_cast<float>(m_pOwner->videoFps());
    // The SDK never replaces a file: a name taken, by a video begun in the
    // same second for one, is numbered on until one is free.
    int error = 0;
    for (int copy = 1; copy <= kVideoNameTries; ++copy) {
        m_strVideoPath = stem + (copy == 1 ? QString() : QStringLiteral("_%1").arg(copy)) + QStringLiteral(".avi");
        const QByteArray path = m_strVideoPath.toLocal8Bit();
        params.path = path.constData();
        errno = 0;
        if (ZTCAM_Rec_Start(m_openedCamera.handle, &params) == ZTCAM_STATUS_SUCCESS) {
            m_bRecording = true;
            return;
        }
        error = errno;
        if (error != EEXIST)
            break;
    }
    LUMA_DEBUG("CZTThdCapture::startRecording", "Start video record failed");
    emit sglWriteLog(QStringLiteral("Camera%1 could not start the video %2: %3.")
                         .arg(m_nCamIndex)
                         .arg(m_strVideoPath, WriteError::reason(error)));
    m_pOwner->m_bRecord = false;
    emit sglVideoFinished();
}

void CZTThdCapture::videoRecord()
{
    if (!m_pOwner->m_bRecord) {
        // Another camera ended the recording: this one closes its own file.
        if (m_bRecording)
            closeRecording();
        return;
    }
    if (!m_bRecording) {
        startRecording();  // this frame opens the file and is not appended
        return;
    }
    if (m_pOwner->m_bStopRecord) {
        closeRecording();
        return;
    }
    // A frame that fails is counted and the recording goes on: once there is
    // room again the frames after it are written.
    errno = 0;
    if (ZTCAM_Rec_AppendFrame(m_openedCamera.handle, &m_frame) == ZTCAM_STATUS_SUCCESS) {
        ++m_nVideoFramesWritten;
        return;
    }
    if (m_nVideoFramesFailed++ == 0)
        m_nVideoError = errno;
    LUMA_DEBUG("CZTThdCapture::videoRecord", "Append frame failed");
}

void CZTThdCapture::saveImage(bool on)
{
    if (!on) {
        m_bSaving = false;
        m_pSaveThread->StopThread();
        return;
    }
    if (m_pSaveThread->isSeriesRunning()) {
        LUMA_DEBUG("CZTThdCapture::saveImage", "Cam%d save series still runs", m_nCamIndex);
        return;
    }
    // The last pass of a series stopped just before reads the settings set
    // below: they change once it has ended.
    m_pSaveThread->waitForSeriesEnd();
    m_bSaving = true;
    ZTCamElement element{};
    ZTCamFunc::instance()->GetGenICamElement(element, m_openedCamera.handle, "PixelFormat");
    const int depth = ZTCamFunc::CurrentEntryName(element) == "Mono 8" ? 8 : 16;
    const ZTCamFrame header = lastFrameHeader();
    m_pSaveThread->SetCameraParams(m_nCamIndex, m_openedCamera.handle, m_pOwner->m_bStackSave);
    m_pSaveThread->SetImgParams(header.width, header.height, header.channels, depth, m_nFrameBytes, header);
    m_pSaveThread->StartThread(m_pOwner->m_nFrames);
}

bool CZTThdCapture::setPicNumAndCheck(int count, int* maxFrames)
{
    if (!m_pOwner || !m_openedCamera.handle || !maxFrames)
        return false;
    *maxFrames = count;
    FrameBufferSet* set = bufferSet();
    const unsigned ringLength = set ? static_cast<unsigned>(set->ringLength()) : 0u;
    if (static_cast<unsigned>(count) > ringLength) {
        const int v = std::max(1, count);
        *maxFrames = v;
        m_pOwner->UpdateFrames(v);
        LUMA_DEBUG("CZTThdCapture::setPicNumAndCheck", "Cam%d CreateVecBuffer: PicNum=%d, nMaxFrames=%d", m_nCamIndex,
                   count, v);
    } else if (m_pOwner->m_bStackSave) {
        m_pOwner->UpdateFrames(count);
    }
    return true;
}

void CZTThdCapture::slotCapFinished(int camIdx, bool isSuccess)
{
    m_bSaving = false;
    m_pSaveThread->StopThread();
    emit sglCapFinished(camIdx, isSuccess);
}
