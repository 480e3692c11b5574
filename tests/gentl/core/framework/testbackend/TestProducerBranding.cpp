#include "TestProducerBranding.h"

#include "Sha1.h"

namespace GenTLTest {

std::string TestProducerBranding::Description(const std::string& model, int values)
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<RegisterDescription ModelName=\"" + model + "\">\n";
    for (int i = 0; i < values; ++i)
        xml += "  <Integer Name=\"" + model + std::to_string(i) + "\"><Value>" + std::to_string(i) +
               "</Value></Integer>\n";
    return xml + "</RegisterDescription>\n";
}

TestProducerBranding::TestProducerBranding()
    : m_interfaceXml(Description("TestInterface", 11)),
      m_deviceXml(Description("TestDevice", 23)),
      m_streamXml(Description("TestStream", 5)),
      m_interfaceSha1(GenTLCore::Sha1::Digest(m_interfaceXml)),
      m_deviceSha1(GenTLCore::Sha1::Digest(m_deviceXml)),
      m_streamSha1(GenTLCore::Sha1::Digest(m_streamXml))
{
}

TestProducerBranding::~TestProducerBranding() = default;

}  // namespace GenTLTest
