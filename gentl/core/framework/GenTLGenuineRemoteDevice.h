#pragma once
#include "GenTLRemoteDevice.h"
#include "PortURLRecord.h"

#include <vector>

namespace GenTLCore {

// A remote device backed by the real camera: its port URLs are the camera's
// manifest, its register reads and writes go to the camera. The back end
// supplies both.
class GenTLGenuineRemoteDevice : public GenTLRemoteDevice {
public:
    explicit GenTLGenuineRemoteDevice(const CountedPtr<DeviceTag>& tag);
    ~GenTLGenuineRemoteDevice() override;

    // Reads the manifest once; an empty one is logged, not refused.
    void InitPortURLs() override;
    int32_t ReadPortData(uint64_t address, void* buffer, uint64_t* size) override;
    int32_t WritePortData(uint64_t address, const void* buffer, uint64_t* size) override;

    virtual void ReadManifestTable(std::vector<PortURLRecord>* urls) = 0;
    // The camera's registers by address; GenTL code with its own text.
    virtual int32_t ReadRemoteRegisters(uint64_t address, void* buffer, uint64_t* size) = 0;
    virtual int32_t WriteRemoteRegisters(uint64_t address, const void* buffer, uint64_t* size) = 0;
};

}  // namespace GenTLCore
