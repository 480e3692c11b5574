#include "WholeFileOutput.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace ztcam {

WholeFileOutput::WholeFileOutput(const std::string& path)
{
    if (platform::os::ReplacingFile::namesSpecialFile(path)) {
        inPlace_ = true;
        fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    } else if (file_.open(path)) {
        fd_ = file_.fd();
    }
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
    return inPlace_ ? ::close(fd) == 0 : file_.commit();
}

bool WholeFileOutput::fail(int error)
{
    if (fd_ >= 0) {
        if (inPlace_)
            ::close(fd_);
        else
            file_.discard();
        fd_ = -1;
    }
    errno = error;
    return false;
}

} // namespace ztcam
