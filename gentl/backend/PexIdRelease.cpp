#include "PexIdRelease.h"

#include "PexLibraryCodes.h"

namespace GenTLCore::PEXCore {

bool IsReleasablePexId(PEX_ID id)
{
    return id != 0 && id != PexCode::kDefault && (id & PexCode::kLibraryOwnedIdBit) == 0;
}

void ReleasePexSystem(PEX_ID system)
{
    if (IsReleasablePexId(system))
        PexSysFree(system);
}

void ReleasePexDigitizer(PEX_ID digitizer)
{
    if (IsReleasablePexId(digitizer))
        PexDigFree(digitizer);
}

}  // namespace GenTLCore::PEXCore
