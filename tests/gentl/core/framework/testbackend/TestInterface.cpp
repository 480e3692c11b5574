#include "TestInterface.h"
#include "TestBackendSettings.h"
#include "TestDeviceTag.h"
#include "TestLocalDevice.h"

using namespace GenTLCore;

namespace GenTLTest {

int32_t TestInterface::DiscoverDevices(std::vector<CountedPtr<DeviceTag>>* tags, uint64_t)
{
    const std::string own = GetTag() ? GetTag()->GetID() : std::string();
    for (const TestBackendSettings::Interface& interface : TestBackendSettings::Get().Interfaces()) {
        if (interface.id != own)
            continue;
        for (const TestBackendSettings::Device& device : interface.devices)
            tags->push_back(CountedPtr<DeviceTag>(new TestDeviceTag(device)));
    }
    return GC_ERR_SUCCESS;
}

CountedPtr<GenTLLocalDevice> TestInterface::CreateLocalDevice(const CountedPtr<DeviceTag>& tag)
{
    return CountedPtr<GenTLLocalDevice>(new TestLocalDevice(tag));
}

}  // namespace GenTLTest
