#include "platform/os/SystemInfo.h"

#include <cerrno>
#include <climits>
#include <ctime>
#include <fstream>
#include <sstream>
#include <sys/sysinfo.h>
#include <unistd.h>

namespace platform::os {

bool physicalMemory(PhysicalMemory* out)
{
    if (!out)
        return false;
    // MemAvailable counts reclaimable caches, which is what "available" means
    // to a program that wants to allocate large buffers.
    std::ifstream meminfo("/proc/meminfo");
    uint64_t totalKb = 0, availKb = 0;
    bool haveTotal = false, haveAvail = false;
    std::string line;
    while (std::getline(meminfo, line)) {
        std::istringstream in(line);
        std::string key;
        uint64_t kb = 0;
        in >> key >> kb;
        if (key == "MemTotal:") {
            totalKb = kb;
            haveTotal = true;
        } else if (key == "MemAvailable:") {
            availKb = kb;
            haveAvail = true;
        }
    }
    if (haveTotal && haveAvail) {
        out->totalBytes = totalKb * 1024;
        out->availableBytes = availKb * 1024;
        return true;
    }
    struct sysinfo si {};
    if (::sysinfo(&si) != 0)
        return false;
    out->totalBytes = static_cast<uint64_t>(si.totalram) * si.mem_unit;
    out->availableBytes = static_cast<uint64_t>(si.freeram + si.bufferram) * si.mem_unit;
    return true;
}

std::string currentDirectory()
{
    char buf[PATH_MAX];
    if (!::getcwd(buf, sizeof buf))
        return std::string();
    return buf;
}

void sleepMs(uint32_t ms)
{
    timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

uint64_t highResCounter()
{
    timespec ts{};
    ::clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1000000000ull + static_cast<uint64_t>(ts.tv_nsec);
}

uint64_t highResFrequency() { return 1000000000ull; }

}  // namespace platform::os
