// The device property panel over the simulated camera: the tree, edits that
// reach the camera, command rows, refusals, the poll and the temperature watch.
#include <gtest/gtest.h>

#include <QDoubleSpinBox>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>

#include <QtTest/QTest>

#include <qttreepropertybrowser.h>
#include <qtvariantproperty.h>

#include "../CaptureFixture.h"
#include "CZTPropGrp.h"
#include "ZTCamFunc.h"
#include "ZTStringFactory.h"
#include "ZtMsgBox.h"
#include "ztstreamgrp.h"
#include "ui_MainWindow.h"

namespace {

class PanelTest : public CaptureFixture {
protected:
    CZTPropGrp* panel(int i = 0) const { return window->m_vecPropGrp.value(i); }
    QtProperty* row(const char* name) const { return panel()->m_propMap.value(name); }
    QVariant rowValue(const char* name) const { return panel()->m_pVariantManager->value(row(name)); }
    QVariant attribute(const char* name, const char* attr) const
    {
        return panel()->m_pVariantManager->attributeValue(row(name), attr);
    }
    // The user's edit of a row.
    void edit(const char* name, const QVariant& value) { panel()->m_pVariantManager->setValue(row(name), value); }
    ZTCamElement camera(const char* name) const
    {
        ZTCamElement e{};
        ZTCamFunc::instance()->QueryGenICamElement(panel()->handle(), name, e);
        return e;
    }
    QStringList logTexts() const
    {
        QStringList texts;
        QTableWidget* table = window->ui->tableWidget;
        for (int r = 0; r < table->rowCount(); ++r)
            if (QTableWidgetItem* item = table->item(r, 1))
                texts << item->text();
        return texts;
    }
    QTreeWidgetItem* treeRow(const char* name) const
    {
        auto* tree = panel()->m_pBrowser->findChild<QTreeWidget*>();
        const auto found = tree->findItems(name, Qt::MatchExactly | Qt::MatchRecursive, 0);
        return found.isEmpty() ? nullptr : found.first();
    }
    bool shown(const char* name) const { return treeRow(name) && !treeRow(name)->isHidden(); }
    // Makes the command row current (the browser opens its button) and
    // returns the button.
    QPushButton* commandButton(const char* name) const
    {
        auto* tree = panel()->m_pBrowser->findChild<QTreeWidget*>();
        QTreeWidgetItem* item = treeRow(name);
        if (!item)
            return nullptr;
        tree->setCurrentItem(item);
        QWidget* editor = tree->itemWidget(item, 1);
        return editor ? editor->findChild<QPushButton*>() : nullptr;
    }
};

constexpr const char* kE427TecOff =
    "[camera]\nsensor_width=64\nsensor_height=48\nproduct_id=0xE427\ntec=Off\n";
constexpr const char* kE427TecOn =
    "[camera]\nsensor_width=64\nsensor_height=48\nproduct_id=0xE427\ntec=On\n";

}  // namespace

TEST_F(PanelTest, TreeOfTheCameraFillsTheFirstTab)
{
    MainWindow& w = open(kOneCamera, 1);
    ASSERT_EQ(w.m_vecPropGrp.size(), 1);
    EXPECT_EQ(w.m_pCurPropGrp, panel());
    EXPECT_EQ(w.ui->tabWidget->tabText(0), "Device Properties");
    EXPECT_EQ(w.ui->tabWidget->currentIndex(), 0);
    EXPECT_FALSE(panel()->isHidden());

    ASSERT_NE(row("Width"), nullptr);
    EXPECT_TRUE(row("Width")->isEnabled());
    EXPECT_EQ(attribute("Width", "singleStep").toDouble(), 4.0);
    EXPECT_EQ(rowValue("Width").toDouble(), 64.0);
    EXPECT_FALSE(row("SensorWidth")->isEnabled());
    EXPECT_EQ(rowValue("DeviceVendorName").toString(), "ZELTRA");
    EXPECT_EQ(rowValue("GevCurrentIPAddress").toString(), "192.168.1.100");
    EXPECT_TRUE(rowValue("GevMACAddress").toString().startsWith("0:A0:B1:C2:D3:"));
    EXPECT_EQ(row("AcquisitionStart")->valueText(), "{Command}");

    // Polled rows are re-read by the poll only; commands are never polled.
    EXPECT_TRUE(panel()->m_pollMap.contains("SensorTemperature"));
    EXPECT_FALSE(panel()->m_staticMap.contains("SensorTemperature"));
    EXPECT_TRUE(panel()->m_staticMap.contains("AcquisitionStart"));
    EXPECT_EQ(panel()->m_propMap.size(), panel()->m_pollMap.size() + panel()->m_staticMap.size());

    // Categories: level 0 at the top, level 1 below its parent.
    QStringList top;
    for (QtBrowserItem* item : panel()->m_pBrowser->topLevelItems())
        top << item->property()->propertyName();
    EXPECT_TRUE(top.contains("DeviceControl"));
    EXPECT_TRUE(top.contains("CoolingControl"));
    EXPECT_FALSE(top.contains("FanControl"));
    EXPECT_EQ(treeRow("FanControl")->parent(), treeRow("CoolingControl"));
    EXPECT_EQ(treeRow("FanOperationMode")->parent(), treeRow("FanControl"));
}

