#pragma once
#include "GenTLLocalDevicePEX.h"

#include <cstdint>
#include <map>

namespace GenTLCore::CoaXPress {

// The producer's device module: a CoaXPress camera input. Opening it makes
// the CoaXPress settings of the digitizer and the camera's remote device.
// It has no data stream and no event-hook manager yet, and no custom
// registers: the addresses its description names answer -1015.
class GenTLLocalDeviceCXP : public PEXCore::GenTLLocalDevicePEX {
public:
    explicit GenTLLocalDeviceCXP(const CountedPtr<PEXCore::DeviceTagPEX>& tag);
    ~GenTLLocalDeviceCXP() override;

    // No remote-device events: null.
    CountedPtr<GenTLEvent> CreateRemoteDeviceEvent() override;
    CountedPtr<GenTLRemoteDevice> CreateRemoteDevice() override;
    void CreateDataStreams(std::vector<CountedPtr<GenTLDataStream>>* streams) override;
    // The PEX open, then Bayer conversion off and control 4379 on; a failure
    // of these two is left as the last error and does not fail the open.
    int32_t OpenTLDevice(int32_t access) override;
    // True unless the device was found by probing its digitizers.
    bool IsDeviceAvailable() override;
    bool HasMessageChannel() override { return false; }
    int32_t EnableRemoteDeviceEvents(const CountedPtr<GenTLEvent>& event) override;
    bool DisableRemoteDeviceEvents() override { return false; }
    bool IsBayerConversionEnabled() override;

    PEX_ID WhiteBalanceBuffer() const { return m_whiteBalanceBuffer; }

private:
    std::map<int32_t, uint32_t> m_registeredEvents;
    PEX_ID m_whiteBalanceBuffer = 0;
    float m_balanceRatios[3] = {1.0f, 1.0f, 1.0f};
};

}  // namespace GenTLCore::CoaXPress
