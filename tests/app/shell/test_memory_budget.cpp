// Memory budgets for frame rings and stack files.
#include <gtest/gtest.h>

#include "MemoryBudget.h"

namespace {
constexpr uint64_t GiB = 1ull << 30;
}

TEST(MemoryBudget, PerCameraShareOfTheFreeMemory)
{
    EXPECT_DOUBLE_EQ(MemoryBudget::perCamera(20 * GiB, 2, false), 6.0 * GiB);
    EXPECT_DOUBLE_EQ(MemoryBudget::perCamera(20 * GiB, 2, true), 3.0 * GiB);
    EXPECT_DOUBLE_EQ(MemoryBudget::perCamera(10 * GiB, 1, false), 7.0 * GiB);
    // No opened camera counts as one; exactly 13 GiB is not above the bound.
    EXPECT_DOUBLE_EQ(MemoryBudget::perCamera(10 * GiB, 0, false), 7.0 * GiB);
    EXPECT_DOUBLE_EQ(MemoryBudget::perCamera(13 * GiB, 1, false), 13.0 * GiB * 0.7);
}

TEST(MemoryBudget, RingLimitIsNeverBelowFour)
{
    EXPECT_EQ(MemoryBudget::ringLimit(1000.0, 0, 100), 10);
    EXPECT_EQ(MemoryBudget::ringLimit(1000.0, 500, 100), 15);
    EXPECT_EQ(MemoryBudget::ringLimit(100.0, 0, 100), 4);
    EXPECT_EQ(MemoryBudget::ringLimit(0.0, 0, 0), 4);
}

TEST(MemoryBudget, StackLimitLeavesRoomForTheTiffDirectories)
{
    const int64_t frame = 2048 * 2048;  // Mono 8
    EXPECT_EQ(MemoryBudget::stackLimit(8 * GiB, frame, 2000, 2), 1023);
    EXPECT_EQ(MemoryBudget::stackLimit(8 * GiB, frame, 2000, 1), 1024);
    EXPECT_EQ(MemoryBudget::stackLimit(8 * GiB, frame, 100, 2), 100);
    // Raw and tif together share half the memory at 60 %.
    EXPECT_EQ(MemoryBudget::stackLimit(4 * GiB, frame, 2000, 3), 307);
    EXPECT_EQ(MemoryBudget::stackLimit(0, frame, 10, 2), 0);
}
