// The library's general contract: errors, hooks, ids, discovery and the
// configuration.
#include "PexTestSupport.h"

#include <platform/services/CvnServices.h>

#include <atomic>
#include <set>

using namespace pextest;

namespace {

const char* const kTwoTarsils =
    "[system]\ntype = 14\nname = TarsilA\n[board]\ncameras = 1\n[board]\nserial = B-77\nvalue = 42\n"
    "[system]\ntype = 3\nname = Other\n"
    "[system]\ntype = 14\nname = TarsilB\n[board]\n[camera]\ndevice = 3\nmodel = M-9\nserial = S9\n"
    "[system]\ntype = 18\nname = Quenda\nboards = 0\n";

}  // namespace

TEST_F(PexFixture, FailingCallRaisesOnItsThreadBeforeReturningWithTheMessageParts)
{
    ErrorProbe probe;
    allocSystem();
    std::thread::id failing;
    std::thread worker([&] {
        failing = std::this_thread::get_id();
        EXPECT_EQ(PexDigAlloc(system, 9, L"PX_DEFAULT", 4096, nullptr), 0u);
        EXPECT_EQ(probe.calls, 1) << "raised before the call returned";
        EXPECT_NE(PexAppGetError(PEX_DEFAULT, 8, nullptr), 0);
        EXPECT_EQ(errorPart(0x210B0000), L"Digitizer 9 does not exist on this board.");
        EXPECT_EQ(errorPart(0x210C0000), L"Null.");
        EXPECT_EQ(errorPart(0x210D0000), L"");
    });
    worker.join();
    EXPECT_EQ(probe.thread, failing);
    EXPECT_NE(probe.code, 0) << "PexAppGetError answers inside the hook";
    EXPECT_EQ(probe.source, system);
    EXPECT_EQ(probe.main, L"PexDigAlloc: no such digitizer.");
    std::thread([] {
        EXPECT_EQ(PexAppGetError(PEX_DEFAULT, 8, nullptr), 0) << "the error belongs to the failing thread";
    }).join();
}

TEST_F(PexFixture, UnknownUnhookAndFreeOfAnAutoFreedIdRaiseNothing)
{
    ErrorProbe probe;
    allocSystem();
    const PEX_ID dig = PexDigAlloc(system, 0, L"PX_DEFAULT", 4096, nullptr);
    const PEX_ID buf = PexBufAllocColor(system, 1, 16, 16, 8, 12, nullptr);
    PexDigHookFunction(dig, 4 + PEX_UNHOOK, &ErrorProbe::hook, &probe);
    PexAppHookFunction(PEX_DEFAULT, PEX_ERROR_CURRENT_HOOK + PEX_UNHOOK, &ErrorProbe::hook, nullptr);
    PexSysFree(system);
    system = 0;
    PexDigFree(dig);
    PexBufFree(buf);
    EXPECT_EQ(probe.calls, 0);
    PexBufFree(0x4242);
    EXPECT_EQ(probe.calls, 1) << "an id never allocated is an error";
}

// A buffer whose byte count passes the library's limit is refused, also when
// the product of its dimensions overflows 64 bits.
TEST_F(PexFixture, BuffersPastTheSizeLimitAreRefusedWhateverTheirProductWouldWrapTo)
{
    ErrorProbe probe;
    allocSystem();
    const struct {
        PEX_INT bands, width, height, type;
    } refused[] = {
        {1, 3, 0x5555555555555500, 8},                     // 2^64 - 256 bytes, wrapped
        {1, 255, 0x0101010101010101, 8},                   // 2^64 - 1
        {3, 640, INT64_MAX / 640 + 1, 16},                 // past 2^63
        {1, INT64_MAX, INT64_MAX, 8},
        {3, INT64_MAX / 6 + 1, 1, 16},                     // the pitch alone
        {1, int64_t(1) << 17, (int64_t(1) << 17) + 1, 8},  // 2^34 + 2^17, no overflow
    };
    int calls = 0;
    for (const auto& c : refused) {
        EXPECT_EQ(PexBufAllocColor(system, c.bands, c.width, c.height, c.type, 12, nullptr), 0u)
            << c.bands << " x " << c.width << " x " << c.height << " x " << c.type;
        EXPECT_EQ(probe.calls, ++calls);
    }
    EXPECT_EQ(probe.main, L"PexBufAllocColor: invalid buffer size or type.");
    EXPECT_EQ(PexBufAlloc1d(system, INT64_MAX / 2 + 1, 16, 12), 0u);
    EXPECT_EQ(probe.calls, ++calls);
}

