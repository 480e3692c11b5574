#include "MainWindow.h"

#include "TextFit.h"
#include "ui_MainWindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QCoreApplication>
#include <QCursor>
#include <QDateTime>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFocusEvent>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMetaObject>
#include <QMutexLocker>
#include <QPushButton>
#include <QRegExp>
#include <QRegExpValidator>
#include <QScrollBar>
#include <QTableWidgetItem>
#include <QThread>

#include <cstdarg>

#include <platform/os/SystemInfo.h>

#include "CZTCamView.h"
#include "CZTPropGrp.h"
#include "CZTThdCapture.h"
#include "CZTThdSaveImg.h"
#include "DebugLine.h"
#include "FontEditDialog.h"
#include "FrameBufferSet.h"
#include "TextFile.h"
#include "UserPrompt.h"
#include "WriteError.h"
#include "ZTCamFunc.h"
#include "ZTScanCamera.h"
#include "ztstreamgrp.h"


namespace {

const char* const kVersion = "1.1.12.0";
std::atomic<int> g_exitWaitMs{2000};
std::atomic<int> g_reconnectWaitMs{30000};
std::atomic<int> g_deviceResetWaitMs{2000};

}  // namespace

int MainWindow::formatLogLine(char* buffer, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const int n = vformatLogLine(buffer, format, args);
    va_end(args);
    return n;
}

void MainWindow::setExitWaitMs(int ms) { g_exitWaitMs.store(ms < 0 ? 0 : ms); }
int MainWindow::exitWaitMs() { return g_exitWaitMs.load(); }
void MainWindow::setReconnectWaitMs(int ms) { g_reconnectWaitMs.store(ms < 0 ? 0 : ms); }
int MainWindow::reconnectWaitMs() { return g_reconnectWaitMs.load(); }
void MainWindow::setDeviceResetWaitMs(int ms) { g_deviceResetWaitMs.store(ms < 0 ? 0 : ms); }
int MainWindow::deviceResetWaitMs() { return g_deviceResetWaitMs.load(); }

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
{
    ui->setupUi(this);
    FontEditDialog::install();
    // Texts the form's fixed sizes cut in the fonts at hand get the room they need.
    TextFit::fitChildren(this);

    // The resources live in the program's static library: register them.
    Q_INIT_RESOURCE(LumaDeck);
    setWindowIcon(QIcon(":/images/LumaDeck.ico"));
    m_strTitle = QStringLiteral("LumaDeck v") + QLatin1String(kVersion);
    setWindowTitle(m_strTitle);
    // The pages are shown once the property panels fill them.
    for (int i = 0; i < ui->tabWidget->count(); ++i)
        ui->tabWidget->widget(i)->hide();

    setUpImageFolder();
    setUpInputRules();

    // Mirrors of the widgets that the engine threads ask about.
    mirrorImageName(ui->txt_imgname->text());
    mirrorCurrentCameraIndex(ui->cb_cam_idx->currentIndex());
    connect(ui->txt_imgname, &QLineEdit::textChanged, this, &MainWindow::mirrorImageName);
    connect(ui->cb_cam_idx, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &MainWindow::mirrorCurrentCameraIndex);
    // A camera told to stop acquiring sends no more frames to rate; the
    // command comes from the current camera's panel.
    connect(this, &MainWindow::SignalAcquisitionStart, this, [this](bool started) {
        if (started) {
            m_setAcqStoppedCams.remove(m_nCurCamIndex);
            return;
        }
        m_setAcqStoppedCams.insert(m_nCurCamIndex);
        showNoFrames();
    });

    setWindowState(Qt::WindowMaximized);
    // The form sets up the rest of the log table; it does not scroll on
    // clicks (the right button for the menu included), so the wide
    // description cell never moves over the rows; new rows still scroll
    // into sight by themselves. Its titles stand at the start of their
    // columns, where a column wider than the table still shows them.
    ui->tableWidget->setColumnWidth(0, 200);
    ui->tableWidget->setColumnWidth(1, 1000);

    TextFit::remeasure(this);  // the left column as wide as its rows need in the fonts at hand
    (void)ZTCAM_Api_Config(0, 8);  // a setting of the SDK with no answer to act on
    setEnabled(false);

    m_pScanCamera = new ZTScanCamera(this);
    connect(m_pScanCamera, &ZTScanCamera::sglScanFinished, this, &MainWindow::slotScanCamFinished);
    m_pScanCamera->startScan(0);
    connect(&m_titleTimer, &QTimer::timeout, this, &MainWindow::slotUpdateTime);
    m_nScanSeconds = 0;
    m_titleTimer.start(1000);

    ui->spinBox_previewFps->setValue(m_nPreviewFps);
    onWritelog(QStringLiteral("The program has started successfully"));
    onWritelog(QStringLiteral("Enjoy using it"));
    LUMA_DEBUG("MainWindow::MainWindow", "Program started");
}

