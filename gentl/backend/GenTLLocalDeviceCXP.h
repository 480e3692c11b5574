#pragma once
#include "GenTLLocalDevicePEX.h"
#include "LocalDeviceCustomEvents.h"
#include "LocalDeviceCustomRegisters.h"

#include <cstdint>

namespace GenTLCore::CoaXPress {

// The producer's device module: a CoaXPress camera input. Opening it makes
// the CoaXPress settings of the digitizer, its data stream and the camera's
// remote device. Its custom registers and custom events (1000 to 1048, on
// the module event) are kept by two members.
class GenTLLocalDeviceCXP : public PEXCore::GenTLLocalDevicePEX {
public:
    explicit GenTLLocalDeviceCXP(const CountedPtr<PEXCore::DeviceTagPEX>& tag);
    ~GenTLLocalDeviceCXP() override;

    // No remote-device events: null.
    CountedPtr<GenTLEvent> CreateRemoteDeviceEvent() override;
    CountedPtr<GenTLRemoteDevice> CreateRemoteDevice() override;
    void CreateDataStreams(std::vector<CountedPtr<GenTLDataStream>>* streams) override;
    // The PEX open, then Bayer conversion off and the CoaXPress setting on; a failure
    // of these two is left as the last error and does not fail the open.
    int32_t OpenTLDevice(int32_t access) override;
    // True unless the device was found by probing its digitizers.
    bool IsDeviceAvailable() override;
    bool HasMessageChannel() override { return false; }
    int32_t EnableRemoteDeviceEvents(const CountedPtr<GenTLEvent>& event) override;
    bool DisableRemoteDeviceEvents() override { return false; }
    bool IsBayerConversionEnabled() override;
    // Closing forgets the custom event registrations with the manager.
    void CloseTLDevice() override;

    void AddCustomRegisters() override;
    int32_t ReadCustomInt32Register(uint32_t id, int32_t* value) override;
    int32_t ReadCustomUInt32Register(uint32_t id, uint32_t* value) override;
    int32_t ReadCustomUInt64Register(uint32_t id, uint64_t* value) override;
    int32_t WriteCustomInt32Register(uint32_t id, int32_t value) override;
    int32_t WriteCustomUInt32Register(uint32_t id, uint32_t value) override;
    int32_t WriteCustomUInt64Register(uint32_t id, uint64_t value) override;

    int32_t RegisterTLEvent(int32_t type) override;
    bool UnregisterTLEvent(int32_t type) override;
    bool GetModuleEventMaxSize(uint64_t* maxSize) override;
    bool SharesModuleEvent(int32_t type) override;
    bool ModuleEventInUse() override;

private:
    LocalDeviceCustomRegisters m_customRegisters;
    LocalDeviceCustomEvents m_customEvents;
};

}  // namespace GenTLCore::CoaXPress
