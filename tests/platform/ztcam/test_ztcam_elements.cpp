#include "ZTCamTestSupport.h"

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

using ztcamtest::SdkFixture;

namespace {

struct Walked {
    std::string name;
    const char* pointer;
    int type;
    int level;
    bool polled;
};

std::vector<Walked> walk(ZTCamHandle handle, int nodeMap)
{
    std::vector<Walked> out;
    ZTCamElement e{};
    std::string name = "Root";
    while (ZTCAM_GenICam_ElementAttrNext(handle, &e, name.c_str(), nodeMap) == ZTCAM_STATUS_SUCCESS) {
        EXPECT_NE(e.name, nullptr);
        if (!e.name)
            break;
        out.push_back({e.name, e.name, e.type, e.level, e.polled != 0});
        name = e.name;
        if (out.size() > 1000)
            break;
    }
    return out;
}

const char* const kElementNames[] = {
    "DeviceScanType", "SensorBinning", "BinningHorizontal", "BinningVertical", "BinningType", "ReverseX",
    "PixelFormat", "LineInfo", "TestPattern", "ScanDirection", "TDIStagesP1", "Width", "Height", "OffsetX",
    "OffsetY", "OperationMode", "AcquisitionLineRate", "ExposureTime", "TriggerMode", "TriggerSource",
    "TriggerBurrFilter", "ScanDirectionBurrFilter", "TriggerRescalerMode", "TriggerRescalerRate",
    "TriggerRescalerFilter", "SoftTriggerNum", "AnalogGain", "DigitalGain", "BlackLevel", "LUTEnable", "LUTIndex",
    "LUTValue", "StrobeMode", "StrobeInverter", "StrobeOutDelay", "StrobeDuration", "FanOperationMode",
    "FanDutyFactor", "FanSpeed", "TECOperationMode", "TECDutyFactor", "CoolOperationTemperature", "DSNUMode",
    "PRNUSelector", "PRNUMode", "TargetLevelAUTO", "PRNUTargetLevel", "StartX", "EndX", "UserSetSelector",
    "UserSetDefault"};

} // namespace

class ZTCamElements : public SdkFixture {
protected:
    void SetUp() override { initWith(ztcamtest::cameraSection("SN-E1")); }
};

TEST_F(ZTCamElements, WalkListsCategoriesBeforeTheirChildren)
{
    const std::vector<Walked> tree = walk(handle, ZTCAM_NODEMAP_CAMERA);
    ASSERT_FALSE(tree.empty());
    EXPECT_EQ(tree.front().type, ZTCAM_ELEM_CATEGORY);
    EXPECT_EQ(tree.front().level, 0);
    std::set<std::string> seen;
    int lastCategoryLevel = -1;
    for (const Walked& w : tree) {
        EXPECT_TRUE(seen.insert(w.name).second) << "twice: " << w.name;
        if (w.type == ZTCAM_ELEM_CATEGORY) {
            EXPECT_LE(w.level, lastCategoryLevel + 1) << w.name;
            lastCategoryLevel = w.level;
        } else {
            EXPECT_EQ(w.level, lastCategoryLevel + 1) << w.name << " must sit below the category before it";
        }
    }
    // Nested categories: the fan features sit two levels below the root.
    bool nested = false;
    for (const Walked& w : tree)
        nested = nested || (w.name == "FanOperationMode" && w.level == 2);
    EXPECT_TRUE(nested);
    // The walk ends with a status other than success after the last element.
    ZTCamElement e{};
    EXPECT_NE(ZTCAM_GenICam_ElementAttrNext(handle, &e, tree.back().name.c_str(), 0), ZTCAM_STATUS_SUCCESS);
}

