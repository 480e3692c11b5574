#pragma once
#include <string>

namespace platform::os {
class NamedMutex;
}

namespace GenTLCore {

// Process-wide named lock of the library object: Create takes the name and
// fails when the name is already in use, in this or another process.
class NamedMutex {
public:
    explicit NamedMutex(const std::string& name);
    // Frees the name only: a held handle stays open until the process ends.
    ~NamedMutex();
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    // False when a handle is held already, when the system refuses, or when
    // the name exists already. An empty name makes an unnamed lock, which
    // never exists already.
    bool Create();
    // Closes the held handle; false when there is none.
    bool Release();

    const std::string& Name() const { return m_name; }
    bool IsHeld() const { return m_handle != nullptr; }

private:
    std::string m_name;
    platform::os::NamedMutex* m_handle = nullptr;
};

}  // namespace GenTLCore
