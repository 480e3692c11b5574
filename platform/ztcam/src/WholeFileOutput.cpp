#include "WholeFileOutput.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace ztcam {

WholeFileOutput::WholeFileOutput(const std::string& path)
    : path_(path)
{
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
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
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) {
        const int error = errno;
        discard();
        errno = error;
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
    // The name must still be the regular file that was opened.
    struct stat named {};
    if (S_ISREG(opened_.st_mode) && ::lstat(path_.c_str(), &named) == 0 && S_ISREG(named.st_mode) &&
        named.st_dev == opened_.st_dev && named.st_ino == opened_.st_ino)
        ::unlink(path_.c_str());
}

} // namespace ztcam
