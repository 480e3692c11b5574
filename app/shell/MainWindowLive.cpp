// Live, capture and video controls of the left-hand column, and the memory
// budgets for frame rings and stack files.
#include "MainWindow.h"

#include "TextFit.h"
#include "ui_MainWindow.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegExp>
#include <QSignalBlocker>

#include <algorithm>
#include <climits>
#include <initializer_list>

#include <platform/os/SystemInfo.h>

#include "CZTCamView.h"
#include "CZTPropGrp.h"
#include "CZTThdCapture.h"
#include "DebugLine.h"
#include "FrameBufferSet.h"
#include "MemoryBudget.h"
#include "NumberText.h"
#include "UserPrompt.h"
#include "ZTCamFunc.h"
#include "ztstreamgrp.h"


namespace {

constexpr int kRawBit = ZTCAM_FILE_RAW;
constexpr int kTifBit = ZTCAM_FILE_TIF;
constexpr int kPngBit = ZTCAM_FILE_PNG;
constexpr int kJpgBit = ZTCAM_FILE_JPG;
constexpr int kBmpBit = ZTCAM_FILE_BMP;

// Width x height x bytes per pixel of a camera as its features say now.
struct Geometry {
    int64_t width = 0;
    int64_t height = 0;
    QString pixelFormat;
};

Geometry readGeometry(ZTCamHandle handle)
{
    Geometry g;
    ZTCamFunc* func = ZTCamFunc::instance();
    ZTCamElement element{};
    func->GetGenICamElement(element, handle, "Width");
    g.width = element.value.intValue;
    element = ZTCamElement{};
    func->GetGenICamElement(element, handle, "Height");
    g.height = element.value.intValue;
    element = ZTCamElement{};
    func->GetGenICamElement(element, handle, "PixelFormat");
    g.pixelFormat = ZTCamFunc::CurrentEntryName(element);
    return g;
}

uint64_t availablePhysicalMemory(uint64_t* total = nullptr)
{
    platform::os::PhysicalMemory memory;
    if (!platform::os::physicalMemory(&memory))
        memory = platform::os::PhysicalMemory{};
    if (total)
        *total = memory.totalBytes;
    return memory.availableBytes;
}

// The largest frame count of a series: what the frames field's validator
// lets be typed.
constexpr int kMaxFrames = 999999999;

// The whole number from 0 to `maximum` that a field of the capture shows;
// an empty field reads 0. False for anything else, which a series never
// runs with.
bool captureNumber(const QLineEdit* field, int maximum, int* value)
{
    const QString text = field->text();
    double number = 0;
    if (!text.trimmed().isEmpty() &&
        !NumberText::refusal(QString(), text, 0, maximum, 0, QLocale(), &number).isNull())
        return false;
    *value = static_cast<int>(number);
    return true;
}

bool hostFlag(const MainWindow& w, int position)
{
    return w.m_mapHostCam.value(position, false);
}

// Hands `update` the device panel of every other opened camera that is the
// same device as the one `sender` shows.
template <typename Update>
void forPanelsOfSameDevice(const MainWindow& w, const CZTPropGrp* sender, Update update)
{
    if (!sender)
        return;
    const ZTCamHandle senderHandle = sender->handle();
    for (int i = 0; i < w.m_vecOpenedCam.size() && i < w.m_vecPropGrp.size(); ++i) {
        const ZTCamHandle handle = w.m_vecOpenedCam.at(i).handle;
        if (handle != senderHandle && ZTCamFunc::instance()->IsSameDevice(handle, senderHandle) && w.m_vecPropGrp.at(i))
            update(w.m_vecPropGrp.at(i));
    }
}

int tickedFormats(Ui::MainWindow* ui)
{
    int n = 0;
    for (QCheckBox* box : {ui->chk_raw, ui->chk_tif, ui->chk_png, ui->chk_jpg, ui->chk_bmp})
        n += box->isChecked() ? 1 : 0;
    return n;
}

void clearFormat(MainWindow& w, QCheckBox* box, int bit)
{
    box->setChecked(false);
    w.m_nSaveFormat.fetch_and(~bit);
    --w.m_nFormatCount;
}

void setFormat(MainWindow& w, QCheckBox* box, int bit)
{
    box->setChecked(true);
    w.m_nSaveFormat.fetch_or(bit);
    ++w.m_nFormatCount;
}

// The clicked slot of one of the five save-format boxes.
void formatBoxClicked(MainWindow& w, QCheckBox* box, int bit, bool checked)
{
    Ui::MainWindow* ui = w.ui;
    if (tickedFormats(ui) == 0) {
        // The user cannot leave no format.
        box->setChecked(true);
        return;
    }
    if (checked && w.m_nStackNum > 1) {
        // Raw and tif stacks are not written side by side.
        if (bit == kRawBit && ui->chk_tif->isChecked())
            clearFormat(w, ui->chk_tif, kTifBit);
        else if (bit == kTifBit && ui->chk_raw->isChecked())
            clearFormat(w, ui->chk_raw, kRawBit);
    }
    if (checked) {
        w.m_nSaveFormat.fetch_or(bit);
        ++w.m_nFormatCount;
    } else {
        w.m_nSaveFormat.fetch_and(~bit);
        --w.m_nFormatCount;
    }
}

}  // namespace

