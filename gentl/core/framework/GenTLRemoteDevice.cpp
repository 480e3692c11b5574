#include "GenTLRemoteDevice.h"

#include "BrandingControl.h"
#include "GenTLBranding.h"
#include "InfoWriters.h"
#include "ModuleIds.h"
#include "ReportError.h"

namespace GenTLCore {

GenTLRemoteDevice::GenTLRemoteDevice(const CountedPtr<DeviceTag>& tag)
    : m_tag(tag), m_id(tag ? MakeDeviceId(tag->GetID(), tag->GetVendorName(), tag->GetModelName()) : std::string())
{
    if (!m_tag) {
        LogLine("Assert", 4, "Remote device not fully constructed due to an internal error.");
        SetNonFunctional();
    }
}

GenTLRemoteDevice::~GenTLRemoteDevice() = default;

std::string& GenTLRemoteDevice::GetID(std::string& id) { return id = m_id; }

std::string& GenTLRemoteDevice::GetLogID(std::string& id)
{
    return id = MakeRemoteDeviceId(m_tag ? m_tag->GetID() : std::string());
}

int32_t GenTLRemoteDevice::GetPortInfo(int32_t command, INFO_DATATYPE* type, void* buffer, size_t* size)
{
    const bool dead = IsNonFunctional();
    auto tagText = [this](std::string (DeviceTag::*query)() const) {
        return m_tag ? ((*m_tag).*query)() : std::string();
    };
    switch (command) {
    case PORT_INFO_ID: return WriteInfoString(type, buffer, size, m_id);
    case PORT_INFO_VENDOR: return WriteInfoString(type, buffer, size, tagText(&DeviceTag::GetVendorName));
    case PORT_INFO_MODEL: return WriteInfoString(type, buffer, size, tagText(&DeviceTag::GetModelName));
    case PORT_INFO_TLTYPE: return WriteInfoString(type, buffer, size, GetBranding().GetTLType());
    case PORT_INFO_MODULE: return WriteInfoString(type, buffer, size, "Device");
    case PORT_INFO_LITTLE_ENDIAN: return WriteInfoBool8(type, buffer, size, IsLittleEndian());
    case PORT_INFO_BIG_ENDIAN: return WriteInfoBool8(type, buffer, size, !IsLittleEndian());
    case PORT_INFO_ACCESS_READ: return WriteInfoBool8(type, buffer, size, !dead);
    case PORT_INFO_ACCESS_WRITE: return WriteInfoBool8(type, buffer, size, !dead && IsWriteSupported());
    case PORT_INFO_ACCESS_NA: return WriteInfoBool8(type, buffer, size, dead);
    case PORT_INFO_ACCESS_NI: return WriteInfoBool8(type, buffer, size, false);
    case PORT_INFO_VERSION: return WriteInfoString(type, buffer, size, tagText(&DeviceTag::GetVersion));
    case PORT_INFO_PORTNAME: return WriteInfoString(type, buffer, size, "Device");
    default:
        return ReportError(GC_ERR_NOT_IMPLEMENTED,
                           "GetPortInfo: unknown port info command requested for remote device");
    }
}

}  // namespace GenTLCore
