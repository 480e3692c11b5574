#include "GenTLBranding.h"

namespace GenTLCore {

GenTLBranding::~GenTLBranding() = default;

} // namespace GenTLCore
