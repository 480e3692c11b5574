#include "platform/os/NamedMutex.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace platform::os {

namespace {

std::string safeName(const std::string& name)
{
    std::string out;
    for (char c : name)
        out.push_back((c == '/' || c == '\\') ? '_' : c);
    return out;
}

int openLockFile(const std::string& path)
{
    int fd;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool tryFlock(int fd, int op)
{
    for (;;) {
        if (::flock(fd, op | LOCK_NB) == 0)
            return true;
        if (errno != EINTR)
            return false;
    }
}

}  // namespace

std::string NamedMutex::lockDirectory()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return runtime && *runtime ? runtime : "/tmp";
}

NamedMutex::~NamedMutex() { close(); }

bool NamedMutex::open(const std::string& name, bool* alreadyExists)
{
    close();
    const std::string base = lockDirectory() + "/" + safeName(name);
    int presence = openLockFile(base + ".presence");
    if (presence < 0)
        return false;
    int owner = openLockFile(base + ".owner");
    if (owner < 0) {
        ::close(presence);
        return false;
    }
    // Every open handle holds a shared lock on the presence file. Nobody else
    // has the name open exactly when an exclusive lock can be taken.
    bool exists = !tryFlock(presence, LOCK_EX);
    if (!exists) {
        // Downgrade; another opener probing at this instant may briefly see
        // the exclusive lock and report "exists", which is the truth anyway.
        if (::flock(presence, LOCK_SH) != 0) {
            ::close(presence);
            ::close(owner);
            return false;
        }
    } else {
        bool ok = false;
        for (int i = 0; i < 1000 && !ok; ++i) {
            ok = tryFlock(presence, LOCK_SH);
            if (!ok)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        if (!ok) {
            ::close(presence);
            ::close(owner);
            return false;
        }
    }
    m_presenceFd = presence;
    m_ownerFd = owner;
    m_owned = false;
    if (alreadyExists)
        *alreadyExists = exists;
    return true;
}

NamedMutex::Wait NamedMutex::wait(uint32_t timeoutMs)
{
    if (m_ownerFd < 0)
        return Wait::Failed;
    if (m_owned)
        return Wait::Acquired;  // recursive ownership, as a Windows mutex
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (tryFlock(m_ownerFd, LOCK_EX)) {
            m_owned = true;
            return Wait::Acquired;
        }
        if (errno != EWOULDBLOCK)
            return Wait::Failed;
        if (std::chrono::steady_clock::now() >= deadline)
            return Wait::TimedOut;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

bool NamedMutex::release()
{
    if (m_ownerFd < 0 || !m_owned)
        return false;
    m_owned = false;
    return ::flock(m_ownerFd, LOCK_UN) == 0;
}

void NamedMutex::close()
{
    if (m_ownerFd >= 0)
        ::close(m_ownerFd);
    if (m_presenceFd >= 0)
        ::close(m_presenceFd);
    m_ownerFd = m_presenceFd = -1;
    m_owned = false;
}

}  // namespace platform::os