TEST_F(PexFixture, IdsAreNeverDefaultAndHaveBit800000Clear)
{
    allocSystem();
    std::set<PEX_ID> ids{system};
    ids.insert(PexDigAlloc(system, 0, L"PX_DEFAULT", 4096, nullptr));
    ids.insert(PexDigAlloc(system, 1, L"PX_DEFAULT", 4096, nullptr));
    ids.insert(PexBufAllocColor(system, 3, 8, 8, 8, 12 + 0x20800, nullptr));
    ids.insert(PexBufAlloc1d(system, 3, 0x48000020, 64));
    ids.insert(PexThrAlloc(system, 4096, PEX_DEFAULT, 0, 0, 0));
    ids.insert(PexThrAlloc(system, 128, 0x4020, 0, 0, 0));
    EXPECT_EQ(ids.size(), 7u);
    for (PEX_ID id : ids) {
        EXPECT_NE(id, 0u);
        EXPECT_NE(id, PEX_ID(PEX_DEFAULT));
        EXPECT_EQ(id & 0x800000, 0u) << std::hex << id;
    }
}

// A callback that blocks until released, to see whether unhook waits.
struct BlockingHook {
    std::mutex mutex;
    std::condition_variable cv;
    bool inside = false;
    bool release = false;
    std::atomic<bool> finished{false};
    static PEX_INT hook(PEX_INT, PEX_ID, void* user)
    {
        auto* b = static_cast<BlockingHook*>(user);
        std::unique_lock<std::mutex> lock(b->mutex);
        b->inside = true;
        b->cv.notify_all();
        b->cv.wait(lock, [&] { return b->release; });
        b->finished = true;
        return 0;
    }
};

