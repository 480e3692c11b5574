#include "GenTLBrandingCXP.h"

#include "RegisterDescriptions.h"

namespace GenTLCore {

GenTLBrandingCXP::GenTLBrandingCXP() = default;
GenTLBrandingCXP::~GenTLBrandingCXP() = default;

std::string GenTLBrandingCXP::GetTLType() const { return "CXP"; }
bool GenTLBrandingCXP::GetNewBufferFlag() const { return false; }
bool GenTLBrandingCXP::SupportsStreamEngineControl() const { return true; }
bool GenTLBrandingCXP::SupportsDeviceEventsEngineControl() const { return true; }
std::string GenTLBrandingCXP::GetLoggingEnvVarName() const { return "PEX_GENTL_LOGGING"; }
std::string GenTLBrandingCXP::GetLogLevelEnvVarName() const { return "PEX_LOG_LEVEL"; }
std::string GenTLBrandingCXP::GetVendorName() const { return "Corvane Electronic Systems Ltd."; }
std::string GenTLBrandingCXP::GetModelName() const { return "CoaXPress"; }
std::string GenTLBrandingCXP::GetVersion() const { return "1.0.0"; }
std::string GenTLBrandingCXP::GetProducerId() const { return "CorvaneCXP"; }

std::string GenTLBrandingCXP::DecorateDeviceId(const std::string& deviceId, const std::string&,
                                               const std::string&) const
{
    return deviceId;
}

std::string GenTLBrandingCXP::DecorateStreamId(const std::string&, const std::string& streamId) const
{
    return streamId;
}

std::string GenTLBrandingCXP::GetDisplayName() const { return "Corvane CoaXPress GenTL Producer"; }

std::string GenTLBrandingCXP::EchoText(const std::string& first, const std::string&) const { return first; }

std::string GenTLBrandingCXP::FlattenPath(const std::string& first, const std::string&, const std::string&) const
{
    std::string flat(first);
    for (char& c : flat) {
        if (c == '\\')
            c = ' ';
    }
    return flat;
}

std::string GenTLBrandingCXP::GetLockName() const
{
    // Through the virtual call, so a derived branding's identifier counts.
    return GetProducerId() + ".lock";
}

bool GenTLBrandingCXP::AcceptsNullInfoPointers() const { return false; }
bool GenTLBrandingCXP::AllowsBufferChangesDuringAcquisition() const { return true; }
bool GenTLBrandingCXP::ToleratesStopWhenNotStarted() const { return true; }
std::uint64_t GenTLBrandingCXP::GetUpdateListTimeout() const { return 0xFFFFFFFFFFFFFFFFull; }
std::uint32_t GenTLBrandingCXP::GetStreamDefaultMode() const { return 0; }
bool GenTLBrandingCXP::CallsBufferFilledHook() const { return false; }

std::string GenTLBrandingCXP::GetSystemXml() const { return RegisterDescriptions::Instance().SystemXml(); }
std::string GenTLBrandingCXP::GetInterfaceXml() const { return RegisterDescriptions::Instance().InterfaceXml(); }
std::string GenTLBrandingCXP::GetLocalDeviceXml() const { return RegisterDescriptions::Instance().LocalDeviceXml(); }
std::string GenTLBrandingCXP::GetDataStreamXml() const { return RegisterDescriptions::Instance().DataStreamXml(); }
std::string GenTLBrandingCXP::GetRemoteDeviceXml() const { return std::string(); }

std::uint32_t GenTLBrandingCXP::GetXmlFileVersionMajor() const { return 1; }
std::uint32_t GenTLBrandingCXP::GetXmlFileVersionMinor() const { return 0; }
std::uint32_t GenTLBrandingCXP::GetXmlFileVersionSubMinor() const { return 0; }

std::vector<std::uint8_t> GenTLBrandingCXP::GetSystemXmlSha1() const
{
    return RegisterDescriptions::Instance().SystemXmlSha1();
}

std::vector<std::uint8_t> GenTLBrandingCXP::GetInterfaceXmlSha1() const
{
    return RegisterDescriptions::Instance().InterfaceXmlSha1();
}

std::vector<std::uint8_t> GenTLBrandingCXP::GetLocalDeviceXmlSha1() const
{
    return RegisterDescriptions::Instance().LocalDeviceXmlSha1();
}

std::vector<std::uint8_t> GenTLBrandingCXP::GetDataStreamXmlSha1() const
{
    return RegisterDescriptions::Instance().DataStreamXmlSha1();
}

std::vector<std::uint8_t> GenTLBrandingCXP::GetRemoteDeviceXmlSha1() const { return {}; }

std::string GenTLBrandingCXP::GetSystemXmlFileName() const
{
    return RegisterDescriptions::Instance().SystemXmlFileName();
}

std::string GenTLBrandingCXP::GetInterfaceXmlFileName() const
{
    return RegisterDescriptions::Instance().InterfaceXmlFileName();
}

std::string GenTLBrandingCXP::GetLocalDeviceXmlFileName() const
{
    return RegisterDescriptions::Instance().LocalDeviceXmlFileName();
}

std::string GenTLBrandingCXP::GetDataStreamXmlFileName() const
{
    return RegisterDescriptions::Instance().DataStreamXmlFileName();
}

} // namespace GenTLCore
