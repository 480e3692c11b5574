#include "GenTLLocalDevicePEX.h"

#include "GenTLDataStreamPEX.h"
#include "PexErrorTracker.h"
#include "PexIdRelease.h"
#include "PexLibraryCodes.h"
#include "ReportError.h"

#include <platform/os/SystemInfo.h>

namespace GenTLCore::PEXCore {

GenTLLocalDevicePEX::GenTLLocalDevicePEX(const CountedPtr<DeviceTagPEX>& tag)
    : GenTLLocalDevice(CountedPtr<DeviceTag>(tag)), m_tag(tag)
{
}

GenTLLocalDevicePEX::~GenTLLocalDevicePEX() { ReleaseDigitizer(); }

void GenTLLocalDevicePEX::ReleaseDigitizer()
{
    // A racing call may hold the stream past this close: what the stream
    // has on the digitizer ends here all the same.
    if (auto* stream = dynamic_cast<GenTLDataStreamPEX*>(m_dataStream.Get()))
        stream->DetachFromDigitizer();
    m_dataStream.Reset();
    m_eventManager.reset();  // unhooks every event before the digitizer goes
    ReleasePexDigitizer(m_digitizer);
    m_digitizer = 0;
}

int32_t GenTLLocalDevicePEX::OpenTLDevice(int32_t access)
{
    if (access != DEVICE_ACCESS_READONLY && access != DEVICE_ACCESS_CONTROL && access != DEVICE_ACCESS_EXCLUSIVE)
        return ReportError(GC_ERR_INVALID_PARAMETER, "Invalid device-open access flag requested");
    if (!m_tag)
        return ReportError(GC_ERR_ERROR, "Internal error: the device has no imaging-library identity.");
    m_access = access;
    ReleaseDigitizer();
    m_digitizer = PexDigAlloc(m_tag->SystemId(), m_tag->DeviceNumber(), PexCode::kDigDefaultFormat,
                              PexCode::kDigAllocFlags, nullptr);
    if (m_digitizer != 0) {
        m_eventManager.reset(new DigitizerEventManager(m_digitizer));
        PexDigControl(m_digitizer, PexCode::kDigGrabTimeout, PexCode::kGrabTimeoutInfinite);
        PexDigControl(m_digitizer, PexCode::kDigGrabMode, PexCode::kGrabModeQueued);
        PexDigControl(m_digitizer, PexCode::kDigGrabFailCheck, PexCode::kGrabFailCheckOn);
    }
    const int32_t code = PexErrorTracker::CheckThreadError(PexErrorTracker::Instance());
    if (code != 0)
        ReleaseDigitizer();
    return code;
}

void GenTLLocalDevicePEX::CloseTLDevice()
{
    if (m_digitizer != 0)
        ReleaseDigitizer();
}

int32_t GenTLLocalDevicePEX::GetTimestampFrequency(uint64_t* frequency)
{
    *frequency = platform::os::highResFrequency();
    return GC_ERR_SUCCESS;
}

void GenTLLocalDevicePEX::GetDeviceTagString(std::string* text) { *text = m_tag ? m_tag->GetUserDefinedName() : ""; }

}  // namespace GenTLCore::PEXCore
