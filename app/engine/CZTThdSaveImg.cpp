#include "CZTThdSaveImg.h"

#include "CZTThdCapture.h"
#include "DebugLine.h"
#include "FrameBufferSet.h"
#include "MainWindow.h"
#include "WriteError.h"

#include <FrameSpool.h>

#include <QDir>
#include <QFileInfo>
#include <QMutexLocker>
#include <QThreadPool>
#include <QTime>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

namespace {

constexpr int kStackCameras = 4;  // FrameSpool has 8 slots: tif 0..3, raw 4..7

}  // namespace

CZTThdSaveImg::CZTThdSaveImg(MainWindow* owner)
    : QThread(nullptr)
    , m_pOwner(owner)
{
    if (owner) {
        const auto unique = static_cast<Qt::ConnectionType>(Qt::AutoConnection | Qt::UniqueConnection);
        connect(this, &CZTThdSaveImg::SignalStackCloseFinished, owner, &MainWindow::SlotStackCloseFinished, unique);
        // Also once the stream is closed: a series stopped by live off or at
        // shut-down still reports.
        connect(this, &CZTThdSaveImg::SignalSendSeriesReport, owner, &MainWindow::onSaveSeriesReport, unique);
    }
}

CZTThdSaveImg::~CZTThdSaveImg()
{
    StopThread();
    waitForSeriesEnd();
    // Nothing may stay initialised in the process-wide slot table.
    CloseFrameSpool(true);
}

int CZTThdSaveImg::tifSlot(int camIndex)
{
    return camIndex >= 0 && camIndex < kStackCameras ? camIndex : -1;
}

int CZTThdSaveImg::rawSlot(int camIndex)
{
    return camIndex >= 0 && camIndex < kStackCameras ? camIndex + kStackCameras : -1;
}

QString CZTThdSaveImg::causeText(Cause cause, int error)
{
    switch (cause) {
    case Cause::Folder:
        return QStringLiteral("the folder could not be made");
    case Cause::StackSetUp:
        return QStringLiteral("the stack files could not be set up");
    case Cause::None:
    case Cause::Write:
        break;
    }
    return WriteError::reason(error);
}

void CZTThdSaveImg::SetCameraParams(int camIndex, ZTCamHandle handle, bool stackSave)
{
    m_nCamIndex = camIndex;
    m_handle = handle;
    m_bStackSave = stackSave;
    LUMA_DEBUG("CZTThdSaveImg::SetCameraParams", "cur camera(%d), isStackSave = %d", camIndex, stackSave ? 1 : 0);
}

void CZTThdSaveImg::SetImgParams(int width, int height, int channels, int depth, int frameBytes,
                                 const ZTCamFrame& header)
{
    m_nWidth = width;
    m_nHeight = height;
    m_nChannels = channels;
    // The bit depth follows the samples actually stored, so that an 8-bit
    // format whose name the caller did not recognise is not written as 16-bit.
    m_nDepth = (header.elementBytes == 1 || header.elementBytes == 2) ? 8 * header.elementBytes : depth;
    m_nFrameBytes = frameBytes;
    m_header = header;
    LUMA_DEBUG("CZTThdSaveImg::SetImgParams", "width=%d, height=%d, channel=%d, depth=%d", width, height, channels,
               m_nDepth);
}

FrameBufferSet* CZTThdSaveImg::bufferSet() const
{
    return m_pOwner ? m_pOwner->m_mapBufferSets.value(m_nCamIndex, nullptr) : nullptr;
}

