#include "GenTLBrandingPEX.h"

namespace GenTLCore {

GenTLBrandingPEX::~GenTLBrandingPEX() = default;

} // namespace GenTLCore
