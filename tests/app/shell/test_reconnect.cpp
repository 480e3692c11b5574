// Disconnect detection and reconnection: the window's 3 s poll, DeviceReset
// tearing every camera down and opening them again, a search that finds
// nothing, cameras without stream panels and a camera that fails to reopen.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPointer>
#include <QTabWidget>
#include <QTableWidget>

#include <qtvariantproperty.h>

#include "../CaptureFixture.h"
#include "CZTPropGrp.h"
#include "LineProfileUI.h"
#include "ui_MainWindow.h"
#include "ztstreamgrp.h"

namespace {

constexpr const char* kTwoCameras =
    "[camera]\nserial = RC01\nsensor_width=64\nsensor_height=48\nframe_rate=50\n"
    "[camera]\nserial = RC02\nsensor_width=64\nsensor_height=48\nframe_rate=50\n";

class ReconnectTest : public CaptureFixture {
protected:
    void SetUp() override
    {
        CaptureFixture::SetUp();
        MainWindow::setDeviceResetWaitMs(0);
        MainWindow::setReconnectWaitMs(100);
    }
    void TearDown() override
    {
        CaptureFixture::TearDown();
        ZTCamSim_SetFault(-1, "zero_cameras", 0);
        MainWindow::setDeviceResetWaitMs(2000);
        MainWindow::setReconnectWaitMs(30000);
    }
    // DeviceReset pressed on the device panel of the camera at `position`;
    // true once the cameras are back.
    bool deviceReset(int position = 0)
    {
        QPointer<CZTPropGrp> panel = window->m_vecPropGrp.value(position);
        EXPECT_FALSE(panel.isNull());
        if (!panel)
            return false;
        panel->valueChanged(panel->m_propMap.value("DeviceReset"), QVariant(QStringLiteral("DeviceReset")));
        // The old panel goes once the cameras were torn down.
        return waitFor([&] {
            return panel.isNull() && window->windowTitle() == window->m_strTitle && window->m_nDisconnectTimerId;
        });
    }
    QTabWidget* tabs() const { return window->ui->tabWidget; }
    // The device and stream tabs show the current camera's panels.
    void expectTabsShow(int position, bool withStream)
    {
        CZTPropGrp* device = window->m_vecPropGrp.value(position);
        ASSERT_NE(device, nullptr);
        EXPECT_EQ(window->m_pCurPropGrp, device);
        EXPECT_EQ(device->parentWidget(), window->ui->tab);
        EXPECT_TRUE(device->isVisibleTo(window->ui->tab));
        EXPECT_EQ(tabs()->count(), withStream ? 2 : 1);
        ztstreamgrp* stream = window->m_vecStreamGrp.value(position);
        EXPECT_EQ(window->m_pCurStreamGrp, stream);
        if (!withStream) {
            EXPECT_EQ(stream, nullptr);
            return;
        }
        ASSERT_NE(stream, nullptr);
        EXPECT_EQ(stream->handle(), window->m_vecOpenedCam.value(position).handle);
        EXPECT_EQ(tabs()->tabText(1), "Stream Properties");
        EXPECT_EQ(stream->parentWidget(), tabs()->widget(1));
    }
    void expectLive(int position)
    {
        window->ui->pb_live->click();
        ASSERT_TRUE(window->m_bLive);
        EXPECT_TRUE(waitFor([&] { return thread(position)->frameCounter() > 3; }));
        window->ui->pb_live->click();
        EXPECT_FALSE(window->m_bLive);
    }
};

TEST_F(ReconnectTest, ALostCameraIsToldOnceByPanelWindowAndBox)
{
    MainWindow& w = open("[camera]\nsensor_width=64\nsensor_height=48\ndisconnect_after_ms=200\n"
                         "[camera]\nsensor_width=64\nsensor_height=48\n",
                         2);
    const QString box = "about|LumaDeck|The camera has been disconnected";
    ASSERT_TRUE(waitFor([&] { return prompt.asked.contains(box); }, 10000));
    // Two more poll periods of the window: nothing further.
    waitFor([] { return false; }, 3500);
    EXPECT_EQ(prompt.asked.count(box), 1);
    EXPECT_EQ(logRows().count("The camera has been disconnection"), 1);
    EXPECT_EQ(logRows().count("The camera0 has been disconnected"), 1);
    EXPECT_EQ(logRows().count("The camera1 has been disconnected"), 0);
    EXPECT_EQ(w.m_nDisconnectTimerId, 0);
}

TEST_F(ReconnectTest, DeviceResetReopensBothCamerasAndLiveWorks)
{
    MainWindow& w = open(kTwoCameras, 2);
    QPointer<CZTPropGrp> oldDevice = w.m_vecPropGrp.value(0);
    QPointer<ztstreamgrp> oldStream = w.m_vecStreamGrp.value(0);
    QtVariantPropertyManager* rows = oldDevice->m_pVariantManager;
    QtProperty* format = oldDevice->m_propMap.value("PixelFormat");
    rows->setValue(format, rows->attributeValue(format, "enumNames").toStringList().indexOf("Mono 16"));
    // The other camera too, with levels set by hand at that depth.
    w.ui->cb_cam_idx->setCurrentIndex(1);
    CZTPropGrp* other = w.m_vecPropGrp.value(1);
    QtProperty* otherFormat = other->m_propMap.value("PixelFormat");
    other->m_pVariantManager->setValue(
        otherFormat,
        other->m_pVariantManager->attributeValue(otherFormat, "enumNames").toStringList().indexOf("Mono 16"));
    for (const auto& typed : {std::make_pair(w.ui->txt_rlvl, "200"), std::make_pair(w.ui->txt_llvl, "20")}) {
        typed.first->setText(typed.second);
        emit typed.first->editingFinished();
    }
    w.ui->cb_cam_idx->setCurrentIndex(0);
    ZTCamSim_CallLogClear();
    w.ui->pb_live->click();
    ASSERT_TRUE(deviceReset());
    EXPECT_FALSE(w.m_bLive);
    // The camera restarted at its start format, Mono 8: the line profile's
    // scale follows.
    EXPECT_EQ(w.m_vecCamView.value(0)->lineProfile()->maxGray(), 256);
    // The other camera's levels of before belong to the depth it left: they
    // are not written back over its start levels on a switch to it.
    double startLeft = -1;
    double startRight = -1;
    ZTCAM_Prop_GetValue(w.m_vecOpenedCam.value(1).handle, ZTCAM_PROP_LEFT_LEVEL, &startLeft, 0);
    ZTCAM_Prop_GetValue(w.m_vecOpenedCam.value(1).handle, ZTCAM_PROP_RIGHT_LEVEL, &startRight, 0);
    const auto calls = simCalls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "ZTCAM_Api_Init"), 1);

    ASSERT_EQ(w.m_vecOpenedCam.size(), 2);
    EXPECT_EQ(w.m_vecPropGrp.size(), 2);
    EXPECT_EQ(w.m_vecStreamGrp.size(), 2);
    EXPECT_EQ(w.m_vecCamView.size(), 2);
    EXPECT_EQ(w.ui->cb_cam_idx->count(), 2);
    EXPECT_EQ(w.m_mapBufferSets.keys(), (QList<int>{0, 1}));
    EXPECT_TRUE(waitFor([&] { return oldDevice.isNull() && oldStream.isNull(); }));
    expectTabsShow(0, true);
    // A camera switch while the stream tab is open leaves the device page
    // behind it.
    tabs()->setCurrentIndex(1);
    w.ui->cb_cam_idx->setCurrentIndex(1);
    expectTabsShow(1, true);
    EXPECT_EQ(w.ui->hls_llvl->value(), static_cast<int>(startLeft));
    EXPECT_EQ(w.ui->hls_rlvl->value(), static_cast<int>(startRight));
    EXPECT_TRUE(w.ui->tab->isHidden());
    EXPECT_FALSE(w.ui->tab_2->isHidden());
    expectLive(1);
}

