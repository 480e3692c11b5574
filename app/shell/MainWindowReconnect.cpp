// Disconnect detection and reconnection: the 3 s connection poll, the level
// timers' ticks, and tearing every camera down to open them again.
#include "MainWindow.h"

#include "ui_MainWindow.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTimerEvent>

#include <cstring>

#include <platform/os/SystemInfo.h>

#include "CZTCamView.h"
#include "CZTPropGrp.h"
#include "CZTThdCapture.h"
#include "DebugLine.h"
#include "FrameBufferSet.h"
#include "UserPrompt.h"
#include "ZTCamFunc.h"
#include "ztstreamgrp.h"

namespace {

constexpr int kDisconnectPollMs = 3000;

// Takes a panel out of its tab and stops it; the panel itself goes when the
// event loop next runs, since the reconnection may have been started from
// one of its own rows.
template <class Panel>
void retirePanel(Panel* panel)
{
    if (!panel)
        return;
    if (QWidget* page = panel->parentWidget())
        if (QLayout* layout = page->layout())
            layout->removeWidget(panel);
    panel->hide();
    panel->stopPollTimer();
    panel->clearTree();
    panel->deleteLater();
}

}  // namespace

void MainWindow::timerEvent(QTimerEvent* event)
{
    const int id = event->timerId();
    if (levelTimerTick(id))
        return;
    if (id != 0 && id == m_nDisconnectTimerId) {
        pollConnections();
        return;
    }
    QMainWindow::timerEvent(event);
}

void MainWindow::pollConnections()
{
    if (m_vecOpenedCam.isEmpty())
        return;
    bool disconnected = false;
    for (int i = 0; i < m_vecOpenedCam.size(); ++i) {
        ZTCamDeviceInfo info{};
        info.id = ZTCAM_INFO_CONNECTION_STATE;
        if (ZTCAM_Dev_GetInfo(m_vecOpenedCam.at(i).handle, &info) == ZTCAM_STATUS_SUCCESS && info.value == 1) {
            onWritelog(QStringLiteral("The camera") + QString::number(i) + QStringLiteral(" has been disconnected"));
            disconnected = true;
        }
    }
    if (!disconnected)
        return;
    // Told once: only a reconnection starts the poll again.
    stopConnectionPoll();
    UserPrompt::instance().about(this, QStringLiteral("LumaDeck"), tr("The camera has been disconnected"));
}

void MainWindow::closeAllCameras()
{
    for (int i = m_vecCapThread.size() - 1; i >= 0; --i)
        delete m_vecCapThread.takeAt(i);
    for (int i = m_mapBufferSets.size() - 1; i >= 0; --i)
        delete m_mapBufferSets.take(i);
    disconnect(ui->cb_cam_idx, SIGNAL(currentIndexChanged(int)), this, SLOT(onCamIndexCurrentIndexChanged(int)));
    for (int i = m_vecCamView.size() - 1; i >= 0; --i) {
        CZTCamView* view = m_vecCamView.takeAt(i);
        view->stopDisplayTimer();
        ui->gridLayoutView->removeWidget(view);
        delete view;
    }

    std::strncpy(m_szCamInitPath, "./", sizeof(m_szCamInitPath) - 1);
    const QByteArray cwd = QDir::currentPath().toLocal8Bit();
    if (cwd.size() < static_cast<int>(sizeof(m_szCamInitPath)))
        std::strncpy(m_szCamInitPath, cwd.constData(), sizeof(m_szCamInitPath) - 1);
    for (int i = m_vecOpenedCam.size() - 1; i >= 0; --i) {
        ui->cb_cam_idx->removeItem(i);
        m_curCam = m_vecOpenedCam.at(i);
        if (!m_curCam.handle)
            continue;
        retirePanel(m_vecPropGrp.value(i, nullptr));
        retirePanel(m_vecStreamGrp.value(i, nullptr));
        (void)ZTCAM_Dev_Close(m_curCam.handle);  // a lost camera may not close; it is gone either way
        m_curCam.handle = nullptr;
    }
    m_camInit.configPath = m_szCamInitPath;
    m_camInit.cameraCount = 0;
    m_pCurPropGrp = nullptr;
    m_pCurStreamGrp = nullptr;
    m_vecPropGrp.clear();
    m_vecStreamGrp.clear();

    (void)ZTCAM_Api_Uninit();  // the search below initialises the SDK again
    m_vecOpenedCam.clear();
    m_vecCapThread.clear();
    m_vecCamView.clear();
    clearDisplayShifts();
    m_mapCamName.clear();
    m_mapBufferSets.clear();
    // No camera is open now: a search that finds none leaves nothing to
    // start live on.
    m_nCamCount = 0;
    ZTCamFunc::instance()->ClearProductIds();
    LUMA_DEBUG("MainWindow::closeAllCameras", "All devices closed");
}