void CZTThdSaveImg::StartThread(int frames)
{
    if (!m_pOwner)
        return;
    if (m_bRunning) {
        LUMA_DEBUG("CZTThdSaveImg::StartThread", "cur thread is running");
        return;
    }
    // The previous series must be wholly over: its loop ended and its stack
    // files closed.
    waitForSeriesEnd();
    CloseFrameSpool(true);

    // The settings of the series, which the window may change while it runs
    // (or while its last pass ends).
    m_settings.dir = m_pOwner->m_strImgDir;
    m_settings.dirText = m_settings.dir.toLocal8Bit();
    m_settings.name = m_pOwner->imageNameText().toLocal8Bit();
    m_settings.capCount = m_pOwner->m_nCapCount;
    m_settings.format = m_pOwner->m_nSaveFormat;
    m_settings.stackNum = static_cast<int>(std::clamp<qint64>(m_pOwner->m_nStackNum.load(), 1, INT_MAX));
    m_settings.intervalNs = static_cast<qint64>(std::max(0, m_pOwner->m_nInterval.load())) * 1000000;

    FrameBufferSet* set = bufferSet();
    m_nTargetCount = frames;
    if (set && m_pOwner->isTriggerMode(m_nCamIndex)) {
        // In trigger mode nothing is saved before all frames have arrived, so
        // no more frames than the ring keeps whole can be kept.
        const int whole = set->wholeFrames();
        if (set->ringLength() > 0 && frames > whole) {
            LUMA_DEBUG("CZTThdSaveImg::StartThread", "camera%d trigger mode: %d frames capped to the %d the ring keeps",
                       m_nCamIndex.load(), frames, whole);
            m_nTargetCount = whole;
        }
    }
    m_nSavedCount = 0;
    m_nStackedCount = 0;
    m_nStackFill = 0;
    SaveSchedule::Settings plan;
    // The series begins with the first frame delivered from now on.
    plan.start = set ? set->deliveredCount() : 0;
    plan.frames = seriesFrames();
    plan.target = m_nTargetCount;
    plan.intervalNs = m_settings.intervalNs;
    plan.idleLimit = kIdleLimit;
    m_schedule = SaveSchedule(plan);
    m_nCopiedArrival = 0;
    m_nLostCount = 0;
    m_retrying = Failure();
    m_bStopped = false;
    m_notSaved.clear();
    m_nNotSaved = 0;
    m_firstFailure = Failure();
    m_bReportOwed = true;
    m_pSet = set;
    if (set)
        set->receivedForSave = 0;
    m_spoolSlots.clear();
    m_stackFiles.clear();
    m_closedStacks.clear();
    m_bCloseOwed = m_bStackSave;
    m_bRunning = true;
    start(QThread::InheritPriority);
}

void CZTThdSaveImg::StopThread()
{
    if (!m_bRunning.exchange(false))
        return;
    quit();
    if (m_bStackSave) {
        std::lock_guard<std::mutex> lock(m_closeTaskMutex);
        m_closeTask = QtConcurrent::run(QThreadPool::globalInstance(), [this] {
            // Only once the loop has left its current pass.
            joinLoop();
            CloseFrameSpool(true);
            const std::lock_guard<std::mutex> done(m_doneMutex);
        });
    }
}

void CZTThdSaveImg::joinLoop()
{
    wait();
    const std::lock_guard<std::mutex> done(m_doneMutex);
}

void CZTThdSaveImg::waitForStackClose()
{
    QFuture<void> task;
    {
        std::lock_guard<std::mutex> lock(m_closeTaskMutex);
        task = m_closeTask;
    }
    task.waitForFinished();
    const std::lock_guard<std::mutex> done(m_doneMutex);
}

void CZTThdSaveImg::waitForSeriesEnd()
{
    joinLoop();
    waitForStackClose();
}

void CZTThdSaveImg::AddCallbackCounter()
{
    if (!m_bRunning) {
        LUMA_DEBUG("CZTThdSaveImg::AddCallbackCounter", "camera%d cur thread is not running, no need AppendImageData",
                   m_nCamIndex.load());
        return;
    }
    FrameBufferSet* set = m_pSet;
    if (!set)
        return;
    set->receivedForSave.fetch_add(1);
}

bool CZTThdSaveImg::copyFrame(qint64 frame, uint8_t* dst)
{
    FrameBufferSet* set = m_pSet;
    return set && set->copyFrame(frame, dst, frameBytes(), &m_nCopiedArrival);
}