TEST_F(ZTCamElements, CarriesEveryFeatureTheProgramUses)
{
    std::map<std::string, int> types;
    for (const Walked& w : walk(handle, ZTCAM_NODEMAP_CAMERA))
        types[w.name] = w.type;
    for (const char* name : kElementNames)
        EXPECT_TRUE(types.count(name)) << name;
    EXPECT_EQ(sizeof kElementNames / sizeof kElementNames[0], 51u);
    for (const char* name : {"DeviceVersion", "DeviceChannel", "DeviceUserID", "SensorTemperature",
                             "DeviceTemperature", "AcquisitionFrameRate", "FrameRateMode", "ReadoutMode",
                             "StrobeSourceSelect", "DeviceFactoryTestMode", "ImageStamping", "DSNUStatus",
                             "PRNUStatus"})
        EXPECT_TRUE(types.count(name)) << name;
    for (const char* name : {"AcquisitionStart", "AcquisitionStop", "DeviceReset", "ConnectionReset",
                             "Connection Config", "UserSetRefresh", "DSNUSave", "DSNULoad", "DSNUGenerateAll",
                             "DSNUGenerate", "PRNUSave", "PRNULoad", "PRNUFactoryReset"})
        EXPECT_EQ(types[name], ZTCAM_ELEM_COMMAND) << name;
    EXPECT_EQ(types["PRNUSelector"], ZTCAM_ELEM_ENUMERATION);
    EXPECT_EQ(types["LUTEnable"], ZTCAM_ELEM_BOOLEAN);

    std::map<std::string, Walked> stream;
    for (const Walked& w : walk(handle, ZTCAM_NODEMAP_STREAM))
        stream[w.name] = w;
    ASSERT_TRUE(stream.count("LineFillCount"));
    EXPECT_EQ(stream["LineFillCount"].type, ZTCAM_ELEM_INTEGER);
    EXPECT_FALSE(stream["LineFillCount"].polled);  // the stream panel polls it by name
    EXPECT_TRUE(stream.count("BufferHeight"));
    EXPECT_TRUE(stream.count("AcquisitionFrameRate"));
}

TEST_F(ZTCamElements, NamesAndEntriesStayValidWhileOpen)
{
    const std::vector<Walked> first = walk(handle, ZTCAM_NODEMAP_CAMERA);
    ZTCamElement pf = element("PixelFormat");
    const char* const* entries = pf.entries;
    ASSERT_NE(entries, nullptr);
    ASSERT_EQ(pf.maximum.intValue, 3);
    // Writes, other walks and a capture in between do not move them.
    ASSERT_EQ(setInt("PixelFormat", 0), ZTCAM_STATUS_SUCCESS);
    walk(handle, ZTCAM_NODEMAP_STREAM);
    const std::vector<Walked> second = walk(handle, ZTCAM_NODEMAP_CAMERA);
    ASSERT_EQ(first.size(), second.size());
    for (size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i].pointer, second[i].pointer);
        EXPECT_STREQ(first[i].pointer, first[i].name.c_str());
    }
    EXPECT_EQ(element("PixelFormat").entries, entries);
    EXPECT_STREQ(entries[0], "Mono 8");
    EXPECT_STREQ(entries[1], "Mono 12");
    EXPECT_STREQ(entries[2], "Mono 16");
    EXPECT_STREQ(entries[3], "RGB 8");
    EXPECT_EQ(entries[4], nullptr);
}

TEST_F(ZTCamElements, StringsFitTheCallersBuffer)
{
    ZTCamElement e = element("DeviceVersion");
    ASSERT_EQ(e.type, ZTCAM_ELEM_STRING);
    EXPECT_LE(e.maximum.intValue, 31);  // read into a 32-byte buffer
    std::vector<char> text(size_t(e.maximum.intValue) + 1 + 8, 'x');
    e.text = text.data();
    ASSERT_EQ(ZTCAM_GenICam_GetElementValue(handle, &e, 0), ZTCAM_STATUS_SUCCESS);
    EXPECT_STREQ(text.data(), "V01_2505_ZT");
    EXPECT_EQ(text[size_t(e.maximum.intValue) + 1], 'x');

    ZTCamElement id = element("DeviceUserID");
    char name[] = "Bench camera 7";
    id.text = name;
    ASSERT_EQ(ZTCAM_GenICam_SetElementValue(handle, &id, 0), ZTCAM_STATUS_SUCCESS);
    char tooLong[] = "sixteen letters!";
    id.text = tooLong;
    EXPECT_NE(ZTCAM_GenICam_SetElementValue(handle, &id, 0), ZTCAM_STATUS_SUCCESS);
    char back[16] = {};
    id.text = back;
    ASSERT_EQ(ZTCAM_GenICam_GetElementValue(handle, &id, 0), ZTCAM_STATUS_SUCCESS);
    EXPECT_STREQ(back, "Bench camera 7");
    // A string read without a text buffer is refused, not written through null.
    id.text = nullptr;
    EXPECT_NE(ZTCAM_GenICam_GetElementValue(handle, &id, 0), ZTCAM_STATUS_SUCCESS);
}

