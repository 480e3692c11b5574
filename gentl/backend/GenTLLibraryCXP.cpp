#include "GenTLLibraryCXP.h"

#include "GenTLSystemCXP.h"

namespace GenTLCore::CoaXPress {

GenTLLibraryCXP::GenTLLibraryCXP() = default;

GenTLLibraryCXP::~GenTLLibraryCXP() = default;

CountedPtr<GenTLSystem> GenTLLibraryCXP::CreateSystem()
{
    return CountedPtr<GenTLSystem>(new GenTLSystemCXP(m_servicesHandle));
}

}  // namespace GenTLCore::CoaXPress