QByteArray CZTThdSaveImg::timeText() const
{
    return QTime::currentTime().toString("hh_mm_ss_zzz").toLocal8Bit();
}

QByteArray CZTThdSaveImg::stackTime()
{
    // Stacks of a series differ only by their time of creation; a saver that
    // catches up on buffered frames can create two stacks within one
    // millisecond, and the second file would replace the first.
    QByteArray time = timeText();
    while (time == m_lastStackTime) {
        QThread::usleep(100);
        time = timeText();
    }
    m_lastStackTime = time;
    return time;
}

void CZTThdSaveImg::markNotSaved(int position, Failure failure)
{
    if (position < 0 || position >= seriesFrames())
        return;
    if (static_cast<size_t>(position) >= m_notSaved.size())
        m_notSaved.resize(static_cast<size_t>(position) + 1, false);
    if (m_notSaved[static_cast<size_t>(position)])
        return;  // a frame missing from two files is one frame not saved
    m_notSaved[static_cast<size_t>(position)] = true;
    ++m_nNotSaved;
    if (m_firstFailure.cause == Cause::None)
        m_firstFailure = failure;
}

void CZTThdSaveImg::giveUpFrames(int position, int count)
{
    for (int i = 0; i < count; ++i)
        markNotSaved(position + i, m_retrying);
    m_retrying = Failure();
}

void CZTThdSaveImg::skipOverwritten(int position, int count)
{
    // Frames the camera overwrote while the folder or the stack files could
    // not be made were kept from the disk by that, not by a saver too slow
    // for the camera: so when no frame is being tried again, the saver makes
    // sure it can save at all.
    if (m_retrying.cause == Cause::None)
        readyToSave();
    if (m_retrying.cause != Cause::None) {
        for (int i = 0; i < count; ++i)
            markNotSaved(position + i, m_retrying);
    } else {
        m_nLostCount += count;
    }
    // The next frame is tried afresh.
    m_retrying = Failure();
}

bool CZTThdSaveImg::readyToSave()
{
    if (m_bStackSave)
        return m_bSpoolReady || CreateFrameSpool(m_nWidth, m_nHeight, m_nChannels, m_nDepth);
    return folderReady();
}

bool CZTThdSaveImg::folderReady()
{
    // Only the last level of the folder is made.
    if (QDir(m_settings.dir).exists() || QDir().mkdir(m_settings.dir))
        return true;
    LUMA_DEBUG("CZTThdSaveImg::folderReady", "camera%d Folder creation failed", m_nCamIndex.load());
    m_retrying = Failure{Cause::Folder, 0};
    return false;
}

void CZTThdSaveImg::reportSeries()
{
    if (!m_bReportOwed)
        return;
    m_bReportOwed = false;
    const int frames = m_bStopped ? m_schedule.handled() : seriesFrames();
    if (m_nLostCount > 0)
        LUMA_DEBUG("CZTThdSaveImg::reportSeries", "camera%d lost %d of %d frames", m_nCamIndex.load(), m_nLostCount,
                   frames);
    const QString reason = causeText(m_firstFailure.cause, m_firstFailure.error);
    if (m_nNotSaved > 0)
        LUMA_DEBUG("CZTThdSaveImg::reportSeries", "camera%d could not save %d of %d frames: %s", m_nCamIndex.load(),
                   m_nNotSaved, frames, reason.toLocal8Bit().constData());
    if (m_nLostCount > 0 || m_nNotSaved > 0)
        emit SignalSendSeriesReport(m_nCamIndex, m_settings.capCount, frames, m_nLostCount, m_nNotSaved, m_bStopped,
                                    m_settings.dir, reason);
}

