#include "TestBranding.h"

#include "BrandingControl.h"
#include "CountedPtr.h"
#include "Sha1.h"

namespace GenTLTest {

TestBranding::TestBranding()
{
    m_xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<RegisterDescription ModelName=\"TestSystem\">\n";
    for (int i = 0; i < 40; ++i)
        m_xml += "  <Integer Name=\"Value" + std::to_string(i) + "\"><Value>" + std::to_string(i * 7) +
                 "</Value></Integer>\n";
    m_xml += "</RegisterDescription>\n";
    m_sha1 = GenTLCore::Sha1::Digest(m_xml);
}

TestBranding::~TestBranding() = default;

TestBranding* TestBranding::Install()
{
    TestBranding* branding = new TestBranding();
    GenTLCore::GetBrandingControl()->Init(GenTLCore::CountedPtr<GenTLCore::GenTLBranding>(branding));
    return branding;
}

}  // namespace GenTLTest
