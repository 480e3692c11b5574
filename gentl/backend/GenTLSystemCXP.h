#pragma once
#include "GenTLSystemPEX.h"

namespace GenTLCore::CoaXPress {

// The producer's system module: serves the CoaXPress systems of types 14
// ("PX_SYSTEM_TARSILCXP") and 18 ("PX_SYSTEM_QUENDACXP") and makes a
// GenTLInterfaceCXP per board.
class GenTLSystemCXP : public PEXCore::GenTLSystemPEX {
public:
    explicit GenTLSystemCXP(uint64_t context);
    ~GenTLSystemCXP() override;

    // A null interface tag for a tag that discovery did not make.
    CountedPtr<GenTLInterface> CreateInterface(const CountedPtr<InterfaceTag>& tag) override;
    const std::vector<SupportedSystem>& GetSupportedSystems() const override { return m_supported; }

private:
    std::vector<SupportedSystem> m_supported;
};

}  // namespace GenTLCore::CoaXPress