int MainWindow::reopenCameras()
{
    QElapsedTimer deadline;
    deadline.start();
    const int waitMs = reconnectWaitMs();
    platform::os::sleepMs(static_cast<uint32_t>(waitMs));
    while (m_bReconnecting) {
        // The camera count it fills in is the answer: 0 when it failed.
        (void)ZTCAM_Api_Init(&m_camInit, 1000);
        const int count = static_cast<int>(m_camInit.cameraCount);
        LUMA_DEBUG("MainWindow::reopenCameras", "Number if devices = %d", count);
        if (count <= 0) {
            (void)ZTCAM_Api_Uninit();  // nothing found: the next try starts afresh
            if (deadline.elapsed() > waitMs)
                return -1;
            continue;
        }
        m_mapCamSN.clear();
        m_mapHostCam.clear();
        m_nCamCount = 0;
        // A camera that fails to open is left out; the others are opened
        // and keep their handles, and the SDK stays up for them.
        for (int j = 0; j < count; ++j) {
            if (CombiCamVec(j))
                LUMA_DEBUG("MainWindow::reopenCameras", "Open camera%d success", j);
            else
                onWritelog(QStringLiteral("Open camera failed!"));
        }
        m_bReconnecting = false;
    }
    return m_vecOpenedCam.size();
}

void MainWindow::startConnectionPoll() { m_nDisconnectTimerId = startTimer(kDisconnectPollMs, Qt::CoarseTimer); }

void MainWindow::stopConnectionPoll()
{
    if (m_nDisconnectTimerId)
        killTimer(m_nDisconnectTimerId);
    m_nDisconnectTimerId = 0;
}

bool MainWindow::beginDeviceReset()
{
    if (m_bDeviceResetPending)
        return false;
    m_bDeviceResetPending = true;
    // The restarting camera reads as lost: that is no disconnection to warn of.
    stopConnectionPoll();
    for (CZTPropGrp* panel : qAsConst(m_vecPropGrp))
        if (panel)
            panel->stopPollTimer();
    for (ztstreamgrp* panel : qAsConst(m_vecStreamGrp))
        if (panel)
            panel->stopPollTimer();
    return true;
}

void MainWindow::finishDeviceReset(bool wasLive)
{
    if (!m_bDeviceResetPending)
        return;
    m_bDeviceResetPending = false;
    reConnectCam(wasLive);
}

void MainWindow::reConnectCam(bool wasLive)
{
    (void)wasLive;  // the cameras come back stopped either way
    m_bReconnecting = true;
    if (m_vecOpenedCam.isEmpty())
        return;
    stopConnectionPoll();
    setWindowTitle(QStringLiteral("Please wait, Camera disconnect..."));

    closeAllCameras();
    const int opened = reopenCameras();
    const bool gaveUp = opened < 0;

    // Everything per camera stands by position in m_vecOpenedCam, whatever
    // SDK index each camera came back under.
    const int n = m_vecOpenedCam.size();
    QByteArray lastDeviceString;
    int deviceCounter = 0;
    for (int i = 0; i < n; ++i)
        setUpCamera(i, lastDeviceString, deviceCounter);
    buildCameraInfoPanel(n);
    ui->pb_live->setEnabled(m_nCamCount > 0);
    ui->spinBox_bufferCount->setEnabled(m_nCamCount > 0);
    ui->spinBox_previewFps->setEnabled(m_nCamCount > 0);

    // Here each camera's own product decides whether it gets a stream panel.
    ZTCamFunc* func = ZTCamFunc::instance();
    for (int i = 0; i < n; ++i) {
        const ZTCamHandle handle = m_vecOpenedCam.at(i).handle;
        addCameraPanels(i, false, func->IsProductGroupB(handle) && !func->IsProductE41A(handle));
    }
    connect(ui->cb_cam_idx, SIGNAL(currentIndexChanged(int)), this, SLOT(onCamIndexCurrentIndexChanged(int)),
            Qt::UniqueConnection);

    if (n > 0) {
        if (m_nCurCamIndex >= n)
            m_nCurCamIndex = 0;
        m_curCam = m_vecOpenedCam.at(m_nCurCamIndex);
        ui->cb_cam_idx->setCurrentIndex(m_nCurCamIndex);
        updateParamApplyState(m_nCurCamIndex);
        ui->spinBox_previewFps->setEnabled(m_mapHostCam.value(m_nCurCamIndex, false));
    }

    if (!gaveUp && m_curCam.handle) {
        showCameraPanels(m_nCurCamIndex);
        // A camera comes back from a restart with its start settings, in
        // another pixel format perhaps: the levels and the line profiles'
        // scale follow it (those of the current camera last).
        for (const OpenedCamera& camera : qAsConst(m_vecOpenedCam))
            if (camera.handle != m_curCam.handle)
                followPixelFormat(camera);
        followPixelFormat(m_curCam);
        showImageSize();
        setWindowTitle(m_strTitle);
        LUMA_DEBUG("MainWindow::reConnectCam", "Reconnect success");
        startConnectionPoll();
        m_bReconnecting = false;
        ui->pushButtonMoreParamApply->setEnabled(n > 1);
        return;
    }
    UserPrompt::instance().information(this, QString::fromLocal8Bit("Message"),
                                       QString::fromLocal8Bit("Camera disconnect!"), QMessageBox::Ok);
}
