#include "platform/os/NamedMutex.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <dirent.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

using platform::os::NamedMutex;

namespace {

std::string uniqueName(const char* tag)
{
    return std::string("luma_test_") + tag + "_" + std::to_string(::getpid());
}

// Puts the lock files of one test into a folder of its own ($XDG_RUNTIME_DIR
// while it lives) and removes the folder with everything in it afterwards.
class OwnLockFolder {
public:
    OwnLockFolder()
    {
        char folder[] = "/tmp/luma_named_mutex_XXXXXX";
        if (::mkdtemp(folder) == nullptr) {
            ADD_FAILURE() << "no folder for the lock files";
            return;
        }
        m_folder = folder;
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        m_hadRuntime = old != nullptr;
        m_oldRuntime = old ? old : "";
        ::setenv("XDG_RUNTIME_DIR", folder, 1);
        EXPECT_EQ(NamedMutex::lockDirectory(), m_folder);
    }
    ~OwnLockFolder()
    {
        if (m_hadRuntime)
            ::setenv("XDG_RUNTIME_DIR", m_oldRuntime.c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
        if (m_folder.empty())
            return;
        if (DIR* dir = ::opendir(m_folder.c_str())) {
            while (const dirent* entry = ::readdir(dir)) {
                const std::string name = entry->d_name;
                if (name != "." && name != "..") {
                    EXPECT_EQ(::unlink((m_folder + "/" + name).c_str()), 0) << name;
                }
            }
            ::closedir(dir);
        }
        EXPECT_EQ(::rmdir(m_folder.c_str()), 0) << m_folder;
    }
    OwnLockFolder(const OwnLockFolder&) = delete;
    OwnLockFolder& operator=(const OwnLockFolder&) = delete;

private:
    std::string m_folder;
    std::string m_oldRuntime;
    bool m_hadRuntime = false;
};

}  // namespace

TEST(NamedMutex, SecondOpenSeesItExistsAndFirstCloseForgetsIt)
{
    const OwnLockFolder folder;
    const std::string name = uniqueName("exists");
    NamedMutex first, second;
    bool exists = true;
    ASSERT_TRUE(first.open(name, &exists));
    EXPECT_FALSE(exists);
    ASSERT_TRUE(second.open(name, &exists));
    EXPECT_TRUE(exists);
    second.close();
    first.close();
    NamedMutex third;
    ASSERT_TRUE(third.open(name, &exists));
    EXPECT_FALSE(exists);
}

TEST(NamedMutex, OwnershipIsExclusiveBetweenHandles)
{
    const OwnLockFolder folder;
    const std::string name = uniqueName("owner");
    NamedMutex a, b;
    ASSERT_TRUE(a.open(name, nullptr));
    ASSERT_TRUE(b.open(name, nullptr));
    EXPECT_EQ(a.wait(0), NamedMutex::Wait::Acquired);
    EXPECT_EQ(b.wait(0), NamedMutex::Wait::TimedOut);
    EXPECT_EQ(b.wait(30), NamedMutex::Wait::TimedOut);
    EXPECT_TRUE(a.release());
    EXPECT_FALSE(a.release());
    EXPECT_EQ(b.wait(0), NamedMutex::Wait::Acquired);
    EXPECT_TRUE(b.release());
}

TEST(NamedMutex, ClosedHandleFails)
{
    NamedMutex m;
    EXPECT_EQ(m.wait(0), NamedMutex::Wait::Failed);
    EXPECT_FALSE(m.release());
}

TEST(NamedMutex, CrashedOwnerInOtherProcessLeavesItFree)
{
    const OwnLockFolder folder;
    const std::string name = uniqueName("crash");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        NamedMutex m;
        bool exists = false;
        if (!m.open(name, &exists) || m.wait(0) != NamedMutex::Wait::Acquired)
            ::_exit(1);
        char c = 'x';
        (void)!::write(ready[1], &c, 1);
        ::pause();  // killed while owning the mutex
        ::_exit(0);
    }
    char c;
    ASSERT_EQ(::read(ready[0], &c, 1), 1);
    NamedMutex m;
    bool exists = false;
    ASSERT_TRUE(m.open(name, &exists));
    EXPECT_TRUE(exists);
    EXPECT_EQ(m.wait(0), NamedMutex::Wait::TimedOut);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(m.wait(500), NamedMutex::Wait::Acquired);
    m.close();
    bool existsAfter = true;
    NamedMutex again;
    ASSERT_TRUE(again.open(name, &existsAfter));
    EXPECT_FALSE(existsAfter);
    ::close(ready[0]);
    ::close(ready[1]);
}
