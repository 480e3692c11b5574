#include "WholeFileWriter.h"

#include "SpoolTestHooks.h"
#include "WriteRates.h"

#include <platform/os/ReplacingFile.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kStallMs = 1000;                   // a pipe taking nothing this long has failed
constexpr int64_t kMaxCall = 0x7ffff000;         // the most the system moves in one call, page-aligned
constexpr int64_t kBlock = 4096;                 // direct writes go in whole blocks of this size
constexpr int64_t kRoutedBytes = int64_t(64) << 20;  // from this size on a file goes slice by slice
constexpr int64_t kProbeBytes = int64_t(1) << 20;    // first slice: how the page cache takes data now
constexpr int64_t kSliceBytes = int64_t(8) << 20;    // later slices through the page cache
constexpr int64_t kLearnBytes = int64_t(64) << 20;   // a direct slice that measures the disk

// Writes everything, at offset into a regular file or, with offset -1, at the
// current position of a pipe or device; false on an error or a pipe that
// stalls. errno tells the error.
bool writeAll(int fd, const uint8_t* data, int64_t size, int64_t offset)
{
    while (size > 0) {
        const size_t length = static_cast<size_t>(std::min(size, kMaxCall));
        const ssize_t done = offset < 0 ? ::write(fd, data, length) : ::pwrite(fd, data, length, offset);
        if (done > 0) {
            data += done;
            size -= done;
            if (offset >= 0)
                offset += done;
            continue;
        }
        if (done < 0 && errno == EINTR)
            continue;
        if (done < 0 && errno == EAGAIN) {
            pollfd waiter{fd, POLLOUT, 0};
            if (::poll(&waiter, 1, kStallMs) > 0 && !(waiter.revents & (POLLERR | POLLHUP)))
                continue;
        }
        if (done == 0)
            errno = EIO;
        return false;
    }
    return true;
}

enum class Outcome { Written, Refused, Failed };

// Writes [offset, offset + size) straight from data to the disk, past the
// page cache. Refused when the file system takes no direct writes (or not
// with this alignment); the caller then writes the range the usual way.
Outcome writeDirect(int fd, const uint8_t* data, int64_t size, int64_t offset)
{
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags | O_DIRECT) != 0)
        return Outcome::Refused;
    const bool written = writeAll(fd, data, size, offset);
    const int error = errno;
    ::fcntl(fd, F_SETFL, flags);
    if (written)
        return Outcome::Written;
    return error == EINVAL ? Outcome::Refused : Outcome::Failed;
}

struct Slicing {
    int64_t probe = kProbeBytes;
    int64_t slice = kSliceBytes;
    int64_t learn = kLearnBytes;
    bool alternate = false;  // test builds: one way and the other in turn
};

// A large file from a page-aligned buffer. Its first slice goes through the
// page cache, which takes data at memory speed while it has pages at hand
// and room for dirty data. Every later slice takes the faster way of the
// last rates seen on this device; once the page cache falls behind the
// disk (its fresh pages come dear, or writeback throttles it), the rest of
// the file goes to the disk in one direct write, which keeps the disk's
// queue full. The first file on a device measures a direct slice to learn
// the disk's rate. The bytes of a part of a block at the end go through the
// page cache.
bool writeRouted(int fd, uint64_t device, const uint8_t* data, int64_t size, const Slicing& slicing)
{
    using Clock = std::chrono::steady_clock;
    const int64_t bulk = size / kBlock * kBlock;
    WriteRates::Rates rates = WriteRates::Of(device);
    bool lastDirect = true;
    int64_t at = 0;
    while (at < bulk) {
        bool direct = false;
        int64_t length = std::min(slicing.slice, bulk - at);
        if (slicing.alternate) {
            direct = !lastDirect && !rates.directRefused;
        } else if (at == 0) {
            length = std::min(slicing.probe, bulk);
        } else if (rates.directRefused) {
            length = bulk - at;
        } else if (rates.direct <= 0) {
            direct = true;
            length = std::min(slicing.learn, bulk - at);
        } else if (rates.cached < rates.direct) {
            direct = true;
            length = bulk - at;
        }
        const auto start = Clock::now();
        if (direct) {
            const Outcome outcome = writeDirect(fd, data + at, length, at);
            if (outcome == Outcome::Refused) {
                rates.directRefused = true;
                WriteRates::RefuseDirect(device);
                continue;
            }
            if (outcome == Outcome::Failed)
                return false;
        } else if (!writeAll(fd, data + at, length, at)) {
            return false;
        }
        const double seconds = std::max(std::chrono::duration<double>(Clock::now() - start).count(), 1e-9);
        const double rate = static_cast<double>(length) / seconds;
        if (direct) {
            rates.direct = rate;
            WriteRates::NoteDirect(device, rate);
        } else {
            rates.cached = rate;
            WriteRates::NoteCached(device, rate);
        }
        lastDirect = direct;
        at += length;
    }
    return writeAll(fd, data + bulk, size - bulk, bulk);
}

// A pipe, a terminal or another device, written where it is. Not blocking on
// open: a FIFO without a reader fails at once instead of holding the writer
// thread for ever; a pipe that stalls fails the write.
bool writeInPlace(const std::string& path, const uint8_t* data, int64_t size)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;
    bool ok = writeAll(fd, data, size, -1);
    if (::close(fd) != 0)
        ok = false;
    return ok;
}

}  // namespace

bool WholeFileWriter::Write(const std::string& path, const uint8_t* data, int64_t size)
{
    if (platform::os::ReplacingFile::namesSpecialFile(path))
        return writeInPlace(path, data, size);
    // A regular file, or none yet: the new file is written beside it and
    // takes its name once it is whole.
    platform::os::ReplacingFile file;
    if (!file.open(path))
        return false;
    const int fd = file.fd();
    Slicing slicing;
    int64_t routed = kRoutedBytes;
#ifdef FRAMESPOOL_TEST_HOOKS
    if (const char* hold = std::getenv(FRAMESPOOL_HOLD_OPENED_ENV)) {
        struct stat held {};
        for (int waited = 0; waited < 20000 && ::stat(hold, &held) == 0; waited += 5)
            ::usleep(5000);
    }
    if (const char* bytes = std::getenv(FRAMESPOOL_ROUTE_SLICE_ENV)) {
        const long long slice = std::strtoll(bytes, nullptr, 10);
        if (slice > 0 && slice % kBlock == 0) {
            slicing = {slice, slice, slice, true};
            routed = 2 * slice;
        }
    }
#endif
    const bool aligned = reinterpret_cast<uintptr_t>(data) % kBlock == 0;
    const bool ok = size >= routed && aligned
                        ? writeRouted(fd, static_cast<uint64_t>(file.made().st_dev), data, size, slicing)
                        : writeAll(fd, data, size, 0);
    // A file that failed goes with `file`.
    return ok && file.commit();
}