TEST_F(PanelTest, VisibilityLevelHidesExpertRowsForBeginners)
{
    MainWindow& w = open(kOneCamera, 1);
    EXPECT_TRUE(shown("SensorWidth"));  // Guru at start
    w.ui->cb_visibility->setCurrentIndex(0);
    EXPECT_EQ(panel()->m_nLevel, 0);
    EXPECT_TRUE(shown("Width"));
    EXPECT_FALSE(shown("SensorWidth"));
    EXPECT_FALSE(shown("LineInfo"));
    w.ui->cb_visibility->setCurrentIndex(1);
    EXPECT_TRUE(shown("SensorWidth"));
    EXPECT_FALSE(shown("LineInfo"));
    w.ui->cb_visibility->setCurrentIndex(2);
    EXPECT_TRUE(shown("LineInfo"));
}

TEST_F(PanelTest, TheVisibilityBoxShowsItsEntriesWhole)
{
    MainWindow& w = open(kOneCamera, 1);
    w.show();
    QApplication::processEvents();
    QComboBox* box = w.ui->cb_visibility;
    EXPECT_GE(box->width(), box->minimumSizeHint().width());  // "Beginner" in the font at hand
    // Each panel's tree fills the wider column, on its own tab.
    ASSERT_EQ(w.m_vecStreamGrp.size(), 1);
    const struct {
        QWidget* panel;
        QWidget* browser;
    } tabs[] = {{panel(), panel()->m_pBrowser}, {w.m_vecStreamGrp.first(), w.m_vecStreamGrp.first()->m_pBrowser}};
    for (int tab = 0; tab < 2; ++tab) {
        w.ui->tabWidget->setCurrentIndex(tab);
        QApplication::processEvents();
        EXPECT_EQ(tabs[tab].browser->width(), tabs[tab].panel->width() - 6) << tab;
    }
}

TEST_F(PanelTest, PixelFormatSetsTheDisplayShiftAndTellsTheViews)
{
    MainWindow& w = open(kOneCamera, 1);
    EXPECT_EQ(w.displayShift(0), 4);  // Mono 12
    QSignalSpy formats(&w, &MainWindow::SignalUpdatePixelFormat);
    const QStringList names = attribute("PixelFormat", "enumNames").toStringList();
    ASSERT_TRUE(names.contains("Mono 16"));
    edit("PixelFormat", names.indexOf("Mono 16"));
    EXPECT_EQ(ZTCamFunc::CurrentEntryName(camera("PixelFormat")), "Mono 16");
    EXPECT_EQ(w.displayShift(0), 8);
    ASSERT_EQ(formats.size(), 1);
    EXPECT_EQ(formats.at(0).at(0).toString(), "Mono 16");
    edit("PixelFormat", names.indexOf("Mono 8"));
    EXPECT_EQ(w.displayShift(0), 0);
}

