#include "GenTLLocalDevice.h"

#include "BrandingControl.h"
#include "GenTLBranding.h"
#include "GenTLDataStream.h"
#include "GenTLEvent.h"
#include "GenTLRemoteDevice.h"
#include "InfoWriters.h"
#include "ModuleIds.h"
#include "ReportError.h"
#include "ScopedLock.h"

#include <new>

namespace GenTLCore {

namespace {

enum DeviceRegister : uint32_t {
    DEV_ID = 3001,
    DEV_SERIAL,
    DEV_USER_ID,
    DEV_VENDOR,
    DEV_MODEL,
    DEV_VERSION,
    DEV_MANUFACTURER_INFO,
    DEV_DISPLAY_NAME,
    DEV_ACCESS_STATUS,
    DEV_USER_ID_AVAIL,
    NR_STREAMS,
    STREAM_SELECTOR,
    STREAM_ID,
    EVENT_ENGINE_CONTROL,
    EVENT_POLICY_IMPLEMENTED,
    EVENT_POLICY,
    EVENT_PRIORITY,
    EVENT_APPLY,
    DEVICE_XML,
    PLACEHOLDER = 7000,
};

}  // namespace

GenTLLocalDevice::GenTLLocalDevice(const CountedPtr<DeviceTag>& tag)
    : m_tag(tag), m_id(tag ? MakeDeviceId(tag->GetID(), tag->GetVendorName(), tag->GetModelName()) : std::string())
{
    if (!m_tag) {
        LogLine("Assert", 4, "Local device not fully constructed due to an internal error.");
        SetNonFunctional();
    }
}

GenTLLocalDevice::~GenTLLocalDevice() = default;

std::string& GenTLLocalDevice::GetID(std::string& id) { return id = m_id; }

bool GenTLLocalDevice::IsPortImplemented() { return true; }

std::string& GenTLLocalDevice::GetPortModuleName(std::string& name) { return name = "TLDevice"; }

std::string& GenTLLocalDevice::GetPortName(std::string& name) { return name = "DevicePort"; }

void GenTLLocalDevice::DropChildren()
{
    m_remoteDevice.Reset();
    m_streams.clear();
}

int32_t GenTLLocalDevice::Open()
{
    if (GetAccessStatus() == DEVICE_ACCESS_STATUS_NOACCESS)
        return ReportError(GC_ERR_ACCESS_DENIED, "DeviceOpen: the device is currently not accessible");
    const int32_t code = OpenTLDevice(m_requestedAccess);
    if (code != GC_ERR_SUCCESS)
        return code;
    try {
        if (IsDeviceAvailable()) {
            std::vector<CountedPtr<GenTLDataStream>> made;
            CreateDataStreams(&made);
            std::string id;
            std::string other;
            for (CountedPtr<GenTLDataStream>& stream : made) {
                if (!stream)
                    continue;
                stream->InitPortURLsOnce();
                stream->GetID(id);
                bool known = false;
                for (CountedPtr<GenTLDataStream>& present : m_streams)
                    known = known || present->GetID(other) == id;
                if (!known)
                    m_streams.push_back(stream);
            }
        }
        m_remoteDevice = CreateRemoteDevice();
        if (m_remoteDevice)
            m_remoteDevice->InitPortURLsOnce();
    } catch (const std::bad_alloc&) {
        DropChildren();
        CloseTLDevice();
        return ReportError(GC_ERR_OUT_OF_MEMORY, "DeviceOpen: out of memory for the device's modules");
    }
    m_currentAccess = m_requestedAccess;
    return GC_ERR_SUCCESS;
}

int32_t GenTLLocalDevice::Close()
{
    m_currentAccess = 0;
    m_streams.clear();
    m_streamSelector = 0;
    m_remoteDevice.Reset();
    if (m_remoteDeviceEventsActive) {
        DisableRemoteDeviceEvents();
        m_remoteDeviceEventsActive = false;
    }
    CloseTLDevice();
    m_eventThreadPolicy = kNotSet;
    m_eventThreadPriority = kNotSet;
    return GC_ERR_SUCCESS;
}

void GenTLLocalDevice::DeclareRegisters()
{
    AddStringRegister(0x0, 128, REG_ACCESS_RO, DEV_ID);
    AddStringRegister(0x80, 64, REG_ACCESS_RO, DEV_SERIAL);
    AddStringRegister(0xC0, 64, REG_ACCESS_RO, DEV_USER_ID);
    AddStringRegister(0x100, 64, REG_ACCESS_RO, DEV_VENDOR);
    AddStringRegister(0x140, 64, REG_ACCESS_RO, DEV_MODEL);
    AddStringRegister(0x180, 64, REG_ACCESS_RO, DEV_VERSION);
    AddStringRegister(0x1C0, 64, REG_ACCESS_RO, DEV_MANUFACTURER_INFO);
    AddStringRegister(0x200, 128, REG_ACCESS_RO, DEV_DISPLAY_NAME);
    AddUInt32Register(0x280, REG_ACCESS_RO, DEV_ACCESS_STATUS);
    AddUInt32Register(0x284, REG_ACCESS_RO, DEV_USER_ID_AVAIL);
    AddUInt32Register(0xF000000, REG_ACCESS_RO, PLACEHOLDER);
    AddUInt32Register(0x10000000, REG_ACCESS_RO, NR_STREAMS);
    AddUInt32Register(0x10000004, REG_ACCESS_RW, STREAM_SELECTOR);
    AddStringRegister(0x10000010, 128, REG_ACCESS_RO, STREAM_ID);
    AddUInt32Register(0x20000000, REG_ACCESS_RO, EVENT_ENGINE_CONTROL);
    AddUInt32Register(0x20000004, REG_ACCESS_RO, EVENT_POLICY_IMPLEMENTED);
    AddInt32Register(0x20000008, REG_ACCESS_RW, EVENT_POLICY);
    AddInt32Register(0x2000000C, REG_ACCESS_RW, EVENT_PRIORITY);
    AddUInt32Register(0x20000010, REG_ACCESS_WO, EVENT_APPLY);
    const uint64_t xmlSize = GetBranding().GetLocalDeviceXml().size();
    if (xmlSize != 0)
        AddStringRegister(kDescriptionAddress, xmlSize, REG_ACCESS_RO, DEVICE_XML);
    AddCustomRegisters();
    FinalizeRegMap();
}

void GenTLLocalDevice::InitPortURLs()
{
    DeclareRegisters();
    const GenTLBranding& branding = GetBranding();
    SetPortURLs({DescriptionUrl(branding.GetLocalDeviceXmlFileName(), branding.GetLocalDeviceXml(),
                                branding.GetLocalDeviceXmlSha1())});
    m_remoteDeviceEvent = CreateRemoteDeviceEvent();
    if (m_remoteDeviceEvent) {
        m_remoteDeviceEvent->InitPortURLsOnce();
        AddEventObject(m_remoteDeviceEvent);
    }
    InitEventSource(true, false, 0);
    MarkEventSourceReady();
}

bool GenTLLocalDevice::SetEventThreadPriority(int32_t, int32_t) { return false; }

bool GenTLLocalDevice::GetEventThreadPriority(int32_t*, int32_t*) { return false; }

int32_t GenTLLocalDevice::GetTLDeviceInfo(int32_t, INFO_DATATYPE*, void*, size_t*)
{
    return ReportError(GC_ERR_NOT_IMPLEMENTED, "GetDeviceInfo: unknown device info command requested");
}

int32_t GenTLLocalDevice::RegisterTLEvent(int32_t type)
{
    if (type != EVENT_REMOTE_DEVICE)
        return GC_ERR_SUCCESS;
    if (!HasMessageChannel())
        return ReportError(GC_ERR_NOT_AVAILABLE, "RegisterEvent: the message channel not available on this device.");
    // A refusal of the back end is the registration's result: the consumer
    // must not wait on events that were never armed.
    const int32_t code = EnableRemoteDeviceEvents(m_remoteDeviceEvent);
    if (code == GC_ERR_SUCCESS)
        m_remoteDeviceEventsActive = true;
    return code;
}

bool GenTLLocalDevice::UnregisterTLEvent(int32_t type)
{
    if (type != EVENT_REMOTE_DEVICE)
        return true;
    if (!HasMessageChannel())
        return false;
    m_remoteDeviceEventsActive = false;
    const bool disabled = DisableRemoteDeviceEvents();
    if (m_remoteDeviceEvent)
        m_remoteDeviceEvent->FlushEvents();
    return disabled;
}

GC_ERROR GenTLLocalDevice::GetDeviceInfo(DEVICE_INFO_CMD command, INFO_DATATYPE* type, void* buffer, size_t* size)
{
    ScopedLock lock(GetModuleLock());
    const int32_t cmd = static_cast<int32_t>(command);
    switch (cmd) {
    case DEVICE_INFO_ID: return WriteInfoString(type, buffer, size, m_id);
    case DEVICE_INFO_VENDOR: return WriteInfoString(type, buffer, size, GetVendorName());
    case DEVICE_INFO_MODEL: return WriteInfoString(type, buffer, size, GetModelName());
    case DEVICE_INFO_TLTYPE: return WriteInfoString(type, buffer, size, GetBranding().GetTLType());
    case DEVICE_INFO_DISPLAYNAME: return WriteInfoString(type, buffer, size, GetDisplayName());
    case DEVICE_INFO_ACCESS_STATUS: return WriteInfoInt32(type, buffer, size, GetAccessStatus());
    case DEVICE_INFO_USER_DEFINED_NAME:
        if (!HasUserDefinedName())
            return ReportError(GC_ERR_NOT_AVAILABLE, "GetDeviceInfo: user defined name not supported by the device");
        return WriteInfoString(type, buffer, size, GetUserDefinedName());
    case DEVICE_INFO_SERIAL_NUMBER: return WriteInfoString(type, buffer, size, GetSerialNumber());
    case DEVICE_INFO_VERSION: return WriteInfoString(type, buffer, size, GetVersion());
    case DEVICE_INFO_TIMESTAMP_FREQUENCY: {
        uint64_t frequency = 0;
        const int32_t code = GetTimestampFrequency(&frequency);
        if (code != GC_ERR_SUCCESS)
            return code;
        return WriteInfoUInt64(type, buffer, size, frequency);
    }
    default: break;
    }
    if (cmd < 1000)
        return ReportError(GC_ERR_NOT_IMPLEMENTED, "GetDeviceInfo: unknown device info command requested");
    return GetTLDeviceInfo(cmd, type, buffer, size);
}

GC_ERROR GenTLLocalDevice::GetNumDataStreams(uint32_t* count)
{
    ScopedLock lock(GetModuleLock());
    if (!count)
        return ReportError(GC_ERR_INVALID_PARAMETER, "GetNumDataStreams: invalid num_datastreams pointer");
    *count = static_cast<uint32_t>(m_streams.size());
    return GC_ERR_SUCCESS;
}

GC_ERROR GenTLLocalDevice::GetDataStreamID(uint32_t index, char* buffer, size_t* size)
{
    ScopedLock lock(GetModuleLock());
    if (m_streams.empty())
        return ReportError(GC_ERR_NOT_IMPLEMENTED, "GetDataStreamID: no data stream available for this device");
    if (index >= m_streams.size())
        return ReportError(GC_ERR_INVALID_INDEX,
                           "GetDataStreamID: invalid stream index, exceeding number of streams");
    std::string id;
    return WriteIdString(buffer, size, m_streams[index]->GetID(id));
}

GC_ERROR GenTLLocalDevice::StmOpen(const char* id, CountedPtr<GenTLDataStream>* stream)
{
    ScopedLock lock(GetModuleLock());
    if (m_streams.empty())
        return ReportError(GC_ERR_NOT_IMPLEMENTED, "StmOpen: no data stream available for this device");
    if (!id)
        return ReportError(GC_ERR_INVALID_PARAMETER, "StmOpen: invalid datastream ID pointer");
    if (IsNonFunctional())
        return ReportError(GC_ERR_ACCESS_DENIED,
                           "StmOpen: the device is marked as inaccessible, refusing to open the datastream");
    std::string streamId;
    for (CountedPtr<GenTLDataStream>& candidate : m_streams) {
        if (candidate->GetID(streamId) == id) {
            *stream = candidate;
            return GC_ERR_SUCCESS;
        }
    }
    return ReportError(GC_ERR_INVALID_ID, "StmOpen: invalid datastream ID, no such datastream exists");
}

GC_ERROR GenTLLocalDevice::GetRemotePort(CountedPtr<GenTLRemoteDevice>* port)
{
    ScopedLock lock(GetModuleLock());
    if (IsNonFunctional())
        return ReportError(GC_ERR_ACCESS_DENIED,
                           "DevGetPort: the device is marked as inaccessible, refusing to open the remote port");
    if (!m_remoteDevice)
        return ReportError(GC_ERR_ERROR, "DevGetPort: no remote device instantiated for this local device");
    *port = m_remoteDevice;
    return GC_ERR_SUCCESS;
}

void GenTLLocalDevice::SetRequestedAccess(int32_t access)
{
    ScopedLock lock(GetModuleLock());
    m_requestedAccess = access;
}

int32_t GenTLLocalDevice::GetAccessStatus()
{
    ScopedLock lock(GetModuleLock());
    if (IsOpen()) {
        if (m_currentAccess == DEVICE_ACCESS_READONLY)
            return DEVICE_ACCESS_STATUS_OPEN_READONLY;
        if (m_currentAccess == DEVICE_ACCESS_CONTROL || m_currentAccess == DEVICE_ACCESS_EXCLUSIVE)
            return DEVICE_ACCESS_STATUS_OPEN_READWRITE;
        return DEVICE_ACCESS_STATUS_UNKNOWN;
    }
    if (!m_tag || m_tag->IsNoAccess())
        return DEVICE_ACCESS_STATUS_NOACCESS;
    return m_tag->IsReadWrite() ? DEVICE_ACCESS_STATUS_READWRITE : DEVICE_ACCESS_STATUS_BUSY;
}

bool GenTLLocalDevice::MatchesTag(const DeviceTag& candidate) { return m_tag && m_tag->IsSame(candidate); }

void GenTLLocalDevice::UpdateTag(const DeviceTag& candidate)
{
    ScopedLock lock(GetModuleLock());
    if (m_tag)
        m_tag->UpdateFrom(candidate);
}

namespace {

template <class Query>
std::string TagText(CriticalSection& lock, const CountedPtr<DeviceTag>& tag, Query query)
{
    ScopedLock hold(lock);
    return tag ? query(*tag) : std::string();
}

}  // namespace

std::string GenTLLocalDevice::GetVendorName()
{
    return TagText(GetModuleLock(), m_tag, [](const DeviceTag& t) { return t.GetVendorName(); });
}
std::string GenTLLocalDevice::GetModelName()
{
    return TagText(GetModuleLock(), m_tag, [](const DeviceTag& t) { return t.GetModelName(); });
}
std::string GenTLLocalDevice::GetVersion()
{
    return TagText(GetModuleLock(), m_tag, [](const DeviceTag& t) { return t.GetVersion(); });
}
std::string GenTLLocalDevice::GetSerialNumber()
{
    return TagText(GetModuleLock(), m_tag, [](const DeviceTag& t) { return t.GetSerialNumber(); });
}
std::string GenTLLocalDevice::GetManufacturerInfo()
{
    return TagText(GetModuleLock(), m_tag, [](const DeviceTag& t) { return t.GetManufacturerInfo(); });
}

std::string GenTLLocalDevice::GetUserDefinedName()
{
    ScopedLock lock(GetModuleLock());
    std::string text;
    GetDeviceTagString(&text);
    return text;
}

bool GenTLLocalDevice::HasUserDefinedName()
{
    ScopedLock lock(GetModuleLock());
    return m_tag && m_tag->HasUserDefinedName();
}

std::string GenTLLocalDevice::GetDisplayName()
{
    if (!m_tag)
        return std::string();
    const std::string vendor = m_tag->GetVendorName();
    const std::string model = m_tag->GetModelName();
    const std::string flattened = GetBranding().FlattenPath(m_tag->GetID(), vendor, model);
    return flattened.empty() ? vendor + " " + model + " (" + m_id + ")" : flattened;
}

CountedPtr<GenTLDataStream> GenTLLocalDevice::GetSelectedStream()
{
    if (m_streams.empty())
        return CountedPtr<GenTLDataStream>();
    if (m_streamSelector >= m_streams.size())
        m_streamSelector = static_cast<uint32_t>(m_streams.size() - 1);
    return m_streams[m_streamSelector];
}

int32_t GenTLLocalDevice::ReadEventThreadSetting(bool policy)
{
    int32_t currentPolicy = 0;
    int32_t currentPriority = 0;
    if (GetEventThreadPriority(&currentPolicy, &currentPriority)) {
        int32_t& stored = policy ? m_eventThreadPolicy : m_eventThreadPriority;
        stored = policy ? currentPolicy : currentPriority;
        return stored;
    }
    LogLine("Event", 2, "Failed to query thread priority parameters");
    return policy ? m_eventThreadPolicy : m_eventThreadPriority;
}

int32_t GenTLLocalDevice::ReadInt32Register(uint32_t id, int32_t* value)
{
    switch (id) {
    case EVENT_POLICY: *value = ReadEventThreadSetting(true); return GC_ERR_SUCCESS;
    case EVENT_PRIORITY: *value = ReadEventThreadSetting(false); return GC_ERR_SUCCESS;
    default:
        return ReportError(GC_ERR_ERROR, "Internal error: cannot identify the local device int32 register to be read");
    }
}

int32_t GenTLLocalDevice::ReadUInt32Register(uint32_t id, uint32_t* value)
{
    switch (id) {
    case DEV_ACCESS_STATUS: {
        const int32_t status = GetAccessStatus();
        *value = status == DEVICE_ACCESS_STATUS_OPEN_READWRITE || status == DEVICE_ACCESS_STATUS_OPEN_READONLY
                     ? static_cast<uint32_t>(status)
                     : 0;
        return GC_ERR_SUCCESS;
    }
    case DEV_USER_ID_AVAIL: *value = HasUserDefinedName() ? 1 : 0; return GC_ERR_SUCCESS;
    case PLACEHOLDER:
    case EVENT_POLICY_IMPLEMENTED: *value = 0; return GC_ERR_SUCCESS;
    case NR_STREAMS: *value = static_cast<uint32_t>(m_streams.size()); return GC_ERR_SUCCESS;
    case STREAM_SELECTOR:
        GetSelectedStream();
        *value = m_streams.empty() ? 0 : m_streamSelector;
        return GC_ERR_SUCCESS;
    case EVENT_ENGINE_CONTROL:
        *value = GetBranding().SupportsDeviceEventsEngineControl() && HasMessageChannel() ? 1 : 0;
        return GC_ERR_SUCCESS;
    default:
        return ReportError(GC_ERR_ERROR, "Internal error: cannot identify the local device uint32 register to be read");
    }
}

int32_t GenTLLocalDevice::ReadStringRegister(uint32_t id, std::string* value)
{
    switch (id) {
    case DEV_ID: *value = m_id; return GC_ERR_SUCCESS;
    case DEV_SERIAL: *value = GetSerialNumber(); return GC_ERR_SUCCESS;
    case DEV_USER_ID: *value = GetUserDefinedName(); return GC_ERR_SUCCESS;
    case DEV_VENDOR: *value = GetVendorName(); return GC_ERR_SUCCESS;
    case DEV_MODEL: *value = GetModelName(); return GC_ERR_SUCCESS;
    case DEV_VERSION: *value = GetVersion(); return GC_ERR_SUCCESS;
    case DEV_MANUFACTURER_INFO: *value = GetManufacturerInfo(); return GC_ERR_SUCCESS;
    case DEV_DISPLAY_NAME: *value = GetDisplayName(); return GC_ERR_SUCCESS;
    case STREAM_ID: {
        CountedPtr<GenTLDataStream> selected = GetSelectedStream();
        value->clear();
        if (selected)
            selected->GetID(*value);
        return GC_ERR_SUCCESS;
    }
    case DEVICE_XML: *value = GetBranding().GetLocalDeviceXml(); return GC_ERR_SUCCESS;
    default:
        return ReportError(GC_ERR_ERROR, "Internal error: cannot identify the local device string register to be read");
    }
}

int32_t GenTLLocalDevice::WriteInt32Register(uint32_t id, int32_t value)
{
    switch (id) {
    case EVENT_POLICY: m_eventThreadPolicy = value; return GC_ERR_SUCCESS;
    case EVENT_PRIORITY: m_eventThreadPriority = value; return GC_ERR_SUCCESS;
    default:
        return ReportError(GC_ERR_ERROR,
                           "Internal error: cannot identify the local device int32 register to be written");
    }
}

int32_t GenTLLocalDevice::WriteUInt32Register(uint32_t id, uint32_t value)
{
    switch (id) {
    case STREAM_SELECTOR: m_streamSelector = value; return GC_ERR_SUCCESS;
    case EVENT_APPLY: {
        int32_t policy = 0;
        int32_t priority = 0;
        if (m_eventThreadPriority == kNotSet && GetEventThreadPriority(&policy, &priority))
            m_eventThreadPriority = priority;
        if (!SetEventThreadPriority(m_eventThreadPolicy, m_eventThreadPriority))
            LogLine("Event", 2, "Failed to configure thread priority parameters");
        return GC_ERR_SUCCESS;
    }
    default:
        return ReportError(GC_ERR_ERROR,
                           "Internal error: cannot identify the local device uint32 register to be written");
    }
}

}  // namespace GenTLCore
