// Discovery results and opening cameras: which cameras to open, opening them,
// and the per-camera set-up of capture threads, buffer sets, views and
// frame-counter rows.
#include "MainWindow.h"

#include "ui_MainWindow.h"

#include "CZTCamView.h"
#include "CZTPropGrp.h"
#include "CZTThdCapture.h"
#include "CameraSelect.h"
#include "DebugLine.h"
#include "FrameBufferSet.h"
#include "UserPrompt.h"
#include "ZTCamFunc.h"
#include "ZTScanCamera.h"
#include "ztstreamgrp.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSpacerItem>
#include <QStandardPaths>
#include <algorithm>
#include <cmath>

namespace {

const char* const kFirmwareTool = "FwRenew.exe";

// Starts the firmware tool detached when it is found in the working directory
// or on the search path.
// Debug lines name a class and method: this helper's carry the name of
// CombiCamVec, the only place it runs from.
bool startFirmwareTool()
{
    QString program;
    const QFileInfo local(QDir::current().filePath(kFirmwareTool));
    if (local.isFile() && local.isExecutable())
        program = local.absoluteFilePath();
    else
        program = QStandardPaths::findExecutable(kFirmwareTool);
    if (program.isEmpty()) {
        LUMA_DEBUG("MainWindow::CombiCamVec", "%s not found", kFirmwareTool);
        return false;
    }
    const bool started = QProcess::startDetached(program, QStringList());
    LUMA_DEBUG("MainWindow::CombiCamVec", "start %s: %s", qPrintable(program), started ? "ok" : "failed");
    return started;
}

// Set once a camera without serial number has ended the program, so that no
// further camera is opened on the way out.
const char* const kExitRequested = "lumaExitRequested";

}  // namespace

void MainWindow::slotScanCamFinished()
{
    m_titleTimer.stop();
    m_camInit.cameraCount = m_pScanCamera ? m_pScanCamera->cameraCount() : 0;
    DiscoverCamEnd(static_cast<int>(m_camInit.cameraCount));
    setWindowTitle(m_strTitle);
    if (property(kExitRequested).toBool())
        return;
    initUI();
    setEnabled(true);
}

void MainWindow::DiscoverCamEnd(int count)
{
    LUMA_DEBUG("MainWindow::DiscoverCamEnd", "Find the number of cameras = %d", count);
    if (count <= 0) {
        setWindowTitle("No Camera");
        UserPrompt::instance().about(this, tr("Find Camera"), tr("No Camera found."));
        return;
    }
    m_mapCamSN.clear();
    m_mapHostCam.clear();
    m_nCamCount = 0;
    if (count == 1) {
        CombiCamVec(0);
        return;
    }
    LUMA_DEBUG("MainWindow::DiscoverCamEnd", "camera count is over 1, please choose one item");
    CameraSelect dialog(this);
    dialog.setCameraCount(count);
    if (UserPrompt::instance().execDialog(dialog) != QDialog::Accepted)
        return;
    m_vecOpenedCam.clear();
    const int selected = dialog.selectedCamera();
    if (selected == count) {
        for (int i = 0; i < count; ++i) {
            if (property(kExitRequested).toBool())
                break;
            CombiCamVec(i);
        }
    } else {
        CombiCamVec(selected);
    }
}

