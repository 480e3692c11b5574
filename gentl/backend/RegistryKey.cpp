#include "RegistryKey.h"

#include "RegistryEnvironment.h"
#include "RegistryKeyTable.h"

#include <cstring>

namespace GenTLCore::PEXCore {

using namespace platform::os;

namespace {

int KindOf(uint32_t type)
{
    switch (type) {
    case REG_DWORD: return RegistryKey::kDword;
    case REG_SZ: return RegistryKey::kString;
    case REG_BINARY: return RegistryKey::kBinary;
    case REG_QWORD: return RegistryKey::kQword;
    case REG_EXPAND_SZ: return RegistryKey::kExpandString;
    case REG_MULTI_SZ: return RegistryKey::kMultiString;
    default: return RegistryKey::kUnreadable;
    }
}

uint32_t TypeOf(int kind)
{
    static const uint32_t types[] = {REG_NONE, REG_DWORD, REG_SZ, REG_BINARY, REG_QWORD, REG_EXPAND_SZ};
    return kind >= 1 && kind <= 5 ? types[kind] : REG_NONE;
}

HKEY RootByName(const std::wstring& name)
{
    static const wchar_t* const names[] = {L"hkey_classes_root", L"hkey_current_user",     L"hkey_local_machine",
                                           L"hkey_users",        L"hkey_performance_data", L"hkey_current_config",
                                           L"hkey_dyn_data"};
    CPEXString lowered(name);
    lowered.ToLower();
    for (int i = 0; i < 7; ++i)
        if (lowered.str() == names[i])
            return registryRoot(i);
    return nullptr;
}

}  // namespace

RegistryKey::RegistryKey(int row, const wchar_t* subPath, bool create) { Open(row, subPath, create); }

RegistryKey::~RegistryKey() { Close(); }

bool RegistryKey::Open(int row, const wchar_t* subPath, bool create)
{
    Close();
    const RegistryKeyRow* r = RegistryKeyTable::Row(row);
    if (!r || r->disabled)
        return false;
    if (r->volatileCreate && create && !WriteCreatorInfo(row))
        return false;
    const std::wstring sub = subPath ? subPath : L"";
    std::wstring path;
    HKEY root = r->root;
    if (row == 0) {
        const size_t slash = sub.find(L'\\');
        root = slash == std::wstring::npos ? nullptr : RootByName(sub.substr(0, slash));
        if (!root)
            return false;
        path = sub.substr(slash + 1);
    } else if (r->format) {
        if (sub.empty())
            return false;
        const size_t slash = sub.find(L'\\');
        path = r->path;
        const size_t at = path.find(L"%s");
        if (at != std::wstring::npos)
            path.replace(at, 2, sub.substr(0, slash));
        if (slash != std::wstring::npos)
            path += sub.substr(slash);
    } else {
        path = r->path;
        if (!sub.empty())
            path += L"\\" + sub;
    }
    CPEXString lowered(path);
    lowered.ToLower();
    const bool isVolatile = lowered.str().find(L"volatile") != std::wstring::npos;
    if (create && isVolatile && !r->volatileCreate)
        return false;
    while (!path.empty() && path.back() == L'\\')
        path.pop_back();

    bool userRoot = false;
    if (root == HKEY_CURRENT_USER) {
        HKEY user = nullptr;
        if (RegOpenCurrentUser(KEY_ALL_ACCESS, &user) == ERROR_SUCCESS) {
            root = user;
            userRoot = true;
        }
    }
    HKEY handle = nullptr;
    const int32_t status = create ? RegCreateKeyExW(root, path.c_str(), 0, nullptr,
                                                    isVolatile ? REG_OPTION_VOLATILE : REG_OPTION_NON_VOLATILE,
                                                    KEY_READ, nullptr, &handle, nullptr)
                                  : RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &handle);
    if (status != ERROR_SUCCESS) {
        if (userRoot)
            RegCloseKey(root);
        return false;
    }
    m_root = root;
    m_handle = handle;
    m_path = CPEXString(path);
    m_volatile = isVolatile;
    m_userRoot = userRoot;
    return true;
}

bool RegistryKey::ValueExists(const wchar_t* name)
{
    uint32_t type = 0, size = 0;
    return m_handle && RegQueryValueExW(m_handle, name, nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
}

bool RegistryKey::Read(const wchar_t* name, int* kind)
{
    if (!ValueExists(name))
        return false;
    if (m_buffer.empty())
        m_buffer.resize(1024);
    uint32_t type = 0;
    uint32_t size = uint32_t(m_buffer.size());
    int32_t status = RegQueryValueExW(m_handle, name, nullptr, &type, m_buffer.data(), &size);
    if (status == ERROR_MORE_DATA) {
        m_buffer.assign(size, 0);
        status = RegQueryValueExW(m_handle, name, nullptr, &type, m_buffer.data(), &size);
    }
    if (status != ERROR_SUCCESS)
        return false;
    m_size = size;
    *kind = KindOf(type);
    return true;
}

bool RegistryKey::ReadString(const wchar_t* name, CPEXString& out)
{
    int kind = 0;
    if (!Read(name, &kind) || (kind != kString && kind != kExpandString && kind != kMultiString))
        return false;
    std::wstring text(m_size / sizeof(wchar_t), L'\0');
    std::memcpy(&text[0], m_buffer.data(), text.size() * sizeof(wchar_t));
    if (kind != kMultiString) {
        out = CPEXString(text.c_str());
        return true;
    }
    // Items in angle brackets separated by one space; "<>" for none.
    std::wstring items;
    for (size_t start = 0; start < text.size() && text[start] != L'\0';) {
        size_t nul = text.find(L'\0', start);
        if (nul == std::wstring::npos)
            nul = text.size();
        items += (items.empty() ? L"<" : L" <") + text.substr(start, nul - start) + L">";
        start = nul + 1;
    }
    out = CPEXString(items.empty() ? std::wstring(L"<>") : items);
    return true;
}

bool RegistryKey::ReadQword(const wchar_t* name, uint64_t& out)
{
    int kind = 0;
    if (!Read(name, &kind) || kind != kQword || m_size != 8)
        return false;
    std::memcpy(&out, m_buffer.data(), 8);
    return true;
}

bool RegistryKey::Reopen(uint32_t access)
{
    HKEY handle = nullptr;
    if (RegOpenKeyExW(m_root, m_path.c_str(), 0, access, &handle) != ERROR_SUCCESS)
        return false;
    RegCloseKey(m_handle);
    m_handle = handle;
    return true;
}

bool RegistryKey::WriteValue(const wchar_t* name, int kind, const void* data, uint32_t bytes)
{
    if (!m_handle || !m_userRoot || TypeOf(kind) == REG_NONE || !Reopen(KEY_ALL_ACCESS))
        return false;
    const bool ok =
        RegSetValueExW(m_handle, name, 0, TypeOf(kind), static_cast<const uint8_t*>(data), bytes) == ERROR_SUCCESS;
    m_written = m_written || ok;
    Reopen(KEY_READ);
    return ok;
}

void RegistryKey::Close()
{
    if (m_handle) {
        if (m_written)
            RegFlushKey(m_handle);
        RegCloseKey(m_handle);
    }
    if (m_userRoot && m_root)
        RegCloseKey(m_root);
    m_root = nullptr;
    m_handle = nullptr;
    m_path = CPEXString();
    m_volatile = false;
    m_written = false;
    m_userRoot = false;
    m_buffer.clear();
    m_buffer.shrink_to_fit();
    m_size = 0;
}

}  // namespace GenTLCore::PEXCore