int MainWindow::captureButtonWidth()
{
    if (m_nCapButtonWidth > 0)
        return m_nCapButtonWidth;
    QPushButton* button = ui->pb_cap;
    const QString shown = button->text();
    for (const char* text : kCapButtonTexts) {
        button->setText(QString::fromLatin1(text));
        m_nCapButtonWidth = std::max(m_nCapButtonWidth, button->sizeHint().width());
    }
    button->setText(shown);
    return m_nCapButtonWidth;
}

void MainWindow::fitCaptureMessage()
{
    QPushButton* button = ui->pb_cap;
    QLabel* label = ui->lab_cap_msg;
    label->setWordWrap(false);
    const int wanted = label->sizeHint().width();
    const int room = label->parentWidget()->contentsRect().right() - button->geometry().right();
    if (wanted > room) {
        const int spare = std::max(0, button->width() - captureButtonWidth());
        button->resize(button->width() - std::min(spare, wanted - room), button->height());
    }
    TextFit::fit(label);
}

// ---------------------------------------------------------------- live

void MainWindow::on_pb_live_clicked()
{
    onCapturing();
}

void MainWindow::onCapturing()
{
    if (m_vecOpenedCam.isEmpty() || m_vecCapThread.isEmpty())
        return;
    if (!m_bLive)
        startLive();
    else
        stopLive();
    showLiveState();
    LUMA_DEBUG("MainWindow::onCapturing", "%s", m_bLive ? "Start capture" : "Stop capture");
}

void MainWindow::startLive()
{
    updatePixelFormatInfo();
    m_bLive = true;
    m_bCapturing = false;
    m_bCounterReset = true;
    m_setAcqStoppedCams.clear();  // opening a stream starts the camera's acquisition
    int started = 0;
    for (int i = m_vecCapThread.size() - 1; i >= 0; --i) {
        CZTThdCapture* thread = m_vecCapThread.at(i);
        if (!thread || thread->isRunning())
            continue;
        if (thread->openCapture(this)) {
            thread->startThread();
            ++started;
            continue;
        }
        // Without the first camera there is no live view: the others stop again.
        if (i == 0) {
            for (int j = m_vecCapThread.size() - 1; j >= 1; --j)
                stopCaptureThread(m_vecCapThread.at(j));
            m_bLive = false;
            break;
        }
    }
    if (started == 0)
        m_bLive = false;
    requestPanelRefresh();
    // The camera keeps the levels and contrast the fields show.
    writeShownLevelsAndContrast();
}

