// The stream property panel over the simulated camera: its tree and tab, the
// refreshes that never write, edits, and the counters polled while live.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTabWidget>
#include <QTimerEvent>

#include <qtpropertymanager.h>
#include <qtvariantproperty.h>

#include <algorithm>

#include "../CaptureFixture.h"
#include "CZTPropGrp.h"
#include "ZTStringPropertyManager.h"
#include "ui_MainWindow.h"
#include "ztstreamgrp.h"

namespace {

class StreamPanelTest : public CaptureFixture {
protected:
    void SetUp() override
    {
        CaptureFixture::SetUp();
        open(kOneCamera, 1);
        ASSERT_EQ(window->m_vecStreamGrp.size(), 1);
        stream = window->m_vecStreamGrp.first();
        ASSERT_NE(stream, nullptr);
    }
    QtProperty* row(const char* name) const { return stream->m_propMap.value(name); }
    QVariant rowValue(const char* name) const { return stream->m_pVariantManager->value(row(name)); }
    // The camera's stream feature, written behind the panel's back.
    void setOnCamera(const char* name, int64_t value)
    {
        ZTCamElement e{};
        ASSERT_EQ(ZTCAM_GenICam_ElementAttr(stream->handle(), &e, name, ZTCAM_NODEMAP_STREAM), ZTCAM_STATUS_SUCCESS);
        e.value.intValue = value;
        ASSERT_EQ(ZTCAM_GenICam_SetElementValue(stream->handle(), &e, ZTCAM_NODEMAP_STREAM), ZTCAM_STATUS_SUCCESS);
    }
    int64_t onCamera(const char* name) const
    {
        ZTCamElement e{};
        ZTCAM_GenICam_ElementAttr(stream->handle(), &e, name, ZTCAM_NODEMAP_STREAM);
        ZTCAM_GenICam_GetElementValue(stream->handle(), &e, ZTCAM_NODEMAP_STREAM);
        return e.value.intValue;
    }
    static long writes()
    {
        const auto calls = simCalls(false);
        return std::count(calls.begin(), calls.end(), "ZTCAM_GenICam_SetElementValue");
    }

    ztstreamgrp* stream = nullptr;
};

TEST_F(StreamPanelTest, TreeStandsInItsOwnTab)
{
    QTabWidget* tabs = window->ui->tabWidget;
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(0), "Device Properties");
    EXPECT_EQ(tabs->tabText(1), "Stream Properties");
    EXPECT_EQ(stream->parentWidget(), tabs->widget(1));
    EXPECT_EQ(window->m_pCurStreamGrp, stream);

    // Integers are plain numbers; strings and commands read as the camera
    // has them.
    EXPECT_EQ(rowValue("StreamPayloadSize").type(), QVariant::Double);
    EXPECT_EQ(rowValue("StreamID").toString(), "Stream0");
    EXPECT_EQ(stream->m_pStringManager->value(row("StreamCounterReset")), "{Command}");
    // Polled: what the SDK marks, and LineFillCount by name.
    for (const char* name : {"StreamDeliveredFrameCount", "StreamLostFrameCount", "LineFillCount"})
        EXPECT_TRUE(stream->m_pollMap.contains(name)) << name;
    EXPECT_TRUE(stream->m_staticMap.contains("BufferHeight"));
    EXPECT_TRUE(row("StreamBufferHandlingMode")->isEnabled());
    EXPECT_FALSE(row("StreamType")->isEnabled());
}

TEST_F(StreamPanelTest, RefreshesShowTheCameraAndNeverWriteToIt)
{
    setOnCamera("StreamBufferHandlingMode", 1);
    setOnCamera("BufferHeight", 20);
    ZTCamSim_CallLogClear();
    testing::internal::CaptureStderr();
    stream->refreshRoot();
    // The buffer height's debug line tells the number.
    EXPECT_NE(testing::internal::GetCapturedStderr().find("name = BufferHeight,node.pTransfer = 20"),
              std::string::npos);
    EXPECT_EQ(rowValue("StreamBufferHandlingMode").toInt(), 1);
    EXPECT_EQ(rowValue("BufferHeight").toInt(), 20);

    setOnCamera("StreamBufferHandlingMode", 0);
    ZTCamSim_CallLogClear();
    stream->refreshElement();
    EXPECT_EQ(rowValue("StreamBufferHandlingMode").toInt(), 0);

    setOnCamera("BufferHeight", 30);
    ZTCamSim_CallLogClear();
    stream->updateStreamElem("BufferHeight");
    EXPECT_EQ(rowValue("BufferHeight").toInt(), 30);
    EXPECT_EQ(writes(), 0);
    EXPECT_TRUE(stream->m_bUiReady);
}

