#pragma once
#include "GenTLSystem.h"

#include <platform/pex/Pex.h>

#include <cstdint>
#include <string>
#include <vector>

namespace GenTLCore::PEXCore {

// The system module on the imaging library: one interface per board of
// every installed system whose type the leaf supports.
class GenTLSystemPEX : public GenTLSystem {
public:
    struct SupportedSystem {
        std::wstring descriptor;
        int64_t type;
    };

    // `context`: the services handle, the context of the installed-system
    // inquiries.
    explicit GenTLSystemPEX(uint64_t context);
    ~GenTLSystemPEX() override;

    // Appends one InterfaceTagPEX per board. Boards are numbered over all
    // installed systems of one type in their order, as the imaging library
    // counts them when a board's system is allocated. 0, or -1001 with the
    // library's text.
    int32_t DiscoverInterfaces(std::vector<CountedPtr<InterfaceTag>>* tags, uint64_t timeout) override;
    virtual const std::vector<SupportedSystem>& GetSupportedSystems() const = 0;

protected:
    uint64_t m_context;
};

}  // namespace GenTLCore::PEXCore