void MainWindow::stopLive()
{
    m_bLive = false;
    m_bCapturing = false;
    m_bCounterReset = false;
    for (CZTCamView* view : m_vecCamView)
        if (view)
            view->stopDisplayTimer();
    for (CZTThdCapture* thread : m_vecCapThread)
        stopCaptureThread(thread);
    requestPanelRefresh();
    // Every camera closed its recording when its display loop ended; no
    // recording survives the end of live view.
    m_bStopRecord = false;
    m_bRecord = false;
    ui->pb_video->setText(QStringLiteral("Start Video"));
    showNoFrames();
}

void MainWindow::showNoFrames()
{
    onUpdateCamFps(m_nCurCamIndex, 0.0);
}

void MainWindow::stopCaptureThread(CZTThdCapture* thread)
{
    if (!thread)
        return;
    thread->setFpsEnabled(false);
    thread->stopThread();
    thread->closeCapture();
}

void MainWindow::requestPanelRefresh()
{
    for (int i = m_vecPropGrp.size() - 1; i >= 0; --i)
        if (m_vecPropGrp.at(i))
            m_vecPropGrp.at(i)->requestRefreshUI();
}

void MainWindow::showLiveState()
{
    const bool live = m_bLive;
    if (live) {
        for (CZTCamView* view : m_vecCamView)
            if (view)
                view->startDisplayTimer();
        for (QWidget* w : std::initializer_list<QWidget*>{ui->lab_frames, ui->txt_frames, ui->lab_intervaltm,
                                                          ui->txt_intervaltm})
            w->setEnabled(true);
        ui->pb_live->setText(QStringLiteral("Stop"));
        ui->pb_live->setEnabled(true);
        ui->pb_cap->setEnabled(true);
        ui->pb_video->setEnabled(true);
        if (CZTThdCapture* current = m_vecCapThread.value(m_nCurCamIndex, nullptr))
            current->setFpsEnabled(true);
    } else {
        ui->pb_live->setText(QStringLiteral("Live"));
        ui->pb_live->setEnabled(m_nCamCount > 0);
        ui->pb_cap->setEnabled(false);
        ui->pb_video->setEnabled(false);
    }
    for (int i = 0; i < m_vecGrayCurveButtons.size(); ++i) {
        if (m_vecGrayCurveButtons.at(i))
            m_vecGrayCurveButtons.at(i)->setVisible(live);
        if (CZTCamView* view = m_vecCamView.value(i, nullptr))
            view->setPreviewState(live);
    }
    slot_finish_capture();
    if (!live)
        for (int i = m_vecPropGrp.size() - 1; i >= 0; --i)
            if (m_vecPropGrp.at(i))
                m_vecPropGrp.at(i)->refreshRoot();
    ui->pushButtonParamApply->setEnabled(m_nCamCount > 1 && hostFlag(*this, ui->cb_cam_idx->currentIndex()) && !live);
    ui->pushButtonMoreParamApply->setEnabled(!live && m_vecOpenedCam.size() != 1);
    ui->spinBox_bufferCount->setEnabled(!live && m_nCamCount > 0);
    ui->pushButton_Save->setEnabled(!live);
    ui->pushButton_Load->setEnabled(!live);
}

// ---------------------------------------------------------------- still capture

