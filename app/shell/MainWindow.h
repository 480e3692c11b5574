#pragma once
// The program's only top-level window and the owner of everything per camera.
// It also holds the acquisition and save settings that the capture and save
// threads read; the ones those threads read while the GUI thread may write
// them are atomics, the others change only while the matching operation is
// idle (their controls are disabled meanwhile).

#include <QButtonGroup>
#include <QMainWindow>
#include <QMap>
#include <QMutex>
#include <QPoint>
#include <QPointF>
#include <QSet>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVector>

#include <atomic>
#include <mutex>

#include <ZTCam.h>

#include "ParamConfigFile.h"

class QAbstractButton;
class QEvent;
class QLabel;
class QPaintEvent;
class QPushButton;
class QResizeEvent;
class QTimerEvent;

class CZTCamView;
class CZTPropGrp;
class CZTThdCapture;
class FrameBufferSet;
class ZTScanCamera;
class ztstreamgrp;

namespace Ui {
class MainWindow;
}

// Display levels remembered per camera.
struct CamLevels {
    int left = 0;
    int right = 0;
};

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // printf-style formatting into a caller's buffer of 1024 bytes (the debug
    // line buffer); see DebugLine.h for the line builder every class uses.
    static int formatLogLine(char* buffer, const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Waits of the window that tests shorten: after the SDK shut-down at exit
    // (2000 ms) and before the cameras are looked for again on reconnection
    // (30000 ms, also the deadline of the search).
    static void setExitWaitMs(int ms);
    static int exitWaitMs();
    static void setReconnectWaitMs(int ms);
    static int reconnectWaitMs();
    // The camera's restart time after DeviceReset before the reconnection
    // (2000 ms).
    static void setDeviceResetWaitMs(int ms);
    static int deviceResetWaitMs();

    // ---- called from the engine threads (safe on any thread) ----
    int currentCameraIndex() const;
    QString imageNameText() const;
    bool isTriggerMode(int position) const;
    int videoFps() const;
    // Display shift (16-bit to 8-bit right shift) per SDK camera index:
    // absent -> 0; -1 (not known yet) -> the value under key 0 (absent: 0);
    // negative -> 0.
    int displayShift(int sdkIndex) const;
    void setDisplayShift(int sdkIndex, int shift);
    void clearDisplayShifts();
    // Trigger flag of the property panel at `position`, mirrored for the
    // save thread (the panels call this whenever their flag changes).
    void setPanelTriggerMode(int position, bool on);

    // ---- GUI thread ----
    void UpdateFrames(int frames);
    void storeCameraLevels(OpenedCamera camera, int left, int right);
    void storeLevelsForAllCameras();
    // Sets one feature of the current camera from its text in a parameter
    // file; a value that is no number is named in the log and not set. An
    // enumeration with an entry name is set to that entry, or named in the
    // log and not set when the camera has none of that name.
    // Tells whether the camera holds the value as written, took another
    // one, refused it or does not know the feature.
    ParamConfigFile::Outcome SetElementDown(QString name, QString value, QString entry = QString());
    // The user-set data block (selector 7): camera -> file and file ->
    // camera. Results: 1 done (the user has been told), 0x80000000 no data,
    // 0x80000115 no file, 0x80000312 the firmware keeps no block.
    uint32_t DataFileRead(ZTCamHandle handle, int selector);
    uint32_t DataFileWrite(ZTCamHandle handle, int selector);
    // Copy one feature, capability or property of the current camera to the
    // other opened cameras; they return the positions that refused it.
    QList<int> SyncAllCameraElement(ZTCamElement element);
    QList<int> SyncAllCameraCapaParam(int id, int value);
    QList<int> SyncAllCameraPropParam(int id, double value, int channel);
    void enableSingleViewport(bool single, CZTCamView* view);
    void setCounterReset();
    void setTriggerModeFlag(bool on);
    // The trigger flag of a property panel, filed under the panel's position.
    void setPanelTriggerMode(CZTPropGrp* panel, bool on);
    double getCamSysMemoryAvailable();
    void updatePixelFormatInfo();
    void setCaptureButtonState(bool capturing);
    void setCaptureControlsEnabled(bool on);

    // Live acquisition on / off for all cameras.
    void onCapturing();
    // Tears every camera down and opens them again.
    void reConnectCam(bool wasLive);
    // A DeviceReset was accepted: the connection polls stop until the
    // reconnection runs. False when a reset already waits for it.
    bool beginDeviceReset();
    // The waiting reset's reconnection: at most one runs per accepted reset.
    void finishDeviceReset(bool wasLive);
    // The sides of the level pair, as bits of updateLevels' `which`.
    static constexpr int kLeftLevel = 1;
    static constexpr int kRightLevel = 2;
    static constexpr int kBothLevels = kLeftLevel | kRightLevel;
    // Re-reads the level ranges and values of the sides in `which`.
    void updateLevels(int which, bool write);
    // Loads the levels, gamma and contrast page from the current camera and
    // writes its remembered levels back; the camera switch calls it.
    void updateImageControls();
    void restoreCameraLevels();
    // Live start: the current camera takes the levels (those set by hand)
    // and the contrast its fields show.
    void writeShownLevelsAndContrast();
    // The camera may have another pixel format now (chosen in its tree,
    // loaded from a file, copied from another camera), and the camera has
    // moved its levels to the new depth: the level pair and the line
    // profiles' gray scale (for the current camera), the levels remembered
    // for the camera and the ring budget follow. Its panel's refresh sets
    // the display shift.
    void followPixelFormat(const OpenedCamera& camera);
    // The Size label from the current camera's Width and Height as they are
    // now: at start-up, on a camera switch and after edits, loads and
    // reconnections; while live the frames' sizes come on top.
    void showImageSize();
    // One tick of a level timer; false when timerId is no level timer.
    // timerEvent hands every tick here first.
    bool levelTimerTick(int timerId);

    // Discovery results and opening cameras.
    void DiscoverCamEnd(int count);
    bool CombiCamVec(int index);
    bool IsHostCamera(int index, ZTCamHandle handle);
    void initUI();
    // Per-camera set-up shared by the first opening and the reconnection, for
    // the camera at `position` of m_vecOpenedCam: capture thread, name,
    // buffer set, selector item and view.
    void setUpCamera(int position, QByteArray& lastDeviceString, int& deviceCounter);
    // Its device panel and, withStream, its stream panel; firstOpen also
    // switches a running TEC off.
    void addCameraPanels(int position, bool firstOpen, bool withStream);
    // Puts the panels of the camera at `position` into the two tabs.
    void showCameraPanels(int position);
    void buildCameraInfoPanel(int count);
    void updateParamApplyState(int position);
    void initImageControlRanges();

    // The form (widgets by object name, see MainWindow.ui).
    Ui::MainWindow* form() const { return ui; }

signals:
    void sglWritelog(QString text);
    void SignalUpdatePixelFormat(QString pixelFormat);
    void SignalAcquisitionStart(bool isStart);

public slots:
    void onWritelog(QString text);
    void onRefreshPropUI(QString id);
    void OnUpdateMousePosition(int camIdx, QPointF pos, QPointF offsetPos);
    void OnUpdateImageSize(QSize size);
    void onUpdateCamFrameCounter(int camIdx, qlonglong count);
    void onUpdateCamFps(int camIdx, double fps);
    void onFinishImageCapture(int camIdx, bool isSuccess);
    void onSaveSeriesReport(int camIdx, int capture, int frames, int overwritten, int notSaved, bool stopped,
                            QString folder, QString reason);
    void onUpdatePropertyElemRange(CZTPropGrp* propGrp, QString id);
    void onUpdatePropertyElemEnum(CZTPropGrp* propGrp, QString id);
    void onUpdateStreamElemValue(CZTPropGrp* propGrp, QString id);
    void slotShowMaximizedWin();
    void SlotStackCloseFinished();

    void on_pb_live_clicked();
    void on_pb_cap_clicked();
    void on_pb_browse_clicked();
    void slot_finish_capture();
    void slot_finish_video();
    void slot_msg_capture(int camIdx, int count);

    void on_hls_gamma_valueChanged(int value);
    void on_hls_contrast_valueChanged(int value);
    void on_hls_llvl_valueChanged(int value);
    void on_hls_rlvl_valueChanged(int value);
    void on_chk_vflip_clicked(bool checked);
    void on_chk_hflip_clicked(bool checked);
    void on_chk_jpg_clicked(bool checked);
    void on_chk_bmp_clicked(bool checked);
    void on_chk_tif_clicked(bool checked);
    void on_chk_png_clicked(bool checked);
    void on_chk_raw_clicked(bool checked);
    void on_pb_video_clicked();
    void on_pb_default_clicked();
    void on_chk_ffc_clicked(bool checked);
    void on_pb_ffc_clicked();
    void on_chk_atl_clicked();
    void on_chk_atr_clicked();
    void on_MainWindow_customContextMenuRequested(QPoint pos);
    void onTaskBoxContextMenuEvent();
    void on_tableWidget_customContextMenuRequested(QPoint pos);
    void onCamIndexCurrentIndexChanged(int index);
    void on_cb_visibility_currentIndexChanged(int index);
    void on_pushButtonRead_clicked();
    void on_pushButtonWrite_clicked();
    void on_pushButtonParamApply_clicked();
    void on_pushButtonMoreParamApply_clicked();
    void on_txt_llvl_editingFinished();
    void on_txt_rlvl_editingFinished();
    void on_txt_contrast_editingFinished();
    void slotScanCamFinished();
    void slotUpdateTime();
    void on_pushButton_Save_clicked();
    void on_pushButton_Load_clicked();
    void on_txt_rlvl_textEdited(QString text);
    void SlotButtonGroupClicked(QAbstractButton* button);
    void on_txt_contrast_textEdited(QString text);
    void on_txt_llvl_textEdited(QString text);
    void on_txt_frames_editingFinished();
    void on_txt_intervaltm_textEdited(QString text);
    void on_spinBox_bufferCount_editingFinished();
    void on_spinBox_previewFps_editingFinished();
    void on_tabWidget_currentChanged(int index);
    void on_dbSpinBox_gamma_editingFinished();
    void on_spinBox_stackNum_valueChanged(int arg1);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

public:
    // ---- members, in this order; the engine reads the settings directly ----
    std::atomic<bool> m_bLive{false};
    bool m_bCapturing = false;
    QString m_strImgDir;
    int m_nLeftLevelTimerId = 0;
    int m_nRightLevelTimerId = 0;
    std::atomic<int> m_nCapMode{0};
    std::atomic<int> m_nFrames{1};
    std::atomic<int> m_nInterval{0};
    int m_nFormatCount = 1;
    std::atomic<int> m_nSaveFormat{2};
    std::atomic<int> m_nCapCount{0};
    std::atomic<bool> m_bRecord{false};
    std::atomic<bool> m_bStopRecord{false};
    QMap<int, int> m_mapDisplayShift;  // guarded by m_displayShiftMutex
    QMutex m_saveMutex;
    std::atomic<qint64> m_nStackNum{1};
    std::atomic<bool> m_bStackSave{false};
    std::atomic<bool> m_bNoPreview{false};
    QMap<int, FrameBufferSet*> m_mapBufferSets;
    std::atomic<qint64> m_nBufferCount{4};
    std::atomic<int> m_nPreviewFps{25};
    Ui::MainWindow* ui = nullptr;
    ZTCamInitParams m_camInit{};
    OpenedCamera m_curCam{};
    CZTPropGrp* m_pCurPropGrp = nullptr;
    ztstreamgrp* m_pCurStreamGrp = nullptr;
    ZTScanCamera* m_pScanCamera = nullptr;
    bool m_bGammaGuard = false;
    bool m_bContrastGuard = false;
    bool m_bLeftLevelGuard = false;
    bool m_bRightLevelGuard = false;
    int m_nFfcStep = 1;
    int m_nScanSeconds = 0;
    bool m_bReconnecting = false;
    QVector<OpenedCamera> m_vecOpenedCam;
    QVector<CZTThdCapture*> m_vecCapThread;
    QVector<CZTPropGrp*> m_vecPropGrp;
    QVector<ztstreamgrp*> m_vecStreamGrp;
    int m_nCurCamIndex = 0;
    QVector<CZTCamView*> m_vecCamView;
    QVector<QLabel*> m_vecCounterLabels;
    QVector<QPushButton*> m_vecGrayCurveButtons;
    QButtonGroup m_buttonGroup;
    bool m_bSingleViewport = false;
    int m_nCapFinishCount = 0;
    QSet<int> m_setCamsLostFrames;  // cameras whose running capture lost or could not save frames
    int m_nDisconnectTimerId = 0;
    bool m_bDeviceResetPending = false;
    std::atomic<int> m_nVideoFps{25};
    QTimer m_titleTimer;
    bool m_bTriggerMode = false;
    bool m_bCounterReset = true;
    int m_nSavedFrames = 0;
    int m_nLogRowCount = 0;
    int m_nStackCloseCount = 0;
    QMap<int, QString> m_mapCamName;
    QMap<int, QString> m_mapCamSN;
    QMap<int, CamLevels> m_mapCamLevels;
    QMap<int, bool> m_mapHostCam;
    int m_nCamCount = 0;
    QString m_strTitle;

    // Configuration path handed to the SDK by the reconnection (m_camInit
    // points into it).
    char m_szCamInitPath[1024] = {0};

private:
    // The halves of onCapturing: start or stop every capture thread, then
    // show the state live is in now.
    void startLive();
    void stopLive();
    void showLiveState();
    void stopCaptureThread(CZTThdCapture* thread);
    // The rate labels show that no frames arrive (after Stop and after the
    // camera's AcquisitionStop).
    void showNoFrames();
    // Every device panel, last to first, asks for its refresh.
    void requestPanelRefresh();
    // The 3 s connection poll: a log row per lost camera and one box.
    void pollConnections();
    void startConnectionPoll();
    void stopConnectionPoll();
    // Reconnection: every per-camera object torn down, the cameras closed
    // and the SDK shut down; then the wait and the search. reopenCameras
    // gives the number of cameras opened, -1 when none was found in time.
    void closeAllCameras();
    int reopenCameras();
    void mirrorCurrentCameraIndex(int index);
    // Levels: which = 1 left, 2 right.
    void setAutoLevelState(int which, bool automatic);
    void autoLevelClicked(int which);
    // Re-reads a device panel after its camera's settings changed: every
    // row with ranges and entries (allValues) or from the root; the Size
    // label follows.
    void refreshPanel(CZTPropGrp* panel, bool allValues);
    bool moveCalibrationData(const QString& path, int direction);
    // One log row per camera that refused a copied setting, naming what it
    // refused; `success` when none did.
    void logApplyResult(const QMap<int, QStringList>& refused, const QString& success);
    void mirrorImageName(const QString& text);
    // The default image folder "img" below the working directory, made
    // when missing and shown in the path field.
    void setUpImageFolder();
    // Validators and focus-out fallbacks of the number and name fields.
    void setUpInputRules();
    // The capture progress stays on one line where the row allows it: when
    // the room beside it is not enough, the capture button gives up the width
    // that none of its texts needs. What still does not fit wraps (TextFit).
    void fitCaptureMessage();
    // The width the capture button needs for the widest of its texts,
    // measured on first use.
    int captureButtonWidth();

    // The texts the capture button shows: idle, capturing, and waiting for
    // the stacks to close.
    static constexpr const char* kCapButtonIdle = "Capture";
    static constexpr const char* kCapButtonStop = "Stop Capture";
    static constexpr const char* kCapButtonWaiting = "Waitting......";
    static constexpr const char* kCapButtonTexts[] = {kCapButtonIdle, kCapButtonStop, kCapButtonWaiting};

    // Standard mutexes: the engine threads take them too, and the sanitizer
    // sees the order they give (it cannot see into Qt's own mutex).
    mutable std::mutex m_displayShiftMutex;
    mutable std::mutex m_mirrorMutex;     // guards the mirrors below
    QString m_strImageNameMirror;         // txt_imgname
    QVector<bool> m_vecTriggerMirror;     // trigger flag per panel position
    std::atomic<int> m_nCamIndexMirror{-1};  // cb_cam_idx current index

    // Positions of the cameras told to stop acquiring (AcquisitionStop):
    // their rate reports are stale until they start again (AcquisitionStart
    // or live view started anew).
    QSet<int> m_setAcqStoppedCams;
    int m_nCapButtonWidth = 0;  // captureButtonWidth, once measured
};
