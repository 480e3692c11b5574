#pragma once
#include "GenTLInterfacePEX.h"

namespace GenTLCore::CoaXPress {

// The producer's interface module: its devices are GenTLLocalDeviceCXP.
class GenTLInterfaceCXP : public PEXCore::GenTLInterfacePEX {
public:
    explicit GenTLInterfaceCXP(const CountedPtr<PEXCore::InterfaceTagPEX>& tag);
    ~GenTLInterfaceCXP() override;

    // A null device tag for a tag that discovery did not make.
    CountedPtr<GenTLLocalDevice> CreateLocalDevice(const CountedPtr<DeviceTag>& tag) override;
};

}  // namespace GenTLCore::CoaXPress