void MainWindow::on_pb_cap_clicked()
{
    ui->pb_cap->blockSignals(true);
    if (m_bCapturing) {
        m_bCapturing = false;
        if (m_bStackSave) {
            // The button comes back once every camera has closed its stacks.
            ui->pb_cap->setEnabled(false);
            ui->pb_cap->setText(QString::fromLatin1(kCapButtonWaiting));
            ui->txt_fps_2->clearFocus();
        } else {
            setCaptureButtonState(false);
        }
    } else {
        m_bStackSave = m_nStackNum > 1 && (m_nSaveFormat & (kRawBit | kTifBit)) != 0;
        m_nSavedFrames = 0;
        ++m_nCapCount;
        // A series runs with the numbers the fields show or not at all.
        int frames = 0;
        int interval = 0;
        const bool framesFit = captureNumber(ui->txt_frames, kMaxFrames, &frames);
        const bool intervalFits = captureNumber(ui->txt_intervaltm, INT_MAX, &interval);
        if (framesFit)
            m_nFrames = frames;
        if (intervalFits)
            m_nInterval = interval;
        ui->pb_video->setEnabled(false);
        // Reports of an earlier capture that was stopped part-way must not
        // count towards this one.
        m_nCapFinishCount = 0;
        m_nStackCloseCount = 0;
        m_setCamsLostFrames.clear();
        if (m_strImgDir.isEmpty()) {
            UserPrompt::instance().about(this, tr("Capture"), tr("Capture picture name must be not empty!"));
            ui->pb_cap->blockSignals(false);
            return;
        }
        if (!framesFit || !intervalFits) {
            UserPrompt::instance().about(
                this, tr("Capture"),
                !framesFit ? tr("Frames must be a whole number from 1 to %1!").arg(kMaxFrames)
                           : tr("Interval Time must be a whole number of ms from 0 to %1!").arg(INT_MAX));
            m_bCapturing = false;
            ui->pb_video->setEnabled(m_bLive);
        } else if (m_nFrames < 1 || m_nFormatCount < 1) {
            UserPrompt::instance().about(this, tr("Capture"),
                                         tr("Capture picture number and format must be more than 1!"));
            m_bCapturing = false;
            ui->pb_video->setEnabled(m_bLive);
        } else {
            int n = m_nFrames;
            int maxFrames = 1;
            CZTThdCapture* first = m_vecCapThread.value(0, nullptr);
            if (first && first->setPicNumAndCheck(n, &maxFrames))
                n = std::min(n, maxFrames);
            // In trigger mode a camera keeps every frame of the series in its
            // ring before saving, so the series cannot be longer than the
            // frames the ring keeps whole (one buffer is the camera's next).
            for (int i = 0; i < m_vecCapThread.size(); ++i) {
                FrameBufferSet* set = m_mapBufferSets.value(i, nullptr);
                if (set && set->ringLength() > 0 && isTriggerMode(i))
                    n = std::min(n, set->wholeFrames());
            }
            LUMA_DEBUG("MainWindow::on_pb_cap_clicked", "m_nFrames=%d, nMaxFrame=%d", m_nFrames.load(), n);
            for (int i = 1; i < m_vecCapThread.size(); ++i)
                if (m_vecCapThread.at(i))
                    m_vecCapThread.at(i)->setPicNum(n);
            if (n != m_nFrames) {
                m_nFrames = n;
                ui->txt_frames->setText(QString::number(n));
            }
            m_bCapturing = true;
            setCaptureButtonState(true);
        }
    }
    for (CZTThdCapture* thread : m_vecCapThread)
        if (thread)
            thread->saveImage(m_bCapturing);
    ui->pb_cap->blockSignals(false);
}

void MainWindow::onFinishImageCapture(int camIdx, bool isSuccess)
{
    ++m_nCapFinishCount;
    // A series that lost frames or could not save them did not succeed
    // plainly; the rows before told what.
    const bool lostFrames = m_setCamsLostFrames.remove(camIdx);
    onWritelog(QStringLiteral("Camera") + QString::number(camIdx) +
               (!isSuccess    ? QStringLiteral(" capture failed")
                : lostFrames ? QStringLiteral(" capture finished with lost frames.")
                             : QStringLiteral(" capture successfully")));
    if (m_nCapFinishCount >= m_vecCapThread.size()) {
        m_bCapturing = false;
        ui->lab_cap_msg->clear();
        setCaptureButtonState(false);
        ui->pb_video->setEnabled(m_bLive);
        m_nCapFinishCount = 0;
    }
}