// While an accepted DeviceReset waits for the camera's restart, the restarting
// camera is no disconnection to warn of, and a second press starts nothing.
TEST_F(ReconnectTest, AWaitingResetWarnsOfNothingAndRunsOnce)
{
    MainWindow::setDeviceResetWaitMs(3500);  // longer than the window's poll
    MainWindow& w = open(kTwoCameras, 2);
    ZTCamSim_CallLogClear();
    QPointer<CZTPropGrp> panel = w.m_vecPropGrp.value(0);
    ASSERT_FALSE(panel.isNull());
    panel->valueChanged(panel->m_propMap.value("DeviceReset"), QVariant(QStringLiteral("DeviceReset")));
    panel->valueChanged(panel->m_propMap.value("DeviceReset"), QVariant(QStringLiteral("DeviceReset")));
    ASSERT_TRUE(waitFor([&] {
        return panel.isNull() && w.windowTitle() == w.m_strTitle && w.m_nDisconnectTimerId;
    }, 20000));
    waitFor([] { return false; }, 500);
    const auto calls = simCalls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "ZTCAM_Api_Init"), 1);
    EXPECT_EQ(prompt.asked.count("about|LumaDeck|The camera has been disconnected"), 0);
    EXPECT_EQ(logRows().count("The camera has been disconnection"), 0);
    EXPECT_EQ(logRows().count("The camera0 has been disconnected"), 0);
}

