#pragma once
#include "GenTLLibraryPEX.h"

namespace GenTLCore::CoaXPress {

// The producer's library object: its system module is a GenTLSystemCXP.
class GenTLLibraryCXP : public PEXCore::GenTLLibraryPEX {
public:
    GenTLLibraryCXP();
    ~GenTLLibraryCXP() override;

    CountedPtr<GenTLSystem> CreateSystem() override;
};

}  // namespace GenTLCore::CoaXPress
