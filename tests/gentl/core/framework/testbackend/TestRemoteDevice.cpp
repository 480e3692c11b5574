#include "TestRemoteDevice.h"

#include "PortUrl.h"
#include "ReportError.h"

#include <algorithm>
#include <cstring>

using namespace GenTLCore;

namespace GenTLTest {

std::string TestRemoteDevice::CameraDescription()
{
    return "<?xml version=\"1.0\"?>\n<RegisterDescription ModelName=\"TestCamera\"/>\n";
}

TestRemoteDevice::TestRemoteDevice(const CountedPtr<DeviceTag>& tag) : GenTLGenuineRemoteDevice(tag), m_registers(kSize)
{
    const std::string description = CameraDescription();
    std::copy(description.begin(), description.end(), m_registers.begin() + kDescriptionAddress);
}

TestRemoteDevice::~TestRemoteDevice() = default;

void TestRemoteDevice::ReadManifestTable(std::vector<PortURLRecord>* urls)
{
    PortURLRecord record;
    record.url = MakeLocalUrl("TestCamera.xml", CameraDescription(), kDescriptionAddress);
    record.scheme = URL_SCHEME_LOCAL;
    record.registerAddress = kDescriptionAddress;
    record.fileSize = CameraDescription().size();
    record.fileName = "TestCamera.xml";
    urls->push_back(record);
}

int32_t TestRemoteDevice::CheckRange(uint64_t address, uint64_t size)
{
    if (address > kSize || size > kSize - address)
        return ReportError(GC_ERR_INVALID_ADDRESS, "Camera register access out of range");
    return GC_ERR_SUCCESS;
}

int32_t TestRemoteDevice::ReadRemoteRegisters(uint64_t address, void* buffer, uint64_t* size)
{
    const int32_t code = CheckRange(address, *size);
    if (code == GC_ERR_SUCCESS)
        std::memcpy(buffer, m_registers.data() + address, *size);
    return code;
}

int32_t TestRemoteDevice::WriteRemoteRegisters(uint64_t address, const void* buffer, uint64_t* size)
{
    const int32_t code = CheckRange(address, *size);
    if (code == GC_ERR_SUCCESS)
        std::memcpy(m_registers.data() + address, buffer, *size);
    return code;
}

}  // namespace GenTLTest
