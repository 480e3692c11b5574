#include "WholeFileWriter.h"

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kStallMs = 1000;                          // a pipe taking nothing this long has failed
constexpr int64_t kChunkBytes = int64_t(1) << 30;       // the system moves at most about 2 GiB per call

// Writes everything; false on an error or a pipe that stalls.
bool writeAll(int fd, const uint8_t* data, int64_t size)
{
    while (size > 0) {
        const ssize_t done = ::write(fd, data, static_cast<size_t>(size < kChunkBytes ? size : kChunkBytes));
        if (done > 0) {
            data += done;
            size -= done;
            continue;
        }
        if (done < 0 && errno == EINTR)
            continue;
        if (done < 0 && errno == EAGAIN) {
            pollfd waiter{fd, POLLOUT, 0};
            if (::poll(&waiter, 1, kStallMs) > 0 && !(waiter.revents & (POLLERR | POLLHUP)))
                continue;
        }
        return false;
    }
    return true;
}

}  // namespace

bool WholeFileWriter::Write(const std::string& path, const uint8_t* data, int64_t size)
{
    // Not blocking on open: a FIFO without a reader fails at once instead of
    // holding the writer thread for ever.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    // Regular files are written blocking; pipes, terminals and other devices
    // keep non-blocking writes with a limit on how long they may stall.
    const bool pipe = !regular;
    if (!pipe)
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    bool ok = writeAll(fd, data, size);
    if (::close(fd) != 0)
        ok = false;
    if (!ok && regular)
        ::unlink(path.c_str());
    return ok;
}
