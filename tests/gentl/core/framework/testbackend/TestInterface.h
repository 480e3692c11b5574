#pragma once
#include "GenTLInterface.h"

namespace GenTLTest {

// Finds the devices that TestBackendSettings lists under its tag's id.
class TestInterface : public GenTLCore::GenTLInterface {
public:
    explicit TestInterface(const GenTLCore::CountedPtr<GenTLCore::InterfaceTag>& tag) : GenTLInterface(tag) {}
    int32_t DiscoverDevices(std::vector<GenTLCore::CountedPtr<GenTLCore::DeviceTag>>* tags, uint64_t timeout) override;
    GenTLCore::CountedPtr<GenTLCore::GenTLLocalDevice> CreateLocalDevice(
        const GenTLCore::CountedPtr<GenTLCore::DeviceTag>& tag) override;
};

}  // namespace GenTLTest
