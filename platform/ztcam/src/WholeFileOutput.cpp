#include "WholeFileOutput.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace ztcam {

WholeFileOutput::WholeFileOutput(const std::string& path)
{
    if (platform::os::ReplacingFile::namesSpecialFile(path)) {
        inPlace_ = true;
        device_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    } else {
        (void)file_.open(path);
    }
}

WholeFileOutput::~WholeFileOutput()
{
    if (isOpen())
        fail(ECANCELED);
}

bool WholeFileOutput::write(const void* data, size_t bytes)
{
    const int fd = this->fd();
    if (fd < 0)
        return false;
    const char* p = static_cast<const char*>(data);
    while (bytes > 0) {
        const ssize_t n = ::write(fd, p, bytes);
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
    if (!inPlace_)
        return file_.commit();
    if (device_ < 0)
        return false;
    const int fd = device_;
    device_ = -1;
    return ::close(fd) == 0;
}

bool WholeFileOutput::fail(int error)
{
    if (inPlace_ && device_ >= 0) {
        ::close(device_);
        device_ = -1;
    } else if (!inPlace_) {
        file_.discard();
    }
    errno = error;
    return false;
}

} // namespace ztcam