TEST_F(PanelTest, EditsReachTheCameraAndRefusedValuesAreRestored)
{
    open(kOneCamera, 1);
    const int rows = logTexts().size();
    edit("ExposureTime", 2000.0);
    EXPECT_DOUBLE_EQ(camera("ExposureTime").value.floatValue, 2000.0);
    EXPECT_GT(logTexts().size(), rows);  // the camera's message
    EXPECT_TRUE(logTexts().last().contains("ExposureTime")) << logTexts().last().toStdString();

    // The frame rate row has no bounds; the camera refuses and the row
    // returns to the camera's rate.
    edit("AcquisitionFrameRate", 5000.0);
    EXPECT_DOUBLE_EQ(camera("AcquisitionFrameRate").value.floatValue, 50.0);
    EXPECT_DOUBLE_EQ(rowValue("AcquisitionFrameRate").toDouble(), 50.0);

    edit("Width", 32.0);
    EXPECT_EQ(camera("Width").value.intValue, 32);
}

TEST_F(PanelTest, ANumberTypedIntoARowIsWrittenAndLoggedOnce)
{
    open(kOneCamera, 1);
    ztstreamgrp* stream = window->m_vecStreamGrp.value(0);
    ASSERT_NE(stream, nullptr);
    const struct {
        const char* name;
        const char* typed;
        const char* logged;
        int writes;
        bool stream = false;
    } cases[] = {{"ExposureTime", "5000", "ExposureTime set to 5000", 1},
                 {"Width", "32", "Width set to 32", 1},
                 // The camera keeps the width its step allows: the row shows it, no second write.
                 {"Width", "33", "Width set to 32", 1},
                 // The rate row takes any number; the camera refuses this one and keeps its 50.
                 {"AcquisitionFrameRate", "5000", "AcquisitionFrameRate: 5000 is outside 0.1..1000", 1},
                 // So does an integer row, whose every keystroke counts; the panel refuses it.
                 {"Width", "5000", "Width: 5000 is outside 16..64", 0},
                 // And so do float rows with bounds (the exposure ends at 20 ms at 50 frames a
                 // second) and the stream panel's rows.
                 {"AnalogGain", "20", "AnalogGain: 20 is outside 1..16", 0},
                 {"ExposureTime", "2000000", "ExposureTime: 2000000 is outside 10..20000", 0},
                 {"BufferHeight", "100", "BufferHeight: 100 is outside 1..48", 0, true},
                 {"BufferHeight", "24", "", 1, true},
                 // The typed text is read whole: an exponent counts, a group separator
                 // (here, in the C locale) makes no number, nor does a fraction an integer.
                 {"AnalogGain", "1e1", "AnalogGain set to 10", 1},
                 {"AnalogGain", "1,5", "AnalogGain: 1,5 is not a number", 0},
                 {"ExposureTime", "2e4", "ExposureTime set to 20000", 1},
                 {"Width", "32.5", "Width: 32.5 is not a whole number", 0},
                 {"BufferHeight", "1,5", "BufferHeight: 1,5 is not a number", 0, true}};
    // What the camera keeps, as a row shows it.
    const auto kept = [&](const char* name, int32_t map) {
        ZTCamElement e{};
        ZTCAM_GenICam_ElementAttr(panel()->handle(), &e, name, map);
        ZTCAM_GenICam_GetElementValue(panel()->handle(), &e, map);
        return e.type == ZTCAM_ELEM_FLOAT ? e.value.floatValue : double(e.value.intValue);
    };
    for (const auto& c : cases) {
        QtTreePropertyBrowser* browser = c.stream ? stream->m_pBrowser : panel()->m_pBrowser;
        QtVariantPropertyManager* manager = c.stream ? stream->m_pVariantManager : panel()->m_pVariantManager;
        QtProperty* property = (c.stream ? stream->m_propMap : panel()->m_propMap).value(c.name);
        auto* tree = browser->findChild<QTreeWidget*>();
        QTreeWidgetItem* item = tree->findItems(c.name, Qt::MatchExactly | Qt::MatchRecursive, 0).value(0);
        ASSERT_NE(item, nullptr) << c.name;
        tree->setCurrentItem(item);
        auto* spin = qobject_cast<QDoubleSpinBox*>(tree->itemWidget(item, 1));
        ASSERT_NE(spin, nullptr) << c.name;
        const int rows = logTexts().size();
        ZTCamSim_CallLogClear();
        spin->selectAll();
        QTest::keyClicks(spin, c.typed);
        QTest::keyClick(spin, Qt::Key_Return);
        tree->setCurrentItem(tree->topLevelItem(0));  // a category: the editor closes
        const std::vector<std::string> calls = simCalls(false);
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "ZTCAM_GenICam_SetElementValue"), c.writes) << c.name;
        EXPECT_EQ(logTexts().mid(rows).filter(c.name).join('|').toStdString(), c.logged);
        EXPECT_EQ(manager->value(property).toDouble(),
                  kept(c.name, c.stream ? ZTCAM_NODEMAP_STREAM : ZTCAM_NODEMAP_CAMERA))
            << c.name << " " << c.typed;
    }
}

