#include "WaitFor.h"
#include "ZTCamTestSupport.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>
#include <vector>

using ztcamtest::SdkFixture;

namespace {

ZTCamStatus initCount(uint32_t* count, const char* dir = ".")
{
    ZTCamInitParams p{};
    p.configPath = dir;
    ZTCamStatus s = ZTCAM_Api_Init(&p, 1000);
    *count = p.cameraCount;
    return s;
}

} // namespace

class ZTCamConfigFile : public ::testing::Test {
protected:
    void TearDown() override
    {
        ZTCAM_Api_Uninit();
        unsetenv("ZTCAM_SIM_CONFIG");
        ZTCamSim_SetFault(-1, "init_fails", 0);
        ZTCamSim_SetFault(-1, "zero_cameras", 0);
    }
};

TEST_F(ZTCamConfigFile, TwoCamerasWithoutAFile)
{
    unsetenv("ZTCAM_SIM_CONFIG");
    const ztcamtest::ScratchDir empty("noconf");
    uint32_t count = 0;
    ASSERT_EQ(initCount(&count, empty.path().c_str()), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(count, 2u);
}

TEST_F(ZTCamConfigFile, ReadsTheFileInTheConfigurationPathAndTheOverride)
{
    unsetenv("ZTCAM_SIM_CONFIG");
    const ztcamtest::ScratchDir scratch("conf");
    const std::string& dir = scratch.path();
    {
        std::ofstream f(dir + "/ZTCamSim.conf");
        f << "# three cameras\n[camera]\nserial = A1\n[camera]\nserial =\nproduct_id = 0xE41A\n"
             "interface_kind = 3\n[camera]\nserial = C3\nchannel = 1\n";
    }
    uint32_t count = 0;
    ASSERT_EQ(initCount(&count, dir.c_str()), ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(count, 3u);
    OpenedCamera second{};
    second.index = 1;
    ASSERT_EQ(ZTCAM_Dev_Open(&second), ZTCAM_STATUS_SUCCESS);
    uint8_t serial[64];
    std::memset(serial, 0xFF, sizeof serial);
    ASSERT_EQ(ZTCAM_GenICam_GetRegisterValue(second.handle, serial, ZTCAM_REG_DEVICE_STRING, 64),
              ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(serial[0], 0);  // an empty serial number reads as zeros
    EXPECT_EQ(static_cast<const uint8_t*>(second.handle)[4], 3);
    uint8_t pid[4];
    ASSERT_EQ(ZTCAM_GenICam_GetRegisterValue(second.handle, pid, ZTCAM_REG_PRODUCT_ID, 4), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(pid[2] * 256 + pid[3], 0xE41A);
    ASSERT_EQ(ZTCAM_Api_Uninit(), ZTCAM_STATUS_SUCCESS);

    // The environment variable names a file that wins over the folder's.
    const std::string other = dir + "/other.conf";
    {
        std::ofstream f(other);
        f << "[global]\ncameras = 5\n";
    }
    setenv("ZTCAM_SIM_CONFIG", other.c_str(), 1);
    ASSERT_EQ(initCount(&count, dir.c_str()), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(count, 5u);
}

TEST_F(ZTCamConfigFile, LibraryFaults)
{
    ZTCamSim_UseConfigText("[global]\ninit_fails = 1\n");
    uint32_t count = 9;
    EXPECT_NE(initCount(&count), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(ZTCAM_Api_Uninit(), ZTCAM_STATUS_SUCCESS);
    ZTCamSim_UseConfigText("[global]\nzero_cameras = 1\n");
    ASSERT_EQ(initCount(&count), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(count, 0u);
    OpenedCamera c{};
    EXPECT_EQ(ZTCAM_Dev_Open(&c), ZTCAM_STATUS_NO_DEVICE);
    ZTCAM_Api_Uninit();
    ZTCamSim_UseConfigText(nullptr);
    ASSERT_EQ(ZTCamSim_SetFault(-1, "init_fails", 1), ZTCAM_STATUS_SUCCESS);
    EXPECT_NE(initCount(&count), ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(ZTCamSim_SetFault(-1, "init_fails", 0), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(initCount(&count), ZTCAM_STATUS_SUCCESS);
    ZTCAM_Api_Uninit();
    // A cleared fault no longer hides the configuration's own.
    ZTCamSim_UseConfigText("[global]\ninit_fails = 1\n");
    EXPECT_NE(initCount(&count), ZTCAM_STATUS_SUCCESS);
    ZTCamSim_UseConfigText(nullptr);
}

using ZTCamFaults = SdkFixture;

TEST_F(ZTCamFaults, OpenFails)
{
    initWith(ztcamtest::cameraSection("F1", "fail_open = 1\n") + ztcamtest::cameraSection("F2"), false);
    OpenedCamera c{};
    EXPECT_NE(ZTCAM_Dev_Open(&c), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(c.handle, nullptr);
    c.index = 1;
    EXPECT_EQ(ZTCAM_Dev_Open(&c), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(ZTCAM_Dev_Open(&c), ZTCAM_STATUS_BUSY);  // already open
}

TEST_F(ZTCamFaults, StreamSetupFaults)
{
    initWith(ztcamtest::cameraSection("F1", "fail_alloc = 1\nfail_announce = 1\nfail_start = 1\npayload_zero = 1\n"));
    ZTCamFrame f;
    EXPECT_NE(alloc(f), ZTCAM_STATUS_SUCCESS);
    std::vector<uint8_t> buf(64 * 48 * 2);
    EXPECT_NE(ZTCAM_Cap_AnnounceBuffer(handle, uint32_t(buf.size()), buf.data()), ZTCAM_STATUS_SUCCESS);
    EXPECT_NE(ZTCAM_Cap_Start(handle, 0), ZTCAM_STATUS_SUCCESS);
    ZTCamDeviceInfo payload{};
    payload.id = ZTCAM_INFO_PAYLOAD_SIZE;
    ASSERT_EQ(ZTCAM_Dev_GetInfo(handle, &payload), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(payload.value, 0);
    // Faults can be cleared at run time.
    ZTCamSim_SetFault(0, "fail_alloc", 0);
    ZTCamSim_SetFault(0, "fail_announce", 0);
    ZTCamSim_SetFault(0, "fail_start", 0);
    EXPECT_EQ(alloc(f), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(ZTCAM_Cap_AnnounceBuffer(handle, uint32_t(buf.size()), buf.data()), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(ZTCAM_Cap_Start(handle, 0), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(ZTCamSim_SetFault(0, "no_such_fault", 1), ZTCAM_STATUS_NOT_FOUND);
    // The announced buffer is the test's: the capture stops and lets go of it
    // before the buffer is freed.
    EXPECT_EQ(ZTCAM_Cap_Stop(handle), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(ZTCAM_Cap_ClearBuffer(handle), ZTCAM_STATUS_SUCCESS);
}

TEST_F(ZTCamFaults, WaitTimesOut)
{
    initWith(ztcamtest::cameraSection("F1", "wait_timeout = 1\n"));
    ZTCamFrame f;
    ASSERT_EQ(alloc(f), ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(ZTCAM_Cap_Start(handle, 0), ZTCAM_STATUS_SUCCESS);
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(ZTCAM_Buf_WaitForFrame(handle, &f, 60), ZTCAM_STATUS_TIMEOUT);
    EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(55));
}

TEST_F(ZTCamFaults, DisconnectsAfterTheSetTime)
{
    initWith(ztcamtest::cameraSection("F1", "disconnect_after_ms = 400\n"));
    ZTCamFrame f;
    ASSERT_EQ(alloc(f), ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(ZTCAM_Cap_Start(handle, 0), ZTCAM_STATUS_SUCCESS);
    ZTCamDeviceInfo state{};
    state.id = ZTCAM_INFO_CONNECTION_STATE;
    ASSERT_EQ(ZTCAM_Dev_GetInfo(handle, &state), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(state.value, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(450));
    ASSERT_EQ(ZTCAM_Dev_GetInfo(handle, &state), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(state.value, 1);
    uint64_t before = 0, after = 0;
    ZTCamSim_GetFrameCount(0, &before);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ZTCamSim_GetFrameCount(0, &after);
    EXPECT_EQ(before, after);  // no frames from a camera that is gone
    f.formatRequest = ZTCAM_FORMAT_REQUEST;
    EXPECT_EQ(ZTCAM_Buf_WaitForFrame(handle, &f, 50), ZTCAM_STATUS_DISCONNECTED);
    // Stopping and closing still work.
    EXPECT_EQ(ZTCAM_Cap_Stop(handle), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(ZTCAM_Dev_Close(handle), ZTCAM_STATUS_SUCCESS);
    // A new initialisation finds the camera again.
    ASSERT_EQ(ZTCAM_Api_Uninit(), ZTCAM_STATUS_SUCCESS);
    ZTCamInitParams p{};
    ASSERT_EQ(ZTCAM_Api_Init(&p, 1000), ZTCAM_STATUS_SUCCESS);
    OpenedCamera again{};
    ASSERT_EQ(ZTCAM_Dev_Open(&again), ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(ZTCAM_Dev_GetInfo(again.handle, &state), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(state.value, 0);
}

TEST_F(ZTCamFaults, DisconnectAndDeviceResetAtRunTime)
{
    initWith(ztcamtest::cameraSection("F1"));
    ZTCamDeviceInfo state{};
    state.id = ZTCAM_INFO_CONNECTION_STATE;
    ASSERT_EQ(ZTCamSim_SetConnected(0, 0), ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(ZTCAM_Dev_GetInfo(handle, &state), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(state.value, 1);
    EXPECT_EQ(ZTCAM_Cap_Start(handle, 0), ZTCAM_STATUS_DISCONNECTED);
    ASSERT_EQ(ZTCamSim_SetConnected(0, 1), ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(ZTCAM_Dev_GetInfo(handle, &state), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(state.value, 0);
    ZTCamElement reset = element("DeviceReset");
    ASSERT_EQ(ZTCAM_GenICam_SetElementValue(handle, &reset, 0), ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(ZTCAM_Dev_GetInfo(handle, &state), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(state.value, 1);
}

TEST_F(ZTCamFaults, FlatFieldStateMachine)
{
    initWith(ztcamtest::cameraSection("F1"));
    // Switching on before a calculation is refused.
    EXPECT_NE(ZTCAM_Capa_SetValue(handle, ZTCAM_CAPA_FLAT_FIELD, 3), ZTCAM_STATUS_SUCCESS);
    auto readUntilNot = [this](int32_t busy) {
        int32_t v = busy;
        lumatest::waitFor([&] {
            if (ZTCAM_Capa_GetValue(handle, ZTCAM_CAPA_FLAT_FIELD, &v) != ZTCAM_STATUS_SUCCESS)
                v = busy;
            return v != busy;
        });
        return v;
    };
    ASSERT_EQ(ZTCAM_Capa_SetValue(handle, ZTCAM_CAPA_FLAT_FIELD, 1), ZTCAM_STATUS_SUCCESS);
    int32_t v = 0;
    ASSERT_EQ(ZTCAM_Capa_GetValue(handle, ZTCAM_CAPA_FLAT_FIELD, &v), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(v, 1);  // "move to other position"
    EXPECT_NE(readUntilNot(1), 1);
    ASSERT_EQ(ZTCAM_Capa_SetValue(handle, ZTCAM_CAPA_FLAT_FIELD, 2), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(readUntilNot(2), ZTCAM_FLAT_FIELD_ON);
    EXPECT_EQ(ZTCAM_Capa_SetValue(handle, ZTCAM_CAPA_FLAT_FIELD, 0), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(ZTCAM_Capa_SetValue(handle, ZTCAM_CAPA_FLAT_FIELD, 3), ZTCAM_STATUS_SUCCESS);
    // Second phase without the first, or with the failure fault: ends at 0.
    ASSERT_EQ(ZTCAM_Capa_SetValue(handle, ZTCAM_CAPA_FLAT_FIELD, 2), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(readUntilNot(2), ZTCAM_FLAT_FIELD_OFF);
    ASSERT_EQ(ZTCamSim_SetFault(0, "ffc_fails", 1), ZTCAM_STATUS_SUCCESS);
    ASSERT_EQ(ZTCAM_Capa_SetValue(handle, ZTCAM_CAPA_FLAT_FIELD, 1), ZTCAM_STATUS_SUCCESS);
    readUntilNot(1);
    ASSERT_EQ(ZTCAM_Capa_SetValue(handle, ZTCAM_CAPA_FLAT_FIELD, 2), ZTCAM_STATUS_SUCCESS);
    EXPECT_EQ(readUntilNot(2), ZTCAM_FLAT_FIELD_OFF);
    EXPECT_NE(ZTCAM_Capa_SetValue(handle, ZTCAM_CAPA_FLAT_FIELD, 3), ZTCAM_STATUS_SUCCESS);
}
