#include "SimpleThread.h"
#include "ThreadHandle.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace GenTLCore;

namespace {

class CountingThread : public SimpleThread {
public:
    void Run() override
    {
        while (!release.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ++runs;
    }
    std::atomic<bool> release{false};
    std::atomic<int> runs{0};
};

}  // namespace

TEST(SimpleThreadTest, StartsOnceUntilJoinedAndJoinWaitsForTheEnd)
{
    CountingThread thread;
    ASSERT_TRUE(thread.HasThreadRecord());
    EXPECT_FALSE(thread.IsRunning());
    ASSERT_TRUE(thread.Start());
    EXPECT_TRUE(thread.IsRunning());
    EXPECT_FALSE(thread.Start()) << "a running thread is not started again";
    thread.release = true;
    thread.Join();
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_EQ(thread.runs.load(), 1);
    thread.Join();  // nothing to join

    // A joined thread starts again.
    ASSERT_TRUE(thread.Start());
    thread.Join();
    EXPECT_EQ(thread.runs.load(), 2);
}

TEST(SimpleThreadTest, FailedStartLeavesTheThreadStopped)
{
    CountingThread thread;
    thread.release = true;
    ThreadHandle::FailNextStarts(1);
    EXPECT_FALSE(thread.Start());
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_TRUE(thread.Start());
    thread.Join();
    EXPECT_EQ(thread.runs.load(), 1);
}

TEST(SimpleThreadTest, PriorityOfAStoppedThreadIsStoredAndReported)
{
    CountingThread thread;
    int32_t policy = -1, priority = -1;
    EXPECT_TRUE(thread.GetPriority(&policy, &priority));
    EXPECT_EQ(policy, 0);
    EXPECT_EQ(priority, 0);
    EXPECT_TRUE(thread.SetPriority(7, -1));
    EXPECT_TRUE(thread.GetPriority(&policy, &priority));
    EXPECT_EQ(policy, 7);
    EXPECT_EQ(priority, -1);
    EXPECT_TRUE(thread.SetDefaultPriority());
    EXPECT_TRUE(thread.GetPriority(&policy, &priority));
    EXPECT_EQ(policy, 0);
    EXPECT_EQ(priority, 2);
    thread.ResetPriority();
    EXPECT_TRUE(thread.GetPriority(&policy, &priority));
    EXPECT_EQ(priority, 0);
}

TEST(SimpleThreadTest, StoredPriorityIsAppliedAtStart)
{
    CountingThread thread;
    // Lowering a priority needs no privilege.
    EXPECT_TRUE(thread.SetPriority(0, -2));
    ASSERT_TRUE(thread.Start());
    int32_t policy = -1, priority = 99;
    EXPECT_TRUE(thread.GetPriority(&policy, &priority));
    EXPECT_EQ(policy, 0);
    EXPECT_EQ(priority, -2);
    thread.release = true;
    thread.Join();
}

TEST(ThreadHandleTest, DestroyingTheRecordWaitsForARunningThread)
{
    struct Body {
        std::atomic<bool> release{false};
        std::atomic<bool> done{false};
        static void Run(void* self)
        {
            Body* body = static_cast<Body*>(self);
            while (!body->release.load())
                std::this_thread::yield();
            body->done = true;
        }
    } body;
    ThreadHandle* record = nullptr;
    ASSERT_EQ(ThreadHandle::Create(&record), 0);
    ASSERT_EQ(record->Start(&Body::Run, &body), 0);
    std::thread releaser([&body] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        body.release = true;
    });
    ThreadHandle::Destroy(record);
    EXPECT_TRUE(body.done.load()) << "the thread ended before its record was freed";
    releaser.join();
}
