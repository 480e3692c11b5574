#include "ConditionRecord.h"
#include "CriticalSection.h"
#include "EventSignal.h"
#include "GenTLHandle.h"
#include "NamedMutex.h"
#include "OsResult.h"
#include "ScopedLock.h"
#include "TaggedRecord.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <chrono>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace GenTLCore;
using Clock = std::chrono::steady_clock;

namespace {

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

TEST(CriticalSectionTest, IsReentrantAndExcludesOtherThreads)
{
    CriticalSection lock;
    ASSERT_TRUE(lock.IsValid());
    EXPECT_EQ(TaggedRecord::KindOf(lock.Record()), TaggedRecord::KIND_LOCK);
    lock.Enter();
    lock.Enter();
    std::atomic<bool> entered{false};
    std::thread other([&] {
        lock.Enter();
        entered = true;
        lock.Leave();
    });
    lock.Leave();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(entered.load()) << "still held once by this thread";
    lock.Leave();
    other.join();
    EXPECT_TRUE(entered.load());
}

TEST(CriticalSectionTest, FailedAllocationLeavesANoOpLockAndDestroyIsRepeatable)
{
    TaggedRecord::FailNextAllocations(1);
    CriticalSection lock;
    EXPECT_FALSE(lock.IsValid());
    lock.Enter();  // nothing happens
    lock.Leave();
    EXPECT_EQ(lock.Init(), OS_OK);
    EXPECT_TRUE(lock.IsValid());
    lock.Destroy();
    lock.Destroy();
    EXPECT_FALSE(lock.IsValid());
}

TEST(ScopedLockTest, ReleaseLeavesOnceAndTheEndDoesNotLeaveAgain)
{
    CriticalSection lock;
    {
        ScopedLock guard(lock);
        EXPECT_TRUE(guard.IsHeld());
        guard.Release();
        EXPECT_FALSE(guard.IsHeld());
        guard.Release();
    }
    // The lock is free: another thread can take it at once.
    std::thread other([&] {
        ScopedLock guard(lock);
    });
    other.join();
}

TEST(ConditionRecordTest, RefusesALockThatIsNotALockRecord)
{
    ConditionRecord* condition = nullptr;
    ASSERT_EQ(ConditionRecord::Create(&condition), OS_OK);
    CriticalSection empty{CriticalSection::EmptyTag{}};
    EXPECT_EQ(condition->Wait(empty, 0.0), OS_ERR_BAD_LOCK);
    ConditionRecord::Destroy(condition);
}

TEST(ConditionRecordTest, TimedWaitEndsAtItsDeadlineWithTheLockHeldAgain)
{
    ConditionRecord* condition = nullptr;
    ASSERT_EQ(ConditionRecord::Create(&condition), OS_OK);
    CriticalSection lock;
    lock.Enter();
    const auto start = Clock::now();
    EXPECT_EQ(condition->Wait(lock, 0.1), OS_ERR_WAIT_TIMEOUT);
    const double waited = secondsSince(start);
    EXPECT_GE(waited, 0.095);
    EXPECT_LT(waited, 2.0);
    EXPECT_EQ(condition->Waiters(), 0);
    // Held again by this thread: another thread cannot enter.
    std::atomic<bool> entered{false};
    std::thread other([&] {
        lock.Enter();
        entered = true;
        lock.Leave();
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_FALSE(entered.load());
    lock.Leave();
    other.join();
    ConditionRecord::Destroy(condition);
}

TEST(ConditionRecordTest, SignalBeforeAnyWaiterIsNotRemembered)
{
    ConditionRecord* condition = nullptr;
    ASSERT_EQ(ConditionRecord::Create(&condition), OS_OK);
    CriticalSection lock;
    condition->SignalOne();
    condition->SignalAll();
    lock.Enter();
    EXPECT_EQ(condition->Wait(lock, 0.02), OS_ERR_WAIT_TIMEOUT);
    lock.Leave();
    ConditionRecord::Destroy(condition);
}

// While one thread keeps being woken, timed waits on other threads meet
// wake-ups that belong to it; none of them may wait beyond its deadline.
TEST(ConditionRecordTest, TimedWaitsKeepTheirDeadlineAmongOtherWakeUps)
{
    ConditionRecord* condition = nullptr;
    ASSERT_EQ(ConditionRecord::Create(&condition), OS_OK);
    CriticalSection lock;
    std::atomic<bool> stop{false};
    std::thread sleeper([&] {
        lock.Enter();
        while (!stop.load())
            condition->Wait(lock, 0.5);
        lock.Leave();
    });
    std::thread signaller([&] {
        while (!stop.load()) {
            condition->SignalOne();
            std::this_thread::yield();
        }
    });
    double longest = 0;
    for (int i = 0; i < 40; ++i) {
        lock.Enter();
        const auto start = Clock::now();
        condition->Wait(lock, 0.01);
        longest = std::max(longest, secondsSince(start));
        lock.Leave();
    }
    stop = true;
    signaller.join();
    condition->SignalAll();
    sleeper.join();
    EXPECT_LT(longest, 0.5);
    ConditionRecord::Destroy(condition);
}

TEST(EventSignalTest, IsCompleteOrHasNeitherPart)
{
    EventSignal complete;
    EXPECT_TRUE(complete.IsValid());
    EXPECT_TRUE(complete.GetLock().IsValid());
    EXPECT_EQ(TaggedRecord::KindOf(complete.GetLock().Record()), TaggedRecord::KIND_SIGNAL_LOCK);

    TaggedRecord::FailNextAllocations(1, 1);  // the lock is made, the condition is not
    EventSignal broken;
    EXPECT_FALSE(broken.IsValid());
    EXPECT_FALSE(broken.GetLock().IsValid());
    broken.Lock();
    EXPECT_EQ(broken.Wait(), EventSignal::FAILED);
    EXPECT_EQ(broken.TimedWait(0.0), EventSignal::FAILED);
    broken.Unlock();
    broken.Destroy();
    broken.Destroy();
}

TEST(EventSignalTest, KillAbortsExactlyOneWaitAndResetDiscardsKills)
{
    EventSignal signal;
    signal.Lock();
    signal.Kill();
    EXPECT_EQ(signal.TimedWait(1.0), EventSignal::ABORTED);
    EXPECT_EQ(signal.TimedWait(0.0), EventSignal::TIMED_OUT);
    signal.Kill();
    signal.Kill();
    signal.Reset();
    EXPECT_EQ(signal.TimedWait(0.0), EventSignal::TIMED_OUT);
    EXPECT_FALSE(signal.TakeAbort());
    signal.Kill();
    EXPECT_TRUE(signal.TakeAbort());
    EXPECT_FALSE(signal.TakeAbort());
    signal.Unlock();
}

TEST(EventSignalTest, AbortAbortsEveryWaitUntilReset)
{
    EventSignal signal;
    signal.Lock();
    signal.Abort();
    EXPECT_EQ(signal.Wait(), EventSignal::ABORTED);
    EXPECT_EQ(signal.TimedWait(1.0), EventSignal::ABORTED);
    EXPECT_TRUE(signal.TakeAbort());
    EXPECT_TRUE(signal.TakeAbort());
    signal.Reset();
    EXPECT_EQ(signal.TimedWait(0.0), EventSignal::TIMED_OUT);
    signal.Unlock();
}

TEST(EventSignalTest, AbortWakesAPresentWaiter)
{
    EventSignal signal;
    std::atomic<int> result{-1};
    std::thread waiter([&] {
        signal.Lock();
        result = signal.Wait();
        signal.Unlock();
    });
    while (result.load() == -1) {
        signal.Abort();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    waiter.join();
    EXPECT_EQ(result.load(), EventSignal::ABORTED);
}

// An event unregistered and registered again at once (Abort, then Reset,
// before the woken waiter runs): the waiter still ends aborted, and the next
// wait is a fresh one.
TEST(EventSignalTest, AnAbortReachesAPresentWaiterAlsoWhenAResetFollowsAtOnce)
{
    EventSignal signal;
    bool waiting = false;
    int result = -1;
    std::thread waiter([&] {
        signal.Lock();
        waiting = true;
        result = signal.Wait();
        signal.Unlock();
    });
    for (bool asleep = false; !asleep;) {
        signal.Lock();  // taken only while the waiter sleeps, once it waits
        asleep = waiting;
        if (asleep) {
            signal.Abort();
            signal.Reset();
        }
        signal.Unlock();
    }
    waiter.join();
    EXPECT_EQ(result, EventSignal::ABORTED);
    signal.Lock();
    EXPECT_EQ(signal.TimedWait(0.0), EventSignal::TIMED_OUT);
    signal.Unlock();
}

TEST(EventSignalTest, OneSignalWakesOneOfTwoWaiters)
{
    EventSignal signal;
    std::atomic<int> waiting{0};
    std::atomic<int> signalled{0};
    std::atomic<int> timedOut{0};
    auto waiter = [&] {
        signal.Lock();
        ++waiting;
        const int32_t r = signal.TimedWait(1.0);
        if (r == EventSignal::SIGNALLED)
            ++signalled;
        else if (r == EventSignal::TIMED_OUT)
            ++timedOut;
        signal.Unlock();
    };
    std::thread a(waiter), b(waiter);
    while (waiting.load() < 2)
        std::this_thread::yield();
    // Both have entered their wait once the lock is free again.
    signal.Lock();
    signal.Signal();
    signal.Unlock();
    a.join();
    b.join();
    EXPECT_EQ(signalled.load(), 1);
    EXPECT_EQ(timedOut.load(), 1);
}

namespace {

class TestHandle : public GenTLHandle {
public:
    std::string& GetID(std::string& id) override { return id = "TEST_HANDLE"; }
    int32_t Open() override { return openResult; }
    int32_t Close() override { return closeResult; }
    void MarkNonFunctional() override { ++marked; }
    void InitPortURLs() override { ++portURLInits; }

    int32_t openResult = 0;
    int32_t closeResult = 0;
    int marked = 0;
    int portURLInits = 0;
};

}  // namespace

TEST(GenTLHandleTest, OpenAndCloseFlags)
{
    TestHandle handle;
    EXPECT_FALSE(handle.IsOpen());
    handle.openResult = -1004;
    EXPECT_EQ(handle.OpenLocked(), -1004);
    EXPECT_FALSE(handle.IsOpen());
    handle.openResult = 0;
    EXPECT_EQ(handle.OpenLocked(), 0);
    EXPECT_TRUE(handle.IsOpen());
    handle.closeResult = -1001;
    EXPECT_EQ(handle.CloseLocked(), -1001);
    EXPECT_FALSE(handle.IsOpen()) << "closed whatever Close returned";
    std::string id;
    EXPECT_EQ(handle.GetLogID(id), "TEST_HANDLE");
}

TEST(GenTLHandleTest, NonFunctionalAndPortURLsOnce)
{
    TestHandle handle;
    EXPECT_FALSE(handle.IsNonFunctional());
    handle.SetNonFunctional();
    EXPECT_TRUE(handle.IsNonFunctional());
    EXPECT_EQ(handle.marked, 1);
    handle.InitPortURLsOnce();
    handle.InitPortURLsOnce();
    EXPECT_EQ(handle.portURLInits, 1);
    // The module lock is re-entrant for its holder.
    handle.Lock();
    EXPECT_TRUE(handle.IsOpen() == false);
    handle.Unlock();
}

namespace {

// Keeps the lock files of a test in a folder of its own.
class NamedMutexTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char dir[] = "/tmp/gentl_mutex_XXXXXX";
        ASSERT_NE(::mkdtemp(dir), nullptr);
        m_dir = dir;
        ::setenv("XDG_RUNTIME_DIR", m_dir.c_str(), 1);
    }
    void TearDown() override
    {
        ::unsetenv("XDG_RUNTIME_DIR");
        const std::string cmd = "rm -rf '" + m_dir + "'";
        EXPECT_EQ(std::system(cmd.c_str()), 0);
    }
    std::string m_dir;
};

}  // namespace

TEST_F(NamedMutexTest, RefusedToASecondHolderUntilReleased)
{
    const std::string name = "CorvaneCXP.lock";
    NamedMutex first(name);
    NamedMutex second(name);
    ASSERT_TRUE(first.Create());
    EXPECT_TRUE(first.IsHeld());
    EXPECT_FALSE(first.Create()) << "a handle is held already";
    EXPECT_FALSE(second.Create()) << "the name exists";
    EXPECT_FALSE(second.IsHeld());
    EXPECT_TRUE(first.Release());
    EXPECT_FALSE(first.Release());
    EXPECT_TRUE(second.Create());
    EXPECT_TRUE(second.Release());
}

TEST_F(NamedMutexTest, EmptyNameAlwaysSucceeds)
{
    NamedMutex a("");
    NamedMutex b("");
    EXPECT_TRUE(a.Create());
    EXPECT_TRUE(b.Create());
    EXPECT_TRUE(a.Release());
    EXPECT_TRUE(b.Release());
}

TEST_F(NamedMutexTest, RefusedToAnotherProcessWhileHeld)
{
    NamedMutex held("CorvaneCXP.lock");
    ASSERT_TRUE(held.Create());
    EXPECT_EXIT(
        {
            NamedMutex other("CorvaneCXP.lock");
            std::exit(other.Create() ? 1 : 0);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_TRUE(held.Release());
}
