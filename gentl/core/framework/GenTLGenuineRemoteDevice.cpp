#include "GenTLGenuineRemoteDevice.h"

#include "ReportError.h"

namespace GenTLCore {

GenTLGenuineRemoteDevice::GenTLGenuineRemoteDevice(const CountedPtr<DeviceTag>& tag) : GenTLRemoteDevice(tag) {}

GenTLGenuineRemoteDevice::~GenTLGenuineRemoteDevice() = default;

void GenTLGenuineRemoteDevice::InitPortURLs()
{
    std::vector<PortURLRecord> urls;
    ReadManifestTable(&urls);
    if (urls.empty())
        LogLine("Assert", 4, "Remote device manifest table is reported empty ");
    SetPortURLs(urls);
}

int32_t GenTLGenuineRemoteDevice::ReadPortData(uint64_t address, void* buffer, uint64_t* size)
{
    return ReadRemoteRegisters(address, buffer, size);
}

int32_t GenTLGenuineRemoteDevice::WritePortData(uint64_t address, const void* buffer, uint64_t* size)
{
    return WriteRemoteRegisters(address, buffer, size);
}

}  // namespace GenTLCore
