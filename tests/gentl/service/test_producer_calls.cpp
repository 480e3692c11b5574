// A consumer's calls through the exported functions of a producer on the
// test back end: discovery, opening with each access mode, the module
// descriptions, streaming and every order of closing.
#include "ProducerFixture.h"

#include "BrandingControl.h"
#include "GenTLBranding.h"
#include "TestBackendSettings.h"
#include "TestRemoteDevice.h"

#include <cstring>
#include <vector>

using namespace GenTLTest;

namespace {

int32_t DeviceAccessStatus(IF_HANDLE interface, const char* id)
{
    int32_t status = -1;
    INFO_DATATYPE type = 0;
    size_t size = sizeof status;
    EXPECT_EQ(IFGetDeviceInfo(interface, id, DEVICE_INFO_ACCESS_STATUS, &type, &status, &size), GC_ERR_SUCCESS);
    return status;
}

}  // namespace

TEST_F(ProducerTest, InitCloseInitAndTheirRefusals)
{
    EXPECT_EQ(GCGetLastError(nullptr, nullptr, nullptr), GC_ERR_NOT_INITIALIZED);
    EXPECT_EQ(TLOpen(&system), GC_ERR_NOT_INITIALIZED);
    ASSERT_EQ(GCInitLib(), GC_ERR_SUCCESS);
    EXPECT_EQ(GCInitLib(), GC_ERR_RESOURCE_IN_USE);
    EXPECT_EQ(LastError(), GC_ERR_RESOURCE_IN_USE);
    EXPECT_EQ(GCCloseLib(), GC_ERR_SUCCESS);
    EXPECT_EQ(GCCloseLib(), GC_ERR_NOT_INITIALIZED);
    // The library may be initialised again, also with the process lock.
    TestBackendSettings::Get().usesProcessLock = true;
    ASSERT_EQ(GCInitLib(), GC_ERR_SUCCESS);
    EXPECT_EQ(GCCloseLib(), GC_ERR_SUCCESS);
    ASSERT_EQ(GCInitLib(), GC_ERR_SUCCESS);
    EXPECT_EQ(TLOpen(&system), GC_ERR_SUCCESS);
    EXPECT_EQ(GCCloseLib(), GC_ERR_SUCCESS);
    // A transport layer that does not start leaves the library closed.
    TestBackendSettings::Get().failInitTL = true;
    EXPECT_EQ(GCInitLib(), GC_ERR_ERROR);
    EXPECT_EQ(TLOpen(&system), GC_ERR_NOT_INITIALIZED);
    TestBackendSettings::Get().failInitTL = false;
    EXPECT_EQ(GCInitLib(), GC_ERR_SUCCESS);
}

TEST_F(ProducerTest, DiscoveryListsPublishesAndReportsChanges)
{
    ASSERT_EQ(GCInitLib(), GC_ERR_SUCCESS);
    ASSERT_EQ(TLOpen(&system), GC_ERR_SUCCESS);
    uint32_t count = 9;
    EXPECT_EQ(TLGetNumInterfaces(system, &count), GC_ERR_SUCCESS);
    EXPECT_EQ(count, 0u);
    bool8_t changed = 0;
    EXPECT_EQ(TLUpdateInterfaceList(system, &changed, 0), GC_ERR_SUCCESS);
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(TLUpdateInterfaceList(system, &changed, 0), GC_ERR_SUCCESS);
    EXPECT_EQ(changed, 0);
    EXPECT_EQ(TLGetNumInterfaces(system, &count), GC_ERR_SUCCESS);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(InterfaceId(system, 0), "TestTL_ITF_if0");
    EXPECT_EQ(TLOpenInterface(system, "TestTL_ITF_if0", &interface), GC_ERR_SUCCESS);
    IF_HANDLE again = nullptr;
    EXPECT_EQ(TLOpenInterface(system, "TestTL_ITF_if0", &again), GC_ERR_RESOURCE_IN_USE);
    EXPECT_EQ(TLOpenInterface(system, "TestTL_ITF_none", &again), GC_ERR_INVALID_ID);
    ASSERT_EQ(IFUpdateDeviceList(interface, &changed, 0), GC_ERR_SUCCESS);
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(IFGetNumDevices(interface, &count), GC_ERR_SUCCESS);
    EXPECT_EQ(count, 2u);
    char id[128];
    size_t size = sizeof id;
    EXPECT_EQ(IFGetDeviceID(interface, 1, id, &size), GC_ERR_SUCCESS);
    EXPECT_STREQ(id, "TestTL_DEV_cam1");
    EXPECT_EQ(IFGetDeviceID(interface, 2, id, &size), GC_ERR_INVALID_INDEX);
    EXPECT_EQ(DeviceAccessStatus(interface, "TestTL_DEV_cam0"), DEVICE_ACCESS_STATUS_READWRITE);

    // The three parent queries share one look-up; the system has none.
    TL_HANDLE parent = &parent;
    EXPECT_EQ(IFGetParentTL(interface, &parent), GC_ERR_SUCCESS);
    EXPECT_EQ(parent, system);
    EXPECT_EQ(DSGetParentDev(system, &parent), GC_ERR_SUCCESS);
    EXPECT_EQ(parent, nullptr);
    // A handle of another kind is refused and the object left alone.
    EXPECT_EQ(TLGetInfo(interface, TL_INFO_ID, nullptr, nullptr, &size), GC_ERR_INVALID_HANDLE);
}