bool MainWindow::CombiCamVec(int index)
{
    OpenedCamera camera{};
    camera.index = static_cast<uint32_t>(index);
    if (ZTCAM_Dev_Open(&camera) != ZTCAM_STATUS_SUCCESS) {
        onWritelog(QString("Camera%1 open failed!").arg(index));
        LUMA_DEBUG("MainWindow::CombiCamVec", "Camera %d open failed!", index);
        return false;
    }

    char* snBuffer = ZTCamFunc::instance()->GetDeviceSN(camera.handle);
    const QString sn = QString::fromLocal8Bit(snBuffer);
    delete[] snBuffer;

    if (sn.isEmpty()) {
        QMessageBox box(QMessageBox::Warning, "警告", "没找到SN，请打开升级工具烧写SN",
                        QMessageBox::Ok | QMessageBox::Cancel, nullptr,
                        Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
        box.button(QMessageBox::Ok)->setText("去烧写");
        box.button(QMessageBox::Cancel)->setText("退出程序");
        box.setDefaultButton(QMessageBox::Ok);
        // The answer is the standard button pressed (the buttons are standard
        // ones relabelled), also when the box is answered without being shown.
        if (UserPrompt::instance().execMessageBox(box) == QMessageBox::Ok)
            startFirmwareTool();
        // The program ends with exit code 0 either way; the camera just
        // opened is closed with the others on the way out.
        m_vecOpenedCam.append(camera);
        setProperty(kExitRequested, true);
        close();
        QCoreApplication::exit(0);
        return false;
    }

    m_mapCamSN[index] = sn;
    m_mapHostCam[index] = IsHostCamera(index, camera.handle);
    LUMA_DEBUG("MainWindow::CombiCamVec", "Open camera%d: handle=0x%llx, SN=%s", index,
               static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(camera.handle)), sn.toLocal8Bit().constData());
    m_vecOpenedCam.append(camera);
    onWritelog(QString("Camera%1 open successfully.").arg(index));
    LUMA_DEBUG("MainWindow::CombiCamVec", "Camera %d open successed", index);
    return true;
}

bool MainWindow::IsHostCamera(int index, ZTCamHandle handle)
{
    ZTCamElement element{};
    if (!ZTCamFunc::instance()->QueryGenICamElement(handle, "DeviceVersion", element)) {
        LUMA_DEBUG("MainWindow::IsHostCamera", "camera%d get DeviceVersion failed!", index);
        return false;
    }
    const QString version = element.text ? QString::fromLocal8Bit(element.text) : QString();
    if (version.contains("FF01") || version.contains("2DF1") || version.contains("17F1"))
        return false;
    ++m_nCamCount;
    return true;
}

void MainWindow::initUI()
{
    const int n = m_vecOpenedCam.size();
    m_mapCamName.clear();
    ZTCamFunc* func = ZTCamFunc::instance();
    func->ClearProductIds();

    QByteArray lastDeviceString;
    int deviceCounter = 0;
    for (int i = 0; i < n; ++i) {
        setUpCamera(i, lastDeviceString, deviceCounter);
        const ZTCamHandle handle = m_vecOpenedCam.at(i).handle;
        ZTCamCapaAttr attr{};
        attr.id = ZTCAM_CAPA_19;
        // Resets of a fresh camera: one that refuses them keeps its own state.
        if (ZTCAM_Capa_GetAttr(handle, &attr) == ZTCAM_STATUS_SUCCESS)
            (void)ZTCAM_Capa_SetValue(handle, ZTCAM_CAPA_19, 0);
        (void)ZTCAM_Capa_SetValue(handle, ZTCAM_CAPA_FLIP_VERTICAL, 0);
    }

    buildCameraInfoPanel(n);

    if (n > 0) {
        LUMA_DEBUG("MainWindow::initUI", "Current Camera0");
        ui->cb_cam_idx->setCurrentIndex(0);
        ui->pushButtonParamApply->setEnabled(m_nCamCount >= 2 && m_mapHostCam.value(0, false) && !m_bLive);
        m_curCam = m_vecOpenedCam.at(0);
        m_nCurCamIndex = 0;
    } else {
        // Cameras were found when the user chose none of them (or none
        // opened).
        const bool found = m_camInit.cameraCount > 0;
        ui->gridLayoutView->addWidget(new QLabel(found ? "No camera opened" : "No camera found", this));
        ui->lab_img_cap->hide();
        ui->lab_img_video->hide();
        ui->lab_gige->hide();
        ui->lab_param->hide();
        ui->widgetVideo->setVisible(false);
        ui->widgetImage->setVisible(false);
        ui->widgetParam->setVisible(false);
        ui->wgt_more_params->setVisible(false);
        setEnabled(false);
        onWritelog(found ? "No camera opened." : "No camera found.");
    }

    // The product test uses the current camera: every camera gets a stream
    // panel or none does.
    const bool withStream = !func->IsProductE41A(m_curCam.handle);
    for (int i = 0; i < n; ++i)
        addCameraPanels(i, true, withStream);
    if (!m_vecPropGrp.isEmpty()) {
        showCameraPanels(0);
        ui->tabWidget->setCurrentIndex(0);
    }

    startConnectionPoll();
    if (n == 1)
        ui->pushButtonMoreParamApply->setEnabled(false);
    connect(ui->cb_cam_idx, SIGNAL(currentIndexChanged(int)), this, SLOT(onCamIndexCurrentIndexChanged(int)),
            Qt::UniqueConnection);
    if (n > 0 && func->IsProductE41A(m_curCam.handle))
        ui->groupBoxBackGround->setVisible(false);
    if (m_curCam.handle) {
        initImageControlRanges();
        updateImageControls();
        showImageSize();
    }
    ui->pb_live->setEnabled(m_nCamCount > 0);
    ui->spinBox_bufferCount->setEnabled(m_nCamCount > 0);
    ui->spinBox_previewFps->setEnabled(m_mapHostCam.value(0, false));
}

