#pragma once
#include "GenTLSystem.h"

namespace GenTLTest {

// Finds the interfaces of TestBackendSettings.
class TestSystem : public GenTLCore::GenTLSystem {
public:
    int32_t DiscoverInterfaces(std::vector<GenTLCore::CountedPtr<GenTLCore::InterfaceTag>>* tags,
                               uint64_t timeout) override;
    GenTLCore::CountedPtr<GenTLCore::GenTLInterface> CreateInterface(
        const GenTLCore::CountedPtr<GenTLCore::InterfaceTag>& tag) override;
};

}  // namespace GenTLTest
