#include "platform/os/DebugOutput.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

TEST(DebugOutput, OneWholeLinePerCall)
{
    testing::internal::CaptureStderr();
    platform::os::debugOutput("first");
    platform::os::debugOutput(std::string("second\n"));
    platform::os::debugOutput(static_cast<const char*>(nullptr));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "first\nsecond\n\n");
}

TEST(DebugOutput, LinesFromThreadsDoNotInterleave)
{
    testing::internal::CaptureStderr();
    const std::string a(300, 'a'), b(300, 'b');
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 50; ++i)
                platform::os::debugOutput(t % 2 ? a : b);
        });
    for (auto& th : threads)
        th.join();
    const std::string out = testing::internal::GetCapturedStderr();
    size_t pos = 0, lines = 0;
    while (pos < out.size()) {
        size_t nl = out.find('\n', pos);
        ASSERT_NE(nl, std::string::npos);
        const std::string line = out.substr(pos, nl - pos);
        EXPECT_TRUE(line == a || line == b);
        pos = nl + 1;
        ++lines;
    }
    EXPECT_EQ(lines, 200u);
}
