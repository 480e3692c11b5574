// The camera access object against the simulated SDK: names and lists,
// product ids and model groups, registers, device strings and channel names,
// temperatures.
#include <gtest/gtest.h>

#include <ZTCam.h>
#include <ZTCamSim.h>

#include <cstring>
#include <memory>
#include <string>
#include <thread>

#include "../TestSupport.h"
#include "ZTCamFunc.h"

namespace {

// Camera 0: product 0xE41A over interface kind 7. Camera 1: kind 3 (the
// product register may not be read). Cameras 2 and 0 are two channels of one
// device; camera 3 is another device.
const char* const kConfig =
    "[camera]\nserial=DEV-A\nproduct_id=0xE41A\ninterface_kind=7\nchannel=0\ndevice_version=V02_FF01_ZT\n"
    "[camera]\nserial=DEV-B\nproduct_id=0xE427\ninterface_kind=3\nchannel=0\n"
    "[camera]\nserial=DEV-A\nproduct_id=0xE433\ninterface_kind=7\nchannel=1\n"
    "[camera]\nserial=DEV-C\nproduct_id=0xE400\ninterface_kind=7\nchannel=0\n";

class CamFunc : public ::testing::Test {
protected:
    void SetUp() override
    {
        ZTCamSim_UseConfigText(kConfig);
        ZTCamInitParams init{};
        init.configPath = ".";
        ASSERT_EQ(ZTCAM_Api_Init(&init, 1000), ZTCAM_STATUS_SUCCESS);
        ASSERT_EQ(init.cameraCount, 4u);
        for (uint32_t i = 0; i < 4; ++i) {
            cams[i].index = i;
            ASSERT_EQ(ZTCAM_Dev_Open(&cams[i]), ZTCAM_STATUS_SUCCESS);
        }
        f = ZTCamFunc::instance();
        f->ClearProductIds();
    }
    void TearDown() override
    {
        for (auto& c : cams)
            if (c.handle)
                ZTCAM_Dev_Close(c.handle);
        ZTCAM_Api_Uninit();
        ZTCamSim_UseConfigText(nullptr);
    }

