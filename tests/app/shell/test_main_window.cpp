// The main window after construction: every setting at its default, the
// form's state and input rules, discovery with the simulated SDK, the small
// operations and the shut-down of the SDK.
#include <gtest/gtest.h>

#include <ZTCam.h>
#include <ZTCamSim.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QValidator>

#include <memory>
#include <string>
#include <thread>

#include "MainWindow.h"
#include "../TestSupport.h"
#include "../WindowFixture.h"

namespace {

template <typename T>
T* child(MainWindow& w, const char* name)
{
    T* c = w.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

bool accepts(QLineEdit* edit, const QString& text)
{
    QString t = text;
    int pos = 0;
    return edit->validator()->validate(t, pos) == QValidator::Acceptable;
}

std::vector<std::string> callNames()
{
    std::vector<std::string> calls;
    for (size_t i = 0; i < ZTCamSim_CallLogSize(); ++i) {
        const char* name = nullptr;
        if (ZTCamSim_CallLogEntry(i, &name, nullptr) && name)
            calls.emplace_back(name);
    }
    return calls;
}

class MainWindowTest : public WindowFixture {
protected:
    MainWindowTest() : WindowFixture(false) {}
    MainWindow& make()
    {
        window = std::make_unique<MainWindow>();
        return *window;
    }
    void waitForDiscovery(MainWindow& w)
    {
        ASSERT_TRUE(waitFor([&] { return w.isEnabled(); }, 10000));
    }

    FakePrompt prompt;
};

TEST_F(MainWindowTest, SettingsStartAtTheirDefaults)
{
    MainWindow& w = make();
    EXPECT_FALSE(w.m_bLive);
    EXPECT_FALSE(w.m_bCapturing);
    EXPECT_EQ(w.m_strImgDir, QDir::currentPath() + "/img");
    EXPECT_EQ(w.m_nLeftLevelTimerId, 0);
    EXPECT_EQ(w.m_nRightLevelTimerId, 0);
    EXPECT_EQ(w.m_nCapMode, 0);
    EXPECT_EQ(w.m_nFrames, 1);
    EXPECT_EQ(w.m_nInterval, 0);
    EXPECT_EQ(w.m_nFormatCount, 1);
    EXPECT_EQ(w.m_nSaveFormat, 2);
    EXPECT_EQ(w.m_nCapCount, 0);
    EXPECT_FALSE(w.m_bRecord);
    EXPECT_FALSE(w.m_bStopRecord);
    EXPECT_TRUE(w.m_mapDisplayShift.isEmpty());
    EXPECT_EQ(w.m_nStackNum, 1);
    EXPECT_FALSE(w.m_bStackSave);
    EXPECT_FALSE(w.m_bNoPreview);
    EXPECT_TRUE(w.m_mapBufferSets.isEmpty());
    EXPECT_EQ(w.m_nBufferCount, 4);
    EXPECT_EQ(w.m_nPreviewFps, 25);
    EXPECT_EQ(w.m_curCam.handle, nullptr);
    EXPECT_EQ(w.m_pCurPropGrp, nullptr);
    EXPECT_EQ(w.m_pCurStreamGrp, nullptr);
    EXPECT_NE(w.m_pScanCamera, nullptr);
    EXPECT_FALSE(w.m_bGammaGuard || w.m_bContrastGuard || w.m_bLeftLevelGuard || w.m_bRightLevelGuard);
    EXPECT_EQ(w.m_nFfcStep, 1);
    EXPECT_FALSE(w.m_bReconnecting);
    EXPECT_TRUE(w.m_vecOpenedCam.isEmpty());
    EXPECT_TRUE(w.m_vecCapThread.isEmpty());
    EXPECT_TRUE(w.m_vecCamView.isEmpty());
    EXPECT_FALSE(w.m_bSingleViewport);
    EXPECT_EQ(w.m_nCapFinishCount, 0);
    EXPECT_EQ(w.m_nDisconnectTimerId, 0);
    EXPECT_EQ(w.m_nVideoFps, 25);
    EXPECT_EQ(w.videoFps(), 25);
    EXPECT_FALSE(w.m_bTriggerMode);
    EXPECT_TRUE(w.m_bCounterReset);
    EXPECT_EQ(w.m_nSavedFrames, 0);
    EXPECT_EQ(w.m_nLogRowCount, 2);  // the two start-up rows
    EXPECT_EQ(w.m_nStackCloseCount, 0);
    EXPECT_EQ(w.m_nCamCount, 0);
    EXPECT_EQ(w.m_strTitle, "LumaDeck v1.1.12.0");
    EXPECT_EQ(w.imageNameText(), "TS");
    EXPECT_FALSE(w.isTriggerMode(0));
}

TEST_F(MainWindowTest, FormStartsInItsInitialState)
{
    MainWindow& w = make();
    EXPECT_EQ(w.windowTitle(), "LumaDeck v1.1.12.0");
    EXPECT_FALSE(w.windowIcon().pixmap(32, 32).isNull());
    EXPECT_FALSE(w.isEnabled());  // until discovery reports
    EXPECT_TRUE(w.windowState() & Qt::WindowMaximized);
    EXPECT_GE(w.minimumWidth(), 800);
    EXPECT_GE(w.minimumHeight(), 600);

    EXPECT_FALSE(child<QCheckBox>(w, "chk_jpg")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(w, "chk_bmp")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(w, "chk_png")->isChecked());
    EXPECT_FALSE(child<QCheckBox>(w, "chk_raw")->isChecked());
    EXPECT_TRUE(child<QCheckBox>(w, "chk_tif")->isChecked());
    EXPECT_FALSE(child<QPushButton>(w, "pb_cap")->isEnabledTo(&w));
    EXPECT_FALSE(child<QPushButton>(w, "pb_video")->isEnabledTo(&w));
    EXPECT_FALSE(child<QCheckBox>(w, "chk_ffc")->isEnabledTo(&w));
    EXPECT_TRUE(child<QPushButton>(w, "pb_live")->isEnabledTo(&w));
    for (const char* hidden : {"lab_img_video", "widgetVideo", "chk_vflip", "chk_hflip", "pb_ffc", "chk_ffc"})
        EXPECT_TRUE(child<QWidget>(w, hidden)->isHidden()) << hidden;

    QComboBox* background = child<QComboBox>(w, "comboBoxBackGround");
    ASSERT_EQ(background->count(), 2);
    EXPECT_EQ(background->itemText(0), "DSNU");
    EXPECT_EQ(background->itemText(1), "PRNU");
    QComboBox* visibility = child<QComboBox>(w, "cb_visibility");
    ASSERT_EQ(visibility->count(), 3);
    EXPECT_EQ(visibility->itemText(2), "Guru");
    EXPECT_EQ(visibility->currentIndex(), 2);

    QTabWidget* tabs = child<QTabWidget>(w, "tabWidget");
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_TRUE(tabs->widget(0)->isHidden());
    EXPECT_NE(tabs->widget(0)->layout(), nullptr);

    EXPECT_EQ(child<QLabel>(w, "txt_path")->text(), w.m_strImgDir);
    EXPECT_EQ(child<QLabel>(w, "txt_path")->toolTip(), w.m_strImgDir);
    EXPECT_EQ(child<QLineEdit>(w, "txt_frames")->text(), "1");
    EXPECT_EQ(child<QLineEdit>(w, "txt_intervaltm")->text(), "0");
    EXPECT_EQ(child<QLineEdit>(w, "txt_fps_2")->text(), "25");
    EXPECT_EQ(child<QLineEdit>(w, "txt_fps_2")->maxLength(), 3);
    EXPECT_EQ(child<QLineEdit>(w, "txt_imgname")->text(), "TS");
    EXPECT_EQ(child<QSpinBox>(w, "spinBox_previewFps")->value(), 25);
    EXPECT_EQ(child<QSpinBox>(w, "spinBox_bufferCount")->value(), 4);
    EXPECT_EQ(child<QSpinBox>(w, "spinBox_stackNum")->maximum(), 999);
    EXPECT_EQ(child<QSlider>(w, "hls_rlvl")->value(), 4095);
    EXPECT_EQ(child<QPushButton>(w, "pb_cap")->text(), "Capture");

    QScrollArea* left = child<QScrollArea>(w, "scrollAreaLeft");
    EXPECT_EQ(left->minimumWidth(), 344);
    EXPECT_EQ(left->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    EXPECT_GE(child<QWidget>(w, "wgt_ctrl")->minimumHeight(), 1420);
    QTableWidget* log = child<QTableWidget>(w, "tableWidget");
    EXPECT_EQ(log->minimumHeight(), 200);
    EXPECT_EQ(log->maximumHeight(), 260);
}

TEST_F(MainWindowTest, ImageFolderIsCreatedBelowTheWorkingDirectory)
{
    ASSERT_FALSE(QDir(workDir.path() + "/img").exists());
    MainWindow& w = make();
    EXPECT_TRUE(QDir(workDir.path() + "/img").exists());
    EXPECT_EQ(QDir(w.m_strImgDir).canonicalPath(), QDir(workDir.path() + "/img").canonicalPath());
}

TEST_F(MainWindowTest, StartsWhenTheImageFolderCannotBeCreated)
{
    // A file named "img" is in the way.
    QFile blocker(workDir.path() + "/img");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    MainWindow& w = make();
    EXPECT_TRUE(w.m_strImgDir.endsWith("/img"));
    EXPECT_EQ(w.m_nLogRowCount, 2);
}

TEST_F(MainWindowTest, InputRulesOfTheFields)
{
    MainWindow& w = make();
    QLineEdit* frames = child<QLineEdit>(w, "txt_frames");
    EXPECT_TRUE(accepts(frames, "1"));
    EXPECT_TRUE(accepts(frames, "999999999"));
    EXPECT_FALSE(accepts(frames, "0"));
    EXPECT_FALSE(accepts(frames, "1000000000"));
    EXPECT_FALSE(accepts(frames, "01"));

    QLineEdit* fps = child<QLineEdit>(w, "txt_fps_2");
    EXPECT_TRUE(accepts(fps, "0"));
    EXPECT_TRUE(accepts(fps, "999"));
    EXPECT_FALSE(accepts(fps, "1001"));

    QLineEdit* interval = child<QLineEdit>(w, "txt_intervaltm");
    EXPECT_TRUE(accepts(interval, "0"));
    EXPECT_TRUE(accepts(interval, "123456"));
    EXPECT_FALSE(accepts(interval, "-1"));

    QLineEdit* name = child<QLineEdit>(w, "txt_imgname");
    EXPECT_TRUE(accepts(name, "TS run_1.x"));
    for (const char* bad : {"a\\b", "a/b", "a:b", "a*b", "a?b", "a\"b", "a<b", "a>b", "a|b", "a!b"})
        EXPECT_FALSE(accepts(name, QString::fromLatin1(bad))) << bad;

}

TEST_F(MainWindowTest, EmptyFieldsGetTheirFallbackWhenLeft)
{
    MainWindow& w = make();
    auto leave = [&](const char* name) {
        QLineEdit* e = child<QLineEdit>(w, name);
        e->clear();
        QFocusEvent out(QEvent::FocusOut);
        QCoreApplication::sendEvent(e, &out);
        return e->text();
    };
    EXPECT_EQ(leave("txt_intervaltm"), "0");
    EXPECT_EQ(leave("txt_fps_2"), "1");
    EXPECT_EQ(leave("txt_llvl"), QString::number(child<QSlider>(w, "hls_llvl")->minimum()));
    EXPECT_EQ(leave("txt_rlvl"), QString::number(child<QSlider>(w, "hls_rlvl")->minimum()));
    EXPECT_EQ(leave("txt_contrast"), QString::number(child<QSlider>(w, "hls_contrast")->minimum()));
}

TEST_F(MainWindowTest, DiscoveryReportsTheSimulatedCamerasAndEnablesTheWindow)
{
    MainWindow& w = make();
    waitForDiscovery(w);
    EXPECT_EQ(w.m_camInit.cameraCount, 2u);
    EXPECT_EQ(w.windowTitle(), w.m_strTitle);
    EXPECT_FALSE(w.m_titleTimer.isActive());
    const std::vector<std::string> calls = callNames();
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0], "ZTCAM_Api_Config");
    EXPECT_EQ(calls[1], "ZTCAM_Api_Init");
}

TEST_F(MainWindowTest, TitleCountsTheSecondsOfDiscovery)
{
    MainWindow& w = make();
    w.slotUpdateTime();
    w.slotUpdateTime();
    EXPECT_EQ(w.m_nScanSeconds, 2);
    EXPECT_EQ(w.windowTitle(), "Find Camera... 2s");
}

TEST_F(MainWindowTest, ClosingShutsTheSdkDownAfterStoppingDiscovery)
{
    MainWindow& w = make();
    waitForDiscovery(w);
    window.reset();
    const std::vector<std::string> calls = callNames();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), "ZTCAM_Api_Uninit");
}

