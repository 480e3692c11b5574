#include "GenTLSystem.h"

#include "BrandingControl.h"
#include "GenTLBranding.h"
#include "GenTLInterface.h"
#include "InfoWriters.h"
#include "ModuleIds.h"
#include "ReportError.h"
#include "ScopedLock.h"

namespace GenTLCore {

namespace {

enum SystemRegister : uint32_t {
    TL_ID = 1001,
    TL_PATH,
    TL_VENDOR,
    TL_MODEL,
    TL_FILE_NAME,
    TL_DISPLAY_NAME,
    TL_VERSION,
    GENTL_MAJOR,
    GENTL_MINOR,
    INTERFACE_UPDATE_LIST,
    NR_INTERFACES,
    INTERFACE_SELECTOR,
    INTERFACE_ID,
    SYSTEM_XML,
    TEST_ERROR_EVENT,
    TEST_VALUE_B_WRITE,
    TEST_VALUE_A,
    TEST_VALUE_B_READ,
    TEST_STRING_B_WRITE,
    TEST_STRING_A,
    TEST_STRING_B_READ,
    TEST_MODULE_EVENT,
    PLACEHOLDER = 7000,
};

const DiscoveryList<GenTLInterface, InterfaceTag>::Words kWords{"interface", "An", false};

}  // namespace

GenTLSystem::GenTLSystem() : m_id(MakeSystemId(true)) {}

GenTLSystem::~GenTLSystem() = default;

std::string& GenTLSystem::GetID(std::string& id) { return id = m_id; }

std::string& GenTLSystem::GetLogID(std::string& id) { return id = MakeSystemId(false); }

int32_t GenTLSystem::Close()
{
    m_interfaces.Clear();
    return GC_ERR_SUCCESS;
}

bool GenTLSystem::IsPortImplemented() { return true; }

std::string& GenTLSystem::GetPortModuleName(std::string& name) { return name = "TLSystem"; }

std::string& GenTLSystem::GetPortName(std::string& name) { return name = "TLPort"; }

void GenTLSystem::DeclareRegisters()
{
    AddStringRegister(0x0, 512, REG_ACCESS_RO, TL_ID);
    AddStringRegister(0x200, 512, REG_ACCESS_RO, TL_PATH);
    AddStringRegister(0x400, 32, REG_ACCESS_RO, TL_VENDOR);
    AddStringRegister(0x420, 32, REG_ACCESS_RO, TL_MODEL);
    AddStringRegister(0x440, 32, REG_ACCESS_RO, TL_FILE_NAME);
    AddStringRegister(0x460, 32, REG_ACCESS_RO, TL_DISPLAY_NAME);
    AddStringRegister(0x480, 16, REG_ACCESS_RO, TL_VERSION);
    AddUInt32Register(0x490, REG_ACCESS_RO, GENTL_MAJOR);
    AddUInt32Register(0x494, REG_ACCESS_RO, GENTL_MINOR);
    AddUInt32Register(0xF000000, REG_ACCESS_RO, PLACEHOLDER);
    AddUInt32Register(0x10000000, REG_ACCESS_WO, INTERFACE_UPDATE_LIST);
    AddUInt32Register(0x10000004, REG_ACCESS_RO, NR_INTERFACES);
    AddUInt32Register(0x10000008, REG_ACCESS_RW, INTERFACE_SELECTOR);
    AddStringRegister(0x10000010, 128, REG_ACCESS_RO, INTERFACE_ID);
    const uint64_t xmlSize = GetBranding().GetSystemXml().size();
    if (xmlSize != 0)
        AddStringRegister(kDescriptionAddress, xmlSize, REG_ACCESS_RO, SYSTEM_XML);
    AddUInt32Register(0xE0000000, REG_ACCESS_WO, TEST_ERROR_EVENT);
    AddUInt32Register(0xE0000004, REG_ACCESS_WO, TEST_VALUE_B_WRITE);
    AddUInt32Register(0xE0000008, REG_ACCESS_RW, TEST_VALUE_A);
    AddUInt32Register(0xE000000C, REG_ACCESS_RO, TEST_VALUE_B_READ);
    AddStringRegister(0xE0000020, 32, REG_ACCESS_WO, TEST_STRING_B_WRITE);
    AddStringRegister(0xE0000040, 32, REG_ACCESS_RW, TEST_STRING_A);
    AddStringRegister(0xE0000060, 32, REG_ACCESS_RO, TEST_STRING_B_READ);
    AddUInt32Register(0xE0000080, REG_ACCESS_WO, TEST_MODULE_EVENT);
    AddCustomRegisters();
    FinalizeRegMap();
}

void GenTLSystem::InitPortURLs()
{
    DeclareRegisters();
    const GenTLBranding& branding = GetBranding();
    SetPortURLs({DescriptionUrl(branding.GetSystemXmlFileName(), branding.GetSystemXml(), branding.GetSystemXmlSha1())});
    InitEventSource(true, true, 4);
    MarkEventSourceReady();
}

int32_t GenTLSystem::GetTLSystemInfo(int32_t, INFO_DATATYPE*, void*, size_t*)
{
    return ReportError(GC_ERR_NOT_IMPLEMENTED, "GetTLInfo: unknown system info command requested");
}

GC_ERROR GenTLSystem::GetTLInfo(TL_INFO_CMD command, INFO_DATATYPE* type, void* buffer, size_t* size)
{
    ScopedLock lock(GetModuleLock());
    const GenTLBranding& branding = GetBranding();
    const int32_t cmd = static_cast<int32_t>(command);
    if (cmd == TL_INFO_NAME || cmd == TL_INFO_PATHNAME) {
        const std::string path = GetProducerPath();
        if (path.empty())
            return ReportError(GC_ERR_ERROR, "Internal error: failed to query the producer path");
        return WriteInfoString(type, buffer, size, cmd == TL_INFO_NAME ? FileNameOfPath(path) : path);
    }
    switch (cmd) {
    case TL_INFO_ID: return WriteInfoString(type, buffer, size, m_id);
    case TL_INFO_VENDOR: return WriteInfoString(type, buffer, size, branding.GetVendorName());
    case TL_INFO_MODEL: return WriteInfoString(type, buffer, size, branding.GetModelName());
    case TL_INFO_VERSION: return WriteInfoString(type, buffer, size, branding.GetVersion());
    case TL_INFO_TLTYPE: return WriteInfoString(type, buffer, size, branding.GetTLType());
    case TL_INFO_DISPLAYNAME: return WriteInfoString(type, buffer, size, branding.GetDisplayName());
    case TL_INFO_CHAR_ENCODING: return WriteInfoInt32(type, buffer, size, TL_CHAR_ENCODING_UTF8);
    case TL_INFO_GENTL_VER_MAJOR: return WriteInfoUInt32(type, buffer, size, 1);
    case TL_INFO_GENTL_VER_MINOR: return WriteInfoUInt32(type, buffer, size, 5);
    case 3300: return WriteInfoString(type, buffer, size, "gentl_core");
    case 3301: return WriteInfoUInt32(type, buffer, size, 0);
    default: break;
    }
    if (cmd < 1000)
        return ReportError(GC_ERR_NOT_IMPLEMENTED, "GetTLInfo: unknown system info command requested");
    return GetTLSystemInfo(cmd, type, buffer, size);
}

GC_ERROR GenTLSystem::GetNumInterfaces(uint32_t* count)
{
    ScopedLock lock(GetModuleLock());
    if (!count)
        return ReportError(GC_ERR_INVALID_PARAMETER, "GetNumInterfaces: invalid num_interfaces pointer");
    *count = m_interfaces.published;
    return GC_ERR_SUCCESS;
}

GC_ERROR GenTLSystem::GetInterfaceID(uint32_t index, char* buffer, size_t* size)
{
    ScopedLock lock(GetModuleLock());
    CountedPtr<GenTLInterface> entry = m_interfaces.At(index);
    if (!entry)
        return ReportError(GC_ERR_INVALID_INDEX,
                           "GetInterfaceID: invalid interface index, exceeding number of interfaces");
    std::string id;
    return WriteIdString(buffer, size, entry->GetID(id));
}

GC_ERROR GenTLSystem::GetInterfaceInfo(const char* id, INTERFACE_INFO_CMD command, INFO_DATATYPE* type, void* buffer,
                                       size_t* size)
{
    ScopedLock lock(GetModuleLock());
    if (!id)
        return ReportError(GC_ERR_INVALID_PARAMETER, "GetInterfaceInfo: invalid interface ID pointer");
    CountedPtr<GenTLInterface> entry = m_interfaces.Find(id, true);
    if (!entry)
        return ReportError(GC_ERR_INVALID_ID, "GetInterfaceInfo: invalid interface ID, no such interface exists");
    return entry->GetInterfaceInfo(command, type, buffer, size);
}

GC_ERROR GenTLSystem::ItfOpen(const char* id, CountedPtr<GenTLInterface>* interface)
{
    ScopedLock lock(GetModuleLock());
    if (!id)
        return ReportError(GC_ERR_INVALID_PARAMETER, "ItfOpen: invalid interface ID pointer");
    CountedPtr<GenTLInterface> entry = m_interfaces.Find(id, false);
    if (!entry) {
        DiscoverAndPublishInterfaces(false, GetBranding().GetUpdateListTimeout());
        entry = m_interfaces.Find(id, false);
    }
    if (!entry)
        return ReportError(GC_ERR_INVALID_ID, "ItfOpen: invalid interface ID, no such interface exists");
    if (entry->IsNonFunctional())
        return ReportError(GC_ERR_ACCESS_DENIED,
                           "ItfOpen: the requested interface exists in the list, but is marked as inaccessible");
    *interface = entry;
    return GC_ERR_SUCCESS;
}

GC_ERROR GenTLSystem::UpdateInterfaceList(bool8_t* changed, uint64_t timeout)
{
    ScopedLock lock(GetModuleLock());
    return m_interfaces.Update(changed, [&] { return DiscoverAndPublishInterfaces(true, timeout); });
}

int32_t GenTLSystem::DiscoverAndPublishInterfaces(bool publish, uint64_t timeout)
{
    return m_interfaces.Run(
        publish, kWords, [&](std::vector<CountedPtr<InterfaceTag>>* tags) { return DiscoverInterfaces(tags, timeout); },
        [&](const CountedPtr<InterfaceTag>& tag) { return CreateInterface(tag); },
        [](GenTLInterface&, const CountedPtr<InterfaceTag>&) {});
}

int32_t GenTLSystem::ReadUInt32Register(uint32_t id, uint32_t* value)
{
    switch (id) {
    case GENTL_MAJOR: *value = 1; return GC_ERR_SUCCESS;
    case GENTL_MINOR: *value = 5; return GC_ERR_SUCCESS;
    case PLACEHOLDER: *value = 0; return GC_ERR_SUCCESS;
    case NR_INTERFACES: *value = m_interfaces.published; return GC_ERR_SUCCESS;
    case INTERFACE_SELECTOR: *value = m_interfaces.ClampedSelector(); return GC_ERR_SUCCESS;
    case TEST_VALUE_A: *value = m_testValueA; return GC_ERR_SUCCESS;
    case TEST_VALUE_B_READ: *value = m_testValueB; return GC_ERR_SUCCESS;
    default: return ReportError(GC_ERR_ERROR, "Internal error: cannot identify the system uint32 register to be read");
    }
}

int32_t GenTLSystem::ReadStringRegister(uint32_t id, std::string* value)
{
    const GenTLBranding& branding = GetBranding();
    switch (id) {
    case TL_ID: *value = m_id; return GC_ERR_SUCCESS;
    case TL_PATH: *value = GetProducerPath(); return GC_ERR_SUCCESS;
    case TL_VENDOR: *value = branding.GetVendorName(); return GC_ERR_SUCCESS;
    case TL_MODEL: *value = branding.GetModelName(); return GC_ERR_SUCCESS;
    case TL_FILE_NAME: *value = FileNameOfPath(GetProducerPath()); return GC_ERR_SUCCESS;
    case TL_DISPLAY_NAME: *value = branding.GetDisplayName(); return GC_ERR_SUCCESS;
    case TL_VERSION: *value = branding.GetVersion(); return GC_ERR_SUCCESS;
    case INTERFACE_ID: {
        CountedPtr<GenTLInterface> selected = m_interfaces.Selected();
        value->clear();
        if (selected)
            selected->GetID(*value);
        return GC_ERR_SUCCESS;
    }
    case SYSTEM_XML: *value = branding.GetSystemXml(); return GC_ERR_SUCCESS;
    case TEST_STRING_A: *value = m_testStringA; return GC_ERR_SUCCESS;
    case TEST_STRING_B_READ: *value = m_testStringB; return GC_ERR_SUCCESS;
    default: return ReportError(GC_ERR_ERROR, "Internal error: cannot identify the system string register to be read");
    }
}

int32_t GenTLSystem::WriteUInt32Register(uint32_t id, uint32_t value)
{
    switch (id) {
    case INTERFACE_UPDATE_LIST: DiscoverAndPublishInterfaces(true, GetBranding().GetUpdateListTimeout()); return 0;
    case INTERFACE_SELECTOR: m_interfaces.selector = value; return GC_ERR_SUCCESS;
    case TEST_ERROR_EVENT: FireErrorEvent("This is a test event"); return GC_ERR_SUCCESS;
    case TEST_VALUE_B_WRITE: m_testValueB = value; return GC_ERR_SUCCESS;
    case TEST_VALUE_A: m_testValueA = value; return GC_ERR_SUCCESS;
    case TEST_MODULE_EVENT: {
        const uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)};
        FireModuleEvent(0x11111101, bytes, sizeof bytes);
        return GC_ERR_SUCCESS;
    }
    default:
        return ReportError(GC_ERR_ERROR, "Internal error: cannot identify the system uint32 register to be written");
    }
}

int32_t GenTLSystem::WriteStringRegister(uint32_t id, const std::string& value)
{
    switch (id) {
    case TEST_STRING_B_WRITE: m_testStringB = value; return GC_ERR_SUCCESS;
    case TEST_STRING_A: m_testStringA = value; return GC_ERR_SUCCESS;
    default:
        return ReportError(GC_ERR_ERROR, "Internal error: cannot identify the system string register to be written");
    }
}

}  // namespace GenTLCore
