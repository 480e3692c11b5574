#include "DescriptionFixture.h"

#include "GenTLBrandingCXP.h"

#include <cstdlib>
#include <set>
#include <stdexcept>
#include <sys/wait.h>

namespace {

const std::set<std::string> kNodeTags = {"Category", "Integer", "IntReg", "Boolean", "Command", "Enumeration",
                                         "Float", "FloatReg", "String", "StringReg", "IntSwissKnife", "Port"};

void Collect(const XmlNode& node, ServedDescription& served)
{
    for (const XmlNode& child : node.children) {
        const std::string* name = child.Attribute("Name");
        if (name != nullptr && kNodeTags.count(child.tag)) {
            if (!served.nodes.emplace(*name, &child).second)
                served.duplicateNames.push_back(*name);
        }
        Collect(child, served);
    }
}

std::vector<ServedDescription> Build()
{
    GenTLCore::GenTLBrandingCXP branding;
    std::vector<ServedDescription> all(4);
    all[0].label = "System";
    all[0].text = branding.GetSystemXml();
    all[0].fileName = branding.GetSystemXmlFileName();
    all[0].sha1 = branding.GetSystemXmlSha1();
    all[1].label = "Interface";
    all[1].text = branding.GetInterfaceXml();
    all[1].fileName = branding.GetInterfaceXmlFileName();
    all[1].sha1 = branding.GetInterfaceXmlSha1();
    all[2].label = "Localdevice";
    all[2].text = branding.GetLocalDeviceXml();
    all[2].fileName = branding.GetLocalDeviceXmlFileName();
    all[2].sha1 = branding.GetLocalDeviceXmlSha1();
    all[3].label = "Datastream";
    all[3].text = branding.GetDataStreamXml();
    all[3].fileName = branding.GetDataStreamXmlFileName();
    all[3].sha1 = branding.GetDataStreamXmlSha1();
    for (auto& served : all)
        served.root = ParseXml(served.text);
    // Pointers into the roots are taken once the vector no longer moves.
    for (auto& served : all)
        Collect(served.root, served);
    return all;
}

} // namespace

const std::vector<ServedDescription>& ServedDescriptions()
{
    static const std::vector<ServedDescription> all = Build();
    return all;
}

const ServedDescription& Served(const std::string& label)
{
    for (const auto& served : ServedDescriptions()) {
        if (served.label == label)
            return served;
    }
    throw std::runtime_error("no description " + label);
}

bool XmllintAvailable()
{
    const int status = std::system("xmllint --version > /dev/null 2>&1");
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
