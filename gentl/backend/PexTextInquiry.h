#pragma once
#include <platform/pex/Pex.h>

#include <string>

namespace GenTLCore::PEXCore {

// The imaging library's inquiries of one object (application, system,
// digitizer, buffer, its errors, a hook's event): id, code, output.
using PexInquiry = PEX_INT (*)(PEX_ID, PEX_INT, void*);

// A value inquiry: the 64-bit answer, `preset` when the library writes
// none.
PEX_INT InquirePexValue(PexInquiry inquire, PEX_ID object, PEX_INT code, PEX_INT preset = 0);

// A text inquiry: its length first (code + PexCode::kTextSize), then the text
// into a buffer with room for the terminating zero whatever the length
// counts, cut at its first NUL. Empty when the length is below 1 or more
// than any text of the library (1 Mi characters).
std::wstring InquirePexText(PexInquiry inquire, PEX_ID object, PEX_INT code);

}  // namespace GenTLCore::PEXCore