TEST_F(MainWindowTest, ClosingDuringDiscoveryWaitsForTheScan)
{
    make();
    window.reset();  // the scan may still be inside the SDK: joined, then shut down
    const std::vector<std::string> calls = callNames();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), "ZTCAM_Api_Uninit");
}

TEST_F(MainWindowTest, MousePositionAndGrayValue)
{
    MainWindow& w = make();
    QLabel* pos = child<QLabel>(w, "label_pos");
    QLabel* value = child<QLabel>(w, "label_value");
    w.OnUpdateMousePosition(0, QPointF(-1, 5), QPointF());
    w.OnUpdateMousePosition(0, QPointF(5, -0.5), QPointF());
    EXPECT_EQ(pos->text(), "Pos:");
    EXPECT_EQ(value->text(), "GrayValue:");
    w.OnUpdateMousePosition(0, QPointF(3.7, 4.2), QPointF(100, 100));
    EXPECT_EQ(pos->text(), "Pos: x: 3 y:4");
    EXPECT_EQ(value->text(), "GrayValue: 0");
}

TEST_F(MainWindowTest, ImageSizeReachesTheLabelFromAnyThread)
{
    MainWindow& w = make();
    QLabel* size = child<QLabel>(w, "label_size");
    w.OnUpdateImageSize(QSize(640, 480));
    EXPECT_EQ(size->text(), "Size: 640x480");
    std::thread capture([&] { w.OnUpdateImageSize(QSize(2048, 1024)); });
    capture.join();
    EXPECT_TRUE(waitFor([&] { return size->text() == "Size: 2048x1024"; }, 2000));
}

