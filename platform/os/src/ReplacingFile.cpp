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

// The mask the process gives new files. The kernel tells it without
// changing it; where it cannot, it is read by setting it for a moment to one
// that keeps a file made meanwhile by another thread its owner's only.
mode_t creationMask()
{
    if (std::FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        unsigned mask = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, status))
            found = std::sscanf(line, "Umask: %o", &mask) == 1;
        std::fclose(status);
        if (found)
            return static_cast<mode_t>(mask & 0777);
    }
    const mode_t mask = ::umask(077);
    ::umask(mask);
    return mask;
}

// Creates a new file, its owner's only, in `folder` under a hidden name of
// its own made from `name`; -1 (errno set) when the folder takes none.
int createBeside(int folder, const std::string& name, std::string& made)
{
    static std::atomic<unsigned> serial{0};
    const std::string stem = "." + name.substr(0, kNameKept);
    for (int tries = 0; tries < kCreateTries; ++tries) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".%x.%x", static_cast<unsigned>(::getpid()), serial.fetch_add(1));
        made = stem + suffix;
        const int fd = ::openat(folder, made.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Removes `name` in `folder` only while it still names the regular file
// `made`; errno stays.
void removeMadeAt(int folder, const char* name, const struct stat& made)
{
    const int error = errno;
    struct stat named {};
    if (S_ISREG(made.st_mode) && ::fstatat(folder, name, &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(named.st_mode) && named.st_dev == made.st_dev && named.st_ino == made.st_ino)
        ::unlinkat(folder, name, 0);
    errno = error;
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
    mode_ = replacing_ ? (named.st_mode & 0777) : (0666 & ~creationMask());
    // The new file is made and, should a step fail, removed in the folder
    // it was made in, wherever that folder went meanwhile.
    const size_t slash = target_.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target_.substr(0, slash + 1);
    folder_ = ::open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder_ < 0)
        return false;
    fd_ = createBeside(folder_, slash == std::string::npos ? target_ : target_.substr(slash + 1), tempName_);
    if (fd_ < 0) {
        const int error = errno;
        ::close(folder_);
        folder_ = -1;
        errno = error;
        return false;
    }
    temp_ = (slash == std::string::npos ? std::string() : folder) + tempName_;
    if (::fstat(fd_, &made_) != 0) {
        const int error = errno;
        ::close(fd_);
        fd_ = -1;
        ::unlinkat(folder_, tempName_.c_str(), 0);
        ::close(folder_);
        folder_ = -1;
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
    // Others may open the file only once it is whole: a descriptor opened
    // before keeps its access after a later change of mode.
    (void)::fchmod(fd, mode_);
    // A write-back that fails must not cost the earlier file.
    if (replacing_ && ::fdatasync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        removeTemp();
        errno = error;
        return false;
    }
    // The rename goes by the name, not the folder: a folder that went while
    // the file was written fails it rather than taking the file along.
    if (::close(fd) != 0 || ::rename(temp_.c_str(), target_.c_str()) != 0) {
        removeTemp();
        return false;
    }
    ::close(folder_);
    folder_ = -1;
    return true;
}

void ReplacingFile::discard()
{
    if (fd_ < 0)
        return;
    const int error = errno;
    ::close(fd_);
    fd_ = -1;
    removeTemp();
    errno = error;
}

void ReplacingFile::removeTemp()
{
    if (folder_ < 0)
        return;
    const int error = errno;
    removeMadeAt(folder_, tempName_.c_str(), made_);
    ::close(folder_);
    folder_ = -1;
    errno = error;
}

void ReplacingFile::removeMade(const std::string& path, const struct stat& made)
{
    removeMadeAt(AT_FDCWD, path.c_str(), made);
}

}  // namespace platform::os
