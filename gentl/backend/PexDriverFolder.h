#pragma once
#include "CPEXString.h"

namespace GenTLCore::PEXCore {

// The imaging library's driver folder and its place on PATH. The folder is
// DriversPath (machine key row 3, every trailing '/' removed) followed by
// "GenTLProducer" and the platform word ("Linux64" here; "Win64" on
// Windows); without the value it is the relative "GenTLProducer/Linux64".
// It joins PATH after a ':' ("folder" alone when PATH is unset or empty).
class PexDriverFolder {
public:
    static constexpr const wchar_t* kPlatformWord = L"Linux64";
    static constexpr wchar_t kPathListSeparator = L':';

    static CPEXString Folder(const CPEXString& platformWord);
    // Appends the folder to the process PATH (every time, also when it is
    // there already) and returns it.
    static CPEXString AppendToPath(const CPEXString& platformWord);
};

}  // namespace GenTLCore::PEXCore
