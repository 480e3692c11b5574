// The shipped Corvane.CoaXPress.cti over the imaging-library stand-in, as a
// consumer sees it: discovery, device open, the camera's port.
#include "CtiProducer.h"

#include <platform/pex/PexTest.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fstream>
#include <unistd.h>

namespace {

// The branding's decoration of interface ids.
const std::string kItf = "CorvaneCXP_ITF_";
constexpr uint64_t kWidthRegister = 0x3010;
constexpr uint64_t kModelRegister = 0x2020;

class CxpProducer : public ::testing::Test {
protected:
    void SetUp() override
    {
        PexTestSetCallLog(1);
        PexTestClearCallLog();
    }
    void TearDown() override { PexTestSetCallLog(0); }
};

}  // namespace

TEST_F(CxpProducer, DefaultInstallationListsItsBoardAndCameras)
{
    CtiProducer cti(nullptr);
    ASSERT_EQ(cti.OpenSystem(), GC_ERR_SUCCESS);
    ASSERT_EQ(cti.InterfaceIds(), std::vector<std::string>{kItf + "TarsilCXP0"});
    IF_HANDLE interface = nullptr;
    ASSERT_EQ(cti.OpenInterface(kItf + "TarsilCXP0", &interface), GC_ERR_SUCCESS);
    const std::vector<std::string> devices = cti.DeviceIds(interface);
    ASSERT_EQ(devices.size(), 2u);
    for (size_t i = 0; i < devices.size(); ++i) {
        const std::string n = std::to_string(i);
        EXPECT_NE(devices[i].find("TarsilCXP0\\Device" + n), std::string::npos) << devices[i];
        EXPECT_EQ(cti.DeviceInfoText(interface, devices[i], DEVICE_INFO_VENDOR), "Corvane Imaging");
        EXPECT_EQ(cti.DeviceInfoText(interface, devices[i], DEVICE_INFO_MODEL), "CVN-CXP-Sim");
        EXPECT_EQ(cti.DeviceInfoText(interface, devices[i], DEVICE_INFO_SERIAL_NUMBER), "SIM0" + n);
        EXPECT_EQ(cti.DeviceInfoText(interface, devices[i], DEVICE_INFO_VERSION), "1.0.0");
    }
    char name[64] = {};
    size_t size = sizeof name;
    INFO_DATATYPE type = 0;
    EXPECT_EQ(cti.Fn<PTLGetInterfaceInfo>("TLGetInterfaceInfo")(cti.system, (kItf + "TarsilCXP0").c_str(),
                                                                INTERFACE_INFO_DISPLAYNAME,
                                                                &type, name, &size),
              GC_ERR_SUCCESS);
    EXPECT_STREQ(name, "TarsilCXP0");
    cti.Close();
}

// Board numbers count over all installed systems of one type, as the
// library allocates them: the second system of type 14 starts at 2, so its
// board is listed and opens its own cameras. Type 3 is not CoaXPress.
TEST_F(CxpProducer, BoardsAreNumberedOverAllSystemsOfOneType)
{
    CtiProducer cti("[system]\ntype=14\nname=Alpha\nboards=2\n"
                    "[system]\ntype=3\nname=Other\nboards=1\n"
                    "[system]\ntype=14\nname=Beta\nboards=1\n"
                    "[system]\ntype=18\nname=Quenda\nboards=1\n");
    ASSERT_EQ(cti.OpenSystem(), GC_ERR_SUCCESS);
    const std::vector<std::string> expected{kItf + "Alpha0", kItf + "Alpha1", kItf + "Beta2", kItf + "Quenda0"};
    ASSERT_EQ(cti.InterfaceIds(), expected);
    for (const std::string& id : expected) {
        IF_HANDLE interface = nullptr;
        ASSERT_EQ(cti.OpenInterface(id, &interface), GC_ERR_SUCCESS) << id;
        const std::vector<std::string> devices = cti.DeviceIds(interface);
        ASSERT_EQ(devices.size(), 2u) << id;
        EXPECT_NE(devices[1].find(id.substr(kItf.size()) + "\\Device1"), std::string::npos) << devices[1];
    }
    cti.Close();
}

