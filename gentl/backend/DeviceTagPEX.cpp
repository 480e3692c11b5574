#include "DeviceTagPEX.h"

#include "BrandingControl.h"
#include "CPEXString.h"
#include "GenTLBranding.h"
#include "PexTextInquiry.h"

namespace GenTLCore::PEXCore {

namespace {

enum SystemCode : PEX_INT {
    BOARD_NUMBER = 1009,
    DEVICE_NUMBER = 1200,
    BOARD_VALUE = 2155,
    BOARD_SERIAL = 7703,
    CAMERA_MODEL = 33000,
    CAMERA_VENDOR = 33256,
    CAMERA_MANUFACTURER_INFO = 33512,
    CAMERA_USER_NAME = 33768,
    CAMERA_VERSION = 34024,
    CAMERA_SERIAL = 34280,
};

std::string SystemText(PEX_ID system, PEX_INT code) { return WideToUtf8(InquirePexText(&PexSysInquire, system, code)); }

}  // namespace

DeviceTagPEX::DeviceTagPEX(PEX_ID system, std::wstring interfaceName, int64_t index, bool probed,
                           std::wstring descriptor)
    : m_system(system), m_interfaceName(std::move(interfaceName)), m_descriptor(std::move(descriptor)), m_probed(probed)
{
    if (!probed) {
        PexSysInquire(system, DEVICE_NUMBER + index, &m_deviceNumber);
        m_vendorName = SystemText(system, CAMERA_VENDOR + index);
        m_modelName = SystemText(system, CAMERA_MODEL + index);
        m_manufacturerInfo = SystemText(system, CAMERA_MANUFACTURER_INFO + index);
        m_userDefinedName = SystemText(system, CAMERA_USER_NAME + index);
        m_version = SystemText(system, CAMERA_VERSION + index);
        m_serialNumber = SystemText(system, CAMERA_SERIAL + index);
        int64_t boardNumber = 0;
        PexSysInquire(system, BOARD_NUMBER, &boardNumber);
        m_identity = WideToUtf8(m_interfaceName) + std::to_string(boardNumber) + "\\Device" +
                     std::to_string(m_deviceNumber);
        return;
    }
    m_deviceNumber = index;
    const GenTLBranding& branding = GetBranding();
    m_vendorName = branding.GetVendorName();
    m_version = branding.GetVersion();
    m_modelName = WideToUtf8(m_interfaceName);
    m_serialNumber = SystemText(system, BOARD_SERIAL);
    int64_t value = -1;
    PexSysInquire(system, BOARD_VALUE, &value);
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
