#pragma once
#include "CPEXString.h"

#include <cstdint>

namespace GenTLCore::PEXCore {

// Texts about the running process. Any output may be null.
struct ProcessInfoTexts {
    // The executable's file name without its folder; its folder with the
    // final separator; the command line without the program name (after a
    // leading quoted name, or after the first space; trimmed on both sides);
    // the process id; the start time in seconds since 1970.
    static void Get(CPEXString* fileName, CPEXString* folder, CPEXString* arguments, uint32_t* processId,
                    int64_t* startTime);
    // The argument part of a command line, as above.
    static CPEXString Arguments(const CPEXString& commandLine);
};

}  // namespace GenTLCore::PEXCore
