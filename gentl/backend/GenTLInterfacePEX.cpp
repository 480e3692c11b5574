#include "GenTLInterfacePEX.h"

#include "DeviceTagPEX.h"
#include "PexErrorTracker.h"
#include "PexIdRelease.h"

namespace GenTLCore::PEXCore {

namespace {

enum SystemCode : PEX_INT {
    CAMERA_DISCOVERY = 1081,
    CAMERAS_FOUND = 1082,
    DIGITIZER_COUNT = 2004,
};

}  // namespace

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
        m_system = PexSysAlloc(PEX_DEFAULT, m_tag->Descriptor().c_str(), m_tag->Number(), PEX_DEFAULT, nullptr);
    PexErrorTracker* tracker = PexErrorTracker::Instance();
    if (m_system != 0) {
        const std::wstring& name = m_tag->Name();
        PexSysControl(m_system, CAMERA_DISCOVERY, PEX_DEFAULT);
        if (PexErrorTracker::CheckThreadError(tracker) == 0) {
            int64_t cameras = 0;
            PexSysInquire(m_system, CAMERAS_FOUND, &cameras);
            for (int64_t i = 0; i < cameras; ++i)
                tags->push_back(MakeDeviceTagPEX(m_system, name, i, m_tag->Descriptor()));
        } else {
            int64_t digitizers = 0;
            PexSysInquire(m_system, DIGITIZER_COUNT, &digitizers);
            for (int64_t i = 0; i < digitizers; ++i) {
                const PEX_ID digitizer = PexDigAlloc(m_system, i, L"PX_DEFAULT", 4096, nullptr);
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
