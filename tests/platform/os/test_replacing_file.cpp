// Replacing files failing at their last steps, through this binary's own
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

namespace {

// Armed and taken on the test's own thread.
int failingSync = -1;    // fdatasync() of this descriptor fails
int failingClose = -1;   // close() of it closes it and fails, as NFS can
std::string goneFolder;  // moved away just before a rename out of it

template <typename Call>
Call real(const char* name)
{
    return reinterpret_cast<Call>(::dlsym(RTLD_NEXT, name));
}

bool take(int& armed, int fd)
{
    const bool hit = fd >= 0 && fd == armed;
    if (hit)
        armed = -1;
    return hit;
}

std::string text(const std::string& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> names(const std::string& dir)
{
    std::vector<std::string> found;
    for (const auto& entry : fs::directory_iterator(dir))
        found.push_back(entry.path().filename().string());
    return found;
}

}  // namespace

extern "C" int fdatasync(int fd)
{
    static const auto next = real<int (*)(int)>("fdatasync");
    if (!take(failingSync, fd))
        return next(fd);
    errno = EIO;
    return -1;
}

extern "C" int close(int fd)
{
    static const auto next = real<int (*)(int)>("close");
    const bool fails = take(failingClose, fd);
    const int done = next(fd);
    if (fails)
        errno = EIO;
    return fails ? -1 : done;
}

extern "C" int rename(const char* from, const char* to)
{
    static const auto next = real<int (*)(const char*, const char*)>("rename");
    std::string folder;
    if (!goneFolder.empty() && std::string(from).rfind(goneFolder + "/", 0) == 0)
        folder.swap(goneFolder);
    if (!folder.empty() && next(folder.c_str(), (folder + ".gone").c_str()) != 0)
        return -1;
    return next(from, to);
}

namespace {

class ReplacingFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char made[] = "/tmp/luma_replacing_XXXXXX";
        ASSERT_NE(::mkdtemp(made), nullptr);
        folder = std::string(made) + "/files";
        fs::create_directory(folder);
    }
    void TearDown() override { fs::remove_all(fs::path(folder).parent_path()); }

    std::string folder;
};

TEST_F(ReplacingFileTest, AFailureAtTheLastStepsKeepsTheEarlierFileAndLeavesNoNewOne)
{
    const struct {
        const char* what;
        int* armed;  // the descriptor's fault; none: the folder goes
        int error;
    } cases[] = {
        {"a write-back that fails", &failingSync, EIO},
        {"a close that fails", &failingClose, EIO},
        {"a folder that went before the rename", nullptr, ENOENT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::ofstream(folder + "/settings.txt") << "earlier whole text";
        platform::os::ReplacingFile file;
        ASSERT_TRUE(file.open(folder + "/settings.txt"));
        ASSERT_EQ(::write(file.fd(), "new", 3), 3);
        if (c.armed)
            *c.armed = file.fd();
        else
            goneFolder = folder;
        errno = 0;
        EXPECT_FALSE(file.commit());
        EXPECT_EQ(errno, c.error);
        EXPECT_TRUE(failingSync < 0 && failingClose < 0 && goneFolder.empty()) << "the step was not taken";
        const std::string now = c.armed ? folder : folder + ".gone";
        EXPECT_EQ(text(now + "/settings.txt"), "earlier whole text");
        EXPECT_EQ(names(now), std::vector<std::string>{"settings.txt"});
    }
}

TEST_F(ReplacingFileTest, TheNewFileIsTheOwnersAloneUntilItIsWhole)
{
    const mode_t mask = ::umask(022);
    const std::string path = folder + "/param.cfg";
    for (const mode_t earlier : {0644, 0}) {  // 0: a first file
        SCOPED_TRACE(earlier);
        fs::remove(path);
        if (earlier != 0) {
            std::ofstream(path) << "earlier";
            ::chmod(path.c_str(), earlier);
        }
        platform::os::ReplacingFile file;
        ASSERT_TRUE(file.open(path));
        struct stat written {};
        for (const std::string& name : names(folder)) {
            if (name != "param.cfg") {
                EXPECT_EQ(::stat((folder + "/" + name).c_str(), &written), 0);
            }
        }
        EXPECT_EQ(written.st_mode & 0777, 0600u);
        EXPECT_TRUE(file.commit());
        EXPECT_EQ(fs::status(path).permissions(), fs::perms(0644));
    }
    ::umask(mask);
}

}  // namespace
