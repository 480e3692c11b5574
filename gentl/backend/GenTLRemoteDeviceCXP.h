#pragma once
#include "GenTLRemoteDevicePEX.h"

namespace GenTLCore::CoaXPress {

// The CoaXPress camera: big-endian registers, reads through space 0x1B04,
// writes through 0x1B05.
class GenTLRemoteDeviceCXP : public PEXCore::GenTLRemoteDevicePEX {
public:
    GenTLRemoteDeviceCXP(const CountedPtr<PEXCore::DeviceTagPEX>& tag, PEX_ID digitizer, int32_t access);
    ~GenTLRemoteDeviceCXP() override;

    bool IsLittleEndian() override { return false; }
    bool IsWriteSupported() override { return true; }
    int64_t GetRegisterReadSpace() override { return 0x1B04; }
    int64_t GetRegisterWriteSpace() override { return 0x1B05; }
};

CountedPtr<GenTLRemoteDevice> MakeRemoteDeviceCXP(const CountedPtr<PEXCore::DeviceTagPEX>& tag, PEX_ID digitizer,
                                                  int32_t access);

}  // namespace GenTLCore::CoaXPress