SaveSchedule::View CZTThdSaveImg::observe() const
{
    SaveSchedule::View view;
    view.trigger = m_pOwner->isTriggerMode(m_nCamIndex);
    if (const FrameBufferSet* set = m_pSet.load()) {
        view.delivered = set->deliveredCount();
        view.oldestWhole = set->oldestWholeFrame();
        view.newestArrival = set->arrivalOf(view.delivered - 1);
    }
    view.now = FrameBufferSet::nowNs();
    return view;
}

void CZTThdSaveImg::run()
{
    bool result = false;
    if (m_bStackSave && tifSlot(m_nCamIndex) < 0) {
        LUMA_DEBUG("CZTThdSaveImg::run", "camera%d has no stack file slots", m_nCamIndex.load());
    } else {
        // The schedule says what comes next; the loop does it.
        while (m_bRunning) {
            const SaveSchedule::Step step = m_schedule.next(observe());
            if (step.action == SaveSchedule::Action::Done) {
                result = step.success;
                break;
            }
            act(step);
        }
    }
    endSeries(result);
}

void CZTThdSaveImg::act(const SaveSchedule::Step& step)
{
    switch (step.action) {
    case SaveSchedule::Action::Save:
        saveFrame(step);
        break;
    case SaveSchedule::Action::Wait:
        if (step.forTrigger)
            LUMA_DEBUG("CZTThdSaveImg::run", "Cam%d is trigger mode, wait for frame", m_nCamIndex.load());
        QThread::msleep(static_cast<unsigned long>(step.waitMs));
        break;
    case SaveSchedule::Action::GiveUp:
        giveUpFrames(step.position, step.count);
        break;
    case SaveSchedule::Action::Overwritten:
        LUMA_DEBUG("CZTThdSaveImg::run", "camera%d frames %lld to %lld overwritten before they were saved",
                   m_nCamIndex.load(), static_cast<long long>(step.frame),
                   static_cast<long long>(step.frame + step.count - 1));
        skipOverwritten(step.position, step.count);
        break;
    case SaveSchedule::Action::Done:
        break;
    }
}

void CZTThdSaveImg::saveFrame(const SaveSchedule::Step& step)
{
    const SaveResult saved =
        m_bStackSave ? SaveStackImging(step.frame, step.position) : SaveRamImging(step.frame, step.position);
    if (saved == SaveResult::Failed || saved == SaveResult::Overwritten) {
        m_schedule.saveEnded(saved == SaveResult::Failed ? SaveSchedule::Outcome::Failed
                                                         : SaveSchedule::Outcome::Overwritten,
                             0);
        return;
    }
    m_schedule.saveEnded(SaveSchedule::Outcome::Handled, m_nCopiedArrival);
    m_retrying = Failure();
    if (m_bStackSave)
        finishStackFrame();
    ++m_nSavedCount;
    if (saved == SaveResult::Saved)
        emit SignalSendSavedImageCount(m_nCamIndex, m_nSavedCount);
}

void CZTThdSaveImg::endSeries(bool result)
{
    // Whoever clears the flag first owns the end of the series: the loop
    // (finished or failed) or StopThread (stopped from outside), whose pool
    // task closes the stack files and reports.
    const bool endedByItself = m_bRunning.exchange(false);
    m_bStopped = !endedByItself;
    if (m_retrying.cause != Cause::None) {
        // The frame being tried again as the series ended was not saved
        // either, nor, in a series saved in order, the frames of the series
        // that arrived behind it.
        const SaveSchedule::Step rest = m_schedule.abandon(observe());
        giveUpFrames(rest.position, rest.count);
    }
    m_retrying = Failure();
    if (endedByItself && m_bStackSave)
        CloseFrameSpool(true);
    m_nSavedCount = 0;
    m_nStackedCount = 0;
    if (FrameBufferSet* set = m_pSet.load())
        set->receivedForSave = 0;
    if (endedByItself || !m_bStackSave)
        reportSeries();
    if (endedByItself)
        emit SignalSendFinishSaveFlag(m_nCamIndex, result);
    const std::lock_guard<std::mutex> done(m_doneMutex);
}

