#pragma once
#include "GenTLLibrary.h"

namespace GenTLTest {

// The library of the test back end; its switches come from
// TestBackendSettings.
class TestLibrary : public GenTLCore::GenTLLibrary {
public:
    bool UsesProcessLock() override;
    bool InitTL() override;
    bool CloseTL() override { return true; }
    void PostBannerHook() override {}
    GenTLCore::CountedPtr<GenTLCore::GenTLSystem> CreateSystem() override;
};

}  // namespace GenTLTest