TEST_F(MainWindowTest, LevelsAreRememberedPerCamera)
{
    MainWindow& w = make();
    OpenedCamera cam{};
    cam.index = 3;
    w.storeCameraLevels(cam, -5, -7);  // new entry: negatives stored as 0
    EXPECT_EQ(w.m_mapCamLevels[3].left, 0);
    EXPECT_EQ(w.m_mapCamLevels[3].right, 0);
    w.storeCameraLevels(cam, 10, 0);  // right 0 keeps the stored right
    w.storeCameraLevels(cam, -1, 300);
    EXPECT_EQ(w.m_mapCamLevels[3].left, 10);
    EXPECT_EQ(w.m_mapCamLevels[3].right, 300);
    w.storeCameraLevels(cam, 0, -1);  // left 0 is taken
    EXPECT_EQ(w.m_mapCamLevels[3].left, 0);
    EXPECT_EQ(w.m_mapCamLevels[3].right, 300);
}

TEST_F(MainWindowTest, DisplayShiftLookUp)
{
    MainWindow& w = make();
    EXPECT_EQ(w.displayShift(1), 0);  // absent
    w.setDisplayShift(1, -1);
    EXPECT_EQ(w.displayShift(1), 0);  // unknown, no camera 0 entry
    w.setDisplayShift(0, 4);
    EXPECT_EQ(w.displayShift(1), 4);  // unknown: camera 0's
    w.setDisplayShift(1, 2);
    EXPECT_EQ(w.displayShift(1), 2);
    w.setDisplayShift(1, -3);
    EXPECT_EQ(w.displayShift(1), 0);
    w.clearDisplayShifts();
    EXPECT_EQ(w.displayShift(0), 0);
}