TEST_F(CxpProducer, RefusedCameraDiscoveryListsNoDeviceAndLeavesTheError)
{
    CtiProducer cti("[system]\n[board]\nrefuse_discovery=1\n");
    ASSERT_EQ(cti.OpenSystem(), GC_ERR_SUCCESS);
    IF_HANDLE interface = nullptr;
    ASSERT_EQ(cti.Fn<PTLOpenInterface>("TLOpenInterface")(cti.system, (kItf + "TarsilCXP0").c_str(), &interface),
              GC_ERR_SUCCESS);
    cti.Fn<PIFUpdateDeviceList>("IFUpdateDeviceList")(interface, nullptr, 1000);
    EXPECT_TRUE(cti.DeviceIds(interface).empty());
    const auto error = cti.LastError();
    EXPECT_EQ(error.first, GC_ERR_ERROR);
    EXPECT_FALSE(error.second.empty());
    EXPECT_EQ(PexTestCallCountOf("PexDigAlloc"), PexTestCallCountOf("PexDigFree")) << "probed digitizers are freed";
    cti.Close();
}

TEST_F(CxpProducer, OpensInEachAccessModeAndRefusesASecondOpen)
{
    CtiProducer cti(nullptr);
    for (DEVICE_ACCESS_FLAGS access : {DEVICE_ACCESS_READONLY, DEVICE_ACCESS_CONTROL, DEVICE_ACCESS_EXCLUSIVE}) {
        DEV_HANDLE device = nullptr;
        ASSERT_EQ(cti.OpenFirstDevice(access, &device), GC_ERR_SUCCESS) << access;
        DEV_HANDLE second = nullptr;
        EXPECT_NE(cti.OpenFirstDevice(access, &second), GC_ERR_SUCCESS) << access;
        EXPECT_EQ(second, nullptr);
        EXPECT_EQ(cti.Fn<PDevClose>("DevClose")(device), GC_ERR_SUCCESS);
    }
    for (int32_t access : {1, 5}) {
        DEV_HANDLE device = nullptr;
        const size_t allocations = PexTestCallCountOf("PexDigAlloc");
        EXPECT_EQ(cti.OpenFirstDevice(static_cast<DEVICE_ACCESS_FLAGS>(access), &device), GC_ERR_INVALID_PARAMETER)
            << access;
        EXPECT_EQ(cti.LastError().second, "Invalid device-open access flag requested");
        EXPECT_EQ(PexTestCallCountOf("PexDigAlloc"), allocations);
    }
    EXPECT_EQ(PexTestCallCountOf("PexDigAlloc"), PexTestCallCountOf("PexDigFree"));
    cti.Close();
}

// A control that fails after the digitizer was allocated fails the open,
// and the open gives the digitizer back: the retry meets the same fault,
// not a busy digitizer.
TEST_F(CxpProducer, AFailedOpenReleasesItsDigitizer)
{
    CtiProducer cti("[system]\n[board]\n[camera]\nfail_control=4016\n[camera]\n");
    DEV_HANDLE device = nullptr;
    ASSERT_EQ(cti.OpenFirstDevice(DEVICE_ACCESS_EXCLUSIVE, &device), GC_ERR_ERROR);
    const std::string first = cti.LastError().second;
    EXPECT_EQ(PexTestCallCountOf("PexDigFree"), 1u);
    ASSERT_EQ(cti.OpenFirstDevice(DEVICE_ACCESS_EXCLUSIVE, &device), GC_ERR_ERROR);
    EXPECT_EQ(cti.LastError().second, first);
    EXPECT_EQ(PexTestCallCountOf("PexDigFree"), 2u);
    EXPECT_EQ(PexTestHookCount(CtiProducer::LastControlledDigitizer()), 0u);
    cti.Close();
}

