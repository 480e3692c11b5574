#include "GenTLInterface.h"

#include "BrandingControl.h"
#include "GenTLBranding.h"
#include "GenTLLocalDevice.h"
#include "InfoWriters.h"
#include "ModuleIds.h"
#include "ReportError.h"
#include "ScopedLock.h"

namespace GenTLCore {

namespace {

enum InterfaceRegister : uint32_t {
    IF_ID = 2001,
    IF_DISPLAY_NAME,
    DEVICE_UPDATE_LIST,
    NR_DEVICES,
    DEVICE_SELECTOR,
    DEVICE_ACCESS_STATUS,
    DEVICE_ID,
    DEVICE_VENDOR,
    DEVICE_MODEL,
    DEVICE_SERIAL,
    DEVICE_USER_ID,
    DEVICE_USER_ID_AVAIL,
    INTERFACE_XML,
    PLACEHOLDER = 7000,
};

const DiscoveryList<GenTLLocalDevice, DeviceTag>::Words kWords{"device", "A", true};

}  // namespace

GenTLInterface::GenTLInterface(const CountedPtr<InterfaceTag>& tag)
    : m_tag(tag), m_id(tag ? MakeInterfaceId(tag->GetID()) : std::string())
{
    if (!m_tag) {
        LogLine("Assert", 4, "Interface not fully constructed due to an internal error.");
        SetNonFunctional();
    }
}

GenTLInterface::~GenTLInterface() = default;

std::string& GenTLInterface::GetID(std::string& id) { return id = m_id; }

int32_t GenTLInterface::Close()
{
    m_devices.Clear();
    return GC_ERR_SUCCESS;
}

bool GenTLInterface::IsPortImplemented() { return true; }

std::string& GenTLInterface::GetPortModuleName(std::string& name) { return name = "TLInterface"; }

std::string& GenTLInterface::GetPortName(std::string& name) { return name = "InterfacePort"; }

void GenTLInterface::DeclareRegisters()
{
    AddStringRegister(0x0, 128, REG_ACCESS_RO, IF_ID);
    AddStringRegister(0x80, 128, REG_ACCESS_RO, IF_DISPLAY_NAME);
    AddUInt32Register(0xF000000, REG_ACCESS_RO, PLACEHOLDER);
    AddUInt32Register(0x10000000, REG_ACCESS_WO, DEVICE_UPDATE_LIST);
    AddUInt32Register(0x10000004, REG_ACCESS_RO, NR_DEVICES);
    AddUInt32Register(0x10000008, REG_ACCESS_RW, DEVICE_SELECTOR);
    AddUInt32Register(0x1000000C, REG_ACCESS_RO, DEVICE_ACCESS_STATUS);
    AddStringRegister(0x10000010, 128, REG_ACCESS_RO, DEVICE_ID);
    AddStringRegister(0x10000090, 64, REG_ACCESS_RO, DEVICE_VENDOR);
    AddStringRegister(0x100000D0, 64, REG_ACCESS_RO, DEVICE_MODEL);
    AddStringRegister(0x10000110, 64, REG_ACCESS_RO, DEVICE_SERIAL);
    AddStringRegister(0x10000150, 64, REG_ACCESS_RO, DEVICE_USER_ID);
    AddUInt32Register(0x10000190, REG_ACCESS_RO, DEVICE_USER_ID_AVAIL);
    const uint64_t xmlSize = GetBranding().GetInterfaceXml().size();
    if (xmlSize != 0)
        AddStringRegister(kDescriptionAddress, xmlSize, REG_ACCESS_RO, INTERFACE_XML);
    AddCustomRegisters();
    FinalizeRegMap();
}

void GenTLInterface::InitPortURLs()
{
    DeclareRegisters();
    const GenTLBranding& branding = GetBranding();
    SetPortURLs({DescriptionUrl(branding.GetInterfaceXmlFileName(), branding.GetInterfaceXml(),
                                branding.GetInterfaceXmlSha1())});
    InitEventSource(true, false, 0);
    MarkEventSourceReady();
}

bool GenTLInterface::MatchesTag(const InterfaceTag& candidate) { return m_tag && m_tag->IsSame(candidate); }

std::string GenTLInterface::GetDisplayName()
{
    if (!m_tag)
        return std::string();
    const std::string echoed = GetBranding().EchoText(m_tag->GetID(), m_tag->GetDisplayName());
    return echoed.empty() ? m_tag->GetDisplayName() + " (" + m_id + ")" : echoed;
}

int32_t GenTLInterface::GetTLInterfaceInfo(int32_t, INFO_DATATYPE*, void*, size_t*)
{
    return ReportError(GC_ERR_NOT_IMPLEMENTED, "GetInterfaceInfo: unknown interface info command requested");
}

GC_ERROR GenTLInterface::GetInterfaceInfo(INTERFACE_INFO_CMD command, INFO_DATATYPE* type, void* buffer, size_t* size)
{
    ScopedLock lock(GetModuleLock());
    const int32_t cmd = static_cast<int32_t>(command);
    switch (cmd) {
    case INTERFACE_INFO_ID: return WriteInfoString(type, buffer, size, m_id);
    case INTERFACE_INFO_DISPLAYNAME: return WriteInfoString(type, buffer, size, GetDisplayName());
    case INTERFACE_INFO_TLTYPE: return WriteInfoString(type, buffer, size, GetBranding().GetTLType());
    default: break;
    }
    if (cmd < 1000)
        return ReportError(GC_ERR_NOT_IMPLEMENTED, "GetInterfaceInfo: unknown interface info command requested");
    return GetTLInterfaceInfo(cmd, type, buffer, size);
}

GC_ERROR GenTLInterface::GetNumDevices(uint32_t* count)
{
    ScopedLock lock(GetModuleLock());
    if (!count)
        return ReportError(GC_ERR_INVALID_PARAMETER, "GetNumDevices: invalid num_devices pointer");
    *count = m_devices.published;
    return GC_ERR_SUCCESS;
}

GC_ERROR GenTLInterface::GetDeviceID(uint32_t index, char* buffer, size_t* size)
{
    ScopedLock lock(GetModuleLock());
    CountedPtr<GenTLLocalDevice> entry = m_devices.At(index);
    if (!entry)
        return ReportError(GC_ERR_INVALID_INDEX, "GetDeviceID: invalid device index, exceeding number of devices");
    std::string id;
    return WriteIdString(buffer, size, entry->GetID(id));
}

GC_ERROR GenTLInterface::GetDeviceInfo(const char* id, DEVICE_INFO_CMD command, INFO_DATATYPE* type, void* buffer,
                                       size_t* size)
{
    ScopedLock lock(GetModuleLock());
    if (!id)
        return ReportError(GC_ERR_INVALID_PARAMETER, "GetDeviceInfo: invalid device ID pointer");
    CountedPtr<GenTLLocalDevice> entry = m_devices.Find(id, true);
    if (!entry)
        return ReportError(GC_ERR_INVALID_ID, "GetDeviceInfo: invalid device ID, no such device exists");
    return entry->GetDeviceInfo(command, type, buffer, size);
}

GC_ERROR GenTLInterface::DevOpen(const char* id, DEVICE_ACCESS_FLAGS access, CountedPtr<GenTLLocalDevice>* device)
{
    ScopedLock lock(GetModuleLock());
    if (!id)
        return ReportError(GC_ERR_INVALID_PARAMETER, "DevOpen: invalid device ID pointer");
    CountedPtr<GenTLLocalDevice> entry = m_devices.Find(id, false);
    if (!entry) {
        DiscoverAndPublishDevices(false, GetBranding().GetUpdateListTimeout());
        entry = m_devices.Find(id, false);
    }
    if (!entry)
        return ReportError(GC_ERR_INVALID_ID, "DevOpen: invalid device ID, no such device exists");
    if (entry->IsNonFunctional())
        return ReportError(GC_ERR_ACCESS_DENIED,
                           "DevOpen: the requested device exists in the list, but is marked as inaccessible");
    entry->SetRequestedAccess(static_cast<int32_t>(access));
    *device = entry;
    return GC_ERR_SUCCESS;
}

GC_ERROR GenTLInterface::UpdateDeviceList(bool8_t* changed, uint64_t timeout)
{
    ScopedLock lock(GetModuleLock());
    return m_devices.Update(changed, [&] { return DiscoverAndPublishDevices(true, timeout); });
}

int32_t GenTLInterface::DiscoverAndPublishDevices(bool publish, uint64_t timeout)
{
    return m_devices.Run(
        publish, kWords, [&](std::vector<CountedPtr<DeviceTag>>* tags) { return DiscoverDevices(tags, timeout); },
        [&](const CountedPtr<DeviceTag>& tag) { return CreateLocalDevice(tag); },
        [](GenTLLocalDevice& device, const CountedPtr<DeviceTag>& tag) { device.UpdateTag(*tag); });
}

CountedPtr<GenTLLocalDevice> GenTLInterface::GetSelectedDevice() { return m_devices.Selected(); }

int32_t GenTLInterface::ReadUInt32Register(uint32_t id, uint32_t* value)
{
    switch (id) {
    case PLACEHOLDER: *value = 0; return GC_ERR_SUCCESS;
    case NR_DEVICES: *value = m_devices.published; return GC_ERR_SUCCESS;
    case DEVICE_SELECTOR: *value = m_devices.ClampedSelector(); return GC_ERR_SUCCESS;
    case DEVICE_ACCESS_STATUS: {
        CountedPtr<GenTLLocalDevice> selected = GetSelectedDevice();
        const int32_t status = selected ? selected->GetAccessStatus() : 0;
        *value = status >= 1 && status <= 6 ? static_cast<uint32_t>(status) : 0;
        return GC_ERR_SUCCESS;
    }
    case DEVICE_USER_ID_AVAIL: {
        CountedPtr<GenTLLocalDevice> selected = GetSelectedDevice();
        *value = selected && selected->HasUserDefinedName() ? 1 : 0;
        return GC_ERR_SUCCESS;
    }
    default:
        return ReportError(GC_ERR_ERROR, "Internal error: cannot identify the interface uint32 register to be read");
    }
}

int32_t GenTLInterface::ReadStringRegister(uint32_t id, std::string* value)
{
    value->clear();
    switch (id) {
    case IF_ID: *value = m_id; return GC_ERR_SUCCESS;
    case IF_DISPLAY_NAME: *value = GetDisplayName(); return GC_ERR_SUCCESS;
    case INTERFACE_XML: *value = GetBranding().GetInterfaceXml(); return GC_ERR_SUCCESS;
    case DEVICE_ID:
    case DEVICE_VENDOR:
    case DEVICE_MODEL:
    case DEVICE_SERIAL:
    case DEVICE_USER_ID: {
        CountedPtr<GenTLLocalDevice> selected = GetSelectedDevice();
        if (!selected)
            return GC_ERR_SUCCESS;
        switch (id) {
        case DEVICE_ID: selected->GetID(*value); break;
        case DEVICE_VENDOR: *value = selected->GetVendorName(); break;
        case DEVICE_MODEL: *value = selected->GetModelName(); break;
        case DEVICE_SERIAL: *value = selected->GetSerialNumber(); break;
        default: *value = selected->GetUserDefinedName(); break;
        }
        return GC_ERR_SUCCESS;
    }
    default:
        return ReportError(GC_ERR_ERROR, "Internal error: cannot identify the interface string register to be read");
    }
}

int32_t GenTLInterface::WriteUInt32Register(uint32_t id, uint32_t value)
{
    switch (id) {
    case DEVICE_UPDATE_LIST: DiscoverAndPublishDevices(true, GetBranding().GetUpdateListTimeout()); return 0;
    case DEVICE_SELECTOR: m_devices.selector = value; return GC_ERR_SUCCESS;
    default:
        return ReportError(GC_ERR_ERROR, "Internal error: cannot identify the interface uint32 register to be written");
    }
}

}  // namespace GenTLCore