CZTThdSaveImg::SaveResult CZTThdSaveImg::SaveRamImging(qint64 frameNumber, int position)
{
    if (!readyToSave())
        return SaveResult::Failed;
    if (!m_pSet.load() || m_pSet.load()->ringLength() <= 0)
        return SaveResult::Failed;

    ZTCamFrame frame = m_header;
    const size_t headerSize = frame.headerSize;
    frame.widthStep = static_cast<uint32_t>(frame.elementBytes) * frame.channels * frame.width;
    const uint32_t oldImageSize = frame.imageSize;
    frame.imageSize = static_cast<uint32_t>(frame.height) * frame.widthStep;
    const size_t pixels = std::max<size_t>({oldImageSize, frame.imageSize, frameBytes()});
    const size_t total = headerSize + pixels + frame.extraSize;
    if (m_saveBuffer.size() < total)
        m_saveBuffer.resize(total);
    std::fill(m_saveBuffer.begin(), m_saveBuffer.begin() + static_cast<std::ptrdiff_t>(total), uint8_t(0));
    uint8_t* block = m_saveBuffer.data();
    frame.data = block;
    std::memcpy(block, &frame, std::min(headerSize, sizeof(frame)));
    if (!copyFrame(frameNumber, block + headerSize))
        return SaveResult::Overwritten;

    // As long as the names are: the system says whether it takes them.
    const QByteArray path = m_settings.dirText + "/Cam" + QByteArray::number(m_nCamIndex.load()) + '_' +
                            m_settings.name + '_' + QByteArray::number(m_settings.capCount) + '_' +
                            QByteArray::number(m_nSavedCount) + '_' + timeText();
    LUMA_DEBUG("CZTThdSaveImg::SaveRamImging", "camera%d save image(%d) to file(%s) begin", m_nCamIndex.load(),
               m_nSavedCount, path.constData());

    ZTCamFileSaveParams params{};
    params.path = path.constData();
    params.frame = &frame;
    const int format = m_settings.format;
    Failure failure;
    int error = 0;
    params.formatMask = format & ~ZTCAM_FILE_RAW;
    if (params.formatMask != 0 && !CallSdkSaveFile(params, &error))
        failure = Failure{Cause::Write, error};
    if (format & ZTCAM_FILE_RAW) {
        params.formatMask = ZTCAM_FILE_RAW;
        if (!CallSdkSaveFile(params, &error) && failure.cause == Cause::None)
            failure = Failure{Cause::Write, error};
    }
    LUMA_DEBUG("CZTThdSaveImg::SaveRamImging", "camera%d save image(%d) to file end", m_nCamIndex.load(), m_nSavedCount);
    if (failure.cause == Cause::None)
        return SaveResult::Saved;
    markNotSaved(position, failure);
    return SaveResult::NotSaved;
}

bool CZTThdSaveImg::CallSdkSaveFile(ZTCamFileSaveParams params, int* error)
{
    QMutexLocker lock(&m_pOwner->m_saveMutex);
    // The SDK's writer leaves the system's error of a failed file in errno.
    errno = 0;
    if (ZTCAM_File_SaveImage(m_handle, params) != ZTCAM_STATUS_SUCCESS) {
        *error = errno;
        LUMA_DEBUG("CZTThdSaveImg::CallSdkSaveFile", "camera%d Save image(%d) failed", m_nCamIndex.load(), m_nSavedCount);
        return false;
    }
    return true;
}

