#include "RegistryEnvironment.h"

#include "ProcessInfoTexts.h"
#include "RegistryKey.h"
#include "RegistryKeyTable.h"

#include <platform/os/Environment.h>
#include <platform/os/Registry.h>

#include <ctime>
#include <cwctype>

namespace GenTLCore::PEXCore {

namespace {

bool EqualsNoCase(const wchar_t* a, const wchar_t* b)
{
    CPEXString x(a), y(b);
    x.ToLower();
    y.ToLower();
    return x == y;
}

bool SetText(platform::os::HKEY key, const wchar_t* name, const CPEXString& text)
{
    // Texts go with their length in bytes and no terminator.
    return platform::os::RegSetValueExW(key, name, 0, platform::os::REG_SZ,
                                        reinterpret_cast<const uint8_t*>(text.c_str()),
                                        uint32_t(text.size() * sizeof(wchar_t))) == platform::os::ERROR_SUCCESS;
}

}  // namespace

bool KeyExists(int row)
{
    RegistryKey key(row, nullptr, false);
    return key.IsOpen();
}

bool ReadDebugSetting(const wchar_t* valuePath, CPEXString* text, uint64_t* qword)
{
    const std::wstring path = valuePath ? valuePath : L"";
    const size_t slash = path.rfind(L'\\');
    const std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
    std::wstring sub = L"Settings\\Debug";
    if (slash != std::wstring::npos)
        sub += L"\\" + path.substr(0, slash);
    for (int row : {2, 1}) {
        RegistryKey key(row, sub.c_str(), false);
        if (!key.ValueExists(name.c_str()))
            continue;
        const bool ok = qword ? key.ReadQword(name.c_str(), *qword) : text && key.ReadString(name.c_str(), *text);
        if (ok)
            return true;
    }
    return false;
}

bool FolderExists(const CPEXString& path)
{
    if (path.empty())
        return false;
    const uint32_t attributes = platform::os::getFileAttributesW(path.c_str());
    return attributes != platform::os::INVALID_FILE_ATTRIBUTES &&
           (attributes & platform::os::FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool ResolveEnvironmentFolder(CPEXString& out, const wchar_t* name)
{
    const wchar_t* n = name ? name : L"";
    CPEXString folder;
    if (EqualsNoCase(n, L"TEMP") && ReadDebugSetting(L"TempFolder", &folder, nullptr) && FolderExists(folder)) {
        out = folder;
        return true;
    }
    if (EqualsNoCase(n, L"TRACEFOLDER") && ReadDebugSetting(L"TraceFolder", &folder, nullptr) &&
        FolderExists(folder)) {
        out = folder;
        return true;
    }
    if (EqualsNoCase(n, L"PEX_PATH") && ResolveEnvironmentFolder(out, L"PEX_PATH64"))
        return true;
    std::wstring value;
    if (platform::os::getEnvironmentW(n, &value) && !value.empty()) {
        out = CPEXString(value);
        return true;
    }
    if (EqualsNoCase(n, L"TRACEFOLDER"))
        return ResolveEnvironmentFolder(out, L"TEMP");
    return false;
}

bool WriteCreatorInfo(int row)
{
    const int parentRow = RegistryKeyTable::ParentRow(row);
    const RegistryKeyRow* r = RegistryKeyTable::Row(row);
    if (parentRow < 0 || !r)
        return false;
    RegistryKey parent(parentRow, nullptr, true);
    if (!parent.IsOpen())
        return false;
    if (KeyExists(row))
        return true;
    using namespace platform::os;
    HKEY key = nullptr;
    if (RegCreateKeyExW(r->root, r->path, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    const int64_t now = int64_t(std::time(nullptr));
    const uint32_t low = uint32_t(now);
    CPEXString timeText, processName, arguments;
    timeText.SetLocalTimeText(now);
    ProcessInfoTexts::Get(&processName, nullptr, &arguments, nullptr, nullptr);
    bool ok = RegSetValueExW(key, L"Creation Time", 0, REG_DWORD, reinterpret_cast<const uint8_t*>(&low), 4) ==
              ERROR_SUCCESS;
    ok = SetText(key, L"Creation Time String", timeText) && ok;
    ok = SetText(key, L"Process Name", processName) && ok;
    ok = SetText(key, L"Process Arguments", arguments) && ok;
    ok = SetText(key, L"PathCreator", CPEXString(r->path)) && ok;
    RegCloseKey(key);
    return ok;
}

}  // namespace GenTLCore::PEXCore
