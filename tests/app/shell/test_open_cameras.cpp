// Opening the cameras after discovery: none, the only one, the user's choice
// or all, the host-camera flag, the grid of views and the counter rows.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFile>
#include <QGridLayout>
#include <QMessageBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include <qtvariantproperty.h>

#include "../CaptureFixture.h"
#include "CZTPropGrp.h"
#include "DrawView.h"
#include <QComboBox>

namespace {

template <typename T>
T* widget(MainWindow& w, const char* name)
{
    T* c = w.findChild<T*>(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
}

class OpenCamerasTest : public CaptureFixture {
protected:
    QPoint gridCell(QWidget* widget) const
    {
        QGridLayout* grid = window->findChild<QGridLayout*>("gridLayoutView");
        const int at = grid->indexOf(widget);
        int row = -1, column = -1, rs = 0, cs = 0;
        if (at >= 0)
            grid->getItemPosition(at, &row, &column, &rs, &cs);
        return QPoint(column, row);
    }
};

TEST_F(OpenCamerasTest, NoCameraLeavesThePlaceholder)
{
    MainWindow& w = open("[global]\ncameras=0\n", 0);
    EXPECT_TRUE(prompt.asked.contains("about|Find Camera|No Camera found."));
    EXPECT_TRUE(w.m_vecOpenedCam.isEmpty());
    EXPECT_TRUE(w.isEnabled());
    EXPECT_FALSE(widget<QPushButton>(w, "pb_live")->isEnabled());
    bool placeholder = false;
    for (QLabel* label : w.findChildren<QLabel*>())
        placeholder = placeholder || label->text() == "No camera found";
    EXPECT_TRUE(placeholder);
}

TEST_F(OpenCamerasTest, TheOnlyCameraIsOpenedAndSetUp)
{
    MainWindow& w = open(kOneCamera, 1);
    ASSERT_EQ(w.m_vecOpenedCam.size(), 1);
    EXPECT_EQ(w.m_vecOpenedCam[0].index, 0u);
    EXPECT_TRUE(prompt.asked.isEmpty());
    EXPECT_EQ(w.m_mapCamSN.value(0), "ZT2A000101");
    EXPECT_TRUE(w.m_mapHostCam.value(0));
    EXPECT_EQ(w.m_nCamCount, 1);
    EXPECT_EQ(thread()->view(), view());
    EXPECT_NE(bufferSet(), nullptr);
    EXPECT_EQ(widget<QComboBox>(w, "cb_cam_idx")->count(), 1);
    EXPECT_EQ(w.m_mapCamName.value(0), widget<QComboBox>(w, "cb_cam_idx")->itemText(0));
    ASSERT_EQ(w.m_vecCounterLabels.size(), 1);
    EXPECT_EQ(w.m_vecCounterLabels[0]->text(), "Counter" + w.m_mapCamName.value(0) + ": 0");
    EXPECT_TRUE(w.m_vecGrayCurveButtons[0]->isHidden());
    EXPECT_EQ(w.m_vecGrayCurveButtons[0]->text(), "Open GrayCurve");
    EXPECT_TRUE(widget<QPushButton>(w, "pb_live")->isEnabled());
    EXPECT_TRUE(widget<QSpinBox>(w, "spinBox_previewFps")->isEnabled());
    EXPECT_FALSE(widget<QPushButton>(w, "pushButtonMoreParamApply")->isEnabled());
    EXPECT_FALSE(widget<QPushButton>(w, "pushButtonParamApply")->isEnabled());
    EXPECT_EQ(w.displayShift(0), 4);  // the device panel read "Mono 12"
    EXPECT_EQ(w.m_curCam.handle, w.m_vecOpenedCam[0].handle);
    EXPECT_NE(w.m_nDisconnectTimerId, 0);
}

TEST_F(OpenCamerasTest, AllOfThreeCamerasFillTwoColumns)
{
    MainWindow& w = open("[global]\ncameras=3\n", 3);
    EXPECT_TRUE(prompt.asked.contains("dialog||"));
    ASSERT_EQ(w.m_vecOpenedCam.size(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(w.m_vecOpenedCam[i].index, static_cast<uint32_t>(i));
    EXPECT_EQ(gridCell(view(0)), QPoint(0, 0));
    EXPECT_EQ(gridCell(view(1)), QPoint(1, 0));
    EXPECT_EQ(gridCell(view(2)), QPoint(0, 1));
    EXPECT_EQ(w.m_vecCounterLabels.size(), 3);
    EXPECT_EQ(w.m_nCamCount, 3);
    EXPECT_TRUE(widget<QPushButton>(w, "pushButtonParamApply")->isEnabled());

    // The counter rows stay; a smaller count hides the extra ones.
    w.buildCameraInfoPanel(2);
    EXPECT_EQ(w.m_vecCounterLabels.size(), 3);
    EXPECT_TRUE(w.m_vecCounterLabels[2]->isHidden());
}

TEST_F(OpenCamerasTest, LiveShowsEveryOpenedCameraSideBySide)
{
    MainWindow& w = open("[camera]\nsensor_width=64\nsensor_height=48\nframe_rate=50\n"
                         "[camera]\nsensor_width=32\nsensor_height=16\npixel_format=Mono 8\nframe_rate=50\n",
                         2);
    w.show();
    widget<QPushButton>(w, "pb_live")->click();
    ASSERT_TRUE(w.m_bLive);
    ASSERT_TRUE(waitFor([&] { return view(0)->image() && view(1)->image(); }, 5000));
    EXPECT_EQ(view(0)->image()->size(), QSize(64, 48));
    EXPECT_EQ(view(1)->image()->size(), QSize(32, 16));
    EXPECT_TRUE(view(0)->drawView()->isVisible());
    EXPECT_TRUE(waitFor([&] { return thread(1)->frameCounter() > 5; }, 3000));
    widget<QPushButton>(w, "pb_live")->click();
    EXPECT_FALSE(w.m_bLive);
    EXPECT_FALSE(thread(0)->isRunning());
    EXPECT_FALSE(thread(1)->isOpened());
    EXPECT_TRUE(view(0)->drawView()->isHidden());

    // With live off, the size shown follows the camera chosen.
    QCoreApplication::processEvents();  // the last frames' sizes
    QLabel* size = widget<QLabel>(w, "label_size");
    for (int i : {1, 0, 1}) {
        widget<QComboBox>(w, "cb_cam_idx")->setCurrentIndex(i);
        EXPECT_EQ(size->text(), i == 0 ? "Size: 64x48" : "Size: 32x16") << i;
    }
}

// With live off the size shown is the current camera's: from the start, and
// after an edit in its tree.
TEST_F(OpenCamerasTest, TheSizeShownFollowsTheCurrentCamerasFeatures)
{
    MainWindow& w = open(kOneCamera, 1);
    QLabel* size = widget<QLabel>(w, "label_size");
    EXPECT_EQ(size->text().toStdString(), "Size: 64x48");
    CZTPropGrp* panel = w.m_vecPropGrp.value(0);
    ASSERT_NE(panel, nullptr);
    panel->m_pVariantManager->setValue(panel->m_propMap.value("Width"), 32.0);
    EXPECT_EQ(size->text().toStdString(), "Size: 32x48");
}

TEST_F(OpenCamerasTest, ChosenCameraKeepsItsSdkIndex)
{
    prompt.choice = 1;
    MainWindow& w = open("[global]\ncameras=2\n", 1);
    ASSERT_EQ(w.m_vecOpenedCam.size(), 1);
    EXPECT_EQ(w.m_vecOpenedCam[0].index, 1u);
    EXPECT_TRUE(w.m_mapHostCam.value(1));
    EXPECT_FALSE(w.m_mapHostCam.contains(0));
    // The rules that look up SDK index 0 find no entry.
    EXPECT_FALSE(widget<QSpinBox>(w, "spinBox_previewFps")->isEnabled());
    EXPECT_TRUE(widget<QPushButton>(w, "pb_live")->isEnabled());
}

TEST_F(OpenCamerasTest, RejectedSelectionOpensNothing)
{
    prompt.accept = false;
    MainWindow& w = open("[global]\ncameras=2\n", 0);
    EXPECT_TRUE(w.m_vecOpenedCam.isEmpty());
    // Cameras were found: none was opened.
    EXPECT_EQ(lastLogRow(), "No camera opened.");
    QStringList texts;
    for (QLabel* label : w.findChildren<QLabel*>())
        texts << label->text();
    EXPECT_TRUE(texts.contains("No camera opened"));
    EXPECT_FALSE(texts.contains("No camera found"));
}

TEST_F(OpenCamerasTest, DeviceVersionDecidesTheHostFlag)
{
    MainWindow& w = open("[camera]\ndevice_version=V1_FF01\nsensor_width=64\nsensor_height=48\n", 1);
    EXPECT_FALSE(w.m_mapHostCam.value(0));
    EXPECT_EQ(w.m_nCamCount, 0);
    EXPECT_FALSE(widget<QPushButton>(w, "pb_live")->isEnabled());
    EXPECT_FALSE(widget<QSpinBox>(w, "spinBox_bufferCount")->isEnabled());
}

TEST_F(OpenCamerasTest, FailedOpenIsLoggedAndSkipped)
{
    ZTCamSim_UseConfigText("[camera]\nfail_open=1\n[camera]\n");
    window = std::make_unique<MainWindow>();
    waitFor([&] { return window->isEnabled(); }, 15000);
    ASSERT_EQ(window->m_vecOpenedCam.size(), 1);
    EXPECT_EQ(window->m_vecOpenedCam[0].index, 1u);
}

TEST_F(OpenCamerasTest, MissingSerialNumberEndsTheProgram)
{
    ZTCamSim_UseConfigText("[camera]\nserial=\n");
    window = std::make_unique<MainWindow>();
    ASSERT_TRUE(waitFor([&] { return !prompt.asked.isEmpty(); }, 15000));
    EXPECT_EQ(prompt.asked.first(), QString::fromUtf8("box|警告|没找到SN，请打开升级工具烧写SN"));
    EXPECT_TRUE(window->property("lumaExitRequested").toBool());
    EXPECT_TRUE(window->m_vecCapThread.isEmpty());
    EXPECT_EQ(window->m_vecOpenedCam.size(), 1);  // closed with the window
}

// Answers a box with its Ok button ("去烧写" for the serial-number box) the
// way a scripted answer does: by the returned button, without clicking it.
class BurnPrompt : public SelectingPrompt {
public:
    int execMessageBox(QMessageBox& box) override
    {
        asked << "box|" + box.windowTitle() + "|" + box.text();
        if (QAbstractButton* ok = box.button(QMessageBox::Ok))
            buttonText = ok->text();
        return QMessageBox::Ok;
    }
    QString buttonText;
};

TEST_F(OpenCamerasTest, FirmwareToolIsStartedWhenChosen)
{
    BurnPrompt burn;  // takes over from the fixture's prompt
    QFile tool(QDir::current().filePath("FwRenew.exe"));
    ASSERT_TRUE(tool.open(QIODevice::WriteOnly));
    tool.write("#!/bin/sh\ntouch started\n");
    tool.close();
    tool.setPermissions(tool.permissions() | QFileDevice::ExeOwner);

    ZTCamSim_UseConfigText("[camera]\nserial=\n");
    window = std::make_unique<MainWindow>();
    ASSERT_TRUE(waitFor([&] { return !burn.asked.isEmpty(); }, 15000));
    EXPECT_EQ(burn.buttonText, QString::fromUtf8("去烧写"));
    EXPECT_TRUE(waitFor([&] { return QFile::exists("started"); }, 5000));
    EXPECT_TRUE(window->property("lumaExitRequested").toBool());
}

}  // namespace
