#pragma once
#include "GenTLRemoteDevicePEX.h"
#include "PexLibraryCodes.h"

namespace GenTLCore::CoaXPress {

// The CoaXPress camera: big-endian registers, read and written through the
// library's CoaXPress register spaces.
class GenTLRemoteDeviceCXP : public PEXCore::GenTLRemoteDevicePEX {
public:
    GenTLRemoteDeviceCXP(const CountedPtr<PEXCore::DeviceTagPEX>& tag, PEX_ID digitizer, int32_t access);
    ~GenTLRemoteDeviceCXP() override;

    bool IsLittleEndian() override { return false; }
    bool IsWriteSupported() override { return true; }
    int64_t GetRegisterReadSpace() override { return PexCode::kCxpRegisterReadSpace; }
    int64_t GetRegisterWriteSpace() override { return PexCode::kCxpRegisterWriteSpace; }
};

CountedPtr<GenTLRemoteDevice> MakeRemoteDeviceCXP(const CountedPtr<PEXCore::DeviceTagPEX>& tag, PEX_ID digitizer,
                                                  int32_t access);

}  // namespace GenTLCore::CoaXPress
