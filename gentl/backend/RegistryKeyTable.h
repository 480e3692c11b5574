#pragma once
#include <platform/os/Registry.h>

namespace GenTLCore::PEXCore {

// One row of the imaging library's registry key table.
struct RegistryKeyRow {
    platform::os::HKEY root;  // null for row 0 and unused rows
    const wchar_t* path;      // may hold one "%s" when format is set
    bool format;
    bool volatileCreate;
    bool disabled;
};

// The fixed key table, selected by row number.
class RegistryKeyTable {
public:
    static constexpr int kRows = 24;
    // The row, or null for a number outside the table.
    static const RegistryKeyRow* Row(int row);
    // Parent row of a volatile-create row (9 -> 2, 16 -> 1, 22 -> 23), or -1.
    static int ParentRow(int row);
};

}  // namespace GenTLCore::PEXCore