void MainWindow::onSaveSeriesReport(int camIdx, int capture, int frames, int overwritten, int notSaved,
                                    bool stopped, QString folder, QString reason)
{
    // The report of a capture stopped part-way may come after the next
    // capture began: its rows still tell what it lost, but the capture now
    // running lost nothing by it.
    if (capture == m_nCapCount)
        m_setCamsLostFrames.insert(camIdx);
    if (overwritten > 0)
        onWritelog(QStringLiteral("Camera%1 lost %2 of the %3 frames of the capture because saving fell behind the "
                                  "camera. More acquisition buffers would keep them.")
                       .arg(camIdx)
                       .arg(overwritten)
                       .arg(frames));
    if (notSaved <= 0)
        return;
    if (stopped)
        onWritelog(QStringLiteral("Camera%1 saved %2 of the %3 frames that arrived before the capture was stopped "
                                  "and could not save %4 to %5: %6.")
                       .arg(camIdx)
                       .arg(frames - overwritten - notSaved)
                       .arg(frames)
                       .arg(notSaved)
                       .arg(QDir::toNativeSeparators(folder), reason));
    else
        onWritelog(QStringLiteral("Camera%1 could not save %2 of %3 frames to %4: %5.")
                       .arg(camIdx)
                       .arg(notSaved)
                       .arg(frames)
                       .arg(QDir::toNativeSeparators(folder), reason));
}

void MainWindow::slot_finish_capture()
{
    ui->lab_cap_msg->clear();
    setCaptureButtonState(m_bCapturing);
    for (CZTThdCapture* thread : m_vecCapThread)
        if (thread)
            thread->saveImage(false);
    ui->pb_video->setEnabled(m_bLive);
}

void MainWindow::slot_msg_capture(int camIdx, int count)
{
    (void)camIdx;
    (void)count;
    if (!m_bCapturing)
        return;
    ++m_nSavedFrames;
    const int cameras = std::max(1, static_cast<int>(m_vecOpenedCam.size()));
    ui->lab_cap_msg->setText(
        QString::asprintf(" Capture %d/%d successfully!", m_nSavedFrames / cameras, m_nFrames.load()));
    fitCaptureMessage();
}

// ---------------------------------------------------------------- video

void MainWindow::on_pb_video_clicked()
{
    if (!m_curCam.handle)
        return;
    if (m_bRecord) {
        m_bStopRecord = true;
        return;
    }
    int fps = ui->txt_fps_2->text().toInt();
    if (fps > 1000) {
        fps = 1000;
        ui->txt_fps_2->setText(QStringLiteral("1000"));
    } else if (fps < 1) {
        // A recording needs a positive frame rate.
        fps = 1;
        ui->txt_fps_2->setText(QStringLiteral("1"));
    }
    m_nVideoFps = fps;
    m_bStopRecord = false;
    m_bRecord = true;
    ui->pb_cap->setEnabled(false);
    ui->pb_video->setText(QStringLiteral("Stop Video"));
}

void MainWindow::slot_finish_video()
{
    ui->pb_cap->setEnabled(m_bLive);
    ui->pb_video->setText(QStringLiteral("Start Video"));
}

// ---------------------------------------------------------------- counters and rates

void MainWindow::onUpdateCamFps(int camIdx, double fps)
{
    if (m_vecOpenedCam.isEmpty())
        return;
    // A report still under way when live stopped, or when the camera was told
    // to stop acquiring, is stale: no frames come.
    if (!m_bLive || m_setAcqStoppedCams.contains(camIdx))
        fps = 0.0;
    ui->txt_fps->setText(QString::asprintf("fps: %.2f fps", fps));
    float rate = 0.0f;
    if (m_curCam.handle && fps > 0.001) {
        ZTCamDeviceInfo info{};
        info.id = ZTCAM_INFO_TRANSFER_RATE;
        if (ZTCAM_Dev_GetInfo(m_curCam.handle, &info) == ZTCAM_STATUS_SUCCESS)
            rate = static_cast<float>(info.value) / 1000.0f;
    }
    ui->txt_transfer->setText(QString::asprintf("  %.1f MB/s", static_cast<double>(rate)));
}

