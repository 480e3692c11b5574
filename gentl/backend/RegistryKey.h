#pragma once
#include "CPEXString.h"

#include <platform/os/Registry.h>

#include <cstdint>
#include <vector>

namespace GenTLCore::PEXCore {

// One open key of the imaging library's key table, and the reading (and,
// for the current user, writing) of its values.
class RegistryKey {
public:
    // Kinds of values as the key reports them; any other registry type is 0.
    enum Kind { kUnreadable = 0, kDword = 1, kString = 2, kBinary = 3, kQword = 4, kExpandString = 5, kMultiString = 6 };

    RegistryKey() = default;
    RegistryKey(int row, const wchar_t* subPath, bool create);
    virtual ~RegistryKey();
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    bool Open(int row, const wchar_t* subPath, bool create);
    bool IsOpen() const { return m_handle != nullptr; }
    bool ValueExists(const wchar_t* name);
    bool ReadString(const wchar_t* name, CPEXString& out);
    bool ReadQword(const wchar_t* name, uint64_t& out);
    bool WriteValue(const wchar_t* name, int kind, const void* data, uint32_t bytes);
    void Close();

private:
    bool Read(const wchar_t* name, int* kind);
    bool Reopen(uint32_t access);

    platform::os::HKEY m_root = nullptr;
    platform::os::HKEY m_handle = nullptr;
    CPEXString m_path;
    bool m_volatile = false;
    bool m_written = false;
    bool m_userRoot = false;  // m_root was opened for this object
    std::vector<uint8_t> m_buffer;
    uint32_t m_size = 0;
};

}  // namespace GenTLCore::PEXCore
