#pragma once
#include "DeviceTagPEX.h"
#include "DigitizerEventManager.h"
#include "GenTLLocalDevice.h"

#include <platform/pex/Pex.h>

#include <cstdint>
#include <memory>
#include <string>

namespace GenTLCore::PEXCore {

// The device module on the imaging library: one digitizer of a board,
// allocated at open and freed at close.
class GenTLLocalDevicePEX : public GenTLLocalDevice {
public:
    explicit GenTLLocalDevicePEX(const CountedPtr<DeviceTagPEX>& tag);
    ~GenTLLocalDevicePEX() override;

    // Access 2, 3 or 4 (else -1009, nothing done); allocates the digitizer
    // and makes its settings. A library failure gives -1001 with the
    // library's text and releases what the open took, so the device stays
    // closed and a later open starts afresh.
    int32_t OpenTLDevice(int32_t access) override;
    void CloseTLDevice() override;
    // The host's high-resolution counter frequency.
    int32_t GetTimestampFrequency(uint64_t* frequency) override;
    void GetDeviceTagString(std::string* text) override;
    virtual bool IsBayerConversionEnabled() = 0;

    // The open digitizer's event-hook manager; null while closed.
    DigitizerEventManager* EventManager() const { return m_eventManager.get(); }

protected:
    // Frees the digitizer (and what hangs on it) and forgets it.
    void ReleaseDigitizer();

    std::unique_ptr<DigitizerEventManager> m_eventManager;
    CountedPtr<DeviceTagPEX> m_tag;
    PEX_ID m_digitizer = 0;
    int32_t m_access = 0;
    CountedPtr<GenTLDataStream> m_dataStream;
};

}  // namespace GenTLCore::PEXCore