TEST_F(PanelTest, MalformedAddressesAreNeverWritten)
{
    open(kOneCamera, 1);
    for (const char* text : {"10.0.0.300", "1.2.3", "10.0.x.1"}) {
        edit("GevPersistentIPAddress", QString(text));
        EXPECT_EQ(camera("GevPersistentIPAddress").value.intValue, 0xC0A80164) << text;
        EXPECT_EQ(rowValue("GevPersistentIPAddress").toString(), "192.168.1.100") << text;
    }
    edit("GevPersistentIPAddress", QString("10.0.0.7"));
    EXPECT_EQ(camera("GevPersistentIPAddress").value.intValue, 0x0A000007);
    EXPECT_EQ(rowValue("GevPersistentIPAddress").toString(), "10.0.0.7");
}

TEST_F(PanelTest, DeviceUserIdRules)
{
    open(kOneCamera, 1);
    edit("DeviceUserID", QString("ABCDEFGHIJKLMNOP"));  // 16 characters: refused
    EXPECT_EQ(rowValue("DeviceUserID").toString(), "");
    EXPECT_EQ(logTexts().last(), "DeviceUserID not written: at most 15 characters");
    // 15 characters, 17 bytes: cut to 15 bytes in the row, nothing written.
    edit("DeviceUserID", QString::fromUtf8("\xC3\xA4\xC3\xA4" "abcdefghijklm"));
    EXPECT_EQ(rowValue("DeviceUserID").toString(), QString::fromUtf8("\xC3\xA4\xC3\xA4" "abcdefghijk"));
    ZTCamElement e{};
    char text[16] = {0};
    e.text = text;
    ZTCamFunc::instance()->QueryGenICamElement(panel()->handle(), "DeviceUserID", e);
    EXPECT_STREQ(text, "");
    edit("DeviceUserID", QString("Bench-Left-015"));
    ZTCamFunc::instance()->QueryGenICamElement(panel()->handle(), "DeviceUserID", e);
    EXPECT_STREQ(text, "Bench-Left-015");
    edit("DeviceUserID", QString::fromUtf8("\xE7\x9B\xB8\xE6\x9C\xBA"));  // CJK: refused
    EXPECT_EQ(logTexts().last(), "DeviceUserID not written: CJK characters are not allowed");
    EXPECT_EQ(rowValue("DeviceUserID").toString(), "Bench-Left-015");
}

TEST_F(PanelTest, CommandRowsStopAndStartAcquisition)
{
    MainWindow& w = open(kOneCamera, 1);
    QSignalSpy starts(&w, &MainWindow::SignalAcquisitionStart);
    w.m_bCounterReset = false;
    QPushButton* stop = commandButton("AcquisitionStop");
    ASSERT_NE(stop, nullptr);
    stop->click();
    EXPECT_TRUE(logTexts().contains("AcquisitionStop executed"));
    QPushButton* start = commandButton("AcquisitionStart");
    ASSERT_NE(start, nullptr);
    start->click();
    EXPECT_TRUE(logTexts().contains("AcquisitionStart executed"));
    ASSERT_EQ(starts.size(), 2);
    EXPECT_FALSE(starts.at(0).at(0).toBool());
    EXPECT_TRUE(starts.at(1).at(0).toBool());
    EXPECT_TRUE(w.m_bCounterReset);
}

