#pragma once
#include <platform/pex/Pex.h>

namespace GenTLCore {
namespace PEXCore {

// The release rule of library ids: 0, the default value 0x10000000 and ids
// with bit 0x800000 set are never freed.
inline bool IsReleasablePexId(PEX_ID id) { return id != 0 && id != PEX_DEFAULT && (id & 0x800000) == 0; }

}  // namespace PEXCore
}  // namespace GenTLCore