TEST_F(ZTCamElements, WritesAreCheckedAndReported)
{
    EXPECT_EQ(setInt("Width", 4000), ZTCAM_STATUS_OUT_OF_RANGE);
    EXPECT_EQ(setInt("Width", 32), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(element("Width").value.intValue, 32);
    EXPECT_EQ(element("OffsetX").maximum.intValue, 32);  // 64 - 32
    EXPECT_EQ(setInt("PixelFormat", 7), ZTCAM_STATUS_OUT_OF_RANGE);
    EXPECT_EQ(setInt("DeviceChannel", 1), ZTCAM_STATUS_ACCESS_DENIED);
    ZTCamElement rate = element("ExposureTime");
    rate.value.floatValue = -5;
    EXPECT_EQ(ZTCAM_GenICam_SetElementValue(handle, &rate, 0), ZTCAM_STATUS_OUT_OF_RANGE);
    ZTCamDeviceInfo info{};
    info.id = ZTCAM_INFO_STATUS_TEXT;
    ASSERT_EQ(ZTCAM_Dev_GetInfo(handle, &info), ZTCAM_STATUS_SUCCESS);
    ASSERT_NE(info.text, nullptr);
    EXPECT_NE(std::string(info.text).find("ExposureTime"), std::string::npos);
    // Level limits follow the pixel format.
    ASSERT_EQ(setInt("PixelFormat", 0), ZTCAM_STATUS_SUCCESS);
    ZTCamPropAttr right{};
    right.id = ZTCAM_PROP_RIGHT_LEVEL;
    ASSERT_EQ(ZTCAM_Prop_GetAttr(handle, &right), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(right.maximum, 255.0);
}

TEST_F(ZTCamElements, RangesFollowBinningAndFrameRate)
{
    // Binning shrinks the image: Width's range follows and a width that no
    // longer fits is brought inside (64 x 48 sensor).
    ASSERT_EQ(element("Width").maximum.intValue, 64);
    ASSERT_EQ(setInt("BinningHorizontal", 2), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(element("Width").maximum.intValue, 32);
    EXPECT_EQ(element("Width").value.intValue, 32);
    EXPECT_EQ(element("Height").maximum.intValue, 48);
    ASSERT_EQ(setInt("SensorBinning", 1), ZTCAM_STATUS_SUCCESS);  // 2x2 on top
    EXPECT_EQ(element("Width").maximum.intValue, 16);
    EXPECT_EQ(element("Height").maximum.intValue, 24);
    EXPECT_EQ(setInt("Width", 20), ZTCAM_STATUS_OUT_OF_RANGE);
    ZTCamDeviceInfo payload{};
    payload.id = ZTCAM_INFO_PAYLOAD_SIZE;
    ASSERT_EQ(ZTCAM_Dev_GetInfo(handle, &payload), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(payload.value, 16 * 24 * 2);  // Mono 12
    ASSERT_EQ(setInt("SensorBinning", 0), ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(setInt("BinningHorizontal", 1), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(element("Width").maximum.intValue, 64);

    // With a fixed frame rate the exposure fits into one frame period.
    ASSERT_EQ(entryText("FrameRateMode"), "On");
    EXPECT_DOUBLE_EQ(element("ExposureTime").maximum.floatValue, 1.0e6 / 200);
    ZTCamElement rate = element("AcquisitionFrameRate");
    rate.value.floatValue = 50;
    ASSERT_EQ(ZTCAM_GenICam_SetElementValue(handle, &rate, 0), ZTCAM_STATUS_SUCCESS);
    EXPECT_DOUBLE_EQ(element("ExposureTime").maximum.floatValue, 1.0e6 / 50);
    ASSERT_EQ(setInt("FrameRateMode", 0), ZTCAM_STATUS_SUCCESS);
    EXPECT_DOUBLE_EQ(element("ExposureTime").maximum.floatValue, 1.0e6);
}

TEST_F(ZTCamElements, GeometryIsLockedWhileCapturing)
{
    ZTCamFrame f;
    ASSERT_EQ(alloc(f), ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(ZTCAM_Cap_Start(handle, 0), ZTCAM_STATUS_SUCCESS);
    EXPECT_NE(element("Width").lock, 0);
    EXPECT_NE(element("PixelFormat").lock, 0);
    EXPECT_EQ(element("ExposureTime").lock, 0);
    EXPECT_EQ(setInt("Width", 32), ZTCAM_STATUS_ACCESS_DENIED);
    EXPECT_EQ(setInt("PixelFormat", 0), ZTCAM_STATUS_ACCESS_DENIED);
    ASSERT_EQ(ZTCAM_Cap_Stop(handle), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(element("Width").lock, 0);
    EXPECT_EQ(setInt("Width", 32), ZTCAM_STATUS_SUCCESS);
}

TEST_F(ZTCamElements, CommandsRunFromAZeroedRecord)
{
    // The user-set refresh the main window runs whenever a camera is picked:
    // a zeroed record named "UserSetRefresh", read, then written back. It
    // must leave the camera's settings alone.
    ASSERT_EQ(setInt("Width", 32), ZTCAM_STATUS_SUCCESS);
    ZTCamElement e{};
    e.name = "UserSetRefresh";
    ASSERT_EQ(ZTCAM_GenICam_GetElementValue(handle, &e, 0), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(e.type, ZTCAM_ELEM_COMMAND);
    ASSERT_EQ(ZTCAM_GenICam_SetElementValue(handle, &e, 0), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(element("Width").value.intValue, 32);
    // Loading the default user set does bring the defaults back.
    ZTCamElement load = element("UserSetLoad");
    ASSERT_EQ(ZTCAM_GenICam_SetElementValue(handle, &load, 0), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(element("Width").value.intValue, 64);

    const int64_t before = element("DSNUStatus").value.intValue;
    ZTCamElement gen = element("DSNUGenerate");
    EXPECT_NE(gen.commandValue, 0u);
    ASSERT_EQ(ZTCAM_GenICam_SetElementValue(handle, &gen, 0), ZTCAM_STATUS_SUCCESS);
    EXPECT_GT(element("DSNUStatus").value.intValue, before);
    // A record that does not carry the command value executes nothing.
    const int64_t after = element("DSNUStatus").value.intValue;
    ZTCamElement bare{};
    bare.name = "DSNUGenerate";
    EXPECT_NE(ZTCAM_GenICam_SetElementValue(handle, &bare, 0), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(element("DSNUStatus").value.intValue, after);
}

TEST_F(ZTCamElements, PolledAndRepresentedElements)
{
    EXPECT_NE(element("SensorTemperature").polled, 0u);
    EXPECT_NE(element("DeviceTemperature").polled, 0u);
    EXPECT_EQ(element("GevCurrentIPAddress").representation, ZTCAM_REPR_IPV4);
    EXPECT_EQ(element("GevMACAddress").representation, ZTCAM_REPR_MAC);
    EXPECT_EQ(element("DeviceUptime").representation, ZTCAM_REPR_TIME);
    // Fan off warms the sensor.
    const double cool = element("SensorTemperature").value.floatValue;
    ASSERT_EQ(setInt("FanOperationMode", 0), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(entryText("FanOperationMode"), "Off");
    EXPECT_GT(element("SensorTemperature").value.floatValue, cool);
    ASSERT_EQ(ZTCamSim_SetTemperature(0, 70.0, 90.0), ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(setInt("FanOperationMode", 1), ZTCAM_STATUS_SUCCESS);
    EXPECT_DOUBLE_EQ(element("SensorTemperature").value.floatValue, 70.0);
    EXPECT_DOUBLE_EQ(element("DeviceTemperature").value.floatValue, 90.0);
}

TEST_F(ZTCamElements, MessageAfterASensorReadingTellsTheTemperature)
{
    ASSERT_EQ(setInt("Width", 32), ZTCAM_STATUS_SUCCESS);  // a write leaves its own message
    ASSERT_EQ(ZTCamSim_SetTemperature(0, 47.5, 50), ZTCAM_STATUS_SUCCESS);
    EXPECT_DOUBLE_EQ(element("SensorTemperature").value.floatValue, 47.5);
    ZTCamDeviceInfo info{};
    info.id = ZTCAM_INFO_STATUS_TEXT;
    ASSERT_EQ(ZTCAM_Dev_GetInfo(handle, &info), ZTCAM_STATUS_SUCCESS);
    ASSERT_NE(info.text, nullptr);
    EXPECT_STREQ(info.text, "Sensor temperature: 47.5 C");
}
