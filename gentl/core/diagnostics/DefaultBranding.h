#pragma once
#include "GenTLBranding.h"

namespace GenTLCore {

// The branding in force while no producer branding is installed: every text
// is empty, every flag false, every number 0 and every description digest
// 20 zero bytes.
class DefaultBranding : public GenTLBranding {
public:
    DefaultBranding() = default;
    ~DefaultBranding() override;

    std::string GetTLType() const override;
    bool GetNewBufferFlag() const override;
    bool SupportsStreamEngineControl() const override;
    bool SupportsDeviceEventsEngineControl() const override;
    std::string GetLoggingEnvVarName() const override;
    std::string GetLogLevelEnvVarName() const override;
    std::string GetVendorName() const override;
    std::string GetModelName() const override;
    std::string GetVersion() const override;
    std::string GetProducerId() const override;
    std::string DecorateDeviceId(const std::string& deviceId, const std::string& vendorName, const std::string& modelName) const override;
    std::string DecorateStreamId(const std::string& deviceId, const std::string& streamId) const override;
    std::string GetDisplayName() const override;
    std::string EchoText(const std::string& first, const std::string& second) const override;
    std::string FlattenPath(const std::string& first, const std::string& second, const std::string& third) const override;
    std::string GetLockName() const override;
    bool AcceptsNullInfoPointers() const override;
    bool AllowsBufferChangesDuringAcquisition() const override;
    bool ToleratesStopWhenNotStarted() const override;
    std::uint64_t GetUpdateListTimeout() const override;
    std::uint32_t GetStreamDefaultMode() const override;
    bool CallsBufferFilledHook() const override;
    std::string GetSystemXml() const override;
    std::string GetInterfaceXml() const override;
    std::string GetLocalDeviceXml() const override;
    std::string GetDataStreamXml() const override;
    std::string GetRemoteDeviceXml() const override;
    std::uint32_t GetXmlFileVersionMajor() const override;
    std::uint32_t GetXmlFileVersionMinor() const override;
    std::uint32_t GetXmlFileVersionSubMinor() const override;
    std::vector<std::uint8_t> GetSystemXmlSha1() const override;
    std::vector<std::uint8_t> GetInterfaceXmlSha1() const override;
    std::vector<std::uint8_t> GetLocalDeviceXmlSha1() const override;
    std::vector<std::uint8_t> GetDataStreamXmlSha1() const override;
    std::vector<std::uint8_t> GetRemoteDeviceXmlSha1() const override;
    std::string GetSystemXmlFileName() const override;
    std::string GetInterfaceXmlFileName() const override;
    std::string GetLocalDeviceXmlFileName() const override;
    std::string GetDataStreamXmlFileName() const override;
};

}  // namespace GenTLCore
