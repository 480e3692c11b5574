// The imaging-library error tracker and the binding of the services library.
#include "CvnServicesBinding.h"
#include "LastGenTLError.h"
#include "PexErrorTracker.h"

#include <platform/pex/PexTest.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace GenTLCore;
using namespace GenTLCore::PEXCore;

namespace {

class TrackerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(PexTestConfigure(""));
        m_system = PexSysAlloc(PEX_DEFAULT, L"PX_SYSTEM_TARSILCXP", 0, PEX_DEFAULT, nullptr);
    }
    void TearDown() override
    {
        PexSysFree(m_system);
        PexErrorTracker::Teardown();
    }
    // A failing library call: an unknown digitizer.
    void fail(PEX_INT number) { PexDigAlloc(m_system, number, L"PX_DEFAULT", 4096, nullptr); }
    PEX_ID m_system = 0;
};

}  // namespace

TEST_F(TrackerTest, ALibraryFailureBecomesMinus1001WithTheLibraryTextOnItsThreadOnly)
{
    PexErrorTracker* tracker = PexErrorTracker::Instance();
    std::atomic<bool> failed{false}, checked{false};
    int32_t other = 1;
    std::thread failing([&] {
        fail(9);
        fail(8);  // the second error of a thread is dropped
        failed = true;
        while (!checked)
            std::this_thread::yield();
        EXPECT_EQ(PexErrorTracker::CheckThreadError(tracker), -1001);
        LastErrorRecord record;
        ASSERT_TRUE(GetLastGenTLError(&record));
        EXPECT_EQ(record.code, -1001);
        EXPECT_EQ(record.text, "PexDigAlloc: no such digitizer.\nDigitizer 9 does not exist on this board.\n");
        EXPECT_EQ(PexErrorTracker::CheckThreadError(tracker), 0) << "taken once";
    });
    while (!failed)
        std::this_thread::yield();
    other = PexErrorTracker::CheckThreadError(tracker);
    checked = true;
    failing.join();
    EXPECT_EQ(other, 0) << "the error belongs to the failing thread";
}

TEST_F(TrackerTest, MessagePartsKeepTheirLastCharacterWhenSizesLeaveOutTheNul)
{
    PexSysFree(m_system);
    ASSERT_TRUE(PexTestConfigure("[library]\nsizes_without_nul = 1\n"));
    m_system = PexSysAlloc(PEX_DEFAULT, L"PX_SYSTEM_TARSILCXP", 0, PEX_DEFAULT, nullptr);
    PexErrorTracker* tracker = PexErrorTracker::Instance();
    fail(9);
    EXPECT_EQ(PexErrorTracker::CheckThreadError(tracker), -1001);
    LastErrorRecord record;
    ASSERT_TRUE(GetLastGenTLError(&record));
    EXPECT_EQ(record.text, "PexDigAlloc: no such digitizer.\nDigitizer 9 does not exist on this board.\n");
    PexSysFree(m_system);
    ASSERT_TRUE(PexTestConfigure(""));
    m_system = PexSysAlloc(PEX_DEFAULT, L"PX_SYSTEM_TARSILCXP", 0, PEX_DEFAULT, nullptr);
}

TEST_F(TrackerTest, ConcurrentFirstCallsInstallOneTrackerWithOneHook)
{
    const size_t hooksBefore = PexTestHookCount(0);
    std::vector<PexErrorTracker*> seen(8, nullptr);
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&, i] {
            while (!go)
                std::this_thread::yield();
            seen[i] = PexErrorTracker::Instance();
            fail(9);
            EXPECT_EQ(PexErrorTracker::CheckThreadError(seen[i]), -1001) << "the installed tracker works";
        });
    go = true;
    for (auto& t : threads)
        t.join();
    for (PexErrorTracker* t : seen)
        EXPECT_EQ(t, seen[0]);
    EXPECT_EQ(PexTestHookCount(0), hooksBefore + 1);
    PexErrorTracker::Teardown();
    EXPECT_EQ(PexTestHookCount(0), hooksBefore);
}

TEST_F(TrackerTest, ARecordLeftByAFinishedThreadIsNotInheritedByItsIdsNextOwner)
{
    PexErrorTracker* tracker = PexErrorTracker::Instance();
    const uint64_t finished = 1000000001, reused = 1000000002;
    tracker->RecordError(77, finished, 5, L"old\n");
    std::wstring text;
    EXPECT_FALSE(tracker->TakeError(77, reused, &text));
    EXPECT_FALSE(tracker->TakeError(77, finished, &text)) << "the stale record is gone";
    tracker->RecordError(77, finished, 5, L"old\n");
    EXPECT_FALSE(tracker->HasError(77, reused));
    tracker->RecordError(77, reused, 6, L"new\n");
    EXPECT_TRUE(tracker->TakeError(77, reused, &text));
    EXPECT_EQ(text, L"new\n");
}

TEST_F(TrackerTest, ACheckWithoutAnErrorLeavesTheLastErrorAlone)
{
    SetLastGenTLError(-1010, "earlier");
    EXPECT_EQ(PexErrorTracker::CheckThreadError(PexErrorTracker::Instance()), 0);
    LastErrorRecord record;
    ASSERT_TRUE(GetLastGenTLError(&record));
    EXPECT_EQ(record.code, -1010);
}

TEST(CvnServicesBindingTest, TheServicesLibraryIsFoundByNameAndItsHandleOpensDiscovery)
{
    ASSERT_TRUE(CvnServicesBinding::Available());
    const uint64_t handle = CvnServicesBinding::Open();
    ASSERT_NE(handle, 0u);
    PEX_INT systems = -1;
    PexAppInquire(handle, 15121, &systems);
    EXPECT_EQ(systems, 1);
    CvnServicesBinding::Close();
}