TEST(PexHooksTest, UnhookReturnsOnlyOnceNoOtherThreadRunsTheCallback)
{
    BlockingHook block;
    PexAppHookFunction(PEX_DEFAULT, PEX_ERROR_CURRENT_HOOK, &BlockingHook::hook, &block);
    std::thread failing([] { PexAppControl(0x1234, 1, 1); });
    {
        std::unique_lock<std::mutex> lock(block.mutex);
        block.cv.wait(lock, [&] { return block.inside; });
    }
    std::atomic<bool> unhooked{false};
    bool finishedAtReturn = false;
    std::thread remover([&] {
        PexAppHookFunction(PEX_DEFAULT, PEX_ERROR_CURRENT_HOOK + PEX_UNHOOK, &BlockingHook::hook, &block);
        finishedAtReturn = block.finished;
        unhooked = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(unhooked) << "unhook returned while the callback ran";
    {
        std::lock_guard<std::mutex> lock(block.mutex);
        block.release = true;
        block.cv.notify_all();
    }
    remover.join();
    failing.join();
    EXPECT_TRUE(finishedAtReturn);
}

TEST(PexHooksTest, ACallbackMayUnhookItselfAndSharedTypesKeepEveryPair)
{
    struct Self {
        int calls = 0;
        static PEX_INT hook(PEX_INT, PEX_ID, void* user)
        {
            auto* s = static_cast<Self*>(user);
            ++s->calls;
            PexAppHookFunction(PEX_DEFAULT, PEX_ERROR_CURRENT_HOOK + PEX_UNHOOK, &hook, user);
            return 0;
        }
    } first, second;
    PexAppHookFunction(PEX_DEFAULT, PEX_ERROR_CURRENT_HOOK, &Self::hook, &first);
    PexAppHookFunction(PEX_DEFAULT, PEX_ERROR_CURRENT_HOOK, &Self::hook, &second);
    PexAppControl(0x1234, 1, 1);
    PexAppControl(0x1234, 1, 1);
    EXPECT_EQ(first.calls, 1);
    EXPECT_EQ(second.calls, 1);
    EXPECT_EQ(PexTestHookCount(0), 0u);
}

TEST_F(PexFixture, DiscoveryAnswersThroughTheServicesHandle)
{
    configure(kTwoTarsils);
    const uint64_t services = CvnServicesOpen();
    auto app = [&](PEX_INT code) {
        PEX_INT v = -1;
        PexAppInquire(services, code, &v);
        return v;
    };
    ASSERT_EQ(app(15121), 4);
    const std::vector<PEX_INT> types = {app(24920), app(24921), app(24922), app(24923)};
    EXPECT_EQ(types, (std::vector<PEX_INT>{14, 3, 14, 18}));
    const std::vector<PEX_INT> boards = {app(25500), app(25501), app(25502), app(25503)};
    EXPECT_EQ(boards, (std::vector<PEX_INT>{2, 1, 1, 0}));
    EXPECT_EQ(text([&](PEX_INT c, void* out) { PexAppInquire(services, c, out); }, 22066), L"TarsilB");
    CvnServicesClose();

    // Board 2 of type 14 is the first board of the second Tarsil system.
    ErrorProbe probe;
    ASSERT_NE(allocSystem(2), 0u);
    auto sys = [&](PEX_INT code) {
        PEX_INT v = -1;
        PexSysInquire(system, code, &v);
        return v;
    };
    EXPECT_EQ(sys(1009), 2);
    EXPECT_EQ(sys(1082), 0) << "no cameras before discovery";
    PexSysControl(system, 1081, PEX_DEFAULT);
    EXPECT_EQ(sys(1082), 1);
    EXPECT_EQ(sys(1200), 3);
    EXPECT_EQ(sys(2004), 1);
    auto sysText = [&](PEX_INT code) {
        return text([&](PEX_INT c, void* out) { PexSysInquire(system, c, out); }, code);
    };
    EXPECT_EQ(sysText(33000), L"M-9");
    EXPECT_EQ(sysText(34280), L"S9");
    EXPECT_EQ(sysText(33256), L"Corvane Imaging");
    EXPECT_EQ(sys(2155), -1) << "an unknown board value leaves out unchanged";
    EXPECT_EQ(probe.calls, 0);
    PexSysFree(system);

    allocSystem(1);
    EXPECT_EQ(sys(2155), 42);
    EXPECT_EQ(text([&](PEX_INT c, void* out) { PexSysInquire(system, c, out); }, 7703), L"B-77");
    EXPECT_EQ(PexSysAlloc(PEX_DEFAULT, L"PX_SYSTEM_TARSILCXP", 3, PEX_DEFAULT, nullptr), 0u);
    EXPECT_EQ(probe.calls, 1);
}

TEST_F(PexFixture, FaultSwitchesRefuseWhatTheySay)
{
    configure("[board]\nrefuse_discovery = 1\n[camera]\nfail_dig_alloc = 1\n[camera]\ndevice = 1\n"
              "fail_control = 4127\n");
    ErrorProbe probe;
    allocSystem();
    PexSysControl(system, 1081, PEX_DEFAULT);
    EXPECT_EQ(probe.calls, 1);
    EXPECT_EQ(PexDigAlloc(system, 0, L"PX_DEFAULT", 4096, nullptr), 0u);
    EXPECT_EQ(probe.calls, 2);
    const PEX_ID dig = PexDigAlloc(system, 1, L"PX_DEFAULT", 4096, nullptr);
    ASSERT_NE(dig, 0u);
    PexDigControl(dig, 4016, 3);
    EXPECT_EQ(probe.calls, 2);
    PexDigControl(dig, 4127, -1);
    EXPECT_EQ(probe.calls, 3);
    EXPECT_EQ(PexDigAlloc(system, 1, L"PX_DEFAULT", 4096, nullptr), 0u) << "a digitizer is exclusive";
    EXPECT_EQ(probe.calls, 4);
}

TEST(PexConfigTest, SectionsNestAndCountsFillWhatIsNotListed)
{
    struct Case {
        const char* text;
        PEX_INT systems;
        PEX_INT firstBoards;
    };
    const Case cases[] = {
        {"", 1, 1},
        {"[system]\nboards = 3\n", 1, 3},
        {"[board]\n[board]\n[system]\n", 2, 2},
        {"# comment\n[camera]\nwidth = 8\n", 1, 1},
    };
    const uint64_t services = CvnServicesOpen();
    for (const Case& c : cases) {
        ASSERT_TRUE(PexTestConfigure(c.text));
        PEX_INT n = 0, boards = 0;
        PexAppInquire(services, 15121, &n);
        PexAppInquire(services, 25500, &boards);
        EXPECT_EQ(n, c.systems) << c.text;
        EXPECT_EQ(boards, c.firstBoards) << c.text;
    }
    CvnServicesClose();
    PexTestConfigure("");
}