TEST_F(MainWindowTest, EngineGettersFollowTheWidgets)
{
    MainWindow& w = make();
    child<QLineEdit>(w, "txt_imgname")->setText("run7");
    EXPECT_EQ(w.imageNameText(), "run7");
    QComboBox* cams = child<QComboBox>(w, "cb_cam_idx");
    cams->addItem("0_0");
    cams->addItem("0_1");
    cams->setCurrentIndex(1);
    EXPECT_EQ(w.currentCameraIndex(), 1);
    w.setPanelTriggerMode(1, true);
    EXPECT_TRUE(w.isTriggerMode(1));
    EXPECT_FALSE(w.isTriggerMode(0));
    EXPECT_FALSE(w.isTriggerMode(2));
    EXPECT_FALSE(w.isTriggerMode(-1));
    w.setTriggerModeFlag(true);
    EXPECT_TRUE(w.m_bTriggerMode);
    w.m_bCounterReset = false;
    w.setCounterReset();
    EXPECT_TRUE(w.m_bCounterReset);
}

TEST_F(MainWindowTest, CaptureButtonStateMovesTheControlsTogether)
{
    MainWindow& w = make();
    w.setCaptureButtonState(true);
    EXPECT_EQ(child<QPushButton>(w, "pb_cap")->text(), "Stop Capture");
    for (const char* name : {"pb_browse", "chk_jpg", "chk_bmp", "chk_png", "chk_tif", "chk_raw", "txt_frames",
                             "txt_intervaltm", "txt_imgname", "spinBox_stackNum"})
        EXPECT_FALSE(child<QWidget>(w, name)->isEnabledTo(&w)) << name;
    w.setCaptureButtonState(false);
    EXPECT_EQ(child<QPushButton>(w, "pb_cap")->text(), "Capture");
    EXPECT_TRUE(child<QPushButton>(w, "pb_video")->isEnabledTo(&w));
    EXPECT_TRUE(child<QLabel>(w, "lab_cap_msg")->text().isEmpty());
    EXPECT_TRUE(child<QWidget>(w, "txt_frames")->isEnabledTo(&w));
}

