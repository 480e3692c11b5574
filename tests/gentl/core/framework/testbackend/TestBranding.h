#pragma once
#include "DefaultBranding.h"

#include <cstdint>
#include <string>
#include <vector>

namespace GenTLTest {

// The branding of the test back end: names, ids and description texts with
// their SHA-1 values; switches that tests may flip before installing it.
class TestBranding : public GenTLCore::DefaultBranding {
public:
    TestBranding();
    ~TestBranding() override;

    // Installs a fresh test branding as the branding in force.
    static TestBranding* Install();

    std::string GetTLType() const override { return "Custom"; }
    std::string GetVendorName() const override { return "Test Vendor"; }
    std::string GetModelName() const override { return "Test Model"; }
    std::string GetVersion() const override { return "1.2.3"; }
    std::string GetProducerId() const override { return "TestTL"; }
    bool GetNewBufferFlag() const override { return multiPart; }
    bool AcceptsNullInfoPointers() const override { return acceptsNullPointers; }
    bool CallsBufferFilledHook() const override { return callsFilledHook; }
    bool ToleratesStopWhenNotStarted() const override { return true; }
    bool AllowsBufferChangesDuringAcquisition() const override { return true; }
    bool SupportsStreamEngineControl() const override { return true; }
    std::string GetSystemXml() const override { return m_xml; }
    std::vector<std::uint8_t> GetSystemXmlSha1() const override { return m_sha1; }
    std::string GetSystemXmlFileName() const override { return "TestSystem.xml"; }
    std::uint32_t GetXmlFileVersionMajor() const override { return 1; }

    bool multiPart = false;
    bool acceptsNullPointers = false;
    bool callsFilledHook = false;

private:
    std::string m_xml;
    std::vector<std::uint8_t> m_sha1;
};

}  // namespace GenTLTest
