#include "TestLibrary.h"
#include "TestBackendSettings.h"
#include "TestSystem.h"

using namespace GenTLCore;

namespace GenTLTest {

bool TestLibrary::UsesProcessLock() { return TestBackendSettings::Get().usesProcessLock; }

bool TestLibrary::InitTL() { return !TestBackendSettings::Get().failInitTL; }

CountedPtr<GenTLSystem> TestLibrary::CreateSystem() { return CountedPtr<GenTLSystem>(new TestSystem()); }

}  // namespace GenTLTest
