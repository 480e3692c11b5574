#include "platform/os/ThreadControl.h"

#include <cerrno>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace platform::os {

namespace {

struct Level {
    int32_t priority;
    int nice;
};
// Ordered from the highest priority (lowest nice value) down.
constexpr Level kLevels[] = {{15, -20}, {2, -10}, {1, -5}, {0, 0}, {-1, 5}, {-2, 10}, {-15, 19}};

}  // namespace

int32_t currentThreadId() { return static_cast<int32_t>(::syscall(SYS_gettid)); }

bool setThreadPriority(int32_t tid, int32_t priority)
{
    if (tid <= 0)
        return false;
    for (const Level& l : kLevels) {
        if (l.priority == priority)
            return ::setpriority(PRIO_PROCESS, static_cast<id_t>(tid), l.nice) == 0;
    }
    return false;
}

bool threadPriority(int32_t tid, int32_t* priority)
{
    if (tid <= 0 || !priority)
        return false;
    errno = 0;
    const int nice = ::getpriority(PRIO_PROCESS, static_cast<id_t>(tid));
    if (nice == -1 && errno != 0)
        return false;
    int32_t result = kLevels[0].priority;
    for (const Level& l : kLevels) {
        if (nice >= l.nice)
            result = l.priority;
    }
    *priority = result;
    return true;
}

}  // namespace platform::os