void MainWindow::setUpImageFolder()
{
    m_strImgDir = QDir::currentPath() + QStringLiteral("/img");
    if (!QDir(m_strImgDir).exists()) {
        if (QDir().mkpath(m_strImgDir))
            LUMA_DEBUG("MainWindow::setUpImageFolder", "Path created successfully");
        else
            LUMA_DEBUG("MainWindow::setUpImageFolder", "Failed to create path");
    }
    ui->txt_path->setText(m_strImgDir);
    ui->txt_path->setToolTip(m_strImgDir);
}

void MainWindow::setUpInputRules()
{
    // The fields start with the texts of the form, which match the settings'
    // defaults.
    auto validator = [this](const char* pattern) {
        return new QRegExpValidator(QRegExp(QString::fromLatin1(pattern), Qt::CaseSensitive), this);
    };
    ui->txt_frames->setValidator(validator("^([1-9]|([1-9][0-9]{0,8}))$"));
    ui->txt_frames->installEventFilter(this);
    ui->txt_intervaltm->setValidator(validator("[0-9]+$"));
    ui->txt_intervaltm->installEventFilter(this);
    ui->txt_fps_2->setValidator(validator("^([0-9]|[1-9][0-9]{0,2}|1000)$"));
    ui->txt_fps_2->installEventFilter(this);
    ui->txt_imgname->setValidator(validator("[^\\\\/:*?\"<>|!]*"));
    // The contrast and level fields drop no keystroke: a validator of
    // digits would turn a typed "1,5" into 15. Their text is read whole when
    // editing finishes (on_txt_contrast_editingFinished and the level twins).
    ui->txt_contrast->installEventFilter(this);
    ui->txt_llvl->installEventFilter(this);
    ui->txt_rlvl->installEventFilter(this);

    // The boxes refuse what they cannot take with a row; below 4 buffers a
    // ring has none (CZTThdCapture::ringCountFor).
    ui->spinBox_bufferCount->setMinimum(static_cast<int>(CZTThdCapture::kMinRingBuffers));
    const struct {
        CheckedSpinBox* box;
        const char* name;
    } boxes[] = {{ui->spinBox_bufferCount, "Acquisition Buffers"},
                 {ui->spinBox_previewFps, "Preview Refresh Speed"},
                 {ui->spinBox_stackNum, "Stack"}};
    for (const auto& b : boxes) {
        b.box->setFieldName(QString::fromLatin1(b.name));
        connect(b.box, &CheckedSpinBox::refused, this, &MainWindow::onWritelog);
    }
    ui->dbSpinBox_gamma->setFieldName(QStringLiteral("Gamma"));
    connect(ui->dbSpinBox_gamma, &CheckedDoubleSpinBox::refused, this, &MainWindow::onWritelog);
}

MainWindow::~MainWindow()
{
    if (m_pScanCamera) {
        disconnect(m_pScanCamera, &ZTScanCamera::sglScanFinished, this, &MainWindow::slotScanCamFinished);
        m_pScanCamera->stopScan();
        m_pScanCamera->quit();
        // A scan still inside the SDK's initialisation must end before the
        // SDK is shut down below.
        m_pScanCamera->wait();
    }
    m_titleTimer.stop();
    if (m_bLive)
        onCapturing();
    // The series stopped above tell what they could not save once they have
    // wholly ended; their reports are written while the log still exists.
    for (CZTThdCapture* thread : m_vecCapThread)
        if (thread)
            thread->saveThread()->waitForSeriesEnd();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);

    for (int* id : {&m_nDisconnectTimerId, &m_nLeftLevelTimerId, &m_nRightLevelTimerId}) {
        if (*id)
            killTimer(*id);
        *id = 0;
    }

    for (int i = m_vecPropGrp.size() - 1; i >= 0; --i) {
        if (m_vecPropGrp[i]) {
            m_vecPropGrp[i]->stopPollTimer();
            delete m_vecPropGrp[i];
        }
    }
    m_vecPropGrp.clear();
    for (int i = m_vecStreamGrp.size() - 1; i >= 0; --i) {
        if (m_vecStreamGrp[i]) {
            m_vecStreamGrp[i]->stopPollTimer();
            delete m_vecStreamGrp[i];
        }
    }
    m_vecStreamGrp.clear();
    for (int i = m_vecCapThread.size() - 1; i >= 0; --i)
        delete m_vecCapThread[i];
    m_vecCapThread.clear();

    // On the way out a camera or an SDK that fails to close leaves nothing to do.
    for (int i = m_vecOpenedCam.size() - 1; i >= 0; --i)
        (void)ZTCAM_Dev_Close(m_vecOpenedCam[i].handle);
    m_vecOpenedCam.clear();

    for (int i = m_mapBufferSets.size() - 1; i >= 0; --i)
        delete m_mapBufferSets.value(i, nullptr);
    m_mapBufferSets.clear();

    (void)ZTCAM_Api_Uninit();
    platform::os::sleepMs(static_cast<uint32_t>(exitWaitMs()));

    delete ui;
    ui = nullptr;
    LUMA_DEBUG("MainWindow::~MainWindow", "Program exited");
}

