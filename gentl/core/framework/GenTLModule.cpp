#include "GenTLModule.h"

#include "BrandingControl.h"
#include "GenTLBranding.h"
#include "PortUrl.h"

namespace GenTLCore {

GenTLModule::~GenTLModule() = default;

PortURLRecord GenTLModule::DescriptionUrl(const std::string& fileName, const std::string& description,
                                          const std::vector<uint8_t>& sha1)
{
    const GenTLBranding& branding = GetBranding();
    PortURLRecord record;
    record.url = MakeLocalUrl(fileName, description, kDescriptionAddress);
    record.fileVersionMajor = branding.GetXmlFileVersionMajor();
    record.fileVersionMinor = branding.GetXmlFileVersionMinor();
    record.fileVersionSubminor = branding.GetXmlFileVersionSubMinor();
    record.schemaVersionMajor = 1;
    record.schemaVersionMinor = 1;
    record.sha1 = sha1;
    record.scheme = URL_SCHEME_LOCAL;
    record.registerAddress = kDescriptionAddress;
    record.fileSize = description.size();
    record.fileName = fileName;
    record.hasFileVersion = true;
    record.hasSchemaVersion = true;
    record.hasSha1 = true;
    return record;
}

}  // namespace GenTLCore