void MainWindow::setUpCamera(int position, QByteArray& lastDeviceString, int& deviceCounter)
{
    const OpenedCamera c = m_vecOpenedCam.at(position);
    ZTCamFunc* func = ZTCamFunc::instance();
    auto* thread = new CZTThdCapture(c, this, position);
    m_vecCapThread.append(thread);
    func->RefreshProductId(c.handle);
    const QString name = func->GetChannelName(c.handle, lastDeviceString, deviceCounter, static_cast<int>(c.index));

    delete m_mapBufferSets.value(position, nullptr);
    m_mapBufferSets[position] = new FrameBufferSet;
    ui->cb_cam_idx->addItem(name);
    m_mapCamName[position] = name;
    setDisplayShift(static_cast<int>(c.index), -1);

    auto* view = new CZTCamView(this, name);
    thread->setView(view);
    ui->gridLayoutView->addWidget(view, position / 2, position % 2);
    connect(view, &CZTCamView::sigUpdateMousePosition, this, &MainWindow::OnUpdateMousePosition);
    view->attachMainWindow(this, c);
    m_vecCamView.append(view);
}

void MainWindow::addCameraPanels(int position, bool firstOpen, bool withStream)
{
    const OpenedCamera c = m_vecOpenedCam.at(position);
    auto* panel = new CZTPropGrp(c, ui->tabWidget);
    m_vecPropGrp.append(panel);
    panel->hide();
    panel->init(this);
    panel->m_nLevel = ui->cb_visibility->currentIndex();
    if (firstOpen)
        panel->resetTECOperationMode();
    panel->refreshRoot();
    panel->lockScanType();

    // The stream panels stand by position like the device panels; a camera
    // without one holds an empty place, and the list stays empty when no
    // camera has one.
    ztstreamgrp* stream = nullptr;
    if (withStream) {
        stream = new ztstreamgrp(c, ui->tabWidget);
        stream->hide();
        stream->setMainWindow(this);
        stream->refreshRoot();
        stream->lockScanType();
    }
    if (stream || std::any_of(m_vecStreamGrp.cbegin(), m_vecStreamGrp.cend(), [](ztstreamgrp* p) { return p; })) {
        m_vecStreamGrp.resize(position);
        m_vecStreamGrp.append(stream);
    }
}