// ---------------------------------------------------------------- mirrors

void MainWindow::mirrorCurrentCameraIndex(int index) { m_nCamIndexMirror.store(index); }

void MainWindow::mirrorImageName(const QString& text)
{
    std::lock_guard<std::mutex> lock(m_mirrorMutex);
    m_strImageNameMirror = text;
}

int MainWindow::currentCameraIndex() const { return m_nCamIndexMirror.load(); }

QString MainWindow::imageNameText() const
{
    std::lock_guard<std::mutex> lock(m_mirrorMutex);
    return m_strImageNameMirror;
}

bool MainWindow::isTriggerMode(int position) const
{
    std::lock_guard<std::mutex> lock(m_mirrorMutex);
    if (position < 0 || position >= m_vecTriggerMirror.size())
        return false;
    return m_vecTriggerMirror.at(position);
}

void MainWindow::setPanelTriggerMode(int position, bool on)
{
    if (position < 0)
        return;
    std::lock_guard<std::mutex> lock(m_mirrorMutex);
    if (position >= m_vecTriggerMirror.size())
        m_vecTriggerMirror.resize(position + 1);
    m_vecTriggerMirror[position] = on;
}

int MainWindow::videoFps() const { return m_nVideoFps.load(); }

int MainWindow::displayShift(int sdkIndex) const
{
    std::lock_guard<std::mutex> lock(m_displayShiftMutex);
    auto it = m_mapDisplayShift.constFind(sdkIndex);
    if (it == m_mapDisplayShift.constEnd())
        return 0;
    int shift = it.value();
    if (shift == -1)
        shift = m_mapDisplayShift.value(0, 0);
    return shift < 0 ? 0 : shift;
}

void MainWindow::setDisplayShift(int sdkIndex, int shift)
{
    std::lock_guard<std::mutex> lock(m_displayShiftMutex);
    m_mapDisplayShift[sdkIndex] = shift;
}

void MainWindow::clearDisplayShifts()
{
    std::lock_guard<std::mutex> lock(m_displayShiftMutex);
    m_mapDisplayShift.clear();
}

// ---------------------------------------------------------------- small operations

void MainWindow::setCounterReset() { m_bCounterReset = true; }

void MainWindow::setTriggerModeFlag(bool on) { m_bTriggerMode = on; }

void MainWindow::setPanelTriggerMode(CZTPropGrp* panel, bool on)
{
    const int position = m_vecPropGrp.indexOf(panel);
    if (position >= 0)
        setPanelTriggerMode(position, on);
}

void MainWindow::storeCameraLevels(OpenedCamera camera, int left, int right)
{
    const int key = static_cast<int>(camera.index);
    auto it = m_mapCamLevels.find(key);
    if (it != m_mapCamLevels.end()) {
        if (left >= 0)
            it->left = left;
        if (right > 0)
            it->right = right;
        return;
    }
    CamLevels levels;
    levels.left = left < 0 ? 0 : left;
    levels.right = right < 0 ? 0 : right;
    m_mapCamLevels.insert(key, levels);
}

void MainWindow::storeLevelsForAllCameras()
{
    const int left = ui->hls_llvl->value();
    const int right = ui->hls_rlvl->value();
    for (const OpenedCamera& camera : m_vecOpenedCam)
        storeCameraLevels(camera, left, right);
}

