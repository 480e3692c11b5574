#include "ProductIdentifier.h"

#include <cstring>

namespace GenTLCore {

namespace {
const CVN_GUID kProductIdentifier = {0x6B3A51C2, 0x4E0D, 0x4C7A, {0x9F, 0x21, 0x3C, 0x5E, 0x8A, 0x17, 0xD0, 0x44}};
}  // namespace

const CVN_GUID& ProductIdentifier::Value() { return kProductIdentifier; }

CVN_GUID* ProductIdentifier::CopyTo(CVN_GUID* out)
{
    if (!out)
        return nullptr;
    std::memcpy(out, &kProductIdentifier, sizeof kProductIdentifier);
    return out;
}

}  // namespace GenTLCore

extern "C" CVN_GUID* CvnInit(CVN_GUID* pIdentifier) { return GenTLCore::ProductIdentifier::CopyTo(pIdentifier); }
