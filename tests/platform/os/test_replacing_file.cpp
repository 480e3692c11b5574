// A replacing file that fails at its last steps, and the permissions of the
// new file while it is written. The failures come from this binary's own
// fdatasync(), close() and rename(), which stand in front of the C library's.
#include "platform/os/ReplacingFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;
using platform::os::ReplacingFile;

namespace {

// Armed and taken on the test's own thread.
int failingSync = -1;    // fdatasync() of this descriptor fails
int failingClose = -1;   // close() of it closes it and fails
std::string goneFolder;  // moved away just before a rename out of it

template <typename Call>
Call next(const char* name)
{
    return reinterpret_cast<Call>(::dlsym(RTLD_NEXT, name));
}

bool takeFault(int& armed, int fd)
{
    if (fd < 0 || fd != armed)
        return false;
    armed = -1;
    return true;
}

}  // namespace

extern "C" int fdatasync(int fd)
{
    static const auto real = next<int (*)(int)>("fdatasync");
    if (takeFault(failingSync, fd)) {
        errno = EIO;
        return -1;
    }
    return real(fd);
}

extern "C" int close(int fd)
{
    static const auto real = next<int (*)(int)>("close");
    const bool fails = takeFault(failingClose, fd);
    const int done = real(fd);
    if (!fails)
        return done;
    errno = EIO;  // as a file system that reports a lost write-back at close
    return -1;
}

extern "C" int rename(const char* from, const char* to)
{
    static const auto real = next<int (*)(const char*, const char*)>("rename");
    std::string folder;
    if (!goneFolder.empty() && std::string(from).rfind(goneFolder + "/", 0) == 0)
        folder.swap(goneFolder);
    if (!folder.empty() && real(folder.c_str(), (folder + ".gone").c_str()) != 0)
        return -1;
    return real(from, to);
}

namespace {

class ReplacingFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char made[] = "/tmp/luma_replacing_XXXXXX";
        ASSERT_NE(::mkdtemp(made), nullptr);
        root = made;
        folder = root + "/files";
        fs::create_directory(folder);
    }
    void TearDown() override { fs::remove_all(root); }

    static void put(const std::string& path, const std::string& text) { std::ofstream(path) << text; }
    static std::string text(const std::string& path)
    {
        std::ifstream in(path);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static std::vector<std::string> names(const std::string& dir)
    {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(dir))
            found.push_back(entry.path().filename().string());
        return found;
    }

    std::string root;
    std::string folder;
};

TEST_F(ReplacingFileTest, AFailureAtTheLastStepsKeepsTheEarlierFileAndLeavesNoNewOne)
{
    enum class Step { WriteBack, Close, FolderGone };
    const struct {
        const char* what;
        Step step;
        int error;
    } cases[] = {
        {"a write-back that fails", Step::WriteBack, EIO},
        {"a close that fails", Step::Close, EIO},
        {"a folder that went before the rename", Step::FolderGone, ENOENT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(folder + ".gone");
        fs::create_directories(folder);
        const std::string path = folder + "/settings.txt";
        put(path, "earlier whole text");
        ReplacingFile file;
        ASSERT_TRUE(file.open(path));
        ASSERT_EQ(::write(file.fd(), "new", 3), 3);
        if (c.step == Step::WriteBack)
            failingSync = file.fd();
        else if (c.step == Step::Close)
            failingClose = file.fd();
        else
            goneFolder = folder;
        errno = 0;
        EXPECT_FALSE(file.commit());
        EXPECT_EQ(errno, c.error);
        EXPECT_EQ(failingSync, -1) << "no write-back";
        EXPECT_EQ(failingClose, -1) << "no close";
        EXPECT_TRUE(goneFolder.empty()) << "no rename";
        failingSync = failingClose = -1;
        goneFolder.clear();
        const std::string now = c.step == Step::FolderGone ? folder + ".gone" : folder;
        EXPECT_EQ(text(now + "/settings.txt"), "earlier whole text");
        EXPECT_EQ(names(now), std::vector<std::string>{"settings.txt"});
    }
}

TEST_F(ReplacingFileTest, TheNewFileIsTheOwnersAloneUntilItIsWhole)
{
    struct Mask {
        mode_t kept = ::umask(022);
        ~Mask() { ::umask(kept); }
    } mask;
    const struct {
        const char* what;
        int earlier;  // the earlier file's mode; -1: none
        mode_t final;
    } cases[] = {
        {"over a file others may read", 0644, 0644},
        {"over a file of the owner's", 0600, 0600},
        {"a first file", -1, 0644},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = folder + "/param.cfg";
        fs::remove(path);
        if (c.earlier >= 0) {
            put(path, "earlier");
            ASSERT_EQ(::chmod(path.c_str(), mode_t(c.earlier)), 0);
        }
        ReplacingFile file;
        ASSERT_TRUE(file.open(path));
        struct stat written {};
        for (const std::string& name : names(folder)) {
            if (name != "param.cfg") {
                ASSERT_EQ(::stat((folder + "/" + name).c_str(), &written), 0);
            }
        }
        EXPECT_EQ(written.st_ino, file.made().st_ino);
        EXPECT_EQ(written.st_mode & 0777, 0600u);
        ASSERT_TRUE(file.commit());
        struct stat done {};
        ASSERT_EQ(::stat(path.c_str(), &done), 0);
        EXPECT_EQ(done.st_mode & 0777, c.final);
    }
}

}  // namespace
