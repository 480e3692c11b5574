// The digitizer's event-hook manager and the colour filter of pixel formats.
#include "DigEvents.h"
#include "DigitizerEventManager.h"
#include "PexStreamFixture.h"
#include "PixelFormatInfo.h"

#include <platform/pex/PexTest.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <tuple>
#include <vector>

using namespace GenTLCore::PEXCore;
using namespace GenTLCore::CoaXPress;

namespace {

// Owner of the handlers: counts the calls and keeps the last event.
struct Listener {
    int64_t OnEdge1(const AuxIoRisingEdgeEvent<0x501>& e) { return Note(e, edges1); }
    int64_t OnEdge2(const AuxIoRisingEdgeEvent<0x502>& e) { return Note(e, edges2); }
    int64_t OnGrabStart(const GrabStartEvent& e) { return Note(e, grabStarts); }
    int64_t OnEncoder(const RotaryEncoderEvent<0x710>& e) { return Note(e, encoder); }
    int64_t OnTimer(const TimerEndEvent<2>& e) { return Note(e, timerEnds); }

    int64_t Note(const DigEvent& e, std::atomic<int>& count)
    {
        digitizer = e.GetDigitizer();
        ++count;
        return 7;
    }
    std::atomic<int> edges1{0}, edges2{0}, grabStarts{0}, encoder{0}, timerEnds{0};
    std::atomic<PEX_ID> digitizer{0};
};

using Call = std::tuple<std::string, PEX_INT, PEX_INT>;  // name, code, value

class EventManagerTest : public PexStreamTesting::PexDigitizerTest {
protected:
    EventManagerTest() { manager.reset(new DigitizerEventManager(digitizer)); }
    ~EventManagerTest() override { manager.reset(); }
    void Record()
    {
        PexTestSetCallLog(1);
        PexTestClearCallLog();
    }
    std::vector<Call> Calls()
    {
        std::vector<Call> calls;
        for (size_t i = 0; i < PexTestCallCount(); ++i) {
            PEX_ID id = 0;
            PEX_INT code = 0, value = 0;
            PexTestCallArgs(i, &id, &code, &value);
            EXPECT_EQ(id, digitizer);
            calls.emplace_back(PexTestCallName(i), code, value);
        }
        return calls;
    }

    Listener listener;
    std::unique_ptr<DigitizerEventManager> manager;
};

}  // namespace

TEST_F(EventManagerTest, AnAuxIoPinIsHookedThenArmedAndDisarmedThenUnhooked)
{
    Record();
    const uint32_t id = manager->AddEvent(&listener, &Listener::OnEdge1, 0x8B000);
    EXPECT_EQ(id, 1u);
    EXPECT_EQ(Calls(), (std::vector<Call>{{"PexDigHookFunction", 0x8B000, 0},
                                          {"PexDigControl", 0x85501, 12},
                                          {"PexDigControl", 0x89501, -9997}}));
    EXPECT_EQ(PexTestInjectIoEdge(digitizer, 0x501), 1);
    EXPECT_EQ(listener.edges1, 1);
    EXPECT_EQ(listener.digitizer, digitizer);
    Record();
    manager->RemoveEvent(id);
    EXPECT_EQ(Calls(), (std::vector<Call>{{"PexDigControl", 0x89501, -9999}, {"PexDigHookFunction", 0x408B000, 0}}));
    PexTestInjectIoEdge(digitizer, 0x501);
    EXPECT_EQ(listener.edges1, 1);
}

TEST_F(EventManagerTest, TwoPinsAreTwoHooksUnderOneTypeAndRemovingOneKeepsTheOther)
{
    const uint32_t first = manager->AddEvent(&listener, &Listener::OnEdge1, 0x8B000);
    const uint32_t second = manager->AddEvent(&listener, &Listener::OnEdge2, 0x8B000);
    EXPECT_EQ(second, first + 1);
    PexTestInjectIoEdge(digitizer, 0x502);
    EXPECT_EQ(listener.edges1, 1) << "every record of the hook type is called";
    EXPECT_EQ(listener.edges2, 1);
    manager->RemoveEvent(first);
    PexTestInjectIoEdge(digitizer, 0x502);
    EXPECT_EQ(listener.edges1, 1);
    EXPECT_EQ(listener.edges2, 2) << "pin 0x502 stays armed";
    Record();
    manager->RemoveEvent(first);
    manager->RemoveEvent(99);
    EXPECT_EQ(PexTestCallCount(), 0u) << "unknown ids make no library call";
    EXPECT_EQ(manager->AddEvent(&listener, &Listener::OnEdge1, 0x8B000), 3u) << "ids are never reused";
}

TEST_F(EventManagerTest, PlainEventsMakeOneHookCallEachWay)
{
    Record();
    const uint32_t id = manager->AddEvent(&listener, &Listener::OnGrabStart, 0x4);
    manager->RemoveEvent(id);
    EXPECT_EQ(Calls(), (std::vector<Call>{{"PexDigHookFunction", 0x4, 0}, {"PexDigHookFunction", 0x4000004, 0}}));
}

TEST_F(EventManagerTest, EncodersAndTimersReachTheirHandlersAndTheManagerUnhooksAtTheEnd)
{
    const size_t before = PexTestHookCount(digitizer);
    manager->AddEvent(&listener, &Listener::OnEncoder, 0xE10);
    manager->AddEvent(&listener, &Listener::OnTimer, 0x402);
    manager->AddEvent(&listener, &Listener::OnEdge1, 0x8B000);
    PexTestInjectEncoderSteps(digitizer, 1, 3);
    PexTestInjectTimer(digitizer, 2, 1);
    PexTestInjectTimer(digitizer, 2, 0);
    EXPECT_EQ(listener.encoder, 3);
    EXPECT_EQ(listener.timerEnds, 1);
    Record();
    manager.reset();
    EXPECT_EQ(PexTestHookCount(digitizer), before);
    EXPECT_EQ(PexTestCallCountOf("PexDigControl"), 1u) << "the pin is disarmed";
}

TEST(ColourFilter, BayerCodesKeepTheirPatternAndEverythingElseHasNone)
{
    struct Case {
        uint32_t code;
        uint32_t filter;
    } cases[] = {{0x01080001, 0},   {0x02180014, 0},   {0, 0},           {0x0108000A, 32}, {0x01080008, 128},
                 {0x0108000B, 64},  {0x01080009, 96},  {0x010C0026, 128}, {0x010C002A, 128}, {0x010C002D, 64},
                 {0x010E0106, 96},  {0x01100031, 64},  {0x010A0054, 32}, {0x0110010B, 32}};
    for (const Case& c : cases)
        EXPECT_EQ(PixelFormatInfo(c.code).colorFilter, c.filter) << std::hex << c.code;
}