CZTThdSaveImg::SaveResult CZTThdSaveImg::SaveStackImging(qint64 frameNumber, int position)
{
    if (!m_pSet.load() || m_pSet.load()->ringLength() <= 0)
        return SaveResult::Failed;
    // The frame is copied out first, so that it is kept while the stack
    // files are made and the spool takes it, however long that lasts.
    if (m_stackBuffer.size() < frameBytes())
        m_stackBuffer.resize(frameBytes());
    if (!copyFrame(frameNumber, m_stackBuffer.data()))
        return SaveResult::Overwritten;
    if (!readyToSave()) {
        LUMA_DEBUG("CZTThdSaveImg::SaveStackImging", "camera%d CreateFrameSpool failed", m_nCamIndex.load());
        return SaveResult::Failed;
    }
    if (!m_bRunning)
        return SaveResult::Failed;
    bool appended = true;
    {
        std::lock_guard<std::mutex> lock(m_spoolMutex);
        for (int i = 0; i < m_spoolSlots.size(); ++i) {
            if (Append_FileBuffer(m_stackBuffer.data(), m_nFrameBytes, m_spoolSlots.at(i))) {
                m_stackFiles[i].positions.append(position);
            } else {
                LUMA_DEBUG("CZTThdSaveImg::SaveStackImging", "camera%d Append_FileBuffer(%d) failed",
                           m_nCamIndex.load(), m_nStackedCount);
                appended = false;
            }
        }
    }
    if (appended)
        ++m_nStackedCount;
    else
        markNotSaved(position, Failure{Cause::Write, 0});
    // A refused frame keeps its place in the stack, so that the files of
    // both formats hold the same frames.
    ++m_nStackFill;
    return appended ? SaveResult::Saved : SaveResult::NotSaved;
}

void CZTThdSaveImg::finishStackFrame()
{
    const int handled = m_schedule.handled();
    if (m_nStackFill >= m_settings.stackNum) {
        CloseFrameSpool(false);
        if (handled < seriesFrames())
            CreateFrameSpool(m_nWidth, m_nHeight, m_nChannels, m_nDepth);
    }
    if (handled >= seriesFrames())
        CloseFrameSpool(true);
}

bool CZTThdSaveImg::CreateFrameSpool(int width, int height, int channels, int depth)
{
    std::lock_guard<std::mutex> lock(m_spoolMutex);
    const QByteArray time = stackTime();
    m_nStackFill = 0;
    const int stackNum = m_settings.stackNum;
    // Frames of the series still to come (lost ones count as gone).
    const int remaining = m_nTargetCount - m_schedule.handled();
    const int framesInStack = remaining / stackNum > 0 ? stackNum : remaining % stackNum;
    const int files = m_nTargetCount / stackNum + (m_nTargetCount % stackNum ? 1 : 0);

    if (!m_bSpoolReady && !folderReady())
        return false;
    const QByteArray head = m_settings.dirText + "/Cam" + QByteArray::number(m_nCamIndex.load()) + '_' +
                            m_settings.name + "_num" + QByteArray::number(m_nTargetCount) + "_stack";
    const QByteArray tail = "_w" + QByteArray::number(width) + "_h" + QByteArray::number(height) + "_bit" +
                            QByteArray::number(depth) + '_' + time + '.';
    const int format = m_settings.format;

    struct Kind {
        int bit;
        int slot;
        const char* extension;
    };
    const Kind kinds[] = {{ZTCAM_FILE_TIF, tifSlot(m_nCamIndex), "tif"}, {ZTCAM_FILE_RAW, rawSlot(m_nCamIndex), "raw"}};
    bool ok = true;
    for (const Kind& kind : kinds) {
        if (!(format & kind.bit))
            continue;
        StackFile file;
        file.slot = kind.slot;
        file.raw = kind.bit == ZTCAM_FILE_RAW;
        file.head = head;
        file.tail = tail + kind.extension;
        file.planned = framesInStack;
        const QByteArray path = file.path(framesInStack);
        if (m_bSpoolReady) {
            if (!Open_FrameSpool(path.constData(), kind.slot))
                ok = false;
            const int at = m_spoolSlots.indexOf(kind.slot);
            if (at >= 0)
                m_stackFiles[at] = file;
            continue;
        }
        LUMA_DEBUG("CZTThdSaveImg::CreateFrameSpool", "width=%d, height=%d, depth=%d, stackNum=%d", width, height,
                   depth, stackNum);
        m_nStackedCount = 0;
        if (!Init_FrameSpool(path.constData(), width, height, channels, depth, stackNum, files, kind.slot)) {
            LUMA_DEBUG("CZTThdSaveImg::CreateFrameSpool", "Init frame spool failed");
            // A half set-up spool is undone, so that the next attempt starts
            // from free slots.
            for (int slot : m_spoolSlots)
                Uninit_FrameSpool(slot);
            m_spoolSlots.clear();
            m_stackFiles.clear();
            m_retrying = Failure{Cause::StackSetUp, 0};
            return false;
        }
        m_spoolSlots.append(kind.slot);
        m_stackFiles.append(file);
        LUMA_DEBUG("CZTThdSaveImg::CreateFrameSpool", "camera%d framespool %d path = %s", m_nCamIndex.load(), kind.slot,
                   path.constData());
    }
    m_bSpoolReady = true;
    return ok;
}

