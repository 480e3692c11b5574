#include "DefaultBranding.h"

namespace GenTLCore {

DefaultBranding::~DefaultBranding() = default;

std::string DefaultBranding::GetTLType() const { return std::string(); }
bool DefaultBranding::GetNewBufferFlag() const { return false; }
bool DefaultBranding::SupportsStreamEngineControl() const { return false; }
bool DefaultBranding::SupportsDeviceEventsEngineControl() const { return false; }
std::string DefaultBranding::GetLoggingEnvVarName() const { return std::string(); }
std::string DefaultBranding::GetLogLevelEnvVarName() const { return std::string(); }
std::string DefaultBranding::GetVendorName() const { return std::string(); }
std::string DefaultBranding::GetModelName() const { return std::string(); }
std::string DefaultBranding::GetVersion() const { return std::string(); }
std::string DefaultBranding::GetProducerId() const { return std::string(); }
std::string DefaultBranding::DecorateDeviceId(const std::string&, const std::string&, const std::string&) const { return std::string(); }
std::string DefaultBranding::DecorateStreamId(const std::string&, const std::string&) const { return std::string(); }
std::string DefaultBranding::GetDisplayName() const { return std::string(); }
std::string DefaultBranding::EchoText(const std::string&, const std::string&) const { return std::string(); }
std::string DefaultBranding::FlattenPath(const std::string&, const std::string&, const std::string&) const { return std::string(); }
std::string DefaultBranding::GetLockName() const { return std::string(); }
bool DefaultBranding::AcceptsNullInfoPointers() const { return false; }
bool DefaultBranding::AllowsBufferChangesDuringAcquisition() const { return false; }
bool DefaultBranding::ToleratesStopWhenNotStarted() const { return false; }
std::uint64_t DefaultBranding::GetUpdateListTimeout() const { return 0; }
std::uint32_t DefaultBranding::GetStreamDefaultMode() const { return 0; }
bool DefaultBranding::CallsBufferFilledHook() const { return false; }
std::string DefaultBranding::GetSystemXml() const { return std::string(); }
std::string DefaultBranding::GetInterfaceXml() const { return std::string(); }
std::string DefaultBranding::GetLocalDeviceXml() const { return std::string(); }
std::string DefaultBranding::GetDataStreamXml() const { return std::string(); }
std::string DefaultBranding::GetRemoteDeviceXml() const { return std::string(); }
std::uint32_t DefaultBranding::GetXmlFileVersionMajor() const { return 0; }
std::uint32_t DefaultBranding::GetXmlFileVersionMinor() const { return 0; }
std::uint32_t DefaultBranding::GetXmlFileVersionSubMinor() const { return 0; }
std::vector<std::uint8_t> DefaultBranding::GetSystemXmlSha1() const { return std::vector<std::uint8_t>(20, 0); }
std::vector<std::uint8_t> DefaultBranding::GetInterfaceXmlSha1() const { return std::vector<std::uint8_t>(20, 0); }
std::vector<std::uint8_t> DefaultBranding::GetLocalDeviceXmlSha1() const { return std::vector<std::uint8_t>(20, 0); }
std::vector<std::uint8_t> DefaultBranding::GetDataStreamXmlSha1() const { return std::vector<std::uint8_t>(20, 0); }
std::vector<std::uint8_t> DefaultBranding::GetRemoteDeviceXmlSha1() const { return std::vector<std::uint8_t>(20, 0); }
std::string DefaultBranding::GetSystemXmlFileName() const { return std::string(); }
std::string DefaultBranding::GetInterfaceXmlFileName() const { return std::string(); }
std::string DefaultBranding::GetLocalDeviceXmlFileName() const { return std::string(); }
std::string DefaultBranding::GetDataStreamXmlFileName() const { return std::string(); }

}  // namespace GenTLCore
