// Faults of the producer's open, event and discovery paths, through the
// exported functions.
#include "ProducerFixture.h"

#include "GenTLDataStream.h"
#include "TestBackendSettings.h"

#include <chrono>
#include <future>

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

// A buffer refused its place in the pool is taken back before another call
// sees it on its stream: a flush of unqueued buffers that has looked the
// stream up already and waits for it meanwhile does not queue the buffer.
TEST_F(ProducerTest, ABufferRefusedItsHandleIsTakenBackBeforeItsStreamIsFree)
{
    ASSERT_NO_FATAL_FAILURE(OpenToStream());
    auto* object = dynamic_cast<GenTLCore::GenTLDataStream*>(static_cast<GenTLCore::GenTLHandle*>(stream));
    ASSERT_NE(object, nullptr);
    std::future<GC_ERROR> flush;
    TestBackendSettings::Get().SetBufferOpen([&] {
        flush = std::async(std::launch::async, [object] { return object->FlushQueue(ACQ_QUEUE_UNQUEUED_TO_INPUT); });
        // The flush cannot end while the announcement holds the stream: the
        // bound lets the announcement go on (a flush let in ends well within).
        flush.wait_for(std::chrono::seconds(1));
        return GC_ERROR(GC_ERR_ERROR);
    });
    BUFFER_HANDLE buffer = nullptr;
    EXPECT_EQ(DSAllocAndAnnounceBuffer(stream, 64, nullptr, &buffer), GC_ERR_ERROR);
    ASSERT_TRUE(flush.valid());
    EXPECT_EQ(flush.get(), GC_ERR_SUCCESS);
    size_t announced = 9, size = sizeof announced;
    INFO_DATATYPE type = INFO_DATATYPE_UNKNOWN;
    EXPECT_EQ(DSGetInfo(stream, STREAM_INFO_NUM_ANNOUNCED, &type, &announced, &size), GC_ERR_SUCCESS);
    EXPECT_EQ(announced, 0u);
}
