#include "RegistryKeyTable.h"

namespace GenTLCore::PEXCore {

const RegistryKeyRow* RegistryKeyTable::Row(int row)
{
    using namespace platform::os;
    static const wchar_t* const kRuntime = L"Software\\Corvane\\Corvane Imaging Library\\Runtime";
    static const RegistryKeyRow kNone{nullptr, L"", false, false, true};
    if (row < 0 || row >= kRows)
        return nullptr;
    static RegistryKeyRow rows[kRows];
    static const bool filled = [] {
        for (RegistryKeyRow& r : rows)
            r = kNone;
        rows[0] = RegistryKeyRow{nullptr, L"", false, false, false};
        rows[1] = RegistryKeyRow{HKEY_LOCAL_MACHINE, kRuntime, false, false, false};
        rows[2] = RegistryKeyRow{HKEY_CURRENT_USER, kRuntime, false, false, false};
        rows[3] = RegistryKeyRow{HKEY_LOCAL_MACHINE, L"Software\\Corvane\\Corvane Imaging Library\\Runtime\\Install",
                                 false, false, false};
        rows[9] = RegistryKeyRow{HKEY_CURRENT_USER, L"Software\\Corvane\\Corvane Imaging Library\\Runtime\\Volatile",
                                 false, true, false};
        rows[16] = RegistryKeyRow{HKEY_LOCAL_MACHINE,
                                  L"Software\\Corvane\\Corvane Imaging Library\\Runtime\\Volatile", false, true, false};
        rows[22] = RegistryKeyRow{HKEY_LOCAL_MACHINE, L"Software\\Corvane Imaging Library\\Runtime\\Volatile", false,
                                  true, false};
        rows[23] = RegistryKeyRow{HKEY_LOCAL_MACHINE, L"Software\\Corvane Imaging Library\\Runtime", false, false,
                                  false};
        return true;
    }();
    (void)filled;
    return &rows[row];
}

int RegistryKeyTable::ParentRow(int row)
{
    switch (row) {
    case 9: return 2;
    case 16: return 1;
    case 22: return 23;
    default: return -1;
    }
}

}  // namespace GenTLCore::PEXCore
