#include "LastGenTLError.h"
#include "TLLogMessage.h"
#include "TLSControl.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>

using namespace GenTLCore;

namespace {

LastErrorRecord readLast()
{
    LastErrorRecord record;
    record.code = 12345;
    record.text = "unread";
    EXPECT_TRUE(GetLastGenTLError(&record));
    return record;
}

}  // namespace

TEST(LastErrorTest, AThreadThatStoredNothingReadsNoError)
{
    std::thread other([] { SetLastGenTLError(-1006, "other thread"); });
    other.join();
    std::thread fresh([] {
        const LastErrorRecord r = readLast();
        EXPECT_EQ(r.code, 0);
        EXPECT_EQ(r.text, "No Error");
    });
    fresh.join();
}

TEST(LastErrorTest, TwoThreadsEachReadTheirOwnError)
{
    std::atomic<int> stored{0};
    std::atomic<bool> go{false};
    auto worker = [&](int32_t code, const char* text) {
        EXPECT_TRUE(SetLastGenTLError(code, text));
        ++stored;
        while (!go.load())
            std::this_thread::yield();
        const LastErrorRecord r = readLast();
        EXPECT_EQ(r.code, code);
        EXPECT_EQ(r.text, text);
    };
    std::thread a(worker, -1006, "TLGetInfo: error of thread a");
    std::thread b(worker, -1009, "DSGetInfo: error of thread b");
    while (stored.load() < 2)
        std::this_thread::yield();
    go = true;
    a.join();
    b.join();
}

TEST(LastErrorTest, StoredErrorStaysUntilTheNextStoreAndCodeZeroIsStoredSilently)
{
    std::thread t([] {
        SetLogLevel(6);
        SetLastGenTLError(-1011, "EventGetData: timeout");
        EXPECT_EQ(readLast().code, -1011);
        EXPECT_EQ(readLast().code, -1011) << "reading does not clear";
        testing::internal::CaptureStderr();
        EXPECT_TRUE(SetLastGenTLError(0, "cleared"));
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
        SetLogLevel(0);
        const LastErrorRecord r = readLast();
        EXPECT_EQ(r.code, 0);
        EXPECT_EQ(r.text, "cleared");
    });
    t.join();
}

TEST(LastErrorTest, ResetAllClearsEveryThread)
{
    std::atomic<int> phase{0};
    std::thread t([&] {
        SetLastGenTLError(-1004, "in use");
        phase = 1;
        while (phase.load() != 2)
            std::this_thread::yield();
        const LastErrorRecord r = readLast();
        EXPECT_EQ(r.code, 0);
        EXPECT_EQ(r.text, "No Error");
    });
    SetLastGenTLError(-1005, "denied");
    while (phase.load() != 1)
        std::this_thread::yield();
    ResetAllLastErrors();
    EXPECT_EQ(readLast().code, 0);
    phase = 2;
    t.join();
}

TEST(LastErrorTest, AThreadsRecordIsFreedWhenItEnds)
{
    TLSControl* control = GetTLSControl();
    ASSERT_NE(control, nullptr);
    ReleaseThreadLastError();
    const size_t before = control->RecordCount();
    std::thread t([] { SetLastGenTLError(-1001, "ending"); });
    t.join();
    EXPECT_EQ(control->RecordCount(), before);
    // Releasing the own record explicitly, twice, is harmless.
    SetLastGenTLError(-1001, "mine");
    EXPECT_EQ(control->RecordCount(), before + 1);
    ReleaseThreadLastError();
    ReleaseThreadLastError();
    EXPECT_EQ(control->RecordCount(), before);
    EXPECT_EQ(readLast().code, 0);
}

TEST(LastErrorTest, ErrorNames)
{
    EXPECT_STREQ(GenTLErrorName(0), "GC_ERR_SUCCESS");
    const char* names[] = {"GC_ERR_ERROR", "GC_ERR_NOT_INITIALIZED", "GC_ERR_NOT_IMPLEMENTED",
                           "GC_ERR_RESOURCE_IN_USE", "GC_ERR_ACCESS_DENIED", "GC_ERR_INVALID_HANDLE",
                           "GC_ERR_INVALID_ID", "GC_ERR_NO_DATA", "GC_ERR_INVALID_PARAMETER", "GC_ERR_IO",
                           "GC_ERR_TIMEOUT", "GC_ERR_ABORT", "GC_ERR_INVALID_BUFFER", "GC_ERR_NOT_AVAILABLE",
                           "GC_ERR_INVALID_ADDRESS", "GC_ERR_BUFFER_TOO_SMALL", "GC_ERR_INVALID_INDEX",
                           "GC_ERR_PARSING_CHUNK_DATA", "GC_ERR_INVALID_VALUE", "GC_ERR_RESOURCE_EXHAUSTED",
                           "GC_ERR_OUT_OF_MEMORY", "GC_ERR_BUSY"};
    for (int i = 0; i < 22; ++i)
        EXPECT_STREQ(GenTLErrorName(-1001 - i), names[i]) << -1001 - i;
    EXPECT_STREQ(GenTLErrorName(-1023), "Unknown error code");
    EXPECT_STREQ(GenTLErrorName(-1000), "Unknown error code");
    EXPECT_STREQ(GenTLErrorName(-10000), "Unknown error code");
    EXPECT_STREQ(GenTLErrorName(1), "Unknown error code");
}

TEST(LastErrorTest, AfterShutDownNothingIsStoredLoggedOrRead)
{
    // The flag is never cleared, so this runs in a child process.
    EXPECT_EXIT(
        {
            SetLogLevel(6);
            SetLastGenTLError(-1001, "before");
            GetTLSControl()->Shutdown();
            const bool stored = SetLastGenTLError(-1002, "after");
            LastErrorRecord r;
            const bool read = GetLastGenTLError(&r);
            std::exit(!stored && !read && IsLastErrorStoreShutDown() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "Corvane CoaXPress TLErr +Error .*before\n$");
}
