#include "GenTLBrandingCXP.h"
#include "LastGenTLError.h"
#include "LoggerInit.h"
#include "TLLogMessage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using namespace GenTLCore;

namespace {

// True when `line` is one log line: prefix, category in 12, level name in 8,
// thread id right-aligned in 8, seconds right-aligned in 16, four blanks and
// the text (without the line end).
bool isLogLine(const std::string& line, std::string category, std::string level, const std::string& text)
{
    if (category.size() < 12)
        category.resize(12, ' ');
    if (level.size() < 8)
        level.resize(8, ' ');
    const std::string head = "Corvane CoaXPress " + category + level;
    if (line.compare(0, head.size(), head) != 0 || line.size() != head.size() + 8 + 16 + 4 + text.size())
        return false;
    const std::string tid = line.substr(head.size(), 8);
    const std::string seconds = line.substr(head.size() + 8, 16);
    const size_t tidStart = tid.find_first_not_of(' ');
    if (tidStart == std::string::npos || tid.substr(tidStart).find_first_not_of("0123456789") != std::string::npos)
        return false;
    const size_t digits = seconds.find_first_not_of(' ');
    if (digits == std::string::npos || seconds.substr(digits).find_first_not_of("0123456789.e+-") != std::string::npos)
        return false;
    return line.compare(head.size() + 24, 4, "    ") == 0 && line.compare(head.size() + 28, std::string::npos, text) == 0;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        out.push_back(line);
    return out;
}

// Writes one line at each level 1 to 6, with the level in the text.
void writeEveryLevel()
{
    for (int32_t level = 1; level <= 6; ++level) {
        if (IsLogged(level)) {
            TLLogMessage message("Stream", level);
            message << "level " << level << std::endl;
        }
    }
}

class LogLevelTest : public ::testing::Test {
protected:
    void SetUp() override { SetLogLevel(0); }
    void TearDown() override
    {
        ::unsetenv("PEX_LOG_LEVEL");
        SetLogLevel(0);
    }
    // Reads the level from the variable as the producer does at load.
    void initWith(const char* value)
    {
        if (value)
            ::setenv("PEX_LOG_LEVEL", value, 1);
        else
            ::unsetenv("PEX_LOG_LEVEL");
        LoggerInit logger;
        logger.Init(CountedPtr<GenTLBranding>(new GenTLBrandingCXP()));
    }
    // The levels whose lines come out.
    std::vector<int> writtenLevels()
    {
        testing::internal::CaptureStderr();
        writeEveryLevel();
        std::vector<int> levels;
        for (const std::string& l : lines(testing::internal::GetCapturedStderr())) {
            const size_t at = l.rfind("level ");
            if (at != std::string::npos)
                levels.push_back(std::stoi(l.substr(at + 6)));
        }
        return levels;
    }
};

}  // namespace

TEST(TLLogMessageTest, HeaderFieldsAndWidths)
{
    SetLogLevel(6);
    testing::internal::CaptureStderr();
    {
        TLLogMessage message("TLErr", LOG_ERROR);
        message << "GenTL interface call failure: GC_ERR_INVALID_HANDLE, Requested handle not found in the pool"
                << std::endl;
    }
    const std::string out = testing::internal::GetCapturedStderr();
    SetLogLevel(0);
    ASSERT_FALSE(out.empty());
    EXPECT_EQ(out.back(), '\n');
    EXPECT_EQ(out.find('\n'), out.size() - 1) << "one line";
    EXPECT_TRUE(isLogLine(out.substr(0, out.size() - 1), "TLErr", "Error",
                          "GenTL interface call failure: GC_ERR_INVALID_HANDLE, Requested handle not found in the pool"))
        << out;
}

TEST(TLLogMessageTest, LongCategoryIsWrittenWhole)
{
    SetLogLevel(6);
    testing::internal::CaptureStderr();
    {
        TLLogMessage message("AVeryLongCategory", LOG_INFO);
        message << "text" << std::endl;
    }
    const std::string out = testing::internal::GetCapturedStderr();
    SetLogLevel(0);
    EXPECT_EQ(out.rfind("Corvane CoaXPress AVeryLongCategoryInfo    ", 0), 0u) << out;
}

TEST(TLLogMessageTest, LevelNames)
{
    EXPECT_STREQ(LogLevelName(1), "*");
    EXPECT_STREQ(LogLevelName(2), "Error");
    EXPECT_STREQ(LogLevelName(3), "Warning");
    EXPECT_STREQ(LogLevelName(4), "Info");
    EXPECT_STREQ(LogLevelName(5), "Debug");
    EXPECT_STREQ(LogLevelName(6), "Trace");
    EXPECT_STREQ(LogLevelName(0), "?");
    EXPECT_STREQ(LogLevelName(7), "?");
    EXPECT_STREQ(LogLevelName(-1), "?");
}

