// Event queues and module events (EventGetData ... arguments). Threaded:
// run under ThreadSanitizer.
#include "FrameworkFixture.h"
#include "GenTLErrorEvent.h"
#include "GenTLModuleEvent.h"
#include "GenTLNewBufferEvent.h"
#include "TestBuffer.h"
#include "TestModule.h"

#include <GenTL.h>

#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

using namespace GenTLCore;
using namespace GenTLTest;

namespace {

class EventTest : public FrameworkTest {
protected:
    EventTest() { event.OpenLocked(); }

    GC_ERROR Get(void* buffer, size_t size, uint64_t timeout = 0)
    {
        return event.GetEventData(buffer, &size, timeout);
    }

    GenTLErrorEvent event;
};

std::vector<uint8_t> Packet(GenTLEvent& event)
{
    std::vector<uint8_t> packet(event.GetEventSizeMax());
    size_t size = packet.size();
    if (event.GetEventData(packet.data(), &size, 0) != GC_ERR_SUCCESS)
        return {};
    packet.resize(size);
    return packet;
}

}  // namespace

TEST_F(EventTest, KillAbortsExactlyOneWait)
{
    char text[16];
    ASSERT_EQ(event.KillEvent(), GC_ERR_SUCCESS);
    EXPECT_EQ(Get(text, sizeof text, GENTL_INFINITE), GC_ERR_ABORT);
    EXPECT_EQ(Get(text, sizeof text, 0), GC_ERR_TIMEOUT);
    EXPECT_EQ(LastErrorText(), "GetEventData: wait operation timed out");

    // A kill ends a consumer's unlimited wait (or the wait it is about to
    // begin).
    std::thread consumer([&] {
        char own[16];
        EXPECT_EQ(Get(own, sizeof own, GENTL_INFINITE), GC_ERR_ABORT);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    event.KillEvent();
    consumer.join();
}

TEST_F(EventTest, ProducerWakesAWaitingConsumer)
{
    std::thread consumer([&] {
        char text[16] = {};
        size_t size = sizeof text;
        EXPECT_EQ(event.GetEventData(text, &size, GENTL_INFINITE), GC_ERR_SUCCESS);
        EXPECT_STREQ(text, "late");
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_TRUE(event.PushError("late"));
    consumer.join();
}

TEST_F(EventTest, FlushCloseAndUndersizedBuffers)
{
    ASSERT_TRUE(event.PushError("one"));
    ASSERT_TRUE(event.PushError("two"));
    char text[4] = {};
    EXPECT_EQ(Get(text, 3), GC_ERR_BUFFER_TOO_SMALL);
    EXPECT_EQ(Get(text, 4), GC_ERR_SUCCESS) << "the item stayed queued";
    EXPECT_STREQ(text, "one");
    EXPECT_EQ(event.FlushEvents(), GC_ERR_SUCCESS);
    EXPECT_EQ(Get(text, 4, 20), GC_ERR_TIMEOUT);
    // A null buffer and size drop the oldest item.
    ASSERT_TRUE(event.PushError("x"));
    EXPECT_EQ(event.GetEventData(nullptr, nullptr, 0), GC_ERR_SUCCESS);
    EXPECT_EQ(Get(text, 4), GC_ERR_TIMEOUT);

    size_t count = 0, size = sizeof count;
    INFO_DATATYPE type = 0;
    ASSERT_EQ(event.GetEventInfo(EVENT_NUM_FIRED, &type, &count, &size), GC_ERR_SUCCESS);
    EXPECT_EQ(count, 3u);
    event.CloseLocked();
    EXPECT_FALSE(event.PushError("closed"));
    EXPECT_EQ(Get(text, 4, GENTL_INFINITE), GC_ERR_ABORT) << "a closed event aborts every wait";
}

TEST_F(EventTest, LongErrorTextsAreCutToFitTheEventSize)
{
    ASSERT_TRUE(event.PushError(std::string(5000, 'e')));
    std::vector<char> text(event.GetEventSizeMax());
    ASSERT_EQ(Get(text.data(), text.size()), GC_ERR_SUCCESS);
    EXPECT_EQ(std::strlen(text.data()), 1023u);

    // The zero is looked for within the caller's buffer only.
    char shortBuffer[8] = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'};
    char out[16];
    size_t size = sizeof out;
    INFO_DATATYPE type = 0;
    EXPECT_EQ(event.GetEventDataInfo(shortBuffer, sizeof shortBuffer, EVENT_DATA_VALUE, &type, out, &size),
              GC_ERR_INVALID_PARAMETER);
    EXPECT_EQ(event.GetEventDataInfo(nullptr, 8, EVENT_DATA_VALUE, &type, out, &size), GC_ERR_INVALID_HANDLE);
    shortBuffer[3] = 0;
    EXPECT_EQ(event.GetEventDataInfo(shortBuffer, sizeof shortBuffer, EVENT_DATA_VALUE, &type, out, &size),
              GC_ERR_SUCCESS);
    EXPECT_STREQ(out, "abc");
}

TEST_F(FrameworkTest, NewBufferEventPushModesKeepOrReturnBuffers)
{
    GenTLNewBufferEvent event;  // always accepting, never opened here
    std::vector<CountedPtr<TestBuffer>> buffers;
    for (int i = 0; i < 4; ++i)
        buffers.emplace_back(new TestBuffer(nullptr, 16, reinterpret_cast<void*>(uintptr_t(i + 1)), i == 3,
                                            CountedPtr<StreamTag>()));
    const auto item = [&](int i) { return S_EVENT_NEW_BUFFER{buffers[i]->Handle(), buffers[i]->GetUserPointer()}; };
    std::vector<S_EVENT_NEW_BUFFER> removed;
    EXPECT_FALSE(event.PushEvent(item(0), PUSH_OVERWRITE_OLDEST, &removed)) << "nothing to overwrite";
    for (int i = 0; i < 3; ++i) {
        buffers[i]->SetQueued(true);
        ASSERT_TRUE(event.PushEvent(item(i), PUSH_APPEND, &removed));
    }
    // The auxiliary buffer's data go into the oldest, which moves to the back.
    buffers[3]->frameId = 42;
    std::memset(buffers[3]->GetBase(), 0xAB, 16);
    buffers[3]->MarkFilled({16, 16, true, false});
    ASSERT_TRUE(event.PushEvent(item(3), PUSH_OVERWRITE_OLDEST, &removed));
    EXPECT_TRUE(removed.empty());
    EXPECT_EQ(buffers[0]->frameId, 42u);
    EXPECT_EQ(buffers[0]->GetBase()[15], 0xAB);

    ASSERT_TRUE(event.PushEvent(item(3), PUSH_OVERWRITE_OLDEST_ONLY, &removed));
    ASSERT_EQ(removed.size(), 2u);
    EXPECT_EQ(removed[0].BufferHandle, buffers[2]->Handle());
    EXPECT_EQ(removed[1].BufferHandle, buffers[0]->Handle());
    removed.clear();
    ASSERT_TRUE(event.PushEvent(item(2), PUSH_REPLACE_ALL, &removed));
    ASSERT_EQ(removed.size(), 1u);
    EXPECT_EQ(removed[0].BufferHandle, buffers[1]->Handle());

    S_EVENT_NEW_BUFFER out{};
    size_t size = 15;
    EXPECT_EQ(event.GetEventData(&out, &size, 0), GC_ERR_BUFFER_TOO_SMALL);
    size = 16;
    ASSERT_EQ(event.GetEventData(&out, &size, 0), GC_ERR_SUCCESS);
    EXPECT_EQ(out.BufferHandle, buffers[2]->Handle());
    EXPECT_EQ(out.pUserPointer, buffers[2]->GetUserPointer());
    EXPECT_FALSE(buffers[2]->IsQueued()) << "the consumer holds it now";
}

TEST_F(FrameworkTest, ModuleEventPacketsUpToTheMaximumSize)
{
    TestModule module(16);
    module.InitPortURLsOnce();
    CountedPtr<GenTLEvent> event;
    const uint8_t data[17] = {1, 2, 3};
    EXPECT_FALSE(module.FireModuleEvent(7, data, 3)) << "an unregistered event queues nothing";
    ASSERT_EQ(module.RegisterEvent(EVENT_MODULE, &event), GC_ERR_SUCCESS);
    ASSERT_EQ(event->OpenLocked(), GC_ERR_SUCCESS);  // as the handle pool does
    EXPECT_EQ(event->GetEventSizeMax(), 24u);
    EXPECT_TRUE(module.FireModuleEvent(0x11111101, data, 16));
    EXPECT_FALSE(module.FireModuleEvent(7, data, 17));
    EXPECT_FALSE(module.FireModuleEvent(7, nullptr, 1));
    EXPECT_TRUE(module.FireModuleEvent(7, nullptr, 0));

    const std::vector<uint8_t> packet = Packet(*event);
    ASSERT_EQ(packet.size(), 24u);
    const uint8_t header[8] = {'y', 'k', 'i', 'v', 0x01, 0x11, 0x11, 0x11};
    EXPECT_EQ(std::memcmp(packet.data(), header, 8), 0);
    char id[9] = {};
    size_t size = sizeof id;
    INFO_DATATYPE type = 0;
    ASSERT_EQ(event->GetEventDataInfo(packet.data(), packet.size(), EVENT_DATA_ID, &type, id, &size), GC_ERR_SUCCESS);
    EXPECT_STREQ(id, "11111101");
    uint8_t value[20] = {};
    size = sizeof value;
    ASSERT_EQ(event->GetEventDataInfo(packet.data(), packet.size(), EVENT_DATA_VALUE, &type, value, &size),
              GC_ERR_SUCCESS);
    EXPECT_EQ(size, 20u);
    EXPECT_EQ(value[4], 1);
    std::vector<uint8_t> bad = packet;
    bad[0] = 'x';
    EXPECT_EQ(event->GetEventDataInfo(bad.data(), bad.size(), EVENT_DATA_ID, &type, id, &size),
              GC_ERR_INVALID_PARAMETER);
    EXPECT_EQ(Packet(*event).size(), 8u) << "an empty packet is magic and id only";
}

TEST_F(FrameworkTest, RegistrationOfAnOpenEventIsRefusedBeforeTheBackEnd)
{
    TestModule module;
    module.InitPortURLsOnce();
    CountedPtr<GenTLEvent> event;
    EXPECT_EQ(module.RegisterEvent(EVENT_MODULE, &event), GC_ERR_NOT_IMPLEMENTED);
    ASSERT_EQ(module.RegisterEvent(EVENT_ERROR, &event), GC_ERR_SUCCESS);
    event->OpenLocked();
    CountedPtr<GenTLEvent> second;
    EXPECT_EQ(module.RegisterEvent(EVENT_ERROR, &second), GC_ERR_RESOURCE_IN_USE);
    EXPECT_TRUE(second.IsNull());
    EXPECT_EQ(module.arms.load(), 1) << "the first registration stays armed";
    EXPECT_EQ(module.disarms.load(), 0);

    module.failDisarm = true;
    CountedPtr<GenTLEvent> out;
    EXPECT_EQ(module.UnregisterEvent(EVENT_ERROR, &out), GC_ERR_ERROR);
    EXPECT_EQ(out, event) << "handed out for the pool to remove";
    event->CloseLocked();
    ASSERT_EQ(module.RegisterEvent(EVENT_ERROR, &second), GC_ERR_SUCCESS);
    EXPECT_EQ(second, event);
}

TEST_F(EventTest, ProducersAndConsumersOnManyThreads)
{
    constexpr int kPerProducer = 200;
    std::vector<std::thread> producers;
    for (int p = 0; p < 3; ++p)
        producers.emplace_back([&] {
            for (int i = 0; i < kPerProducer; ++i)
                event.PushError("item");
        });
    int received = 0;
    char text[8];
    while (received < 3 * kPerProducer) {
        size_t size = sizeof text;
        if (event.GetEventData(text, &size, 1000) == GC_ERR_SUCCESS)
            ++received;
    }
    for (std::thread& t : producers)
        t.join();
    EXPECT_EQ(received, 3 * kPerProducer);
}