TEST_F(ProducerTest, DeviceOpensWithEachAccessMode)
{
    ASSERT_NO_FATAL_FAILURE(OpenToInterface());
    const char* id = "TestTL_DEV_cam0";
    struct Case {
        DEVICE_ACCESS_FLAGS access;
        GC_ERROR result;
        int32_t openStatus;
        uint32_t statusRegister;
    };
    const Case cases[] = {
        {DEVICE_ACCESS_NONE, GC_ERR_INVALID_PARAMETER, DEVICE_ACCESS_STATUS_READWRITE, 0},
        {DEVICE_ACCESS_READONLY, GC_ERR_SUCCESS, DEVICE_ACCESS_STATUS_OPEN_READONLY, 6},
        {DEVICE_ACCESS_CONTROL, GC_ERR_SUCCESS, DEVICE_ACCESS_STATUS_OPEN_READWRITE, 5},
        {DEVICE_ACCESS_EXCLUSIVE, GC_ERR_SUCCESS, DEVICE_ACCESS_STATUS_OPEN_READWRITE, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.access);
        device = nullptr;
        ASSERT_EQ(IFOpenDevice(interface, id, c.access, &device), c.result);
        EXPECT_EQ(DeviceAccessStatus(interface, id), c.openStatus);
        if (c.result != GC_ERR_SUCCESS)
            continue;
        uint32_t status = 0;
        size_t size = sizeof status;
        EXPECT_EQ(GCReadPort(device, 0x280, &status, &size), GC_ERR_SUCCESS);
        EXPECT_EQ(status, c.statusRegister);
        DEV_HANDLE second = nullptr;
        EXPECT_EQ(IFOpenDevice(interface, id, c.access, &second), GC_ERR_RESOURCE_IN_USE);
        EXPECT_EQ(DevClose(device), GC_ERR_SUCCESS);
        EXPECT_EQ(DeviceAccessStatus(interface, id), DEVICE_ACCESS_STATUS_READWRITE);
    }
    // A device that cannot be accessed is refused before the hardware; it
    // is found by the open although the list was not updated.
    TestBackendSettings::Interface board{"if0", {{"cam0", false, true, ""}, {"cam2", true, false, ""}}};
    TestBackendSettings::Get().SetInterfaces({board});
    const int opens = TestBackendSettings::Get().openTLDeviceCalls;
    EXPECT_EQ(IFOpenDevice(interface, "TestTL_DEV_cam2", DEVICE_ACCESS_EXCLUSIVE, &device), GC_ERR_ACCESS_DENIED);
    EXPECT_EQ(TestBackendSettings::Get().openTLDeviceCalls, opens);
    uint32_t count = 0;
    EXPECT_EQ(IFGetNumDevices(interface, &count), GC_ERR_SUCCESS);
    EXPECT_EQ(count, 2u);
    EXPECT_EQ(IFGetDeviceInfo(interface, "TestTL_DEV_cam2", DEVICE_INFO_ID, nullptr, nullptr, nullptr),
              GC_ERR_INVALID_ID);
}

