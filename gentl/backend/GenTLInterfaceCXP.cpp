#include "GenTLInterfaceCXP.h"

#include "DeviceTagPEX.h"
#include "GenTLLocalDeviceCXP.h"

namespace GenTLCore::CoaXPress {

GenTLInterfaceCXP::GenTLInterfaceCXP(const CountedPtr<PEXCore::InterfaceTagPEX>& tag) : GenTLInterfacePEX(tag) {}

GenTLInterfaceCXP::~GenTLInterfaceCXP() = default;

CountedPtr<GenTLLocalDevice> GenTLInterfaceCXP::CreateLocalDevice(const CountedPtr<DeviceTag>& tag)
{
    return CountedPtr<GenTLLocalDevice>(new GenTLLocalDeviceCXP(tag.DynamicCast<PEXCore::DeviceTagPEX>()));
}

}  // namespace GenTLCore::CoaXPress