void MainWindow::onUpdateCamFrameCounter(int camIdx, qlonglong count)
{
    static quint16 tally = 0;
    if (camIdx < 0 || camIdx >= m_vecOpenedCam.size() || camIdx >= m_vecCounterLabels.size()) {
        if (m_vecOpenedCam.isEmpty() || m_vecCounterLabels.isEmpty())
            return;
        camIdx = 0;
    }
    QLabel* label = m_vecCounterLabels.at(camIdx);
    if (!label)
        return;
    if (count > 0 &&
        (ZTCamFunc::instance()->IsProductE41A(m_vecOpenedCam.at(camIdx).handle) || !m_bCounterReset)) {
        QString text = label->text();
        text.remove(QRegExp(QStringLiteral("\\s+")));
        const int colon = text.indexOf(QLatin1Char(':'));
        const int shown = static_cast<int>(text.mid(colon + 1).toLongLong());
        if (shown > count)
            return;
    }
    if (!m_bCounterReset) {
        ++tally;
        if (tally >= m_vecCounterLabels.size()) {
            tally = 0;
            m_bCounterReset = true;
        }
    }
    const QByteArray name = m_mapCamName.value(camIdx).toUtf8();
    label->setText(QString::asprintf("Counter%s: %lld", name.constData(), count));
}

// ---------------------------------------------------------------- current camera and panels

void MainWindow::onCamIndexCurrentIndexChanged(int index)
{
    LUMA_DEBUG("MainWindow::onCamIndexCurrentIndexChanged", " index=%d", index);
    if (index < 0 || index >= m_vecOpenedCam.size())
        return;
    m_curCam = m_vecOpenedCam.at(index);
    if (m_curCam.handle) {
        if (CZTThdCapture* old = m_vecCapThread.value(m_nCurCamIndex, nullptr))
            old->setFpsEnabled(false);
        if (CZTThdCapture* now = m_vecCapThread.value(index, nullptr))
            now->setFpsEnabled(true);
        showCameraPanels(index);
        // Reading and writing back "UserSetRefresh" runs the camera's
        // user-set refresh command.
        ZTCamElement element{};
        element.name = "UserSetRefresh";
        // A camera without the command has nothing to refresh.
        (void)ZTCAM_GenICam_GetElementValue(m_curCam.handle, &element, ZTCAM_NODEMAP_CAMERA);
        (void)ZTCAM_GenICam_SetElementValue(m_curCam.handle, &element, ZTCAM_NODEMAP_CAMERA);
        if (m_pCurPropGrp)
            m_pCurPropGrp->refreshElements(QStringLiteral("root"));
        updateImageControls();
        showImageSize();
        if (m_bSingleViewport)
            for (int i = 0; i < m_vecCamView.size(); ++i)
                if (m_vecCamView.at(i))
                    m_vecCamView.at(i)->setVisible(i == index);
    }
    m_nCurCamIndex = index;
    ui->pushButtonParamApply->setEnabled(m_nCamCount >= 2 && hostFlag(*this, index) && !m_bLive);
    ui->spinBox_previewFps->setEnabled(hostFlag(*this, index));
}

// The size of the current camera's frames, before (or without) any frame.
void MainWindow::showImageSize()
{
    if (!m_curCam.handle)
        return;
    const Geometry g = readGeometry(m_curCam.handle);
    OnUpdateImageSize(QSize(static_cast<int>(g.width), static_cast<int>(g.height)));
}

void MainWindow::on_cb_visibility_currentIndexChanged(int index)
{
    for (CZTPropGrp* panel : m_vecPropGrp) {
        if (!panel)
            continue;
        panel->m_nLevel = index;
        panel->refreshRoot();
    }
}

void MainWindow::on_tabWidget_currentChanged(int index)
{
    if (index != 1)
        return;
    for (int i = 0; i < m_vecStreamGrp.size() && i < m_vecOpenedCam.size(); ++i)
        if (m_vecStreamGrp.at(i) && m_vecOpenedCam.at(i).handle == m_curCam.handle)
            m_vecStreamGrp.at(i)->refreshRoot();
}

void MainWindow::onRefreshPropUI(QString id)
{
    for (int i = m_vecPropGrp.size() - 1; i >= 0; --i)
        if (m_vecPropGrp.at(i))
            m_vecPropGrp.at(i)->refreshElements(id);
    // Every edit in a tree comes here: Width, Height, binning or a user set
    // may have changed the size.
    showImageSize();
}

