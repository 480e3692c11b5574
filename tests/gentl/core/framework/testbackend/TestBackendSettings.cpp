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
    SetBufferOpen(nullptr);
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

void TestBackendSettings::SetBufferOpen(std::function<int32_t()> open)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bufferOpen = std::move(open);
}

int32_t TestBackendSettings::BufferOpen()
{
    std::function<int32_t()> open;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        open = m_bufferOpen;
    }
    return open ? open() : 0;
}

}  // namespace GenTLTest