void MainWindow::showCameraPanels(int position)
{
    QWidget* devicePage = ui->tab;
    QWidget* streamPage = ui->tab_2;
    if (m_pCurPropGrp) {
        devicePage->layout()->removeWidget(m_pCurPropGrp);
        m_pCurPropGrp->hide();
    }
    if (m_pCurStreamGrp) {
        streamPage->layout()->removeWidget(m_pCurStreamGrp);
        m_pCurStreamGrp->hide();
    }

    m_pCurPropGrp = m_vecPropGrp.value(position, nullptr);
    if (m_pCurPropGrp) {
        ui->tabWidget->setTabText(ui->tabWidget->indexOf(devicePage), tr("Device Properties"));
        devicePage->layout()->addWidget(m_pCurPropGrp);
        m_pCurPropGrp->show();
    }

    // The stream tab is there exactly while the current camera has a stream
    // panel; its page is kept while the tab is away.
    m_pCurStreamGrp = m_vecStreamGrp.value(position, nullptr);
    const int streamTab = ui->tabWidget->indexOf(streamPage);
    if (m_pCurStreamGrp) {
        if (streamTab < 0)
            ui->tabWidget->insertTab(1, streamPage, tr("Stream Properties"));
        else
            ui->tabWidget->setTabText(streamTab, tr("Stream Properties"));
        streamPage->layout()->addWidget(m_pCurStreamGrp);
        m_pCurStreamGrp->show();
    } else if (streamTab >= 0) {
        ui->tabWidget->removeTab(streamTab);
    }
    // The pages start hidden; the tab widget shows the others on a switch.
    if (QWidget* current = ui->tabWidget->currentWidget())
        current->show();
}

void MainWindow::buildCameraInfoPanel(int count)
{
    for (int i = m_vecCounterLabels.size(); i < count; ++i) {
        auto* label = new QLabel("Counter" + m_mapCamName.value(i) + ": 0");
        ui->gridLayoutFrameCount->addWidget(label, i, 0);
        ui->gridLayoutFrameCount->addItem(new QSpacerItem(40, 20), i, 1);
        auto* button = new QPushButton("Open GrayCurve");
        // 100 pixels, or what the text needs in the font at hand.
        const int textWidth = button->fontMetrics().horizontalAdvance(button->text()) + 16;
        button->setStyleSheet(QString("QPushButton{color:#000000;max-width:%1px;height:20px;} "
                                      "QPushButton:hover{background:#bbbbbb;}")
                                  .arg(std::max(100, textWidth)));
        ui->gridLayoutFrameCount->addWidget(button, i, 2);
        m_buttonGroup.addButton(button, i);
        m_vecCounterLabels.append(label);
        m_vecGrayCurveButtons.append(button);
    }
    for (QLabel* label : m_vecCounterLabels)
        label->show();
    for (QPushButton* button : m_vecGrayCurveButtons)
        button->hide();
    connect(&m_buttonGroup, SIGNAL(buttonClicked(QAbstractButton*)), this,
            SLOT(SlotButtonGroupClicked(QAbstractButton*)), Qt::UniqueConnection);
    for (int i = std::max(count, 0); i < m_vecCounterLabels.size(); ++i) {
        m_vecCounterLabels.at(i)->hide();
        m_vecGrayCurveButtons.at(i)->hide();
    }
}

void MainWindow::updateParamApplyState(int position)
{
    ui->pushButtonParamApply->setEnabled(m_nCamCount >= 2 && m_mapHostCam.value(position, false) && !m_bLive);
}

void MainWindow::initImageControlRanges()
{
    const ZTCamHandle handle = m_curCam.handle;
    ZTCamPropAttr gamma{};
    gamma.id = ZTCAM_PROP_GAMMA;
    if (ZTCAM_Prop_GetAttr(handle, &gamma) == ZTCAM_STATUS_SUCCESS) {
        m_bGammaGuard = true;
        const int lo = static_cast<int>(gamma.minimum);
        const int hi = static_cast<int>(std::lround(gamma.maximum));
        ui->hls_gamma->setRange(lo, hi);
        ui->dbSpinBox_gamma->setRange(gamma.minimum / 100.0, std::round(gamma.maximum) / 100.0);
        ui->hls_gamma->setValue(lo);
    }
    ZTCamPropAttr contrast{};
    contrast.id = ZTCAM_PROP_CONTRAST;
    if (ZTCAM_Prop_GetAttr(handle, &contrast) == ZTCAM_STATUS_SUCCESS) {
        m_bContrastGuard = true;
        ui->hls_contrast->setRange(static_cast<int>(contrast.minimum), static_cast<int>(contrast.maximum));
        ui->hls_contrast->setValue(static_cast<int>(contrast.minimum));
    }
}
