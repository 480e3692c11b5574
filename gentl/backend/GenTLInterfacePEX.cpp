#include "GenTLInterfacePEX.h"

#include "DeviceTagPEX.h"
#include "PexErrorTracker.h"
#include "PexIdRelease.h"
#include "PexLibraryCodes.h"

namespace GenTLCore::PEXCore {

GenTLInterfacePEX::GenTLInterfacePEX(const CountedPtr<InterfaceTagPEX>& tag)
    : GenTLInterface(CountedPtr<InterfaceTag>(tag)), m_tag(tag)
{
}

GenTLInterfacePEX::~GenTLInterfacePEX()
{
    m_tag.Reset();
    ReleasePexSystem(m_system);
}

int32_t GenTLInterfacePEX::DiscoverDevices(std::vector<CountedPtr<DeviceTag>>* tags, uint64_t)
{
    if (m_system == 0 && m_tag)
        m_system =
            PexSysAlloc(PexCode::kDefault, m_tag->Descriptor().c_str(), m_tag->Number(), PexCode::kDefault, nullptr);
    PexErrorTracker* tracker = PexErrorTracker::Instance();
    if (m_system != 0) {
        const std::wstring& name = m_tag->Name();
        PexSysControl(m_system, PexCode::kSysDiscoverCameras, PexCode::kDefault);
        if (PexErrorTracker::CheckThreadError(tracker) == 0) {
            int64_t cameras = 0;
            PexSysInquire(m_system, PexCode::kSysCamerasFound, &cameras);
            for (int64_t i = 0; i < cameras; ++i)
                tags->push_back(MakeDeviceTagPEX(m_system, name, i, m_tag->Descriptor()));
        } else {
            int64_t digitizers = 0;
            PexSysInquire(m_system, PexCode::kSysDigitizerCount, &digitizers);
            for (int64_t i = 0; i < digitizers; ++i) {
                const PEX_ID digitizer =
                    PexDigAlloc(m_system, i, PexCode::kDigDefaultFormat, PexCode::kDigAllocFlags, nullptr);
                if (digitizer != 0)
                    tags->push_back(MakeProbedDeviceTagPEX(m_system, name, i, true, m_tag->Descriptor()));
                else
                    PexErrorTracker::CheckThreadError(tracker);
                ReleasePexDigitizer(digitizer);
            }
        }
    }
    return PexErrorTracker::CheckThreadError(tracker);
}

}  // namespace GenTLCore::PEXCore