TEST_F(MainWindowTest, StackCloseOfEveryThreadEndsTheCapture)
{
    MainWindow& w = make();
    w.setCaptureButtonState(true);
    w.SlotStackCloseFinished();  // no capture threads: the first report ends it
    EXPECT_EQ(child<QPushButton>(w, "pb_cap")->text(), "Capture");
    EXPECT_FALSE(child<QPushButton>(w, "pb_cap")->isEnabledTo(&w));  // not live
    EXPECT_EQ(w.m_nStackCloseCount, 0);
}

TEST_F(MainWindowTest, CaptureProgressStaysOnOneLineBesideTheButton)
{
    QFont font = QApplication::font();
    font.setPointSize(9);
    QApplication::setFont(font);
    MainWindow& w = make();
    QApplication::setFont(QFont());
    w.show();
    QApplication::processEvents();
    QPushButton* button = child<QPushButton>(w, "pb_cap");
    QLabel* message = child<QLabel>(w, "lab_cap_msg");
    w.m_bCapturing = true;
    w.m_nFrames = 200;
    for (int i = 0; i < 52; ++i)
        w.slot_msg_capture(0, i);
    ASSERT_EQ(message->text(), " Capture 52/200 successfully!");
    EXPECT_FALSE(message->wordWrap());
    EXPECT_GE(message->width(), message->sizeHint().width());
    EXPECT_GT(message->geometry().left(), button->geometry().right());
    for (const char* text : {"Capture", "Stop Capture", "Waitting......"}) {
        button->setText(text);
        EXPECT_GE(button->width(), button->sizeHint().width()) << text;
    }
}

