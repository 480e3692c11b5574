#pragma once
#include <cstdint>
#include <string>

namespace platform::os {

// A named mutex visible to every process of the user, like a Windows named
// mutex: opening the same name again (in this or another process) reports
// that it already exists, and ownership is exclusive across processes.
// Built on file locks, so a process that dies releases both its presence and
// its ownership.
class NamedMutex {
public:
    enum class Wait { Acquired, TimedOut, Failed };

    NamedMutex() = default;
    ~NamedMutex();
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    // Opens (creating if need be) the mutex `name`, not owned. Returns false
    // on failure. `alreadyExists` tells whether another open handle to the
    // same name existed at that moment.
    bool open(const std::string& name, bool* alreadyExists);
    // Waits up to `timeoutMs` (0: just tries) to own the mutex.
    Wait wait(uint32_t timeoutMs);
    // Gives up ownership; false if this handle did not own it.
    bool release();
    void close();
    bool isOpen() const { return m_presenceFd >= 0; }

    // Folder that holds the lock files: the user's $XDG_RUNTIME_DIR, else /tmp.
    static std::string lockDirectory();

private:
    int m_presenceFd = -1;
    int m_ownerFd = -1;
    bool m_owned = false;
};

}  // namespace platform::os
