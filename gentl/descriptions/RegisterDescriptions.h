// The producer-wide register-description texts, their file names and SHA-1
// digests. Built once (at load, or on first use when asked earlier) and
// read-only afterwards, so any thread may read them without a lock.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace GenTLCore {

class RegisterDescriptions {
public:
    // The one instance; building it is thread-safe.
    static const RegisterDescriptions& Instance();

    const std::string& SystemXmlFileName() const { return m_systemFileName; }
    const std::string& InterfaceXmlFileName() const { return m_interfaceFileName; }
    const std::string& LocalDeviceXmlFileName() const { return m_localDeviceFileName; }
    const std::string& DataStreamXmlFileName() const { return m_dataStreamFileName; }

    const std::string& SystemXml() const { return m_systemXml; }
    const std::string& InterfaceXml() const { return m_interfaceXml; }
    const std::string& LocalDeviceXml() const { return m_localDeviceXml; }
    const std::string& DataStreamXml() const { return m_dataStreamXml; }

    const std::vector<std::uint8_t>& SystemXmlSha1() const { return m_systemSha1; }
    const std::vector<std::uint8_t>& InterfaceXmlSha1() const { return m_interfaceSha1; }
    const std::vector<std::uint8_t>& LocalDeviceXmlSha1() const { return m_localDeviceSha1; }
    const std::vector<std::uint8_t>& DataStreamXmlSha1() const { return m_dataStreamSha1; }

    RegisterDescriptions(const RegisterDescriptions&) = delete;
    RegisterDescriptions& operator=(const RegisterDescriptions&) = delete;

private:
    RegisterDescriptions();

    std::string m_systemFileName;
    std::string m_interfaceFileName;
    std::string m_localDeviceFileName;
    std::string m_dataStreamFileName;
    std::string m_systemXml;
    std::string m_interfaceXml;
    std::string m_localDeviceXml;
    std::string m_dataStreamXml;
    std::vector<std::uint8_t> m_systemSha1;
    std::vector<std::uint8_t> m_interfaceSha1;
    std::vector<std::uint8_t> m_localDeviceSha1;
    std::vector<std::uint8_t> m_dataStreamSha1;
};

} // namespace GenTLCore
