#include "platform/os/TerminationSignal.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>

namespace platform::os {

namespace {

int g_pipe[2] = {-1, -1};
std::atomic<int> g_writeFd{-1};

void onTerminationSignal(int)
{
    const int saved = errno;
    const int fd = g_writeFd.load();
    if (fd >= 0) {
        const char byte = 1;
        ssize_t r = ::write(fd, &byte, 1);
        (void)r;
    }
    errno = saved;
}

}  // namespace

int terminationRequestDescriptor()
{
    static std::once_flag once;
    static int readFd = -1;
    std::call_once(once, [] {
        if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
            return;
        g_writeFd.store(g_pipe[1]);
        struct sigaction sa {};
        sa.sa_handler = onTerminationSignal;
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = SA_RESTART;
        for (int sig : {SIGTERM, SIGINT, SIGHUP})
            ::sigaction(sig, &sa, nullptr);
        readFd = g_pipe[0];
    });
    return readFd;
}

void drainTerminationRequests()
{
    if (g_pipe[0] < 0)
        return;
    char buf[64];
    while (::read(g_pipe[0], buf, sizeof buf) > 0) {
    }
}

}  // namespace platform::os
