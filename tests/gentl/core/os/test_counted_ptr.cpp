#include "CountedPtr.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <thread>
#include <vector>

// Allocation failure on demand: the next operator new on this thread throws.
namespace {
thread_local bool t_failNextAllocation = false;
}

void* operator new(std::size_t size)
{
    if (t_failNextAllocation) {
        t_failNextAllocation = false;
        throw std::bad_alloc();
    }
    void* p = std::malloc(size ? size : 1);
    if (p == nullptr)
        throw std::bad_alloc();
    return p;
}

// Paired with the operator new above, which takes its memory from malloc.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace {

using GenTLCore::CountedPtr;

struct Counted {
    static std::atomic<int> destroyed;
    virtual ~Counted() { destroyed.fetch_add(1); }
    int value = 7;
};
std::atomic<int> Counted::destroyed{0};

struct DerivedCounted : Counted {
    explicit DerivedCounted(std::atomic<int>* derivedDestroyed) : m_destroyed(derivedDestroyed) {}
    ~DerivedCounted() override { m_destroyed->fetch_add(1); }
    std::atomic<int>* m_destroyed;
};

struct Unrelated {
    virtual ~Unrelated() = default;
};

class CountedPtrTest : public ::testing::Test {
protected:
    void SetUp() override { Counted::destroyed = 0; }
};

TEST_F(CountedPtrTest, EmptyHandlesOwnCountsOfTheirOwn)
{
    CountedPtr<Counted> empty;
    EXPECT_TRUE(empty.IsNull());
    EXPECT_FALSE(empty);
    EXPECT_EQ(empty.UseCount(), 1);
    {
        CountedPtr<Counted> first(empty);
        CountedPtr<Counted> second(empty);
        EXPECT_EQ(empty.UseCount(), 1);
        EXPECT_EQ(first.UseCount(), 1);
        EXPECT_EQ(second.UseCount(), 1);
    }
    EXPECT_EQ(empty.UseCount(), 1);
    EXPECT_EQ(Counted::destroyed.load(), 0);
}

TEST_F(CountedPtrTest, LastReleaseDestroysOnce)
{
    auto* second = new CountedPtr<Counted>();
    {
        CountedPtr<Counted> first(new Counted());
        *second = first;
        EXPECT_EQ(first.UseCount(), 2);
        EXPECT_TRUE(first == *second);
    }
    EXPECT_EQ(second->UseCount(), 1);
    EXPECT_EQ((*second)->value, 7);
    EXPECT_EQ(Counted::destroyed.load(), 0);
    delete second;
    EXPECT_EQ(Counted::destroyed.load(), 1);
}

TEST_F(CountedPtrTest, AssignmentResetAndSelfAssignmentKeepTheCount)
{
    CountedPtr<Counted> a(new Counted());
    CountedPtr<Counted> b(new Counted());
    const CountedPtr<Counted>& alias = a;
    a = alias;
    EXPECT_EQ(a.UseCount(), 1);
    EXPECT_EQ(Counted::destroyed.load(), 0);
    a = b; // the first object loses its last handle
    EXPECT_EQ(Counted::destroyed.load(), 1);
    EXPECT_EQ(b.UseCount(), 2);
    a.Reset();
    EXPECT_TRUE(a.IsNull());
    EXPECT_EQ(b.UseCount(), 1);
    b.Reset(new Counted());
    EXPECT_EQ(Counted::destroyed.load(), 2);
}

TEST_F(CountedPtrTest, BaseHandleDestroysTheDerivedObject)
{
    std::atomic<int> derivedDestroyed{0};
    {
        CountedPtr<DerivedCounted> derived(new DerivedCounted(&derivedDestroyed));
        CountedPtr<Counted> base(derived);
        EXPECT_EQ(base.UseCount(), 2);
        derived.Reset();
        EXPECT_EQ(derivedDestroyed.load(), 0);
    }
    EXPECT_EQ(derivedDestroyed.load(), 1);
    EXPECT_EQ(Counted::destroyed.load(), 1);
}

TEST_F(CountedPtrTest, CastsShareTheCountAndAFailedCastGetsAFreshOne)
{
    std::atomic<int> derivedDestroyed{0};
    CountedPtr<Counted> base(new DerivedCounted(&derivedDestroyed));
    {
        CountedPtr<DerivedCounted> down = base.DynamicCast<DerivedCounted>();
        ASSERT_FALSE(down.IsNull());
        EXPECT_EQ(base.UseCount(), 2);
        CountedPtr<Unrelated> wrong = base.DynamicCast<Unrelated>();
        EXPECT_TRUE(wrong.IsNull());
        EXPECT_EQ(wrong.UseCount(), 1);
        EXPECT_EQ(base.UseCount(), 2);
        CountedPtr<DerivedCounted> known = base.StaticCast<DerivedCounted>();
        EXPECT_EQ(base.UseCount(), 3);
    }
    EXPECT_EQ(base.UseCount(), 1);
    CountedPtr<Counted> empty;
    EXPECT_EQ(empty.DynamicCast<DerivedCounted>().UseCount(), 1);
    EXPECT_EQ(empty.UseCount(), 1);
    base.Reset();
    EXPECT_EQ(derivedDestroyed.load(), 1);
}

TEST_F(CountedPtrTest, FailedCountAllocationDestroysTheObject)
{
    Counted* raw = new Counted();
    bool threw = false;
    try {
        t_failNextAllocation = true;
        CountedPtr<Counted> handle(raw);
        ADD_FAILURE() << "construction should have failed";
    } catch (const std::bad_alloc&) {
        threw = true;
    }
    t_failNextAllocation = false;
    EXPECT_TRUE(threw);
    EXPECT_EQ(Counted::destroyed.load(), 1);
}

TEST_F(CountedPtrTest, EightThreadsCopyAndReleaseOnePointer)
{
    constexpr int kThreads = 8;
    constexpr int kRounds = 1000000;
    std::atomic<int> derivedDestroyed{0};
    CountedPtr<Counted> shared(new DerivedCounted(&derivedDestroyed));
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&shared, &go] {
            while (!go.load())
                std::this_thread::yield();
            for (int i = 0; i < kRounds; ++i) {
                CountedPtr<Counted> copy(shared);
                CountedPtr<Counted> second = copy;
            }
        });
    }
    go = true;
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(shared.UseCount(), 1);
    EXPECT_EQ(derivedDestroyed.load(), 0);
    shared.Reset();
    EXPECT_EQ(derivedDestroyed.load(), 1);
    EXPECT_EQ(Counted::destroyed.load(), 1);
}

TEST_F(CountedPtrTest, WhicheverThreadReleasesLastDestroysOnce)
{
    constexpr int kThreads = 8;
    for (int round = 0; round < 200; ++round) {
        std::atomic<int> derivedDestroyed{0};
        std::vector<std::thread> threads;
        {
            CountedPtr<Counted> shared(new DerivedCounted(&derivedDestroyed));
            for (int t = 0; t < kThreads; ++t) {
                threads.emplace_back([mine = shared]() mutable {
                    for (int i = 0; i < 100; ++i) {
                        CountedPtr<Counted> copy(mine);
                    }
                    mine.Reset();
                });
            }
        }
        for (auto& thread : threads)
            thread.join();
        ASSERT_EQ(derivedDestroyed.load(), 1) << "round " << round;
    }
}

} // namespace
