// Faults of the producer's open, event and discovery paths, through the
// exported functions.
#include "ProducerFixture.h"

#include "TestBackendSettings.h"

using namespace GenTLTest;

TEST_F(ProducerTest, RemoteDeviceEventsReportTheBackEndsRefusal)
{
    TestBackendSettings& settings = TestBackendSettings::Get();
    settings.remoteDeviceEvents = true;
    ASSERT_NO_FATAL_FAILURE(OpenToDevice());
    EVENT_HANDLE event = nullptr;
    EXPECT_EQ(GCRegisterEvent(device, EVENT_REMOTE_DEVICE, &event), GC_ERR_NOT_AVAILABLE);
    settings.messageChannel = true;
    settings.failEnableRemoteEvents = true;
    EXPECT_EQ(GCRegisterEvent(device, EVENT_REMOTE_DEVICE, &event), GC_ERR_ERROR);
    std::string text;
    EXPECT_EQ(LastError(&text), GC_ERR_ERROR);
    EXPECT_EQ(text, "The camera refused to send events.");
    settings.failEnableRemoteEvents = false;
    EXPECT_EQ(GCRegisterEvent(device, EVENT_REMOTE_DEVICE, &event), GC_ERR_SUCCESS);
    EXPECT_EQ(GCUnregisterEvent(device, EVENT_REMOTE_DEVICE), GC_ERR_SUCCESS);
}

// Each update replaces the one published interface by a new object; a new
// object at a freed one's address still counts as a change.
TEST_F(ProducerTest, ReplacedInterfacesAlwaysCountAsChanged)
{
    ASSERT_EQ(GCInitLib(), GC_ERR_SUCCESS);
    ASSERT_EQ(TLOpen(&system), GC_ERR_SUCCESS);
    for (int round = 0; round < 20; ++round) {
        const std::string id = round % 2 ? "ifA" : "ifB";
        TestBackendSettings::Get().SetInterfaces({{id, {}}});
        bool8_t changed = 0;
        ASSERT_EQ(TLUpdateInterfaceList(system, &changed, 0), GC_ERR_SUCCESS);
        EXPECT_EQ(changed, 1) << round;
        EXPECT_EQ(InterfaceId(system, 0), "TestTL_ITF_" + id);
    }
}

// An interface whose board is gone stays usable while open, is no longer
// published or handed out, and goes at the first update after its close.
TEST_F(ProducerTest, VanishedInterfaceStaysWhileOpen)
{
    ASSERT_NO_FATAL_FAILURE(OpenToInterface());
    TestBackendSettings::Get().SetInterfaces({});
    uint32_t count = 9;
    ASSERT_EQ(TLUpdateInterfaceList(system, nullptr, 0), GC_ERR_SUCCESS);
    EXPECT_EQ(TLGetNumInterfaces(system, &count), GC_ERR_SUCCESS);
    EXPECT_EQ(count, 0u);
    IF_HANDLE again = nullptr;
    EXPECT_EQ(TLOpenInterface(system, "TestTL_ITF_if0", &again), GC_ERR_ACCESS_DENIED);
    EXPECT_EQ(IFGetNumDevices(interface, &count), GC_ERR_SUCCESS);
    EXPECT_EQ(IFClose(interface), GC_ERR_SUCCESS);
    TestBackendSettings::Get().Reset();
    bool8_t changed = 0;
    ASSERT_EQ(TLUpdateInterfaceList(system, &changed, 0), GC_ERR_SUCCESS);
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(TLOpenInterface(system, "TestTL_ITF_if0", &interface), GC_ERR_SUCCESS);
}