TEST_F(MainWindowTest, TheLeftColumnGivesItsRowsTheWidthTheyWant)
{
    MainWindow& w = make();
    w.show();
    auto* column = child<QScrollArea>(w, "scrollAreaLeft");
    auto* box = child<QComboBox>(w, "cb_visibility");
    for (const QSize size : {w.size(), QSize(1920, 1080)}) {
        w.resize(size);
        QApplication::processEvents();
        // Lower than its rows: the column shows its scroll bar beside them.
        EXPECT_TRUE(column->verticalScrollBar()->isVisible()) << size.width();
        EXPECT_GE(column->widget()->width(), column->widget()->sizeHint().width()) << size.width();
        EXPECT_GE(box->width(), box->sizeHint().width()) << size.width();  // "Beginner" whole
    }
}

TEST_F(MainWindowTest, LogRowsWiderThanTheirColumnWidenIt)
{
    MainWindow& w = make();
    QTableWidget* log = child<QTableWidget>(w, "tableWidget");
    EXPECT_EQ(log->horizontalHeaderItem(1)->textAlignment(), int(Qt::AlignLeading | Qt::AlignVCenter));
    const QString text(400, QLatin1Char('W'));
    w.onWritelog(text);
    EXPECT_GT(log->columnWidth(1), log->fontMetrics().horizontalAdvance(text));
}

TEST_F(MainWindowTest, SetElementDownIgnoresEmptyTexts)
{
    MainWindow& w = make();
    waitForDiscovery(w);  // its own SDK calls are not the ones counted here
    ZTCamSim_CallLogClear();
    w.SetElementDown(QString(), "5");
    w.SetElementDown("Width", QString());
    EXPECT_EQ(ZTCamSim_CallLogSize(), 0u);
}

TEST_F(MainWindowTest, SetElementDownWritesTheCurrentCamera)
{
    MainWindow& w = make();
    waitForDiscovery(w);
    OpenedCamera cam{};
    cam.index = 0;
    ASSERT_EQ(ZTCAM_Dev_Open(&cam), ZTCAM_STATUS_SUCCESS);
    w.m_curCam = cam;

    ZTCamElement width{};
    ASSERT_EQ(ZTCAM_GenICam_ElementAttr(cam.handle, &width, "Width", ZTCAM_NODEMAP_CAMERA), ZTCAM_STATUS_SUCCESS);
    const int64_t target = width.minimum.intValue + width.increment.intValue;
    w.SetElementDown("Width", QString::number(target));
    ZTCamElement after{};
    after.name = "Width";
    ASSERT_EQ(ZTCAM_GenICam_ElementAttr(cam.handle, &after, "Width", ZTCAM_NODEMAP_CAMERA), ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(ZTCAM_GenICam_GetElementValue(cam.handle, &after, ZTCAM_NODEMAP_CAMERA), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(after.value.intValue, target);

    w.m_curCam = OpenedCamera{};
    ZTCAM_Dev_Close(cam.handle);
}

}  // namespace
