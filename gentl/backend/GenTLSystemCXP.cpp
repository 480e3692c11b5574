#include "GenTLSystemCXP.h"

#include "GenTLInterfaceCXP.h"
#include "InterfaceTagPEX.h"

namespace GenTLCore::CoaXPress {

GenTLSystemCXP::GenTLSystemCXP(uint64_t context)
    : GenTLSystemPEX(context), m_supported{{L"PX_SYSTEM_TARSILCXP", 14}, {L"PX_SYSTEM_QUENDACXP", 18}}
{
}

GenTLSystemCXP::~GenTLSystemCXP() = default;

CountedPtr<GenTLInterface> GenTLSystemCXP::CreateInterface(const CountedPtr<InterfaceTag>& tag)
{
    return CountedPtr<GenTLInterface>(new GenTLInterfaceCXP(tag.DynamicCast<PEXCore::InterfaceTagPEX>()));
}

}  // namespace GenTLCore::CoaXPress
