#include "TestBackendSettings.h"

namespace GenTLTest {

TestBackendSettings& TestBackendSettings::Get()
{
    static TestBackendSettings settings;
    static std::once_flag once;
    std::call_once(once, [] { settings.Reset(); });
    return settings;
}

void TestBackendSettings::Reset()
{
    failInitTL = false;
    usesProcessLock = false;
    deviceAvailable = true;
    messageChannel = false;
    remoteDeviceEvents = false;
    failEnableRemoteEvents = false;
    withRemoteDevice = true;
    payloadSize = 64;
    openTLDeviceCalls = 0;
    closeTLDeviceCalls = 0;
    Interface one;
    one.id = "if0";
    one.devices.push_back(Device{"cam0", false, true, "left"});
    one.devices.push_back(Device{"cam1", false, true, ""});
    SetInterfaces({one});
}

std::vector<TestBackendSettings::Interface> TestBackendSettings::Interfaces()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_interfaces;
}

void TestBackendSettings::SetInterfaces(const std::vector<Interface>& interfaces)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_interfaces = interfaces;
}

}  // namespace GenTLTest
