#include "TestSystem.h"
#include "TestBackendSettings.h"
#include "TestInterface.h"
#include "TestInterfaceTag.h"

using namespace GenTLCore;

namespace GenTLTest {

int32_t TestSystem::DiscoverInterfaces(std::vector<CountedPtr<InterfaceTag>>* tags, uint64_t)
{
    for (const TestBackendSettings::Interface& interface : TestBackendSettings::Get().Interfaces())
        tags->push_back(CountedPtr<InterfaceTag>(new TestInterfaceTag(interface.id)));
    return GC_ERR_SUCCESS;
}

CountedPtr<GenTLInterface> TestSystem::CreateInterface(const CountedPtr<InterfaceTag>& tag)
{
    return CountedPtr<GenTLInterface>(new TestInterface(tag));
}

}  // namespace GenTLTest