TEST(TLLogMessageTest, LinesFromManyThreadsStayWholeWithOneTimeBase)
{
    SetLogLevel(6);
    testing::internal::CaptureStderr();
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 25; ++i) {
                TLLogMessage message("Event", LOG_DEBUG);
                message << "thread " << t << " message " << i << std::endl;
            }
        });
    for (std::thread& t : threads)
        t.join();
    const std::vector<std::string> out = lines(testing::internal::GetCapturedStderr());
    SetLogLevel(0);
    ASSERT_EQ(out.size(), 200u);
    for (const std::string& l : out) {
        const size_t text = l.find("thread ");
        ASSERT_NE(text, std::string::npos) << l;
        ASSERT_TRUE(isLogLine(l, "Event", "Debug", l.substr(text))) << l;
        EXPECT_GE(std::stod(l.substr(18 + 12 + 8 + 8, 16)), 0.0) << l;
    }
}

TEST(LoggerInitTest, ConvertsLikeA32BitStrtoul)
{
    EXPECT_EQ(LoggerInit::ConvertLevel("2"), 2u);
    EXPECT_EQ(LoggerInit::ConvertLevel("0x2"), 2u);
    EXPECT_EQ(LoggerInit::ConvertLevel("0x4"), LoggerInit::ConvertLevel("4"));
    EXPECT_EQ(LoggerInit::ConvertLevel("010"), 8u);
    EXPECT_EQ(LoggerInit::ConvertLevel("  6"), 6u);
    EXPECT_EQ(LoggerInit::ConvertLevel("5x"), 5u);
    EXPECT_EQ(LoggerInit::ConvertLevel("abc"), 0u);
    EXPECT_EQ(LoggerInit::ConvertLevel(""), 0u);
    EXPECT_EQ(LoggerInit::ConvertLevel("0x"), 0u);
    EXPECT_EQ(LoggerInit::ConvertLevel("-1"), 0xFFFFFFFFu);
    EXPECT_EQ(LoggerInit::ConvertLevel("-2"), 0xFFFFFFFEu);
    EXPECT_EQ(LoggerInit::ConvertLevel("4294967295"), 0xFFFFFFFFu);
    EXPECT_EQ(LoggerInit::ConvertLevel("4294967296"), 0xFFFFFFFFu);
    EXPECT_EQ(LoggerInit::ConvertLevel("0x100000004"), 0xFFFFFFFFu);
    EXPECT_EQ(LoggerInit::ConvertLevel("4294967294"), 0xFFFFFFFEu);
}

TEST_F(LogLevelTest, UnsetWritesNothingNotEvenErrors)
{
    initWith(nullptr);
    EXPECT_EQ(GetLogLevel(), 0u);
    EXPECT_TRUE(writtenLevels().empty());
    testing::internal::CaptureStderr();
    LogInterfaceFailure(-1006, "Requested handle not found in the pool");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(LogLevelTest, TextThatIsNoNumberSwitchesTheLogOff)
{
    SetLogLevel(5);
    initWith("abc");
    EXPECT_EQ(GetLogLevel(), 0u);
    EXPECT_TRUE(writtenLevels().empty());
}

TEST_F(LogLevelTest, MinusOneAndValuesBeyond32BitsLeaveTheLevelUnchanged)
{
    SetLogLevel(3);
    initWith("-1");
    EXPECT_EQ(GetLogLevel(), 3u);
    initWith("4294967296");
    EXPECT_EQ(GetLogLevel(), 3u);
    EXPECT_EQ(writtenLevels(), (std::vector<int>{1, 2, 3}));
}

TEST_F(LogLevelTest, TwoWritesStarAndErrorLinesOnly)
{
    initWith("2");
    EXPECT_EQ(writtenLevels(), (std::vector<int>{1, 2}));
    initWith("0x2");
    EXPECT_EQ(writtenLevels(), (std::vector<int>{1, 2}));
}

TEST_F(LogLevelTest, FourAddsWarningAndInfoAndSixOrMoreWritesEverything)
{
    initWith("4");
    EXPECT_EQ(writtenLevels(), (std::vector<int>{1, 2, 3, 4}));
    initWith("0x4");
    EXPECT_EQ(writtenLevels(), (std::vector<int>{1, 2, 3, 4}));
    initWith("6");
    EXPECT_EQ(writtenLevels(), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    initWith("1000");
    EXPECT_EQ(writtenLevels(), (std::vector<int>{1, 2, 3, 4, 5, 6}));
}

TEST_F(LogLevelTest, StoredErrorsWriteTheirFailureLineFromLevelTwo)
{
    initWith("2");
    testing::internal::CaptureStderr();
    SetLastGenTLError(-1006, "Requested handle not found in the pool");
    SetLastGenTLError(0, "not a failure");
    const std::vector<std::string> out = lines(testing::internal::GetCapturedStderr());
    ASSERT_EQ(out.size(), 1u);
    EXPECT_TRUE(isLogLine(out[0], "TLErr", "Error",
                          "GenTL interface call failure: GC_ERR_INVALID_HANDLE, Requested handle not found in the pool"))
        << out[0];

    initWith("1");
    testing::internal::CaptureStderr();
    SetLastGenTLError(-1006, "Requested handle not found in the pool");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST_F(LogLevelTest, ShutdownSetsTheLevelToZero)
{
    initWith("6");
    LoggerInit logger;
    logger.Shutdown();
    EXPECT_EQ(GetLogLevel(), 0u);
}
