#include "CallGate.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

using GenTLCore::CallGate;

// Whom a closer waits for: GCCloseLib for the calls admitted before it shut
// the gate, never for one that met the shut gate; an unload for both, since
// a call refused for closing still records why.
TEST(CallGate, ACloserWaitsForTheCallsItMustOutlastOnly)
{
    const struct {
        const char* name;
        bool heldBeforeShut, unload, waits;
    } cases[] = {
        {"GCCloseLib, call admitted before", true, false, true},
        {"GCCloseLib, call refused while closing", false, false, false},
        {"unload, call admitted before", true, true, true},
        {"unload, call refused while closing", false, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CallGate::Reset();
        std::promise<void> entered, release;
        std::atomic<bool> closerGone{false};
        bool goneWhileInside = false;
        std::thread call;
        const auto holdACall = [&] {
            call = std::thread([&] {
                CallGate::Pass pass;
                EXPECT_EQ(pass.Entered(), c.heldBeforeShut);
                entered.set_value();
                release.get_future().wait();
                goneWhileInside = closerGone;
            });
            entered.get_future().wait();
        };
        if (c.heldBeforeShut)
            holdACall();
        EXPECT_TRUE(CallGate::Shut());
        if (!c.heldBeforeShut)
            holdACall();
        if (c.unload)
            CallGate::ShutForUnload();
        std::future<void> closer = std::async(std::launch::async, [&] {
            CallGate::AwaitOthers();
            closerGone = true;
        });
        if (c.waits)  // time for a closer that does not wait to return
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        else  // a deadline against a hang only
            EXPECT_EQ(closer.wait_for(std::chrono::seconds(60)), std::future_status::ready);
        release.set_value();
        call.join();
        closer.wait();
        EXPECT_EQ(goneWhileInside, !c.waits);
    }
    CallGate::Reset();
}

// GCCloseLib's gate refuses new calls and a second closer until it opens
// again; an unload's stays shut, and refuses without counting, until the
// next load.
TEST(CallGate, TheCloseReopensAndTheUnloadDoesNot)
{
    CallGate::Reset();
    {
        CallGate::Shutter shutter;
        EXPECT_TRUE(shutter.First());
        EXPECT_TRUE(CallGate::Pass().RefusedForClosing());
        EXPECT_TRUE(CallGate::Pass(CallGate::kAlsoWhileClosing).Entered());
        EXPECT_FALSE(CallGate::Shutter().First());
    }
    EXPECT_TRUE(CallGate::Pass().Entered());

    CallGate::ShutForUnload();
    CallGate::Open();
    {
        CallGate::Pass refused(CallGate::kAlsoWhileClosing);
        EXPECT_FALSE(refused.Entered());
        EXPECT_FALSE(refused.RefusedForClosing());
        EXPECT_EQ(CallGate::Inside(), 0);
    }
    EXPECT_FALSE(CallGate::Shutter().First());
    EXPECT_FALSE(CallGate::Pass().Entered());
    CallGate::Reset();
    EXPECT_TRUE(CallGate::Pass().Entered());
    EXPECT_EQ(CallGate::Inside(), 0);
}

// A call refused for closing that waits for the close (GCInitLib): the close
// does not wait for it; once the gate opens it is admitted, and a later close
// waits for it; an unload ends its wait refused.
TEST(CallGate, ACallMayWaitForTheCloseItMet)
{
    for (const bool unload : {false, true}) {
        SCOPED_TRACE(unload ? "an unload ends the wait" : "the close ends");
        CallGate::Reset();
        ASSERT_TRUE(CallGate::Shut());
        std::promise<bool> admitted;
        std::promise<void> release;
        std::atomic<bool> closerGone{false};
        bool goneWhileInside = false;
        std::thread call([&] {
            CallGate::Pass pass;
            EXPECT_TRUE(pass.RefusedForClosing());
            const bool entered = pass.EnterAfterClose();
            admitted.set_value(entered);
            if (entered) {
                release.get_future().wait();
                goneWhileInside = closerGone;
            }
        });
        while (CallGate::Inside() == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_EQ(std::async(std::launch::async, [] { CallGate::AwaitOthers(); }).wait_for(std::chrono::seconds(60)),
                  std::future_status::ready)
            << "the close waited for a call that waits for it";
        if (unload)
            CallGate::ShutForUnload();
        else
            CallGate::Open();
        EXPECT_EQ(admitted.get_future().get(), !unload);
        if (!unload) {
            ASSERT_TRUE(CallGate::Shut());
            std::future<void> closer = std::async(std::launch::async, [&] {
                CallGate::AwaitOthers();
                closerGone = true;
            });
            std::this_thread::sleep_for(std::chrono::milliseconds(20));  // time for a closer that does not wait
            release.set_value();
            closer.wait();
        }
        call.join();
        EXPECT_FALSE(goneWhileInside);
        EXPECT_EQ(CallGate::Inside(), 0);
    }
    CallGate::Reset();
    {
        CallGate::Pass outer;
        CallGate::Shutter shutter;
        CallGate::Pass nested;
        EXPECT_FALSE(nested.EnterAfterClose()) << "the close may be the thread's own";
    }
    EXPECT_EQ(CallGate::Inside(), 0);
}

// Closing from inside a call (a callback, a nested call) does not wait for
// the calling thread itself; its nested calls are refused meanwhile.
TEST(CallGate, AClosureFromInsideACallDoesNotWaitForItself)
{
    CallGate::Reset();
    CallGate::Pass outer;
    ASSERT_TRUE(outer.Entered());
    {
        CallGate::Pass nested;
        EXPECT_TRUE(nested.Entered());
        EXPECT_EQ(CallGate::Inside(), 1);
    }
    CallGate::Shutter shutter;
    CallGate::AwaitOthers();
    EXPECT_FALSE(CallGate::Pass().Entered());
    CallGate::ShutForUnload();
    CallGate::AwaitOthers();
    EXPECT_EQ(CallGate::Inside(), 1);
}
