#pragma once
#include "CPEXString.h"

#include <cstdint>

namespace GenTLCore::PEXCore {

// The registry and environment look-ups of the imaging library's key table.

// A key object opens the row read-only (no sub-path); true when it opened.
bool KeyExists(int row);
// Reads a value below "Settings\Debug" of the current user's runtime key,
// then of the machine's: the part of valuePath after its last backslash is
// the value name, the part before it a sub-folder. Reads a QWORD into
// *qword when qword is given, else text into *text.
bool ReadDebugSetting(const wchar_t* valuePath, CPEXString* text, uint64_t* qword);
// Folder-like environment variables: TEMP and TRACEFOLDER prefer existing
// folders named by the debug settings TempFolder and TraceFolder, PEX_PATH
// prefers PEX_PATH64, an unset TRACEFOLDER falls back to TEMP. False, and
// out unchanged, when nothing is found.
bool ResolveEnvironmentFolder(CPEXString& out, const wchar_t* name);
// The path is not empty and names an existing folder.
bool FolderExists(const CPEXString& path);
// Creates the volatile key of row 9, 16 or 22 with its creator values, once.
bool WriteCreatorInfo(int row);

}  // namespace GenTLCore::PEXCore