void MainWindow::enableSingleViewport(bool single, CZTCamView* view)
{
    if (single) {
        for (CZTCamView* v : m_vecCamView)
            if (v != view)
                v->hide();
        LUMA_DEBUG("MainWindow::enableSingleViewport", "Single Viewport");
        const int position = m_vecCamView.indexOf(view);
        if (position >= 0)
            ui->cb_cam_idx->setCurrentIndex(position);
    } else {
        for (CZTCamView* v : m_vecCamView)
            v->show();
        LUMA_DEBUG("MainWindow::enableSingleViewport", "Multi Viewport");
    }
    m_bSingleViewport = single;
}

void MainWindow::setCaptureButtonState(bool capturing)
{
    if (!capturing) {
        ui->pb_video->setEnabled(true);
        ui->lab_cap_msg->clear();
        ui->pb_cap->setText(QString::fromLatin1(kCapButtonIdle));
        setCaptureControlsEnabled(true);
        on_spinBox_stackNum_valueChanged(ui->spinBox_stackNum->value());
    } else {
        ui->pb_cap->setText(QString::fromLatin1(kCapButtonStop));
        setCaptureControlsEnabled(false);
    }
}

void MainWindow::setCaptureControlsEnabled(bool on)
{
    for (QWidget* w : std::initializer_list<QWidget*>{ui->pb_browse, ui->chk_jpg, ui->chk_bmp, ui->chk_png, ui->chk_tif,
                                                      ui->chk_raw, ui->txt_frames, ui->txt_intervaltm,
                                                      ui->txt_imgname, ui->spinBox_stackNum})
        w->setEnabled(on);
}

// ---------------------------------------------------------------- slots of the window

void MainWindow::OnUpdateImageSize(QSize size)
{
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(this, [this, size] { OnUpdateImageSize(size); }, Qt::QueuedConnection);
        return;
    }
    ui->label_size->setText(QStringLiteral("Size: ") + QString::number(size.width()) + QStringLiteral("x") +
                            QString::number(size.height()));
}

void MainWindow::OnUpdateMousePosition(int camIdx, QPointF pos, QPointF offsetPos)
{
    (void)offsetPos;
    if (pos.x() < 0 || pos.y() < 0)
        return;
    int gray = 0;
    if (m_bLive) {
        for (const OpenedCamera& camera : m_vecOpenedCam) {
            if (static_cast<int>(camera.index) != camIdx)
                continue;
            ZTCamElement width{};
            ZTCamFunc::instance()->QueryGenICamElement(m_curCam.handle, "Width", width);
            if (pos.x() >= static_cast<double>(width.value.intValue))
                return;
            gray = ZTCamFunc::instance()->GetGrayValue(camera.handle, static_cast<int>(pos.x()),
                                                       static_cast<int>(pos.y()));
            break;
        }
    }
    ui->label_value->setText(QStringLiteral("GrayValue: ") + QString::number(gray));
    ui->label_pos->setText(QStringLiteral("Pos: x: ") + QString::number(static_cast<int>(pos.x())) +
                           QStringLiteral(" y:") + QString::number(static_cast<int>(pos.y())));
}

void MainWindow::SlotButtonGroupClicked(QAbstractButton* button)
{
    const int position = m_buttonGroup.id(button);
    if (position >= 0 && position < m_vecCamView.size() && m_vecCamView[position])
        m_vecCamView[position]->on_pb_grayCurve_clicked();
}

void MainWindow::SlotStackCloseFinished()
{
    ++m_nStackCloseCount;
    if (m_nStackCloseCount >= m_vecCapThread.size()) {
        setCaptureButtonState(false);
        ui->pb_cap->setEnabled(m_bLive);
        // As at every other end of a capture: no recording without live view.
        ui->pb_video->setEnabled(m_bLive);
        m_nStackCloseCount = 0;
    }
}

void MainWindow::slotUpdateTime()
{
    ++m_nScanSeconds;
    setWindowTitle(tr("Find Camera... ") + QString::number(m_nScanSeconds) + QStringLiteral("s"));
}

void MainWindow::slotShowMaximizedWin()
{
    showMaximized();
    setFocus(Qt::ActiveWindowFocusReason);
}

// ---------------------------------------------------------------- user log

