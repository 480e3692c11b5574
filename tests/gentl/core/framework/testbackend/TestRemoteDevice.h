#pragma once
#include "GenTLGenuineRemoteDevice.h"

#include <cstdint>
#include <string>
#include <vector>

namespace GenTLTest {

// A camera over a byte array of kSize bytes, big-endian like a CoaXPress
// camera. Its manifest names one description, stored in the array at
// kDescriptionAddress.
class TestRemoteDevice : public GenTLCore::GenTLGenuineRemoteDevice {
public:
    static constexpr uint64_t kSize = 0x2000;
    static constexpr uint64_t kDescriptionAddress = 0x1000;

    explicit TestRemoteDevice(const GenTLCore::CountedPtr<GenTLCore::DeviceTag>& tag);
    ~TestRemoteDevice() override;

    bool IsLittleEndian() override { return false; }
    bool IsWriteSupported() override { return true; }
    void ReadManifestTable(std::vector<GenTLCore::PortURLRecord>* urls) override;
    int32_t ReadRemoteRegisters(uint64_t address, void* buffer, uint64_t* size) override;
    int32_t WriteRemoteRegisters(uint64_t address, const void* buffer, uint64_t* size) override;

    static std::string CameraDescription();

private:
    // 0 when [address, address + size) lies in the array.
    int32_t CheckRange(uint64_t address, uint64_t size);

    std::vector<uint8_t> m_registers;
};

}  // namespace GenTLTest
