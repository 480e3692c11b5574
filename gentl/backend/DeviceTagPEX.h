#pragma once
#include "CountedPtr.h"
#include "DeviceTag.h"

#include <platform/pex/Pex.h>

#include <cstdint>
#include <string>

namespace GenTLCore::PEXCore {

// One camera (or digitizer) of a board. A camera that the board reports
// takes its texts from the camera's bootstrap and its identity from the
// board ("<interface name><board number>\Device<device number>"); a
// digitizer found by probing carries the board's texts and no identity, so
// it is never listed.
class DeviceTagPEX : public DeviceTag {
public:
    // Asks the imaging library for the texts of camera `index` on `system`
    // (probed false), or of digitizer `index` (probed true). `descriptor` is
    // the supported-system descriptor of the board's system type.
    DeviceTagPEX(PEX_ID system, std::wstring interfaceName, int64_t index, bool probed, std::wstring descriptor);
    ~DeviceTagPEX() override;

    std::string GetID() const override { return m_identity; }
    // Same system and same device number, whatever the texts.
    bool IsSame(const DeviceTag& other) const override;
    std::string GetVendorName() const override { return m_vendorName; }
    std::string GetModelName() const override { return m_modelName; }
    std::string GetVersion() const override { return m_version; }
    std::string GetSerialNumber() const override { return m_serialNumber; }
    bool HasUserDefinedName() const override { return !m_userDefinedName.empty(); }
    std::string GetUserDefinedName() const override { return m_userDefinedName; }
    std::string GetManufacturerInfo() const override { return m_manufacturerInfo; }
    bool IsNoAccess() const override { return false; }
    bool IsReadWrite() const override { return true; }
    void UpdateFrom(const DeviceTag&) override {}

    PEX_ID SystemId() const { return m_system; }
    const std::wstring& SystemDescriptor() const { return m_descriptor; }
    int64_t DeviceNumber() const { return m_deviceNumber; }
    bool IsProbed() const { return m_probed; }

private:
    PEX_ID m_system;
    std::wstring m_interfaceName;
    std::wstring m_descriptor;
    int64_t m_deviceNumber = 0;
    bool m_probed;
    std::string m_identity;
    std::string m_vendorName;
    std::string m_modelName;
    std::string m_version;
    std::string m_serialNumber;
    std::string m_userDefinedName;
    std::string m_manufacturerInfo;
};

CountedPtr<DeviceTag> MakeDeviceTagPEX(PEX_ID system, const std::wstring& interfaceName, int64_t index,
                                       const std::wstring& descriptor);
CountedPtr<DeviceTag> MakeProbedDeviceTagPEX(PEX_ID system, const std::wstring& interfaceName, int64_t index,
                                             bool probed, const std::wstring& descriptor);

}  // namespace GenTLCore::PEXCore
