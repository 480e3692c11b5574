#include "ZTCamTestSupport.h"

#include <cstring>
#include <vector>

using ztcamtest::SdkFixture;

namespace {

uint32_t readReg(ZTCamHandle h, uint64_t address, ZTCamStatus* status = nullptr)
{
    uint8_t b[4] = {};
    ZTCamStatus s = ZTCAM_GenICam_GetRegisterValue(h, b, address, 4);
    if (status)
        *status = s;
    return (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
}

ZTCamStatus writeReg(ZTCamHandle h, uint64_t address, uint32_t v)
{
    uint8_t b[4] = {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
    return ZTCAM_GenICam_SetRegisterValue(h, b, address, 4);
}

} // namespace

class ZTCamArgs : public SdkFixture {
protected:
    void SetUp() override { initWith(ztcamtest::cameraSection("SN-A1", "product_id = 0xE427\n")); }
};

TEST_F(ZTCamArgs, NullPointersAreRefused)
{
    EXPECT_NE(ZTCAM_Api_Init(nullptr, 1000), ZTCAM_STATUS_SUCCESS);
    EXPECT_NE(ZTCAM_Dev_Open(nullptr), ZTCAM_STATUS_SUCCESS);
    EXPECT_NE(ZTCAM_Dev_GetInfo(handle, nullptr), ZTCAM_STATUS_SUCCESS);
    EXPECT_NE(ZTCAM_Prop_GetAttr(handle, nullptr), ZTCAM_STATUS_SUCCESS);
    EXPECT_NE(ZTCAM_Capa_GetAttr(handle, nullptr), ZTCAM_STATUS_SUCCESS);
    EXPECT_NE(ZTCAM_Prop_GetValue(handle, 8, nullptr, 0), ZTCAM_STATUS_SUCCESS);
    EXPECT_NE(ZTCAM_Capa_GetValue(handle, 4, nullptr), ZTCAM_STATUS_SUCCESS);
    ZTCamElement e{};
    EXPECT_NE(ZTCAM_GenICam_ElementAttr(handle, nullptr, "Width", 0), ZTCAM_STATUS_SUCCESS);
    EXPECT_NE(ZTCAM_GenICam_ElementAttr(handle, &e, nullptr, 0), ZTCAM_STATUS_SUCCESS);
    EXPECT_NE(ZTCAM_GenICam_ElementAttrNext(handle, &e, nullptr, 0), ZTCAM_STATUS_SUCCESS);
    EXPECT_NE(ZTCAM_GenICam_GetElementValue(handle, &e, 0), ZTCAM_STATUS_SUCCESS);  // no name
    EXPECT_NE(ZTCAM_GenICam_SetElementValue(handle, nullptr, 0), ZTCAM_STATUS_SUCCESS);
    EXPECT_NE(ZTCAM_GenICam_GetRegisterValue(handle, nullptr, ZTCAM_REG_PRODUCT_ID, 4), ZTCAM_STATUS_SUCCESS);
    EXPECT_NE(ZTCAM_GenICam_SetRegisterValue(handle, nullptr, 0x8000, 4), ZTCAM_STATUS_SUCCESS);
    EXPECT_NE(ZTCAM_Get_GrayValue(handle, 0, 0, nullptr), ZTCAM_STATUS_SUCCESS);
    EXPECT_NE(ZTCAM_Buf_Alloc(handle, nullptr), ZTCAM_STATUS_SUCCESS);
    EXPECT_NE(ZTCAM_Cap_AnnounceBuffer(handle, 100, nullptr), ZTCAM_STATUS_SUCCESS);
    EXPECT_NE(ZTCAM_Buf_WaitForFrame(handle, nullptr, 10), ZTCAM_STATUS_SUCCESS);
    EXPECT_NE(ZTCAM_Buf_GetData(handle, nullptr), ZTCAM_STATUS_SUCCESS);
    EXPECT_NE(ZTCAM_Rec_Start(handle, nullptr), ZTCAM_STATUS_SUCCESS);
    EXPECT_NE(ZTCAM_Rec_AppendFrame(handle, nullptr), ZTCAM_STATUS_SUCCESS);
    ZTCamFileSaveParams p{};
    EXPECT_NE(ZTCAM_File_SaveImage(handle, p), ZTCAM_STATUS_SUCCESS);
}

TEST_F(ZTCamArgs, UnknownIdsNamesAndMaps)
{
    ZTCamDeviceInfo info{};
    info.id = 999;
    EXPECT_EQ(ZTCAM_Dev_GetInfo(handle, &info), ZTCAM_STATUS_NOT_FOUND);
    ZTCamPropAttr pa{};
    pa.id = 6;
    EXPECT_EQ(ZTCAM_Prop_GetAttr(handle, &pa), ZTCAM_STATUS_NOT_FOUND);
    ZTCamCapaAttr ca{};
    ca.id = 12;
    EXPECT_EQ(ZTCAM_Capa_GetAttr(handle, &ca), ZTCAM_STATUS_NOT_FOUND);
    for (int32_t id : {4, 5, 8, 10, 15, 19, 31}) {
        ca.id = id;
        EXPECT_EQ(ZTCAM_Capa_GetAttr(handle, &ca), ZTCAM_STATUS_SUCCESS) << id;
    }
    for (int32_t id : {5, 8, 9, 10, 11}) {
        pa.id = id;
        EXPECT_EQ(ZTCAM_Prop_GetAttr(handle, &pa), ZTCAM_STATUS_SUCCESS) << id;
        EXPECT_LE(pa.minimum, pa.defaultValue);
        EXPECT_GE(pa.maximum, pa.defaultValue);
    }
    ZTCamElement e{};
    EXPECT_EQ(ZTCAM_GenICam_ElementAttr(handle, &e, "NoSuchFeature", 0), ZTCAM_STATUS_NOT_FOUND);
    EXPECT_EQ(ZTCAM_GenICam_ElementAttrNext(handle, &e, "NoSuchFeature", 0), ZTCAM_STATUS_NOT_FOUND);
    EXPECT_EQ(ZTCAM_GenICam_ElementAttr(handle, &e, "Width", 2), ZTCAM_STATUS_INVALID_PARAM);
    EXPECT_EQ(ZTCAM_GenICam_ElementAttr(handle, &e, "Width", 1), ZTCAM_STATUS_NOT_FOUND);  // camera feature
    uint8_t b[8];
    EXPECT_EQ(ZTCAM_GenICam_GetRegisterValue(handle, b, 0x1234, 4), ZTCAM_STATUS_NOT_FOUND);
    EXPECT_EQ(ZTCAM_GenICam_GetRegisterValue(handle, b, ZTCAM_REG_PRODUCT_ID, 0), ZTCAM_STATUS_INVALID_PARAM);
    EXPECT_EQ(ZTCAM_GenICam_GetRegisterValue(handle, b, ZTCAM_REG_PRODUCT_ID, 8), ZTCAM_STATUS_NOT_FOUND);
    EXPECT_EQ(ZTCAM_Prop_SetValue(handle, 8, 5000, 0), ZTCAM_STATUS_OUT_OF_RANGE);
    EXPECT_EQ(ZTCAM_Prop_SetValue(handle, 8, 120, 1), ZTCAM_STATUS_INVALID_PARAM);
    EXPECT_EQ(ZTCAM_Capa_SetValue(handle, 4, 2), ZTCAM_STATUS_OUT_OF_RANGE);
    EXPECT_EQ(ZTCAM_Cap_Start(handle, 5), ZTCAM_STATUS_INVALID_PARAM);
}

TEST_F(ZTCamArgs, RegisterRangesThatWrapAroundAreRefused)
{
    uint8_t b[8] = {};
    for (uint64_t base : {uint64_t(ZTCAM_REG_DEVICE_STRING), uint64_t(ZTCAM_REG_PRODUCT_ID)}) {
        // address + count wraps to a small number inside the block
        EXPECT_NE(ZTCAM_GenICam_GetRegisterValue(handle, b, UINT64_MAX, 2), ZTCAM_STATUS_SUCCESS) << base;
        EXPECT_NE(ZTCAM_GenICam_GetRegisterValue(handle, b, UINT64_MAX - 1, 4), ZTCAM_STATUS_SUCCESS) << base;
        EXPECT_NE(ZTCAM_GenICam_GetRegisterValue(handle, b, base + 2, UINT32_MAX), ZTCAM_STATUS_SUCCESS) << base;
    }
    // Reads inside a block at an offset still work.
    ASSERT_EQ(ZTCAM_GenICam_GetRegisterValue(handle, b, ZTCAM_REG_PRODUCT_ID + 2, 2), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(b[0], 0xE4);
    EXPECT_EQ(b[1], 0x27);
    ASSERT_EQ(ZTCAM_GenICam_GetRegisterValue(handle, b, ZTCAM_REG_DEVICE_STRING + 3, 2), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(b[0], 'A');
    EXPECT_EQ(b[1], '1');
}

TEST_F(ZTCamArgs, ClosedAndUnknownHandlesFailCleanly)
{
    int fake = 0;
    ZTCamDeviceInfo info{};
    info.id = ZTCAM_INFO_CONNECTION_STATE;
    EXPECT_EQ(ZTCAM_Dev_GetInfo(nullptr, &info), ZTCAM_STATUS_INVALID_HANDLE);
    EXPECT_EQ(ZTCAM_Dev_GetInfo(&fake, &info), ZTCAM_STATUS_INVALID_HANDLE);
    ASSERT_EQ(ZTCAM_Dev_Close(handle), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(ZTCAM_Dev_Close(handle), ZTCAM_STATUS_INVALID_HANDLE);
    EXPECT_EQ(ZTCAM_Dev_GetInfo(handle, &info), ZTCAM_STATUS_INVALID_HANDLE);
    EXPECT_EQ(ZTCAM_Cap_Start(handle, 0), ZTCAM_STATUS_INVALID_HANDLE);
    EXPECT_EQ(ZTCAM_Cap_Stop(handle), ZTCAM_STATUS_INVALID_HANDLE);
    // The record of a closed handle stays readable.
    EXPECT_EQ(static_cast<const uint8_t*>(handle)[4], 7);
    // Reopening gives a new handle; the old one stays dead.
    OpenedCamera again{};
    ASSERT_EQ(ZTCAM_Dev_Open(&again), ZTCAM_STATUS_SUCCESS);
    EXPECT_NE(again.handle, handle);
    EXPECT_EQ(ZTCAM_Dev_GetInfo(handle, &info), ZTCAM_STATUS_INVALID_HANDLE);
    EXPECT_EQ(ZTCAM_Dev_GetInfo(again.handle, &info), ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(ZTCAM_Api_Uninit(), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(ZTCAM_Dev_GetInfo(again.handle, &info), ZTCAM_STATUS_INVALID_HANDLE);
    OpenedCamera none{};
    EXPECT_EQ(ZTCAM_Dev_Open(&none), ZTCAM_STATUS_NOT_INITIALIZED);
}

TEST_F(ZTCamArgs, SerialAndProductRegisters)
{
    uint8_t serial[64];
    std::memset(serial, 0xEE, sizeof serial);
    ASSERT_EQ(ZTCAM_GenICam_GetRegisterValue(handle, serial, ZTCAM_REG_DEVICE_STRING, 64), ZTCAM_STATUS_SUCCESS);
    EXPECT_STREQ(reinterpret_cast<const char*>(serial), "SN-A1");
    for (size_t i = 5; i < 64; ++i)
        EXPECT_EQ(serial[i], 0) << i;
    EXPECT_EQ(readReg(handle, ZTCAM_REG_PRODUCT_ID), 0xE427u);
    EXPECT_EQ(writeReg(handle, ZTCAM_REG_PRODUCT_ID, 1), ZTCAM_STATUS_ACCESS_DENIED);
}

TEST_F(ZTCamArgs, UserSetBlockThroughTheWindow)
{
    // Save: selector 7, read mode, count, window pieces, end.
    ASSERT_EQ(writeReg(handle, 0x8000, 7), ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(writeReg(handle, 0x800C, 2), ZTCAM_STATUS_SUCCESS);
    const uint32_t words = readReg(handle, 0x8004);
    ASSERT_GE(words, 2u);
    std::vector<int32_t> block(words);
    uint8_t* bytes = reinterpret_cast<uint8_t*>(block.data());
    size_t total = size_t(words) * 4, done = 0;
    while (done < total) {
        const uint32_t piece = uint32_t(std::min<size_t>(4096, total - done));
        ASSERT_EQ(ZTCAM_GenICam_GetRegisterValue(handle, bytes + done, 0x9000, piece), ZTCAM_STATUS_SUCCESS);
        done += piece;
    }
    ASSERT_EQ(writeReg(handle, 0x800C, 0), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(uint32_t(block[1]), words);
    EXPECT_EQ(int64_t(block[0]) * 2 + 2, int64_t(words));

    // Change a feature, load the block back: the feature returns.
    const int64_t gain = element("BlackLevel").value.intValue;
    ASSERT_EQ(setInt("BlackLevel", gain + 11), ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(setInt("Width", 32), ZTCAM_STATUS_SUCCESS);
    const int64_t address = element("GevPersistentIPAddress").value.intValue;
    ASSERT_GT(address, int64_t(INT32_MAX));  // 192.168.x.x does not fit a signed word
    ASSERT_EQ(setInt("GevPersistentIPAddress", 0x0A000001), ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(writeReg(handle, 0x8000, 7), ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(writeReg(handle, 0x800C, 1), ZTCAM_STATUS_SUCCESS);
    EXPECT_NE(readReg(handle, 0x8010), 0u);  // busy until the end of the transfer
    done = 0;
    while (done < total) {
        const uint32_t piece = uint32_t(std::min<size_t>(4096, total - done));
        ASSERT_EQ(ZTCAM_GenICam_SetRegisterValue(handle, bytes + done, 0x9000, piece), ZTCAM_STATUS_SUCCESS);
        done += piece;
    }
    ASSERT_EQ(writeReg(handle, 0x800C, 0), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(readReg(handle, 0x8010), 0u);
    EXPECT_EQ(element("BlackLevel").value.intValue, gain);
    EXPECT_EQ(element("Width").value.intValue, 64);
    EXPECT_EQ(element("GevPersistentIPAddress").value.intValue, address);

    // A damaged block is not taken.
    block[1] = int32_t(words + 10);
    ASSERT_EQ(writeReg(handle, 0x800C, 1), ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(ZTCAM_GenICam_SetRegisterValue(handle, bytes, 0x9000, uint32_t(std::min<size_t>(4096, total))),
              ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(writeReg(handle, 0x800C, 0), ZTCAM_STATUS_SUCCESS);
    EXPECT_NE(readReg(handle, 0x8010), 0u);
    // Reading past the block or the window size is refused.
    ASSERT_EQ(writeReg(handle, 0x800C, 2), ZTCAM_STATUS_SUCCESS);
    std::vector<uint8_t> big(8192);
    EXPECT_NE(ZTCAM_GenICam_GetRegisterValue(handle, big.data(), 0x9000, 8192), ZTCAM_STATUS_SUCCESS);
}

TEST_F(ZTCamArgs, ALongUserSetBlockMovesInPieces)
{
    ZTCAM_Api_Uninit();
    initWith(ztcamtest::cameraSection("SN-LONG", "user_set_words = 1030\n"));
    ASSERT_EQ(writeReg(handle, 0x8000, 7), ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(writeReg(handle, 0x800C, 2), ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(readReg(handle, 0x8004), 1030u);
    std::vector<int32_t> block(1030);
    uint8_t* bytes = reinterpret_cast<uint8_t*>(block.data());
    ASSERT_EQ(ZTCAM_GenICam_GetRegisterValue(handle, bytes, 0x9000, 4096), ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(ZTCAM_GenICam_GetRegisterValue(handle, bytes + 4096, 0x9000, 24), ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(writeReg(handle, 0x800C, 0), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(block[1], 1030);
    EXPECT_EQ(block[1029], 0);

    ASSERT_EQ(setInt("BlackLevel", 7), ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(writeReg(handle, 0x800C, 1), ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(ZTCAM_GenICam_SetRegisterValue(handle, bytes, 0x9000, 4096), ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(ZTCAM_GenICam_SetRegisterValue(handle, bytes + 4096, 0x9000, 24), ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(writeReg(handle, 0x800C, 0), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(readReg(handle, 0x8010), 0u);
    EXPECT_EQ(element("BlackLevel").value.intValue, 100);
}

TEST_F(ZTCamArgs, OldFirmwareHasNoUserSetRegisters)
{
    ZTCAM_Api_Uninit();
    initWith(ztcamtest::cameraSection("SN-OLD", "device_version = V01_2504_ZT\n"));
    ZTCamStatus s = ZTCAM_STATUS_SUCCESS;
    readReg(handle, 0x8004, &s);
    EXPECT_EQ(s, ZTCAM_STATUS_NOT_SUPPORTED);
}

TEST_F(ZTCamArgs, CapabilitiesAndProperties)
{
    ASSERT_EQ(ZTCAM_Capa_SetValue(handle, ZTCAM_CAPA_AUTO_LEVELS, 3), ZTCAM_STATUS_SUCCESS);
    int32_t mode = 0;
    ASSERT_EQ(ZTCAM_Capa_GetValue(handle, ZTCAM_CAPA_AUTO_LEVEL_MODE, &mode), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(mode, 1);
    ASSERT_EQ(ZTCAM_Prop_SetValue(handle, ZTCAM_PROP_GAMMA, 150, 0), ZTCAM_STATUS_SUCCESS);
    double gamma = 0;
    ASSERT_EQ(ZTCAM_Prop_GetValue(handle, ZTCAM_PROP_GAMMA, &gamma, 0), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(gamma, 150.0);
    ASSERT_EQ(ZTCAM_Capa_SetValue(handle, 19, 0), ZTCAM_STATUS_SUCCESS);
    int32_t v = 9;
    ASSERT_EQ(ZTCAM_Capa_GetValue(handle, 19, &v), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(v, 0);
}