TEST_F(ReconnectTest, PanelsGoOnlyAfterTheCallThatStartedTheReconnection)
{
    MainWindow& w = open(kTwoCameras, 2);
    QPointer<CZTPropGrp> old = w.m_vecPropGrp.value(0);
    bool aliveInside = false;
    QObject::connect(old.data(), &CZTPropGrp::sglRefreshUI, &w, [&] {
        w.reConnectCam(false);
        aliveInside = !old.isNull();
    });
    emit old->sglRefreshUI("root");
    EXPECT_TRUE(aliveInside);
    // Called outside any event, the panel goes with the next deferred
    // deletions.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(old.isNull());
    EXPECT_EQ(w.m_vecPropGrp.size(), 2);
}

TEST_F(ReconnectTest, ASearchThatFindsNothingTellsAndTheWindowStays)
{
    MainWindow& w = open(kTwoCameras, 2);
    ZTCamSim_SetFault(-1, "zero_cameras", 1);
    w.reConnectCam(false);
    EXPECT_TRUE(prompt.asked.contains("information|Message|Camera disconnect!"));
    EXPECT_EQ(w.windowTitle(), "Please wait, Camera disconnect...");
    EXPECT_TRUE(w.m_vecOpenedCam.isEmpty());
    EXPECT_TRUE(w.m_vecPropGrp.isEmpty());
    EXPECT_EQ(w.m_pCurPropGrp, nullptr);
    EXPECT_EQ(w.m_nDisconnectTimerId, 0);
    EXPECT_FALSE(w.ui->pb_live->isEnabled());
    waitFor([] { return false; }, 200);  // the old panels go; the window stays usable
    EXPECT_EQ(w.ui->cb_cam_idx->count(), 0);
}

TEST_F(ReconnectTest, CamerasWithoutStreamPanelsKeepTheTabsConsistent)
{
    MainWindow& w = open("[camera]\nproduct_id=0xE41A\nsensor_width=64\nsensor_height=48\n"
                         "[camera]\nsensor_width=64\nsensor_height=48\n",
                         2);
    // The first camera is current and of product 0xE41A: no stream panels.
    EXPECT_TRUE(w.m_vecStreamGrp.isEmpty());
    expectTabsShow(0, false);
    w.ui->cb_cam_idx->setCurrentIndex(1);
    expectTabsShow(1, false);

    // After the reset each camera's own product counts; the second one is
    // current and shows both of its panels.
    ASSERT_TRUE(deviceReset(1));
    ASSERT_EQ(w.m_vecStreamGrp.size(), 2);
    EXPECT_EQ(w.m_nCurCamIndex, 1);
    expectTabsShow(1, true);
    w.ui->cb_cam_idx->setCurrentIndex(0);
    expectTabsShow(0, false);
    w.ui->cb_cam_idx->setCurrentIndex(1);
    expectTabsShow(1, true);
}

TEST_F(ReconnectTest, ACameraThatFailsToReopenLeavesTheOthersByPosition)
{
    MainWindow& w = open("[camera]\nfail_open=1\nsensor_width=64\nsensor_height=48\n"
                         "[camera]\nsensor_width=64\nsensor_height=48\nframe_rate=50\n",
                         1);
    // The camera comes back at its start width: the size shown follows.
    w.m_vecPropGrp.value(0)->m_pVariantManager->setValue(w.m_vecPropGrp.value(0)->m_propMap.value("Width"), 32.0);
    ASSERT_TRUE(deviceReset());
    EXPECT_EQ(w.ui->label_size->text().toStdString(), "Size: 64x48");
    EXPECT_EQ(logRows().count("Open camera failed!"), 1);
    ASSERT_EQ(w.m_vecOpenedCam.size(), 1);
    EXPECT_EQ(w.m_vecOpenedCam[0].index, 1u);
    EXPECT_EQ(thread(0)->camIndex(), 0);
    EXPECT_EQ(w.m_mapBufferSets.keys(), QList<int>{0});
    EXPECT_EQ(w.m_mapCamName.keys(), QList<int>{0});
    expectTabsShow(0, true);
    expectLive(0);
}

}  // namespace
