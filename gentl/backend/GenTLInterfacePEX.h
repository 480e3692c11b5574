#pragma once
#include "GenTLInterface.h"
#include "InterfaceTagPEX.h"

#include <platform/pex/Pex.h>

namespace GenTLCore::PEXCore {

// The interface module on the imaging library: one board. Its first device
// discovery allocates the board's system, which the interface keeps until
// it is destroyed.
class GenTLInterfacePEX : public GenTLInterface {
public:
    explicit GenTLInterfacePEX(const CountedPtr<InterfaceTagPEX>& tag);
    ~GenTLInterfacePEX() override;

    // Appends one tag per camera the board reports. When the board refuses
    // camera discovery, the refusal becomes the last error and the
    // digitizers are probed; probed tags carry no identity and are never
    // listed. 0, or -1001 with the library's text.
    int32_t DiscoverDevices(std::vector<CountedPtr<DeviceTag>>* tags, uint64_t timeout) override;

    PEX_ID SystemId() const { return m_system; }

private:
    PEX_ID m_system = 0;
    CountedPtr<InterfaceTagPEX> m_tag;
};

}  // namespace GenTLCore::PEXCore
