#include "platform/os/Process.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace os = platform::os;

namespace {
std::string ownImage()
{
    char buf[4096];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    std::string p(buf, n > 0 ? static_cast<size_t>(n) : 0);
    return p.substr(p.find_last_of('/') + 1);
}
}  // namespace

TEST(Process, FindsItselfByImageWithOrWithoutExe)
{
    const auto self = os::currentProcessId();
    auto ids = os::processIdsByImage(ownImage());
    EXPECT_NE(std::find(ids.begin(), ids.end(), self), ids.end());
    ids = os::processIdsByImage(ownImage() + ".exe");
    EXPECT_NE(std::find(ids.begin(), ids.end(), self), ids.end());
    EXPECT_TRUE(os::processIdsByImage("no_such_image_here.exe").empty());
    EXPECT_TRUE(os::processIdsByImage("").empty());
}

TEST(Process, ListTextHasTaskListLayout)
{
    const std::string none = os::processListText("no_such_image_here.exe");
    EXPECT_EQ(none, "INFO: No tasks are running which match the specified criteria.\r\n");

    const std::string text = os::processListText(ownImage());
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(0, 2), "\r\n");
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    const std::string pid = " " + std::to_string(os::currentProcessId()) + " ";
    EXPECT_NE(text.find(pid), std::string::npos);
    EXPECT_NE(text.find("====="), std::string::npos);
}

TEST(Process, TerminateEndsAChildAndRefusesBadIds)
{
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::pause();
        ::_exit(0);
    }
    EXPECT_TRUE(os::terminateProcess(child));
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_FALSE(os::terminateProcess(child));  // reaped: gone
    EXPECT_FALSE(os::terminateProcess(0));
    EXPECT_FALSE(os::terminateProcess(-1));
}
