#include "DeviceTagPEX.h"

#include "BrandingControl.h"
#include "CPEXString.h"
#include "GenTLBranding.h"
#include "PexLibraryCodes.h"
#include "PexTextInquiry.h"

namespace GenTLCore::PEXCore {

namespace {

using namespace PexCode;

std::string SystemText(PEX_ID system, PEX_INT code) { return WideToUtf8(InquirePexText(&PexSysInquire, system, code)); }

}  // namespace

DeviceTagPEX::DeviceTagPEX(PEX_ID system, std::wstring interfaceName, int64_t index, bool probed,
                           std::wstring descriptor)
    : m_system(system), m_interfaceName(std::move(interfaceName)), m_descriptor(std::move(descriptor)), m_probed(probed)
{
    if (!probed) {
        PexSysInquire(system, kSysCameraDeviceNumber + index, &m_deviceNumber);
        m_vendorName = SystemText(system, kSysCameraVendor + index);
        m_modelName = SystemText(system, kSysCameraModel + index);
        m_manufacturerInfo = SystemText(system, kSysCameraManufacturerInfo + index);
        m_userDefinedName = SystemText(system, kSysCameraUserName + index);
        m_version = SystemText(system, kSysCameraVersion + index);
        m_serialNumber = SystemText(system, kSysCameraSerial + index);
        int64_t systemNumber = 0;
        PexSysInquire(system, kSysNumber, &systemNumber);
        m_identity = WideToUtf8(m_interfaceName) + std::to_string(systemNumber) + "\\Device" +
                     std::to_string(m_deviceNumber);
        return;
    }
    m_deviceNumber = index;
    const GenTLBranding& branding = GetBranding();
    m_vendorName = branding.GetVendorName();
    m_version = branding.GetVersion();
    m_modelName = WideToUtf8(m_interfaceName);
    m_serialNumber = SystemText(system, kSysBoardSerial);
    int64_t value = -1;
    PexSysInquire(system, kSysBoardValue, &value);
    m_manufacturerInfo = std::to_string(value);
}

DeviceTagPEX::~DeviceTagPEX() = default;

bool DeviceTagPEX::IsSame(const DeviceTag& other) const
{
    const auto* tag = dynamic_cast<const DeviceTagPEX*>(&other);
    return tag && tag->m_system == m_system && tag->m_deviceNumber == m_deviceNumber;
}

CountedPtr<DeviceTag> MakeDeviceTagPEX(PEX_ID system, const std::wstring& interfaceName, int64_t index,
                                       const std::wstring& descriptor)
{
    return MakeProbedDeviceTagPEX(system, interfaceName, index, false, descriptor);
}

CountedPtr<DeviceTag> MakeProbedDeviceTagPEX(PEX_ID system, const std::wstring& interfaceName, int64_t index,
                                             bool probed, const std::wstring& descriptor)
{
    return CountedPtr<DeviceTag>(new DeviceTagPEX(system, interfaceName, index, probed, descriptor));
}

}  // namespace GenTLCore::PEXCore
