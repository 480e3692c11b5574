#pragma once
#include "DeviceTag.h"
#include "TestBackendSettings.h"

#include <atomic>
#include <string>

namespace GenTLTest {

class TestDeviceTag : public GenTLCore::DeviceTag {
public:
    explicit TestDeviceTag(const TestBackendSettings::Device& device) : m_device(device) {}
    std::string GetID() const override { return m_device.id; }
    bool IsSame(const GenTLCore::DeviceTag& other) const override { return other.GetID() == m_device.id; }
    std::string GetVendorName() const override { return "Test Cameras"; }
    std::string GetModelName() const override { return "TC-" + m_device.id; }
    std::string GetVersion() const override { return "2.0"; }
    std::string GetSerialNumber() const override { return "SN-" + m_device.id; }
    bool HasUserDefinedName() const override { return !m_device.userName.empty(); }
    std::string GetUserDefinedName() const override { return m_device.userName; }
    std::string GetManufacturerInfo() const override { return "made for tests"; }
    bool IsNoAccess() const override { return m_device.noAccess; }
    bool IsReadWrite() const override { return m_device.readWrite; }
    void UpdateFrom(const GenTLCore::DeviceTag&) override { ++updates; }

    std::atomic<int> updates{0};

private:
    TestBackendSettings::Device m_device;
};

}  // namespace GenTLTest
