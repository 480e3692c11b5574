#include "platform/os/DebugOutput.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>
#include <vector>

// Debugger output is written only when LUMA_DEBUG_OUTPUT asks for it; the
// probe program shows the switch, the tests below the lines it writes.
TEST(DebugOutput, WrittenOnlyWhenTheSwitchIsSet)
{
    const struct {
        const char* environment;
        const char* expected;
    } cases[] = {
        {"-u LUMA_DEBUG_OUTPUT", ""},
        {"LUMA_DEBUG_OUTPUT=", ""},
        {"LUMA_DEBUG_OUTPUT=0", ""},
        {"LUMA_DEBUG_OUTPUT=1", "probe\n"},
    };
    for (const auto& c : cases) {
        const std::string command = std::string("env ") + c.environment + " '" DEBUG_OUTPUT_PROBE "' 2>&1";
        FILE* pipe = ::popen(command.c_str(), "r");
        ASSERT_NE(pipe, nullptr);
        std::string out;
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe))
            out += buffer;
        EXPECT_EQ(::pclose(pipe), 0) << c.environment;
        EXPECT_EQ(out, c.expected) << c.environment;
    }
}

TEST(DebugOutput, OneWholeLinePerCall)
{
    testing::internal::CaptureStderr();
    platform::os::debugOutputAlways("first");
    platform::os::debugOutputAlways(std::string("second\n"));
    platform::os::debugOutputAlways(static_cast<const char*>(nullptr));
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
                platform::os::debugOutputAlways(t % 2 ? a : b);
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
