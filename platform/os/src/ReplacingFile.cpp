#include "platform/os/ReplacingFile.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace platform::os {

namespace {

constexpr int kMaxLinks = 40;      // as the system follows them
constexpr size_t kNameKept = 200;  // of the name, in the new file's name: room for the suffix
constexpr int kCreateTries = 100;

// The name a write to `path` lands on: the end of its chain of symbolic
// links, or path itself. False (errno set) when the chain cannot be followed.
bool followLinks(std::string& path)
{
    for (int hops = 0; hops <= kMaxLinks; ++hops) {
        struct stat named {};
        if (::lstat(path.c_str(), &named) != 0 || !S_ISLNK(named.st_mode))
            return true;  // a name not there yet is written as it is
        std::vector<char> target(PATH_MAX);
        const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
        if (n < 0)
            return false;
        if (static_cast<size_t>(n) >= target.size()) {
            errno = ENAMETOOLONG;
            return false;
        }
        std::string next(target.data(), static_cast<size_t>(n));
        const size_t slash = path.rfind('/');
        if (next[0] != '/' && slash != std::string::npos)
            next = path.substr(0, slash + 1) + next;
        path = next;
    }
    errno = ELOOP;
    return false;
}

// Creates a new file in the folder of `path` under a hidden name of its own,
// with the permissions open() gives a new file; -1 (errno set) when the
// folder takes none.
int createBeside(const std::string& path, std::string& made)
{
    static std::atomic<unsigned> serial{0};
    const size_t slash = path.rfind('/');
    const size_t start = slash == std::string::npos ? 0 : slash + 1;
    const std::string stem = path.substr(0, start) + "." + path.substr(start, kNameKept);
    for (int tries = 0; tries < kCreateTries; ++tries) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".%x.%x", static_cast<unsigned>(::getpid()), serial.fetch_add(1));
        made = stem + suffix;
        const int fd = ::open(made.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

}  // namespace

ReplacingFile::~ReplacingFile()
{
    discard();
}

bool ReplacingFile::namesSpecialFile(const std::string& path)
{
    struct stat named {};
    return ::stat(path.c_str(), &named) == 0 && !S_ISREG(named.st_mode);
}

bool ReplacingFile::open(const std::string& path)
{
    discard();
    struct stat named {};
    replacing_ = ::stat(path.c_str(), &named) == 0;
    target_ = path;
    if (!followLinks(target_))
        return false;
    if (replacing_ && ::access(target_.c_str(), W_OK) != 0)
        return false;  // an earlier file that may not be written is not replaced either
    fd_ = createBeside(target_, temp_);
    if (fd_ < 0)
        return false;
    if (replacing_)
        (void)::fchmod(fd_, named.st_mode & 0777);
    if (::fstat(fd_, &made_) != 0) {
        const int error = errno;
        ::close(fd_);
        fd_ = -1;
        ::unlink(temp_.c_str());
        errno = error;
        return false;
    }
    return true;
}

bool ReplacingFile::commit()
{
    if (fd_ < 0)
        return false;
    const int fd = fd_;
    fd_ = -1;
    // A write-back that fails must not cost the earlier file.
    if (replacing_ && ::fdatasync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        removeMade(temp_, made_);
        errno = error;
        return false;
    }
    // The rename fails too when the folder went while the file was written.
    if (::close(fd) != 0 || ::rename(temp_.c_str(), target_.c_str()) != 0) {
        removeMade(temp_, made_);
        return false;
    }
    return true;
}

void ReplacingFile::discard()
{
    if (fd_ < 0)
        return;
    const int error = errno;
    ::close(fd_);
    fd_ = -1;
    removeMade(temp_, made_);
    errno = error;
}

void ReplacingFile::removeMade(const std::string& path, const struct stat& made)
{
    const int error = errno;
    struct stat named {};
    if (S_ISREG(made.st_mode) && ::lstat(path.c_str(), &named) == 0 && S_ISREG(named.st_mode) &&
        named.st_dev == made.st_dev && named.st_ino == made.st_ino)
        ::unlink(path.c_str());
    errno = error;
}

}  // namespace platform::os