TEST_F(StreamPanelTest, EditsReachTheCameraPolledRowsDoNot)
{
    stream->m_pVariantManager->setValue(row("StreamBufferHandlingMode"), 1);
    EXPECT_EQ(onCamera("StreamBufferHandlingMode"), 1);
    stream->m_pVariantManager->setValue(row("BufferHeight"), 24.0);
    EXPECT_EQ(onCamera("BufferHeight"), 24);
    stream->m_pVariantManager->setValue(row("StreamEnableResend"), false);
    EXPECT_EQ(onCamera("StreamEnableResend"), 0);

    ZTCamSim_CallLogClear();
    stream->m_pVariantManager->setValue(row("LineFillCount"), 7.0);
    EXPECT_EQ(writes(), 0);
}

// A number the camera refuses: the row shows what it kept, written once and
// logged once. One outside the feature's range (the rate's too, unlike the
// device tree's) is not written at all.
TEST_F(StreamPanelTest, ARefusedNumberIsWrittenAndLoggedOnce)
{
    const struct {
        const char* name;
        double typed;
        double kept;
        long writes;
    } cases[] = {{"StreamPayloadSize", 5.0, 64 * 48 * 2, 1},
                 {"AcquisitionFrameRate", 20.0, 50.0, 1},
                 {"AcquisitionFrameRate", 5000.0, 50.0, 0}};
    for (const auto& c : cases) {
        ZTCamSim_CallLogClear();
        testing::internal::CaptureStderr();
        stream->m_pVariantManager->setValue(row(c.name), c.typed);
        const std::string debug = testing::internal::GetCapturedStderr();
        EXPECT_EQ(writes(), c.writes) << c.name;
        const std::string line = std::string("Id name = ") + c.name;
        size_t lines = 0;
        for (size_t at = debug.find(line); at != std::string::npos; at = debug.find(line, at + 1))
            ++lines;
        EXPECT_EQ(lines, size_t(c.writes)) << c.name;
        EXPECT_DOUBLE_EQ(rowValue(c.name).toDouble(), c.kept) << c.name;
    }
}

// A polled string row: the stream panel reads its value too, the device
// panel its attributes only (after the connection state).
TEST_F(StreamPanelTest, APollPassReadsAPolledStringAsEachPanelDoes)
{
    CZTPropGrp* device = window->m_vecPropGrp.first();
    const struct {
        QWidget* panel;
        QMap<QString, QtProperty*>& polled;
        QtProperty* row;
        int timer;
        std::vector<std::string> calls;
    } cases[] = {
        {stream, stream->m_pollMap, row("StreamID"), stream->m_nPollTimerId,
         {"ZTCAM_GenICam_ElementAttr", "ZTCAM_GenICam_GetElementValue"}},
        {device, device->m_pollMap, device->m_propMap.value("DeviceVendorName"), device->m_nPollTimerId,
         {"ZTCAM_Dev_GetInfo", "ZTCAM_GenICam_ElementAttr"}},
    };
    for (const auto& c : cases) {
        ASSERT_NE(c.row, nullptr);
        ASSERT_NE(c.timer, 0);
        c.polled = {{c.row->propertyName(), c.row}};
        ZTCamSim_CallLogClear();
        QTimerEvent tick(c.timer);
        QCoreApplication::sendEvent(c.panel, &tick);
        EXPECT_EQ(simCalls(false), c.calls) << c.row->propertyName().toStdString();
    }
}

TEST_F(StreamPanelTest, CountersMoveWhileLive)
{
    EXPECT_EQ(rowValue("StreamDeliveredFrameCount").toDouble(), 0.0);
    window->ui->pb_live->click();
    ASSERT_TRUE(window->m_bLive);
    EXPECT_TRUE(waitFor([&] { return rowValue("StreamDeliveredFrameCount").toDouble() > 0; }, 10000));
    window->ui->pb_live->click();
    EXPECT_FALSE(window->m_bLive);
}

}  // namespace
