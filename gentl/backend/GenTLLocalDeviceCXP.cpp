#include "GenTLLocalDeviceCXP.h"

#include "GenTLDataStreamCXP.h"
#include "GenTLEvent.h"
#include "GenTLRemoteDeviceCXP.h"
#include "PexErrorTracker.h"
#include "PexIdRelease.h"
#include "PexLibraryCodes.h"
#include "ReportError.h"

namespace GenTLCore::CoaXPress {

GenTLLocalDeviceCXP::GenTLLocalDeviceCXP(const CountedPtr<PEXCore::DeviceTagPEX>& tag)
    : GenTLLocalDevicePEX(tag), m_customRegisters(tag ? tag->SystemId() : 0), m_customEvents(*this)
{
}

GenTLLocalDeviceCXP::~GenTLLocalDeviceCXP()
{
    m_customEvents.Clear();
    // The manager's records call m_customEvents: they go first.
    ReleaseDigitizer();
}

CountedPtr<GenTLEvent> GenTLLocalDeviceCXP::CreateRemoteDeviceEvent() { return CountedPtr<GenTLEvent>(); }

CountedPtr<GenTLRemoteDevice> GenTLLocalDeviceCXP::CreateRemoteDevice()
{
    return MakeRemoteDeviceCXP(m_tag, m_digitizer, m_access);
}

void GenTLLocalDeviceCXP::CreateDataStreams(std::vector<CountedPtr<GenTLDataStream>>* streams)
{
    if (!m_tag)
        return;
    m_dataStream = MakeDataStreamCXP(
        PEXCore::MakeStreamTagPEX(m_tag->SystemId(), m_tag->SystemDescriptor(), m_digitizer, m_tag->DeviceNumber(), 0));
    streams->push_back(m_dataStream);
}

int32_t GenTLLocalDeviceCXP::OpenTLDevice(int32_t access)
{
    const int32_t code = GenTLLocalDevicePEX::OpenTLDevice(access);
    if (code != GC_ERR_SUCCESS)
        return code;
    PexDigControl(m_digitizer, PexCode::kDigBayerConversion, PexCode::kDisable);
    PexDigControl(m_digitizer, PexCode::kDigCxpSetting, PexCode::kEnable);
    PEXCore::PexErrorTracker::CheckThreadError(PEXCore::PexErrorTracker::Instance());
    return GC_ERR_SUCCESS;
}

bool GenTLLocalDeviceCXP::IsDeviceAvailable() { return m_tag && !m_tag->IsProbed(); }

int32_t GenTLLocalDeviceCXP::EnableRemoteDeviceEvents(const CountedPtr<GenTLEvent>&)
{
    return ReportError(GC_ERR_ERROR, "This device does not support remote device events.");
}

bool GenTLLocalDeviceCXP::IsBayerConversionEnabled()
{
    return LocalDeviceCustomRegisters::IsBayerConversionEnabled(m_digitizer);
}

void GenTLLocalDeviceCXP::CloseTLDevice()
{
    m_customEvents.Clear();
    GenTLLocalDevicePEX::CloseTLDevice();
}

void GenTLLocalDeviceCXP::AddCustomRegisters() { LocalDeviceCustomRegisters::AddTo(*this); }

int32_t GenTLLocalDeviceCXP::ReadCustomInt32Register(uint32_t id, int32_t* value)
{
    return m_customRegisters.ReadInt32(m_digitizer, id, value);
}

int32_t GenTLLocalDeviceCXP::ReadCustomUInt32Register(uint32_t id, uint32_t* value)
{
    return m_customRegisters.ReadUInt32(m_digitizer, id, value);
}

int32_t GenTLLocalDeviceCXP::ReadCustomUInt64Register(uint32_t id, uint64_t* value)
{
    return LocalDeviceCustomRegisters::ReadUInt64(id, value);
}

int32_t GenTLLocalDeviceCXP::WriteCustomInt32Register(uint32_t id, int32_t value)
{
    return m_customRegisters.WriteInt32(m_digitizer, id, value);
}

int32_t GenTLLocalDeviceCXP::WriteCustomUInt32Register(uint32_t id, uint32_t value)
{
    return m_customRegisters.WriteUInt32(m_digitizer, id, value);
}

int32_t GenTLLocalDeviceCXP::WriteCustomUInt64Register(uint32_t id, uint64_t value)
{
    return LocalDeviceCustomRegisters::WriteUInt64(id, value);
}

int32_t GenTLLocalDeviceCXP::RegisterTLEvent(int32_t type)
{
    if (type == EVENT_REMOTE_DEVICE)
        return GenTLLocalDevicePEX::RegisterTLEvent(type);
    return m_customEvents.Register(EventManager(), type);
}

bool GenTLLocalDeviceCXP::UnregisterTLEvent(int32_t type)
{
    if (type == EVENT_REMOTE_DEVICE)
        return GenTLLocalDevicePEX::UnregisterTLEvent(type);
    return m_customEvents.Unregister(EventManager(), type);
}

bool GenTLLocalDeviceCXP::GetModuleEventMaxSize(uint64_t* maxSize)
{
    *maxSize = LocalDeviceCustomEvents::kMaxPayload;
    return true;
}

bool GenTLLocalDeviceCXP::SharesModuleEvent(int32_t type) { return LocalDeviceCustomEvents::SharesModuleEvent(type); }

bool GenTLLocalDeviceCXP::ModuleEventInUse() { return m_customEvents.InUse(); }

}  // namespace GenTLCore::CoaXPress
