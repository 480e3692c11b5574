#pragma once
#include "CountedPtr.h"

namespace GenTLCore {

class GenTLBranding;

// Base of the producer's load-time singletons (logger, last-error store,
// branding control), which start-up makes, initialises with the producer's
// branding, shuts down and deletes.
class StaticInitializationHelper {
public:
    virtual ~StaticInitializationHelper() = 0;
    virtual void Init(const CountedPtr<GenTLBranding>& branding);
    virtual void Shutdown();
};

}  // namespace GenTLCore
