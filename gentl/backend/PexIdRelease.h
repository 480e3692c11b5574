#pragma once
#include <platform/pex/Pex.h>

namespace GenTLCore::PEXCore {

// The imaging library's ids that the back end may hand back: non-zero, not
// the library's default id 0x10000000, and bit 0x800000 clear.
bool IsReleasablePexId(PEX_ID id);
// PexSysFree / PexDigFree under that rule.
void ReleasePexSystem(PEX_ID system);
void ReleasePexDigitizer(PEX_ID digitizer);

}  // namespace GenTLCore::PEXCore