    OpenedCamera cams[4]{};
    ZTCamFunc* f = nullptr;
};

TEST(CamFuncLists, NamesAndCommandListsInOrder)
{
    ZTCamFunc* f = ZTCamFunc::instance();
    EXPECT_EQ(f, ZTCamFunc::instance());
    QStringList names = f->elementNames();
    ASSERT_EQ(names.size(), 51);
    EXPECT_EQ(names.first(), "DeviceScanType");
    EXPECT_EQ(names.at(11), "Width");
    EXPECT_EQ(names.at(29), "LUTEnable");
    EXPECT_EQ(names.last(), "UserSetDefault");
    EXPECT_EQ(names.removeDuplicates(), 0);
    EXPECT_EQ(f->dsnuCommands(), (QStringList{"DSNUSave", "DSNULoad", "DSNUGenerateAll", "DSNUGenerate"}));
    EXPECT_EQ(f->prnuCommands(), (QStringList{"PRNUSelector", "PRNUSave", "PRNULoad", "PRNUFactoryReset"}));
}

TEST(CamFuncLists, EveryThreadGetsTheSameObject)
{
    ZTCamFunc* seen[8] = {};
    std::thread threads[8];
    for (int i = 0; i < 8; ++i)
        threads[i] = std::thread([&seen, i] { seen[i] = ZTCamFunc::instance(); });
    for (auto& t : threads)
        t.join();
    for (ZTCamFunc* p : seen)
        EXPECT_EQ(p, ZTCamFunc::instance());
}

TEST(CamFuncTemperature, ValidRangeIsMinus100ExclusiveTo200Inclusive)
{
    EXPECT_TRUE(ZTCamFunc::IsValidTemperature(200.0));
    EXPECT_FALSE(ZTCamFunc::IsValidTemperature(200.01));
    EXPECT_FALSE(ZTCamFunc::IsValidTemperature(-100.0));
    EXPECT_TRUE(ZTCamFunc::IsValidTemperature(-99.99));
    EXPECT_TRUE(ZTCamFunc::IsValidTemperature(0.0));
    EXPECT_EQ(ZTCamFunc::SensorTempLimit, 65.0);
    EXPECT_EQ(ZTCamFunc::FpgaTempLimit, 85.0);
    EXPECT_EQ(ZTCamFunc::FpgaTempLimitE41A, 80.0);
    EXPECT_EQ(ZTCamFunc::FpgaTempLimitGroupA, 75.0);
}

TEST(CamFuncNullHandle, EveryOperationToleratesIt)
{
    ZTCamFunc* f = ZTCamFunc::instance();
    ZTCamElement e{};
    e.value.intValue = 77;
    f->GetGenICamElement(e, nullptr, "Width");
    EXPECT_EQ(e.value.intValue, 77);
    EXPECT_FALSE(f->QueryGenICamElement(nullptr, "Width", e));
    EXPECT_FALSE(f->SetGenICamElement(nullptr, e));
    EXPECT_EQ(f->GetOffsetX(nullptr), 0);
    EXPECT_EQ(f->GetOffsetY(nullptr), 0);
    char version[32];
    EXPECT_FALSE(f->GetDeviceVersion(nullptr, version));
    EXPECT_EQ(f->ReadRegister32(nullptr, 0x80000), -1);
    EXPECT_FALSE(f->WriteRegister32(nullptr, 0x9000, 1, 4));
    EXPECT_EQ(f->GetGrayValue(nullptr, 0, 0), 0);
    std::unique_ptr<char[]> sn(f->GetDeviceSN(nullptr));
    EXPECT_EQ(sn[0], '\0');
    EXPECT_FALSE(f->IsSameDevice(nullptr, nullptr));
    EXPECT_FALSE(f->IsProductE41A(nullptr));
}

TEST_F(CamFunc, ProductIdIsReadOnlyOverInterfaceKind7)
{
    EXPECT_TRUE(f->IsProductE41A(cams[0].handle));
    EXPECT_FALSE(f->IsProductE427(cams[0].handle));
    EXPECT_TRUE(f->IsProductGroupB(cams[0].handle));
    EXPECT_FALSE(f->IsProductGroupA(cams[0].handle));

    // Kind 3: the id is 0 although the camera is an 0xE427.
    EXPECT_FALSE(f->IsProductE427(cams[1].handle));
    EXPECT_FALSE(f->IsProductGroupA(cams[1].handle));
    EXPECT_FALSE(f->IsProductGroupB(cams[1].handle));
    EXPECT_EQ(f->productId(cams[1].handle), 0);

    EXPECT_TRUE(f->IsProductGroupA(cams[2].handle));
    EXPECT_TRUE(f->IsProductGroupB(cams[2].handle));
    EXPECT_FALSE(f->IsProductGroupA(cams[3].handle));
    EXPECT_FALSE(f->IsProductGroupB(cams[3].handle));
    EXPECT_TRUE(f->EnsureProductId(cams[3].handle));
}

TEST_F(CamFunc, ProductIdsAreCachedUntilRefreshedOrCleared)
{
    EXPECT_TRUE(f->IsProductE41A(cams[0].handle));
    ZTCamSim_CallLogClear();
    EXPECT_TRUE(f->IsProductGroupB(cams[0].handle));
    EXPECT_EQ(ZTCamSim_CallLogSize(), 0u);  // answered from the cache

    f->RefreshProductId(cams[0].handle);
    EXPECT_GT(ZTCamSim_CallLogSize(), 0u);  // read again
    f->ClearProductIds();
    ZTCamSim_CallLogClear();
    EXPECT_TRUE(f->IsProductE41A(cams[0].handle));
    EXPECT_GT(ZTCamSim_CallLogSize(), 0u);
}

TEST_F(CamFunc, RegistersAreBigEndian)
{
    const int id = f->ReadRegister32(cams[0].handle, ZTCAM_REG_PRODUCT_ID);
    EXPECT_EQ(id & 0xFFFF, 0xE41A);

    uint8_t raw[4] = {0};
    ASSERT_EQ(ZTCAM_GenICam_GetRegisterValue(cams[0].handle, raw, ZTCAM_REG_PRODUCT_ID, 4), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(raw[2], 0xE4);
    EXPECT_EQ(raw[3], 0x1A);

    // A register the program writes: the user-set selector.
    ZTCamHandle writable = nullptr;
    for (const OpenedCamera& c : cams)
        if (!writable && f->WriteRegister32(c.handle, ZTCAM_REG_USERSET_BASE, 0x12345678, 4))
            writable = c.handle;
    ASSERT_NE(writable, nullptr);
    ASSERT_EQ(ZTCAM_GenICam_GetRegisterValue(writable, raw, ZTCAM_REG_USERSET_BASE, 4), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(raw[0], 0x12);
    EXPECT_EQ(raw[3], 0x78);
    EXPECT_EQ(f->ReadRegister32(writable, ZTCAM_REG_USERSET_BASE), 0x12345678);
    EXPECT_TRUE(f->WriteRegister32(writable, ZTCAM_REG_USERSET_BASE, -2, 4));
    EXPECT_EQ(f->ReadRegister32(writable, ZTCAM_REG_USERSET_BASE), -2);
}

TEST_F(CamFunc, FailedRegisterReadGivesMinusOne)
{
    EXPECT_EQ(f->ReadRegister32(cams[0].handle, 0x7FFFFFF0ull), -1);
}

TEST_F(CamFunc, DeviceStringsIdentifyTheDevice)
{
    std::unique_ptr<char[]> sn(f->GetDeviceSN(cams[1].handle));
    EXPECT_STREQ(sn.get(), "DEV-B");

    ZTCamSim_CallLogClear();
    EXPECT_TRUE(f->IsSameDevice(cams[1].handle, cams[1].handle));
    EXPECT_EQ(ZTCamSim_CallLogSize(), 0u);  // no register read for one handle twice
    EXPECT_TRUE(f->IsSameDevice(cams[0].handle, cams[2].handle));
    EXPECT_FALSE(f->IsSameDevice(cams[0].handle, cams[3].handle));
    EXPECT_FALSE(f->IsSameDevice(cams[0].handle, nullptr));
}

TEST_F(CamFunc, ChannelNamesCountDevicesAndShowChannels)
{
    QByteArray last;
    int counter = 0;
    EXPECT_EQ(f->GetChannelName(cams[0].handle, last, counter, 9), "0_0");
    EXPECT_EQ(f->GetChannelName(cams[2].handle, last, counter, 9), "0_1");
    EXPECT_EQ(f->GetChannelName(cams[3].handle, last, counter, 9), "1_0");
    EXPECT_EQ(counter, 1);
    EXPECT_EQ(last, QByteArray("DEV-C"));
}

TEST_F(CamFunc, FeaturesAreReadAndWritten)
{
    ZTCamElement width{};
    ASSERT_TRUE(f->QueryGenICamElement(cams[0].handle, "Width", width));
    EXPECT_EQ(width.type, ZTCAM_ELEM_INTEGER);
    EXPECT_GT(width.value.intValue, 0);

    ZTCamElement missing{};
    EXPECT_FALSE(f->QueryGenICamElement(cams[0].handle, "NoSuchFeature", missing));

    ZTCamElement offset{};
    ASSERT_TRUE(f->QueryGenICamElement(cams[0].handle, "OffsetX", offset));
    EXPECT_EQ(f->GetOffsetX(cams[0].handle), offset.value.intValue);
    EXPECT_EQ(f->GetOffsetY(cams[0].handle), 0);

    ZTCamElement bogus{};
    bogus.name = "NoSuchFeature";
    EXPECT_FALSE(f->SetGenICamElement(cams[0].handle, bogus));
}

TEST_F(CamFunc, DeviceVersionTextIsRead)
{
    char version[32];
    std::memset(version, 'x', sizeof version);
    ASSERT_TRUE(f->GetDeviceVersion(cams[0].handle, version));
    EXPECT_STREQ(version, "V02_FF01_ZT");

    // The same text through the element, with the object's own text buffer.
    ZTCamElement e{};
    ASSERT_TRUE(f->QueryGenICamElement(cams[0].handle, "DeviceVersion", e));
    ASSERT_NE(e.text, nullptr);
    EXPECT_STREQ(e.text, "V02_FF01_ZT");
}

TEST(CamFuncText, RecordReusedForALongerTextGetsRoomForIt)
{
    // A 60-byte serial number: longer than the user id read before it.
    const std::string serial(60, 'S');
    const std::string config = "[camera]\nserial=" + serial + "\nuser_id=short\n";
    ZTCamSim_UseConfigText(config.c_str());
    ZTCamInitParams init{};
    init.configPath = ".";
    ASSERT_EQ(ZTCAM_Api_Init(&init, 1000), ZTCAM_STATUS_SUCCESS);
    OpenedCamera cam{};
    ASSERT_EQ(ZTCAM_Dev_Open(&cam), ZTCAM_STATUS_SUCCESS);

    ZTCamFunc* f = ZTCamFunc::instance();
    ZTCamElement e{};
    ASSERT_TRUE(f->QueryGenICamElement(cam.handle, "DeviceUserID", e));
    EXPECT_STREQ(e.text, "short");
    ASSERT_TRUE(f->QueryGenICamElement(cam.handle, "DeviceSerialNumber", e));
    EXPECT_EQ(std::string(e.text), serial);
    f->GetGenICamElement(e, cam.handle, "DeviceUserID");
    EXPECT_STREQ(e.text, "short");

    // A caller's own buffer is left to the caller.
    char own[64] = {0};
    ZTCamElement mine{};
    mine.text = own;
    ASSERT_TRUE(f->QueryGenICamElement(cam.handle, "DeviceSerialNumber", mine));
    EXPECT_EQ(mine.text, own);
    EXPECT_EQ(std::string(own), serial);

    ZTCAM_Dev_Close(cam.handle);
    ZTCAM_Api_Uninit();
    ZTCamSim_UseConfigText(nullptr);
}

}  // namespace