void MainWindow::onUpdatePropertyElemRange(CZTPropGrp* propGrp, QString id)
{
    forPanelsOfSameDevice(*this, propGrp, [&id](CZTPropGrp* panel) { panel->updateElemRange(id); });
}

void MainWindow::onUpdatePropertyElemEnum(CZTPropGrp* propGrp, QString id)
{
    forPanelsOfSameDevice(*this, propGrp, [&id](CZTPropGrp* panel) { panel->updateElemEnum(id); });
}

void MainWindow::onUpdateStreamElemValue(CZTPropGrp* propGrp, QString id)
{
    if (!propGrp)
        return;
    const ZTCamHandle sender = propGrp->handle();
    for (int i = 0; i < m_vecStreamGrp.size() && i < m_vecOpenedCam.size(); ++i)
        if (m_vecStreamGrp.at(i) && m_vecOpenedCam.at(i).handle == sender)
            m_vecStreamGrp.at(i)->updateStreamElem(id);
}

// ---------------------------------------------------------------- save formats and fields

void MainWindow::on_chk_raw_clicked(bool checked) { formatBoxClicked(*this, ui->chk_raw, kRawBit, checked); }
void MainWindow::on_chk_tif_clicked(bool checked) { formatBoxClicked(*this, ui->chk_tif, kTifBit, checked); }
void MainWindow::on_chk_png_clicked(bool checked) { formatBoxClicked(*this, ui->chk_png, kPngBit, checked); }
void MainWindow::on_chk_jpg_clicked(bool checked) { formatBoxClicked(*this, ui->chk_jpg, kJpgBit, checked); }
void MainWindow::on_chk_bmp_clicked(bool checked) { formatBoxClicked(*this, ui->chk_bmp, kBmpBit, checked); }

void MainWindow::on_spinBox_stackNum_valueChanged(int arg1)
{
    m_nStackNum = arg1;
    // Pulled down to a frame count the field shows, never to one it does not
    // (an emptied field, or a number no series runs with).
    int frames = 0;
    const bool shown = captureNumber(ui->txt_frames, kMaxFrames, &frames) && frames >= 1;
    if (shown)
        m_nFrames = frames;
    if (shown && m_nFrames < m_nStackNum) {
        m_nStackNum = m_nFrames.load();
        const QSignalBlocker blocker(ui->spinBox_stackNum);
        ui->spinBox_stackNum->setValue(static_cast<int>(m_nStackNum));
    }
    if (m_nStackNum < 2) {
        ui->chk_png->setEnabled(true);
        ui->chk_jpg->setEnabled(true);
        ui->chk_bmp->setEnabled(true);
        return;
    }
    if (ui->chk_jpg->isChecked())
        clearFormat(*this, ui->chk_jpg, kJpgBit);
    if (ui->chk_png->isChecked())
        clearFormat(*this, ui->chk_png, kPngBit);
    if (ui->chk_bmp->isChecked())
        clearFormat(*this, ui->chk_bmp, kBmpBit);
    ui->chk_jpg->setEnabled(false);
    ui->chk_png->setEnabled(false);
    ui->chk_bmp->setEnabled(false);
    if (tickedFormats(ui) == 0)
        setFormat(*this, ui->chk_tif, kTifBit);
    if (ui->chk_tif->isChecked() && ui->chk_raw->isChecked())
        clearFormat(*this, ui->chk_raw, kRawBit);
}

void MainWindow::on_txt_frames_editingFinished()
{
    if (!ui->txt_frames->text().isEmpty())
        return;
    m_nFrames = 1;
    const QSignalBlocker blocker(ui->txt_frames);
    ui->txt_frames->setText(QStringLiteral("1"));
}

void MainWindow::on_txt_intervaltm_textEdited(QString text)
{
    if (text.size() < 2 || !text.startsWith(QLatin1Char('0')))
        return;
    const QSignalBlocker blocker(ui->txt_intervaltm);
    ui->txt_intervaltm->setText(text.mid(1));
}

