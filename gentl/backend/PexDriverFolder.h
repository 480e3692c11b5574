#pragma once
#include "CPEXString.h"

namespace GenTLCore::PEXCore {

// The imaging library's driver folder and its place on PATH. The folder is
// DriversPath (machine key row 3, every trailing '/' removed) followed by
// "GenTLProducer" and the platform word ("Linux64" here; "Win64" on
// Windows); without the value it is the relative "GenTLProducer/Linux64".
// It joins PATH after a ':', unless PATH holds it already. PATH is taken as
// the bytes it holds, whatever their encoding, and keeps them; an unset PATH
// stands for the system's default search path, which goes before the folder.
class PexDriverFolder {
public:
    static constexpr const wchar_t* kPlatformWord = L"Linux64";
    static constexpr char kPathListSeparator = ':';

    static CPEXString Folder(const CPEXString& platformWord);
    // Appends the folder to the process PATH unless one of PATH's entries is
    // the folder already, and returns it.
    static CPEXString AppendToPath(const CPEXString& platformWord);

private:
    // True when one of the ':'-separated entries of `list` is `entry`.
    static bool HoldsEntry(const std::string& list, const std::string& entry);
};

}  // namespace GenTLCore::PEXCore
