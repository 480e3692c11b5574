#pragma once
#include "TestBranding.h"

#include <cstdint>
#include <string>
#include <vector>

namespace GenTLTest {

// The test branding with a register description for every module (system,
// interface, local device, data stream), each with its file name and SHA-1,
// a lock name and a logging variable.
class TestProducerBranding : public TestBranding {
public:
    TestProducerBranding();
    ~TestProducerBranding() override;

    std::string GetLoggingEnvVarName() const override { return "TEST_GENTL_LOGGING"; }
    std::string GetLockName() const override { return ""; }
    std::string GetInterfaceXml() const override { return m_interfaceXml; }
    std::string GetLocalDeviceXml() const override { return m_deviceXml; }
    std::string GetDataStreamXml() const override { return m_streamXml; }
    std::vector<std::uint8_t> GetInterfaceXmlSha1() const override { return m_interfaceSha1; }
    std::vector<std::uint8_t> GetLocalDeviceXmlSha1() const override { return m_deviceSha1; }
    std::vector<std::uint8_t> GetDataStreamXmlSha1() const override { return m_streamSha1; }
    std::string GetInterfaceXmlFileName() const override { return "TestInterface.xml"; }
    std::string GetLocalDeviceXmlFileName() const override { return "TestDevice.xml"; }
    std::string GetDataStreamXmlFileName() const override { return "TestStream.xml"; }

    // The description text of the module named `model`.
    static std::string Description(const std::string& model, int values);

private:
    std::string m_interfaceXml;
    std::string m_deviceXml;
    std::string m_streamXml;
    std::vector<std::uint8_t> m_interfaceSha1;
    std::vector<std::uint8_t> m_deviceSha1;
    std::vector<std::uint8_t> m_streamSha1;
};

}  // namespace GenTLTest
