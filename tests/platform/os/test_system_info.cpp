#include "platform/os/SystemInfo.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace os = platform::os;

TEST(SystemInfo, MemoryIsPlausible)
{
    os::PhysicalMemory mem;
    ASSERT_TRUE(os::physicalMemory(&mem));
    EXPECT_GT(mem.totalBytes, 64ull << 20);
    EXPECT_LE(mem.availableBytes, mem.totalBytes);
    EXPECT_FALSE(os::physicalMemory(nullptr));
}

TEST(SystemInfo, WorkingDirectoryAndClock)
{
    char buf[4096];
    ASSERT_NE(::getcwd(buf, sizeof buf), nullptr);
    EXPECT_EQ(os::currentDirectory(), buf);

    EXPECT_EQ(os::highResFrequency(), 1000000000ull);
    const uint64_t t0 = os::highResCounter();
    os::sleepMs(20);
    const uint64_t t1 = os::highResCounter();
    EXPECT_GE(t1 - t0, 20ull * 1000000ull);
}