TEST_F(PanelTest, DeviceResetReturnsBeforeAnythingIsTornDown)
{
    open(kOneCamera, 1);
    QPointer<QPushButton> button = commandButton("DeviceReset");
    ASSERT_FALSE(button.isNull());
    QPointer<QtTreePropertyBrowser> browser = panel()->m_pBrowser;
    QPointer<ZTStringFactory> factory = panel()->m_pStringFactory;
    button->click();
    EXPECT_TRUE(logTexts().contains("DeviceReset executed"));
    EXPECT_FALSE(button.isNull());
    EXPECT_FALSE(browser.isNull());
    EXPECT_FALSE(factory.isNull());
}

TEST_F(PanelTest, SensorOverheatingIsWarnedOfAndLogged)
{
    open(kOneCamera, 1);
    ZtMsgBox* box = panel()->m_pWarnBox;
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isHidden());
    ZTCamSim_SetTemperature(0, 80.0, 45.0);
    ASSERT_TRUE(waitFor([&] { return !box->isHidden(); }, 10000));
    EXPECT_DOUBLE_EQ(panel()->m_dLastSensorTemp, rowValue("SensorTemperature").toDouble());
    EXPECT_GT(panel()->m_dLastSensorTemp, 65.0);
    // The move of the reading is logged with the camera's own message.
    EXPECT_TRUE(logTexts().contains("Sensor temperature: 80.0 C")) << logTexts().join('|').toStdString();
}

TEST_F(PanelTest, DisconnectionIsLoggedOnceAndPollingStops)
{
    open(kOneCamera, 1);
    ASSERT_NE(panel()->m_nPollTimerId, 0);
    ZTCamSim_SetConnected(0, 0);
    ZTCamSim_SetTemperature(0, 90.0, 95.0);
    ASSERT_TRUE(waitFor([&] { return logTexts().contains("The camera has been disconnection"); }, 10000));
    EXPECT_EQ(panel()->m_nPollTimerId, 0);
    // Nothing read from a camera that is gone: no temperature row or warning.
    EXPECT_EQ(logTexts().last(), "The camera has been disconnection");
    EXPECT_TRUE(panel()->m_pWarnBox->isHidden());
}

TEST_F(PanelTest, CoolingOfE427CamerasAndAResponsiveWindow)
{
    // A camera whose TEC is already off, and one whose TEC the program
    // switches off: both leave the element mutex free.
    for (const char* config : {kE427TecOff, kE427TecOn}) {
        open(config, 1);
        EXPECT_EQ(camera("TECOperationMode").value.intValue, 0) << config;
        ASSERT_TRUE(panel()->m_pElemMutex->tryLock()) << config;
        panel()->m_pElemMutex->unlock();
        window.reset();
    }

    open(kE427TecOn, 1);
    const QStringList names = attribute("FanOperationMode", "enumNames").toStringList();
    edit("FanOperationMode", names.indexOf("Off"));
    EXPECT_TRUE(prompt.asked.contains(
        "about|LumaDeck|Warning!The fan is off.To ensure the cooling performance of the camera, ensure that "
        "the camera is connected to the water cooler"));
}

TEST_F(PanelTest, FanOffOnOtherModelsShowsNoBox)
{
    open(kOneCamera, 1);
    const QStringList names = attribute("FanOperationMode", "enumNames").toStringList();
    edit("FanOperationMode", names.indexOf("Off"));
    EXPECT_EQ(ZTCamFunc::CurrentEntryName(camera("FanOperationMode")), "Off");
    EXPECT_TRUE(prompt.asked.isEmpty());
}

TEST_F(PanelTest, TriggerModeReachesTheSaveThreadsFlag)
{
    MainWindow& w = open(kOneCamera, 1);
    EXPECT_FALSE(w.isTriggerMode(0));
    const QStringList names = attribute("TriggerMode", "enumNames").toStringList();
    edit("TriggerMode", names.indexOf("On"));
    EXPECT_TRUE(panel()->m_bTriggerMode);
    EXPECT_TRUE(w.m_bTriggerMode);
    EXPECT_TRUE(w.isTriggerMode(0));
    w.m_bCounterReset = false;
    edit("TriggerMode", names.indexOf("Off"));
    EXPECT_FALSE(w.isTriggerMode(0));
    EXPECT_TRUE(w.m_bCounterReset);
}