void MainWindow::onWritelog(QString text)
{
    const int n = m_nLogRowCount;
    const QString index = QString::asprintf("[%04d] ", n) +
                          QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
    QTableWidget* table = ui->tableWidget;
    table->setRowCount(n + 1);
    auto* first = new QTableWidgetItem(index);
    first->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    auto* second = new QTableWidgetItem(text);
    second->setTextAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    table->setItem(n, 0, first);
    table->setItem(n, 1, second);
    // A message wider than its column widens it: no row is cut.
    const int wanted = table->sizeHintForIndex(table->model()->index(n, 1)).width();
    if (wanted > table->columnWidth(1))
        table->setColumnWidth(1, wanted);
    table->scrollToBottom();
    m_nLogRowCount += 1;
    // The rows also go to the debugger output, where they can be followed
    // without the window.
    LUMA_DEBUG("MainWindow::onWritelog", "%s %s", index.toUtf8().constData(), text.toUtf8().constData());
}

void MainWindow::on_tableWidget_customContextMenuRequested(QPoint pos)
{
    (void)pos;
    auto* menu = new QMenu(this);
    auto* action = new QAction(tr("Save as"), this);
    action->setData(1);
    menu->addAction(action);
    connect(action, SIGNAL(triggered()), this, SLOT(onTaskBoxContextMenuEvent()));
    menu->exec(QCursor::pos());
    const QList<QAction*> actions = menu->actions();
    for (QAction* a : actions)
        delete a;
    delete menu;
}

void MainWindow::onTaskBoxContextMenuEvent()
{
    QString name = UserPrompt::instance().getSaveFileName(nullptr, tr("Choose open path"), m_strImgDir,
                                                          QStringLiteral("File(*.log)"));
    if (name.isEmpty())
        return;
    if (name.right(4) != QLatin1String(".log")) {
        name += QStringLiteral(".log");
        // The dialog asked about the name as typed, not about this one.
        const QFileInfo taken(name);
        if ((taken.exists() || taken.isSymLink()) &&
            UserPrompt::instance().question(
                this, QStringLiteral("LumaDeck"),
                tr("%1 already exists. Do you want to replace it?").arg(QDir::toNativeSeparators(name)),
                QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
            return;
    }
    QString text;
    QTableWidget* table = ui->tableWidget;
    for (int row = 0; row < m_nLogRowCount; ++row) {
        const QTableWidgetItem* first = table->item(row, 0);
        const QTableWidgetItem* second = table->item(row, 1);
        text += (first ? first->text() : QString()) + QLatin1Char(' ') + (second ? second->text() : QString()) +
                QLatin1Char('\n');
    }
    // Written whole or not at all: an earlier log of that name stays as it
    // was when the save fails.
    int error = 0;
    if (TextFile::write(name, text, &error) != TextFile::Written::Whole) {
        UserPrompt::instance().about(this, QStringLiteral("LumaDeck"),
                                     tr("The log was not saved to %1: %2.")
                                         .arg(QDir::toNativeSeparators(name), WriteError::reason(error)));
        return;
    }
    UserPrompt::instance().about(this, QStringLiteral("LumaDeck"), QStringLiteral("File saving was completed"));
}

void MainWindow::on_MainWindow_customContextMenuRequested(QPoint pos) { (void)pos; }

// ---------------------------------------------------------------- events

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut) {
        if (watched == ui->txt_contrast && ui->txt_contrast->text().isEmpty())
            ui->txt_contrast->setText(QString::number(ui->hls_contrast->minimum()));
        else if (watched == ui->txt_llvl && ui->txt_llvl->text().isEmpty())
            ui->txt_llvl->setText(QString::number(ui->hls_llvl->minimum()));
        else if (watched == ui->txt_rlvl && ui->txt_rlvl->text().isEmpty())
            ui->txt_rlvl->setText(QString::number(ui->hls_rlvl->minimum()));
        else if (watched == ui->txt_frames)
            on_txt_frames_editingFinished();
        else if (watched == ui->txt_intervaltm && ui->txt_intervaltm->text().isEmpty())
            ui->txt_intervaltm->setText(QStringLiteral("0"));
        else if (watched == ui->txt_fps_2 && ui->txt_fps_2->text().isEmpty())
            ui->txt_fps_2->setText(QStringLiteral("1"));
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::paintEvent(QPaintEvent* event) { (void)event; }

void MainWindow::resizeEvent(QResizeEvent* event)
{
    (void)event;
    // Gives the live views' hand-off room while the window is dragged.
    if (m_bLive)
        platform::os::sleepMs(150);
}
