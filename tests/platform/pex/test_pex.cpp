#include <platform/pex/PexTest.h>

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

namespace {

struct HookRecord {
    int calls = 0;
    PEX_INT type = 0;
    PEX_ID context = 0;
    std::thread::id thread;
};

PEX_INT recordHook(PEX_INT type, PEX_ID context, void* user)
{
    HookRecord* r = static_cast<HookRecord*>(user);
    ++r->calls;
    r->type = type;
    r->context = context;
    r->thread = std::this_thread::get_id();
    return 0;
}

}  // namespace

TEST(PexApplicationTest, SettingsArePerThread)
{
    PexAppControl(PEX_DEFAULT, 0x41000000, 12);
    PEX_INT out = -1;
    EXPECT_EQ(PexAppInquire(PEX_DEFAULT, 0x41000000, &out), 12);
    EXPECT_EQ(out, 12);
    std::thread other([] {
        PEX_INT value = -1;
        EXPECT_EQ(PexAppInquire(PEX_DEFAULT, 0x41000000, &value), 0);
        EXPECT_EQ(value, 0);
        PexAppControl(PEX_DEFAULT, 0x41000000, 3);
    });
    other.join();
    EXPECT_EQ(PexAppInquire(PEX_DEFAULT, 0x41000000, nullptr), 12);
}

TEST(PexApplicationTest, CallLogRecordsEveryCallInOrder)
{
    PexTestSetCallLog(1);
    PexTestClearCallLog();
    PexAppControl(PEX_DEFAULT, 0x41000000, 7);
    PEX_INT value = 0;
    PexAppInquire(PEX_DEFAULT, 0x41000000, &value);
    ASSERT_EQ(PexTestCallCount(), 2u);
    EXPECT_STREQ(PexTestCallName(0), "PexAppControl");
    EXPECT_STREQ(PexTestCallName(1), "PexAppInquire");
    EXPECT_EQ(PexTestCallName(2), nullptr);
    PEX_ID context = 0;
    PEX_INT code = 0, logged = 0;
    ASSERT_TRUE(PexTestCallArgs(1, &context, &code, &logged));
    EXPECT_EQ(context, static_cast<PEX_ID>(PEX_DEFAULT));
    EXPECT_EQ(code, 0x41000000);
    EXPECT_EQ(logged, 7);
    EXPECT_EQ(PexTestCallCountOf("PexAppInquire"), 1u);
    EXPECT_FALSE(PexTestCallArgs(5, nullptr, nullptr, nullptr));
    PexTestClearCallLog();
    EXPECT_EQ(PexTestCallCount(), 0u);
    PexTestSetCallLog(0);
    PexAppInquire(PEX_DEFAULT, 0x41000000, &value);
    EXPECT_EQ(PexTestCallCount(), 0u) << "the log is off unless a test turns it on";
}

TEST(PexApplicationTest, ErrorHookRunsOnTheFailingThreadUntilUnhooked)
{
    HookRecord record;
    PexAppHookFunction(PEX_DEFAULT, PEX_ERROR_CURRENT_HOOK, &recordHook, &record);
    std::thread::id failing;
    std::thread other([&] {
        failing = std::this_thread::get_id();
        PexAppControl(0x1234, 1, 1);  // not a context of the library
        EXPECT_NE(PexAppGetError(PEX_DEFAULT, PEX_ERROR_CURRENT, nullptr), 0);
    });
    other.join();
    EXPECT_EQ(record.calls, 1);
    EXPECT_EQ(record.type, PEX_ERROR_CURRENT_HOOK);
    EXPECT_EQ(record.context, 0x1234u);
    EXPECT_EQ(record.thread, failing);
    std::thread([] {
        EXPECT_EQ(PexAppGetError(PEX_DEFAULT, PEX_ERROR_CURRENT, nullptr), 0) << "the error was the other thread's";
    }).join();

    PexAppHookFunction(PEX_DEFAULT, PEX_ERROR_CURRENT_HOOK + PEX_UNHOOK, &recordHook, &record);
    PexAppInquire(0x1234, 1, nullptr);
    EXPECT_EQ(record.calls, 1);
}