TEST_F(CxpProducer, TheRemotePortServesTheCamera)
{
    CtiProducer cti(nullptr);
    PORT_HANDLE port = nullptr;
    ASSERT_EQ(cti.OpenFirstRemotePort(DEVICE_ACCESS_CONTROL, &port), GC_ERR_SUCCESS);

    uint32_t urls = 0;
    EXPECT_EQ(cti.Fn<PGCGetNumPortURLs>("GCGetNumPortURLs")(port, &urls), GC_ERR_SUCCESS);
    EXPECT_EQ(urls, 1u);
    char url[256] = {};
    size_t size = sizeof url;
    ASSERT_EQ(cti.Fn<PGCGetPortURL>("GCGetPortURL")(port, url, &size), GC_ERR_SUCCESS);
    const std::string text = url;
    ASSERT_EQ(text.rfind("local:cvn-cxp-sim.xml;100000;", 0), 0u) << text;
    const uint64_t length = std::strtoull(text.c_str() + text.rfind(';') + 1, nullptr, 16);
    std::string xml(length, '\0');
    size = length;
    ASSERT_EQ(cti.Fn<PGCReadPort>("GCReadPort")(port, 0x100000, &xml[0], &size), GC_ERR_SUCCESS);
    EXPECT_EQ(xml.rfind("<?xml", 0), 0u);
    EXPECT_NE(xml.find("</RegisterDescription>"), std::string::npos);

    char model[32] = {};
    size = sizeof model;
    ASSERT_EQ(cti.Fn<PGCReadPort>("GCReadPort")(port, kModelRegister, model, &size), GC_ERR_SUCCESS);
    EXPECT_STREQ(model, "CVN-CXP-Sim");
    const unsigned char width[4] = {0, 0, 0x01, 0x00};
    size = sizeof width;
    ASSERT_EQ(cti.Fn<PGCWritePort>("GCWritePort")(port, kWidthRegister, width, &size), GC_ERR_SUCCESS);
    PexTestCameraState state{};
    ASSERT_EQ(PexTestGetCameraState(CtiProducer::LastControlledDigitizer(), &state), 1);
    EXPECT_EQ(state.width, 256u);

    size = 4;
    EXPECT_EQ(cti.Fn<PGCReadPort>("GCReadPort")(port, 0x7FFFFFF0, model, &size), GC_ERR_ERROR) << "unmapped";
    EXPECT_FALSE(cti.LastError().second.empty());
    cti.Close();
}

TEST_F(CxpProducer, AReadOnlyOpenRefusesWritesWithoutAskingTheCamera)
{
    CtiProducer cti(nullptr);
    PORT_HANDLE port = nullptr;
    ASSERT_EQ(cti.OpenFirstRemotePort(DEVICE_ACCESS_READONLY, &port), GC_ERR_SUCCESS);
    const unsigned char width[4] = {0, 0, 0x01, 0x00};
    size_t size = sizeof width;
    EXPECT_EQ(cti.Fn<PGCWritePort>("GCWritePort")(port, kWidthRegister, width, &size), GC_ERR_ACCESS_DENIED);
    EXPECT_EQ(cti.LastError().second, "Cannot write to remote device in read-only mode.");
    EXPECT_EQ(PexTestCallCountOf("PexDigRegWrite"), 0u);
    char model[32] = {};
    size = sizeof model;
    EXPECT_EQ(cti.Fn<PGCReadPort>("GCReadPort")(port, kModelRegister, model, &size), GC_ERR_SUCCESS);
    cti.Close();
}

TEST_F(CxpProducer, LoadingPutsTheDriverFolderOnPath)
{
    char dir[] = "/tmp/cxp_registry_XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string hive = std::string(dir) + "/HKEY_LOCAL_MACHINE.reg";
    std::ofstream(hive) << "[Software\\Corvane\\Corvane Imaging Library\\Runtime\\Install]\n"
                           "\"DriversPath\"=sz:/opt/cvn//\n";
    setenv("CORVANE_REGISTRY_DIR", dir, 1);
    setenv("PATH", "/usr/bin", 1);
    {
        CtiProducer cti(nullptr);
        EXPECT_STREQ(std::getenv("PATH"), "/usr/bin:/opt/cvn/GenTLProducer/Linux64");
    }
    unsetenv("CORVANE_REGISTRY_DIR");
    std::remove(hive.c_str());
    rmdir(dir);
}

// Unloaded without GCCloseLib, the producer leaves no hook behind in the
// imaging library: a later library error calls nothing of it.
TEST_F(CxpProducer, UnloadRemovesTheErrorHook)
{
    {
        CtiProducer cti(nullptr);
        DEV_HANDLE device = nullptr;
        ASSERT_EQ(cti.OpenFirstDevice(DEVICE_ACCESS_EXCLUSIVE, &device), GC_ERR_SUCCESS);
        EXPECT_GT(PexTestHookCount(0), 0u);
    }
    EXPECT_EQ(PexTestHookCount(0), 0u);
    EXPECT_EQ(dlopen(CtiProducer::ShippedFile().c_str(), RTLD_NOW | RTLD_NOLOAD), nullptr) << "still loaded";
    PexSysControl(0x1234, 1081, PEX_DEFAULT);  // raises: an unknown system
}
