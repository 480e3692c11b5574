#include "GenTLRemoteDeviceCXP.h"

namespace GenTLCore::CoaXPress {

GenTLRemoteDeviceCXP::GenTLRemoteDeviceCXP(const CountedPtr<PEXCore::DeviceTagPEX>& tag, PEX_ID digitizer,
                                           int32_t access)
    : GenTLRemoteDevicePEX(tag, digitizer, access)
{
}

GenTLRemoteDeviceCXP::~GenTLRemoteDeviceCXP() = default;

CountedPtr<GenTLRemoteDevice> MakeRemoteDeviceCXP(const CountedPtr<PEXCore::DeviceTagPEX>& tag, PEX_ID digitizer,
                                                  int32_t access)
{
    return CountedPtr<GenTLRemoteDevice>(new GenTLRemoteDeviceCXP(tag, digitizer, access));
}

}  // namespace GenTLCore::CoaXPress
