// The product questions of the GenTL module framework: names, ids, version,
// environment-variable names, behaviour switches and the register
// descriptions that the modules serve. All operations are const questions.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace GenTLCore {

class GenTLBranding {
public:
    virtual ~GenTLBranding();

    // Transport-layer type reported by every information query.
    virtual std::string GetTLType() const = 0;
    // Stored by each new buffer (the multi-part flag).
    virtual bool GetNewBufferFlag() const = 0;
    virtual bool SupportsStreamEngineControl() const = 0;
    virtual bool SupportsDeviceEventsEngineControl() const = 0;
    virtual std::string GetLoggingEnvVarName() const = 0;
    virtual std::string GetLogLevelEnvVarName() const = 0;
    virtual std::string GetVendorName() const = 0;
    virtual std::string GetModelName() const = 0;
    virtual std::string GetVersion() const = 0;
    virtual std::string GetProducerId() const = 0;
    // A non-empty answer is the device's identifier; an empty one makes the
    // framework compose it.
    virtual std::string DecorateDeviceId(const std::string& deviceId, const std::string& vendorName,
                                         const std::string& modelName) const = 0;
    // A non-empty answer is the stream's identifier; an empty one makes the
    // framework compose it.
    virtual std::string DecorateStreamId(const std::string& deviceId, const std::string& streamId) const = 0;
    virtual std::string GetDisplayName() const = 0;
    // Interface display name from the interface tag's identifier and name.
    virtual std::string EchoText(const std::string& first, const std::string& second) const = 0;
    // Local-device display name from three texts of the device tag.
    virtual std::string FlattenPath(const std::string& first, const std::string& second,
                                    const std::string& third) const = 0;
    // Name of the library object's process-wide mutex.
    virtual std::string GetLockName() const = 0;
    virtual bool AcceptsNullInfoPointers() const = 0;
    virtual bool AllowsBufferChangesDuringAcquisition() const = 0;
    virtual bool ToleratesStopWhenNotStarted() const = 0;
    // Milliseconds; all ones waits without limit.
    virtual std::uint64_t GetUpdateListTimeout() const = 0;
    // Auxiliary buffer count a data stream takes when it opens.
    virtual std::uint32_t GetStreamDefaultMode() const = 0;
    virtual bool CallsBufferFilledHook() const = 0;

    virtual std::string GetSystemXml() const = 0;
    virtual std::string GetInterfaceXml() const = 0;
    virtual std::string GetLocalDeviceXml() const = 0;
    virtual std::string GetDataStreamXml() const = 0;
    virtual std::string GetRemoteDeviceXml() const = 0;

    virtual std::uint32_t GetXmlFileVersionMajor() const = 0;
    virtual std::uint32_t GetXmlFileVersionMinor() const = 0;
    virtual std::uint32_t GetXmlFileVersionSubMinor() const = 0;

    // 20-byte SHA-1 digests of the description texts (empty when none).
    virtual std::vector<std::uint8_t> GetSystemXmlSha1() const = 0;
    virtual std::vector<std::uint8_t> GetInterfaceXmlSha1() const = 0;
    virtual std::vector<std::uint8_t> GetLocalDeviceXmlSha1() const = 0;
    virtual std::vector<std::uint8_t> GetDataStreamXmlSha1() const = 0;
    virtual std::vector<std::uint8_t> GetRemoteDeviceXmlSha1() const = 0;

    virtual std::string GetSystemXmlFileName() const = 0;
    virtual std::string GetInterfaceXmlFileName() const = 0;
    virtual std::string GetLocalDeviceXmlFileName() const = 0;
    virtual std::string GetDataStreamXmlFileName() const = 0;

    // The framework's names for two of the answers above.
    bool SupportsMultiPartPayloads() const { return GetNewBufferFlag(); }
    std::uint32_t GetDefaultAuxiliaryBufferCount() const { return GetStreamDefaultMode(); }
};

} // namespace GenTLCore