TEST_F(ProducerTest, EveryModuleServesItsDescriptionThroughItsUrl)
{
    ASSERT_NO_FATAL_FAILURE(OpenToStream());
    const GenTLCore::GenTLBranding& branding = GenTLCore::GetBranding();
    EXPECT_EQ(ReadDescription(system), branding.GetSystemXml());
    EXPECT_EQ(ReadDescription(interface), branding.GetInterfaceXml());
    EXPECT_EQ(ReadDescription(device), branding.GetLocalDeviceXml());
    EXPECT_EQ(ReadDescription(stream), branding.GetDataStreamXml());
    char url[256];
    size_t size = sizeof url;
    ASSERT_EQ(GCGetPortURL(interface, url, &size), GC_ERR_SUCCESS);
    EXPECT_EQ(std::string(url).rfind("local:TestInterface.xml;f0000000;", 0), 0u) << url;

    // The camera's port: the same handle every time, its manifest's
    // description, the device's id, big-endian.
    PORT_HANDLE port = nullptr;
    PORT_HANDLE again = nullptr;
    ASSERT_EQ(DevGetPort(device, &port), GC_ERR_SUCCESS);
    ASSERT_EQ(DevGetPort(device, &again), GC_ERR_SUCCESS);
    EXPECT_EQ(port, again);
    EXPECT_EQ(ReadDescription(port), TestRemoteDevice::CameraDescription());
    char portId[128];
    char deviceId[128];
    INFO_DATATYPE type = 0;
    size_t portSize = sizeof portId;
    size_t deviceSize = sizeof deviceId;
    ASSERT_EQ(GCGetPortInfo(port, PORT_INFO_ID, &type, portId, &portSize), GC_ERR_SUCCESS);
    ASSERT_EQ(DevGetInfo(device, DEVICE_INFO_ID, &type, deviceId, &deviceSize), GC_ERR_SUCCESS);
    EXPECT_STREQ(portId, deviceId);
    bool8_t big = 0;
    size = sizeof big;
    EXPECT_EQ(GCGetPortInfo(port, PORT_INFO_BIG_ENDIAN, &type, &big, &size), GC_ERR_SUCCESS);
    EXPECT_EQ(big, 1);
}

TEST_F(ProducerTest, StreamsBuffersThroughTheNewBufferEvent)
{
    ASSERT_NO_FATAL_FAILURE(OpenToStream());
    std::vector<std::vector<uint8_t>> memory(3, std::vector<uint8_t>(64));
    std::vector<BUFFER_HANDLE> buffers(3);
    for (size_t i = 0; i < buffers.size(); ++i) {
        ASSERT_EQ(DSAnnounceBuffer(stream, memory[i].data(), memory[i].size(), &memory[i], &buffers[i]),
                  GC_ERR_SUCCESS);
        ASSERT_EQ(DSQueueBuffer(stream, buffers[i]), GC_ERR_SUCCESS);
    }
    EVENT_HANDLE event = nullptr;
    ASSERT_EQ(GCRegisterEvent(stream, EVENT_NEW_BUFFER, &event), GC_ERR_SUCCESS);
    ASSERT_EQ(DSStartAcquisition(stream, ACQ_START_FLAGS_DEFAULT, 6), GC_ERR_SUCCESS);
    for (int delivered = 0; delivered < 6; ++delivered) {
        S_EVENT_NEW_BUFFER item{};
        size_t size = sizeof item;
        ASSERT_EQ(EventGetData(event, &item, &size, 10000), GC_ERR_SUCCESS);
        size_t filled = 0;
        INFO_DATATYPE type = 0;
        size = sizeof filled;
        EXPECT_EQ(DSGetBufferInfo(stream, item.BufferHandle, BUFFER_INFO_SIZE_FILLED, &type, &filled, &size),
                  GC_ERR_SUCCESS);
        EXPECT_EQ(filled, 64u);
        EXPECT_GE(item.pUserPointer, static_cast<void*>(&memory[0]));
        EXPECT_EQ(DSQueueBuffer(stream, item.BufferHandle), GC_ERR_SUCCESS);
    }
    EXPECT_EQ(DSStopAcquisition(stream, ACQ_STOP_FLAGS_DEFAULT), GC_ERR_SUCCESS);
    EXPECT_EQ(DSFlushQueue(stream, ACQ_QUEUE_ALL_DISCARD), GC_ERR_SUCCESS);
    for (size_t i = 0; i < buffers.size(); ++i) {
        void* base = nullptr;
        void* user = nullptr;
        ASSERT_EQ(DSRevokeBuffer(stream, buffers[i], &base, &user), GC_ERR_SUCCESS);
        EXPECT_EQ(base, memory[i].data());
        EXPECT_EQ(user, &memory[i]);
        EXPECT_EQ(DSRevokeBuffer(stream, buffers[i], &base, &user), GC_ERR_INVALID_HANDLE);
    }
    EXPECT_EQ(GCUnregisterEvent(stream, EVENT_NEW_BUFFER), GC_ERR_SUCCESS);
    EXPECT_EQ(EventFlush(event), GC_ERR_INVALID_HANDLE);
}

