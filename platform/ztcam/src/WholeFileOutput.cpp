#include "WholeFileOutput.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace ztcam {

namespace {

constexpr int kMaxLinks = 40;          // as the system follows them
constexpr size_t kNameKept = 200;      // of the name, in the new file's name: room for the suffix
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
        if (size_t(n) >= target.size()) {
            errno = ENAMETOOLONG;
            return false;
        }
        std::string next(target.data(), size_t(n));
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
        std::snprintf(suffix, sizeof suffix, ".%x.%x", unsigned(::getpid()), serial.fetch_add(1));
        made = stem + suffix;
        const int fd = ::open(made.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

} // namespace

WholeFileOutput::WholeFileOutput(const std::string& path)
    : path_(path)
{
    struct stat named {};
    const bool found = ::stat(path.c_str(), &named) == 0;
    if (found && !S_ISREG(named.st_mode)) {
        // A device or a pipe: no other file can stand in for it.
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    } else if (followLinks(path_) && (!found || ::access(path_.c_str(), W_OK) == 0)) {
        // An earlier file that may not be written is not replaced either.
        replacing_ = found;
        fd_ = createBeside(path_, temp_);
        if (fd_ >= 0 && replacing_)
            (void)::fchmod(fd_, named.st_mode & 0777);
    }
    if (fd_ >= 0 && ::fstat(fd_, &opened_) != 0)
        opened_ = {};
}

WholeFileOutput::~WholeFileOutput()
{
    if (fd_ >= 0)
        fail(ECANCELED);
}

bool WholeFileOutput::write(const void* data, size_t bytes)
{
    if (fd_ < 0)
        return false;
    const char* p = static_cast<const char*>(data);
    while (bytes > 0) {
        const ssize_t n = ::write(fd_, p, bytes);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(n < 0 ? errno : ENOSPC);
        p += n;
        bytes -= static_cast<size_t>(n);
    }
    return true;
}

bool WholeFileOutput::finish()
{
    if (fd_ < 0)
        return false;
    // The earlier file goes only once the new one is on the disk: a
    // write-back that fails must not cost the earlier file.
    if (replacing_ && ::fdatasync(fd_) != 0)
        return fail(errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 || (!temp_.empty() && ::rename(temp_.c_str(), path_.c_str()) != 0)) {
        discard();
        return false;
    }
    return true;
}

bool WholeFileOutput::fail(int error)
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
        discard();
    }
    errno = error;
    return false;
}

void WholeFileOutput::discard()
{
    if (!temp_.empty())
        removeMade(temp_, opened_);
}

void WholeFileOutput::removeMade(const std::string& path, const struct stat& made)
{
    const int error = errno;
    struct stat named {};
    if (S_ISREG(made.st_mode) && ::lstat(path.c_str(), &named) == 0 && S_ISREG(named.st_mode) &&
        named.st_dev == made.st_dev && named.st_ino == made.st_ino)
        ::unlink(path.c_str());
    errno = error;
}

} // namespace ztcam