void CZTThdSaveImg::closeStackFile(int i)
{
    StackFile& file = m_stackFiles[i];
    const int pages = file.positions.size();
    // The name tells the frames the file holds, also when frames of its
    // stack were lost or refused.
    if (pages > 0 && pages != file.planned)
        Open_FrameSpool(file.path(pages).constData(), file.slot);
    if (Close_FrameSpool(file.slot))
        LUMA_DEBUG("CZTThdSaveImg::CloseFrameSpool", "Close frame spool %d success", i);
    else
        LUMA_DEBUG("CZTThdSaveImg::CloseFrameSpool", "Close frame spool %d failed", i);
    if (pages > 0)
        m_closedStacks.append(file);
    file.positions.clear();
}

qint64 CZTThdSaveImg::stackFileBytes(const StackFile& file) const
{
    // The stack layouts: RAW frames back to back; TIFF a header of 8 bytes
    // and, per page, the frame and its 162-byte directory.
    const qint64 frame = static_cast<qint64>(m_nWidth) * m_nHeight * m_nChannels * m_nDepth / 8;
    const qint64 pages = file.positions.size();
    return file.raw ? pages * frame : pages * (frame + 162) + 8;
}

void CZTThdSaveImg::checkWrittenStacks()
{
    // FrameSpool removes a file it could not write whole, but one written
    // through a symbolic link stays cut: a file that is not there at its
    // full size did not reach the disk, and its frames are not saved.
    for (const StackFile& file : m_closedStacks) {
        const QByteArray path = file.path(file.positions.size());
        const QFileInfo info(QString::fromLocal8Bit(path));
        if (info.isFile() && info.size() == stackFileBytes(file))
            continue;
        LUMA_DEBUG("CZTThdSaveImg::checkWrittenStacks", "camera%d stack file %s was not written", m_nCamIndex.load(),
                   path.constData());
        for (int position : file.positions)
            markNotSaved(position, Failure{Cause::Write, 0});
    }
    m_closedStacks.clear();
}

void CZTThdSaveImg::CloseFrameSpool(bool uninit)
{
    {
        std::lock_guard<std::mutex> lock(m_spoolMutex);
        if (m_bSpoolReady)
            for (int i = 0; i < m_spoolSlots.size(); ++i)
                closeStackFile(i);
        if (!uninit)
            return;
        for (int i = 0; i < m_spoolSlots.size(); ++i) {
            if (Uninit_FrameSpool(m_spoolSlots.at(i)))
                LUMA_DEBUG("CZTThdSaveImg::CloseFrameSpool", "Uninit frame spool %d success", i);
            else
                LUMA_DEBUG("CZTThdSaveImg::CloseFrameSpool", "Uninit frame spool %d failed", i);
        }
        m_spoolSlots.clear();
        m_stackFiles.clear();
        m_bSpoolReady = false;
        checkWrittenStacks();
    }
    if (!m_bCloseOwed.load())
        return;
    // The files are written or known lost: the series can tell, before its
    // close is reported.
    reportSeries();
    if (m_bCloseOwed.exchange(false))
        emit SignalStackCloseFinished();
}