// Child before parent, parent before child, and the library closing all.
TEST_F(ProducerTest, ClosesInEveryOrder)
{
    ASSERT_NO_FATAL_FAILURE(OpenToStream());
    BUFFER_HANDLE buffer = nullptr;
    ASSERT_EQ(DSAllocAndAnnounceBuffer(stream, 64, nullptr, &buffer), GC_ERR_SUCCESS);
    EXPECT_EQ(DSClose(stream), GC_ERR_SUCCESS);
    EXPECT_EQ(DSQueueBuffer(stream, buffer), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(DevClose(device), GC_ERR_SUCCESS);
    EXPECT_EQ(IFClose(interface), GC_ERR_SUCCESS);
    EXPECT_EQ(TLClose(system), GC_ERR_SUCCESS);
    EXPECT_EQ(TLClose(system), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(GCCloseLib(), GC_ERR_SUCCESS);

    // Parent first: everything below goes with it.
    ASSERT_NO_FATAL_FAILURE(OpenToStream());
    EVENT_HANDLE event = nullptr;
    ASSERT_EQ(GCRegisterEvent(device, EVENT_ERROR, &event), GC_ERR_SUCCESS);
    EXPECT_EQ(IFClose(interface), GC_ERR_SUCCESS);
    uint32_t count = 0;
    EXPECT_EQ(DevGetNumDataStreams(device, &count), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(DSClose(stream), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(EventKill(event), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(TLGetNumInterfaces(system, &count), GC_ERR_SUCCESS);
    EXPECT_EQ(TestBackendSettings::Get().openTLDeviceCalls, TestBackendSettings::Get().closeTLDeviceCalls);

    // The library with everything open and acquiring.
    ASSERT_EQ(TLOpenInterface(system, "TestTL_ITF_if0", &interface), GC_ERR_SUCCESS);
    ASSERT_EQ(IFOpenDevice(interface, "TestTL_DEV_cam0", DEVICE_ACCESS_CONTROL, &device), GC_ERR_SUCCESS);
    char id[128];
    size_t size = sizeof id;
    ASSERT_EQ(DevGetDataStreamID(device, 0, id, &size), GC_ERR_SUCCESS);
    ASSERT_EQ(DevOpenDataStream(device, id, &stream), GC_ERR_SUCCESS);
    for (int i = 0; i < 2; ++i) {
        ASSERT_EQ(DSAllocAndAnnounceBuffer(stream, 64, nullptr, &buffer), GC_ERR_SUCCESS);
        ASSERT_EQ(DSQueueBuffer(stream, buffer), GC_ERR_SUCCESS);
    }
    ASSERT_EQ(DSStartAcquisition(stream, ACQ_START_FLAGS_DEFAULT, GENTL_INFINITE), GC_ERR_SUCCESS);
    EXPECT_EQ(GCCloseLib(), GC_ERR_SUCCESS);
    EXPECT_EQ(DSStopAcquisition(stream, ACQ_STOP_FLAGS_DEFAULT), GC_ERR_NOT_INITIALIZED);
    EXPECT_EQ(TestBackendSettings::Get().openTLDeviceCalls, TestBackendSettings::Get().closeTLDeviceCalls);
}

TEST_F(ProducerTest, LastErrorIsTheThreadsOwnAndSurvivesAFailedQuery)
{
    ASSERT_EQ(GCInitLib(), GC_ERR_SUCCESS);
    std::string text;
    EXPECT_EQ(LastError(&text), GC_ERR_SUCCESS);
    EXPECT_EQ(text, "No Error");
    EXPECT_EQ(TLClose(&text), GC_ERR_INVALID_HANDLE);
    GC_ERROR code = 0;
    size_t size = 0;
    EXPECT_EQ(GCGetLastError(&code, nullptr, &size), GC_ERR_SUCCESS);
    EXPECT_EQ(code, GC_ERR_INVALID_HANDLE);
    const std::string expected = "Close/Unregister: requested handle not found in the pool";
    EXPECT_EQ(size, expected.size() + 1);
    char small[4];
    size = sizeof small;
    EXPECT_EQ(GCGetLastError(&code, small, &size), GC_ERR_BUFFER_TOO_SMALL);
    EXPECT_EQ(GCGetLastError(&code, small, nullptr), GC_ERR_INVALID_PARAMETER);
    EXPECT_EQ(LastError(&text), GC_ERR_INVALID_HANDLE);
    EXPECT_EQ(text, expected);
}

TEST_F(ProducerTest, SystemInfoAndSelectorRegisters)
{
    ASSERT_NO_FATAL_FAILURE(OpenToInterface());
    INFO_DATATYPE type = 0;
    int32_t encoding = 0;
    size_t size = sizeof encoding;
    EXPECT_EQ(GCGetInfo(TL_INFO_CHAR_ENCODING, &type, &encoding, &size), GC_ERR_SUCCESS);
    EXPECT_EQ(type, INFO_DATATYPE_INT32);
    EXPECT_EQ(encoding, TL_CHAR_ENCODING_UTF8);
    char text[64];
    size = sizeof text;
    EXPECT_EQ(TLGetInfo(system, 3300, &type, text, &size), GC_ERR_SUCCESS);
    EXPECT_STREQ(text, "gentl_core");
    for (int32_t command : {11, -1, 1000})
        EXPECT_EQ(TLGetInfo(system, command, &type, text, &size), GC_ERR_NOT_IMPLEMENTED) << command;

    // The selector is clamped to the published interfaces when read.
    const uint32_t seven = 7;
    size = sizeof seven;
    EXPECT_EQ(GCWritePort(system, 0x10000008, &seven, &size), GC_ERR_SUCCESS);
    uint32_t selector = 9;
    size = sizeof selector;
    EXPECT_EQ(GCReadPort(system, 0x10000008, &selector, &size), GC_ERR_SUCCESS);
    EXPECT_EQ(selector, 0u);
    char id[128] = {};
    size = sizeof id;
    EXPECT_EQ(GCReadPort(system, 0x10000010, id, &size), GC_ERR_SUCCESS);
    EXPECT_STREQ(id, "TestTL_ITF_if0");
    // The update register publishes like TLUpdateInterfaceList.
    TestBackendSettings::Get().SetInterfaces({{"if0", {}}, {"if1", {}}});
    size = sizeof seven;
    EXPECT_EQ(GCWritePort(system, 0x10000000, &seven, &size), GC_ERR_SUCCESS);
    uint32_t count = 0;
    EXPECT_EQ(TLGetNumInterfaces(system, &count), GC_ERR_SUCCESS);
    EXPECT_EQ(count, 2u);
}

TEST_F(ProducerTest, DeviceWithoutStreamsOrCamera)
{
    TestBackendSettings::Get().deviceAvailable = false;
    TestBackendSettings::Get().withRemoteDevice = false;
    ASSERT_NO_FATAL_FAILURE(OpenToDevice());
    uint32_t count = 9;
    EXPECT_EQ(DevGetNumDataStreams(device, &count), GC_ERR_SUCCESS);
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(DevOpenDataStream(device, "TestTL_STM0_TestTL_DEV_cam0", &stream), GC_ERR_NOT_IMPLEMENTED);
    PORT_HANDLE port = nullptr;
    EXPECT_EQ(DevGetPort(device, &port), GC_ERR_ERROR);
    std::string text;
    LastError(&text);
    EXPECT_EQ(text, "DevGetPort: no remote device instantiated for this local device");
    INFO_DATATYPE type = 0;
    size_t size = 0;
    EXPECT_EQ(DevGetInfo(device, DEVICE_INFO_USER_DEFINED_NAME, &type, nullptr, &size), GC_ERR_SUCCESS);
    EXPECT_EQ(IFGetDeviceInfo(interface, "TestTL_DEV_cam1", DEVICE_INFO_USER_DEFINED_NAME, &type, nullptr, &size),
              GC_ERR_NOT_AVAILABLE);
}
