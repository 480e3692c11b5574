#include "GenTLLocalDeviceCXP.h"

#include "GenTLDataStream.h"
#include "GenTLEvent.h"
#include "GenTLRemoteDeviceCXP.h"
#include "PexErrorTracker.h"
#include "PexIdRelease.h"
#include "ReportError.h"

namespace GenTLCore::CoaXPress {

namespace {

constexpr PEX_INT kEnable = -9997;
constexpr PEX_INT kDisable = -9999;

enum DigitizerCode : PEX_INT {
    BAYER_CONVERSION = 5326,
    CXP_SETTING = 4379,
};

}  // namespace

GenTLLocalDeviceCXP::GenTLLocalDeviceCXP(const CountedPtr<PEXCore::DeviceTagPEX>& tag) : GenTLLocalDevicePEX(tag)
{
    if (m_tag) {
        m_whiteBalanceBuffer = PexBufAlloc1d(m_tag->SystemId(), 3, 0x48000020, 64);
        if (m_whiteBalanceBuffer != 0)
            PexBufPut(m_whiteBalanceBuffer, m_balanceRatios);
    }
}

GenTLLocalDeviceCXP::~GenTLLocalDeviceCXP()
{
    if (PEXCore::IsReleasablePexId(m_whiteBalanceBuffer))
        PexBufFree(m_whiteBalanceBuffer);
    m_registeredEvents.clear();
    ReleaseDigitizer();
}

CountedPtr<GenTLEvent> GenTLLocalDeviceCXP::CreateRemoteDeviceEvent() { return CountedPtr<GenTLEvent>(); }

CountedPtr<GenTLRemoteDevice> GenTLLocalDeviceCXP::CreateRemoteDevice()
{
    return MakeRemoteDeviceCXP(m_tag, m_digitizer, m_access);
}

void GenTLLocalDeviceCXP::CreateDataStreams(std::vector<CountedPtr<GenTLDataStream>>*) {}

int32_t GenTLLocalDeviceCXP::OpenTLDevice(int32_t access)
{
    const int32_t code = GenTLLocalDevicePEX::OpenTLDevice(access);
    if (code != GC_ERR_SUCCESS)
        return code;
    PexDigControl(m_digitizer, BAYER_CONVERSION, kDisable);
    PexDigControl(m_digitizer, CXP_SETTING, kEnable);
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
    PEX_INT value = kDisable;
    PexDigInquire(m_digitizer, BAYER_CONVERSION, &value);
    return value == kEnable;
}

}  // namespace GenTLCore::CoaXPress