void MainWindow::on_pb_browse_clicked()
{
    const QString dir = UserPrompt::instance().getExistingDirectory(this, QStringLiteral("Select path"), m_strImgDir);
    if (!dir.isEmpty())
        m_strImgDir = dir;
    ui->txt_path->setText(m_strImgDir);
    ui->txt_path->setToolTip(m_strImgDir);
}

void MainWindow::on_spinBox_bufferCount_editingFinished()
{
    const int value = ui->spinBox_bufferCount->value();
    if (value > 3) {
        m_nBufferCount = value;
        updatePixelFormatInfo();
    } else {
        ui->spinBox_bufferCount->setValue(4);
        m_nBufferCount = 4;
    }
}

void MainWindow::on_spinBox_previewFps_editingFinished()
{
    m_nPreviewFps = ui->spinBox_previewFps->value();
    for (CZTThdCapture* thread : m_vecCapThread)
        if (thread)
            thread->updateWaitInterval();
}

// ---------------------------------------------------------------- memory budgets

double MainWindow::getCamSysMemoryAvailable()
{
    uint64_t total = 0;
    const uint64_t available = availablePhysicalMemory(&total);
    LUMA_DEBUG("MainWindow::getCamSysMemoryAvailable", "GetSysMem: Total=%lld bytes, Free=%lld bytes",
               static_cast<long long>(total), static_cast<long long>(available));
    const double shared = MemoryBudget::perCamera(available, m_vecOpenedCam.size(), false);
    LUMA_DEBUG("MainWindow::getCamSysMemoryAvailable", "GetSysMem: Avail=%.3f bytes", shared);
    if (!m_bStackSave)
        return shared;
    const double half = MemoryBudget::perCamera(available, m_vecOpenedCam.size(), true);
    LUMA_DEBUG("MainWindow::getCamSysMemoryAvailable", "GetSysMem after half: Avail=%.3f bytes", half);
    return half;
}

void MainWindow::updatePixelFormatInfo()
{
    if (m_nBufferCount <= 4)
        return;
    int64_t frameBytes = 1;
    for (const OpenedCamera& camera : m_vecOpenedCam) {
        const Geometry g = readGeometry(camera.handle);
        const int64_t bytesPerPixel = g.pixelFormat == QLatin1String("Mono 8") ? 1 : 2;
        frameBytes = std::max<int64_t>(frameBytes, g.width * g.height * bytesPerPixel);
    }
    int64_t largestRing = 0;
    for (CZTThdCapture* thread : m_vecCapThread)
        if (thread)
            largestRing = std::max<int64_t>(largestRing, thread->ringBufferBytes());
    const int64_t limit = MemoryBudget::ringLimit(getCamSysMemoryAvailable(), largestRing, frameBytes);
    if (limit < m_nBufferCount) {
        ui->spinBox_bufferCount->setValue(static_cast<int>(limit));
        m_nBufferCount = limit;
    }
}

void MainWindow::UpdateFrames(int frames)
{
    ui->txt_frames->setText(QString::number(frames));
    m_nStackNum = std::max(1, ui->spinBox_stackNum->value());
    if (!m_bStackSave)
        return;
    const Geometry g = readGeometry(m_curCam.handle);
    const int64_t bytesPerPixel =
        (g.pixelFormat == QLatin1String("Mono 8") || g.pixelFormat == QLatin1String("Mono8")) ? 1 : 2;
    const int64_t frameBytes = std::max<int64_t>(1, g.width * g.height * bytesPerPixel);
    const int64_t limit =
        std::max<int64_t>(1, MemoryBudget::stackLimit(availablePhysicalMemory(), frameBytes, frames, m_nSaveFormat));
    if (limit < m_nStackNum) {
        m_nStackNum = limit;
        ui->spinBox_stackNum->setValue(static_cast<int>(limit));
    }
    LUMA_DEBUG("MainWindow::UpdateFrames", "img width=%d, height=%d, depth=%d, stack number=%d",
               static_cast<int>(g.width), static_cast<int>(g.height), static_cast<int>(bytesPerPixel * 8),
               static_cast<int>(m_nStackNum.load()));
}
