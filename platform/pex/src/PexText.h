#pragma once
#include "platform/pex/Pex.h"

#include <string>

namespace platform::pex {

// Text answers of the library: `code` writes the NUL-terminated wide text,
// `code + 0x50000000000` its length in wide characters including the NUL.
class PexText {
public:
    static std::wstring widen(const std::string& text);
    // The shortest text that reads back as the same double ("0.01", "1e-300",
    // "nan").
    static std::string decimal(double v);
    // True when code is base or base's size form; writes the answer to out.
    static bool answer(PEX_INT code, PEX_INT base, const std::wstring& text, void* out);
    static bool isSizeForm(PEX_INT code);
    static PEX_INT withoutSizeForm(PEX_INT code);
    // Fault switch: size forms leave out the NUL.
    static void setSizesWithoutNul(bool on);
};

}  // namespace platform::pex
