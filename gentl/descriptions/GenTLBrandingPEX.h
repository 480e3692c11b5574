// Base of the brandings of producers built on the imaging library.
#pragma once

#include "GenTLBranding.h"

namespace GenTLCore {

class GenTLBrandingPEX : public GenTLBranding {
public:
    ~GenTLBrandingPEX() override;
};

} // namespace GenTLCore
