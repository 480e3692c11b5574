#include "CallGate.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <thread>

using GenTLCore::CallGate;

// A closer returns only once the call in flight on another thread has left;
// calls that start while the gate is shut are refused, and so is a second
// closer.
TEST(CallGate, AClosureWaitsForTheCallInFlightAndRefusesNewOnes)
{
    std::promise<void> entered, release;
    std::thread caller([&] {
        CallGate::Pass pass;
        EXPECT_TRUE(pass.Entered());
        entered.set_value();
        release.get_future().wait();
    });
    entered.get_future().wait();
    {
        CallGate::Shutter shutter(CallGate::Closer::Close);
        EXPECT_TRUE(shutter.First());
        EXPECT_FALSE(CallGate::Pass().Entered());
        EXPECT_FALSE(CallGate::Shutter(CallGate::Closer::Close).First());
        std::atomic<int32_t> insideAtReturn{-1};
        std::thread closer([&] {
            CallGate::AwaitOthers();
            insideAtReturn = CallGate::Inside();
        });
        release.set_value();
        closer.join();
        caller.join();
        EXPECT_EQ(insideAtReturn.load(), 0);
    }
    EXPECT_TRUE(CallGate::Pass().Entered());
    EXPECT_EQ(CallGate::Inside(), 0);
}

// Closing from inside a call (a callback, a nested call) does not wait for
// the calling thread itself; its nested calls are refused meanwhile.
TEST(CallGate, AClosureFromInsideACallDoesNotWaitForItself)
{
    CallGate::Pass outer;
    ASSERT_TRUE(outer.Entered());
    {
        CallGate::Pass nested;
        EXPECT_TRUE(nested.Entered());
        EXPECT_EQ(CallGate::Inside(), 1);
    }
    CallGate::Shutter shutter(CallGate::Closer::Close);
    CallGate::AwaitOthers();
    EXPECT_FALSE(CallGate::Pass().Entered());
    EXPECT_EQ(CallGate::Inside(), 1);
}
