#include "CallGate.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

using GenTLCore::CallGate;

namespace {

// A call held inside the gate on a thread of its own until released.
class HeldCall {
public:
    HeldCall()
        : m_thread([this] {
              CallGate::Pass pass;
              m_admitted = pass.Entered();
              m_entered.set_value();
              m_release.get_future().wait();
              m_closerGoneWhileInside = m_closerGone.load();
          })
    {
        m_entered.get_future().wait();
    }
    ~HeldCall() { Release(); }
    void Release()
    {
        if (!m_thread.joinable())
            return;
        m_release.set_value();
        m_thread.join();
    }
    bool Admitted() const { return m_admitted; }
    // Set by the closer when it returns, read by the call as it leaves.
    std::atomic<bool> m_closerGone{false};
    bool m_closerGoneWhileInside = false;

private:
    std::promise<void> m_entered, m_release;
    bool m_admitted = false;
    std::thread m_thread;
};

}  // namespace

// Whom a closer waits for: GCCloseLib for the calls admitted before it shut
// the gate, never for one that met the shut gate; an unload for both, since
// a call refused for closing still records why.
TEST(CallGate, ACloserWaitsForTheCallsItMustOutlastOnly)
{
    struct Case {
        const char* name;
        bool heldBeforeShut;
        bool unload;
        bool waits;
    };
    const Case cases[] = {
        {"GCCloseLib, call admitted before", true, false, true},
        {"GCCloseLib, call refused while closing", false, false, false},
        {"unload, call admitted before", true, true, true},
        {"unload, call refused while closing", false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CallGate::Reset();
        std::unique_ptr<HeldCall> held;
        if (c.heldBeforeShut)
            held.reset(new HeldCall());
        ASSERT_TRUE(CallGate::Shut());
        if (!c.heldBeforeShut)
            held.reset(new HeldCall());
        EXPECT_EQ(held->Admitted(), c.heldBeforeShut);
        if (c.unload)
            CallGate::ShutForUnload();
        std::future<void> closer = std::async(std::launch::async, [&] {
            CallGate::AwaitOthers();
            held->m_closerGone = true;
        });
        if (c.waits) {
            // Time for a closer that does not wait to return.
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            held->Release();
            closer.wait();
            EXPECT_FALSE(held->m_closerGoneWhileInside);
        } else {
            // A deadline against a hang only.
            EXPECT_EQ(closer.wait_for(std::chrono::seconds(60)), std::future_status::ready);
            held->Release();
            closer.wait();
        }
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
