#include "StaticInitializationHelper.h"

#include "GenTLBranding.h"

namespace GenTLCore {

StaticInitializationHelper::~StaticInitializationHelper() = default;

void StaticInitializationHelper::Init(const CountedPtr<GenTLBranding>&) {}

void StaticInitializationHelper::Shutdown() {}

}  // namespace GenTLCore
