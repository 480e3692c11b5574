#pragma once
#include "CountedPtr.h"

#include <cstdint>

namespace GenTLCore {

class BrandingControl;
class GenTLBranding;
class GenTLLibrary;
class GenTLSrv;
class GenTLSrvDirect;
class LoggerInit;
class StaticInitializationHelper;
class TLSControl;

// The factories through which start-up makes the producer's branding and
// library object without naming their classes. The first two must be
// present; the third, for an extra initialisation object, may be null.
struct ProducerFactoryTable {
    CountedPtr<GenTLBranding> (*createBranding)() = nullptr;
    CountedPtr<GenTLLibrary> (*createLibrary)() = nullptr;
    StaticInitializationHelper* (*createExtraInit)() = nullptr;
};

// Makes the core singletons (logger, last-error store, branding control) on
// the first of any number of calls. An allocation failure leaves the rest
// unmade.
void StartCoreSingletons();
// Undoes one StartCoreSingletons; the last one deletes the services first
// (the direct service closes a library that is still open, joining its
// acquisition threads, while the log, last-error store and branding still
// work), then shuts the singletons down and deletes the extra
// initialisation object and the singletons.
void StopCoreSingletons();
// Number of StartCoreSingletons not yet undone.
int32_t CoreSingletonCount();

// The guard whose life brackets the core singletons.
class CoreSingletonGuard {
public:
    CoreSingletonGuard() { StartCoreSingletons(); }
    ~CoreSingletonGuard() { StopCoreSingletons(); }
    CoreSingletonGuard(const CoreSingletonGuard&) = delete;
    CoreSingletonGuard& operator=(const CoreSingletonGuard&) = delete;
};

// True when the branding and the library factories are both present.
bool HasTLFactories(const ProducerFactoryTable& table);
// Makes the service at most once and returns it (null when it cannot be
// made); later calls return the first call's result without calling any
// factory. Calls the branding and library factories, makes the direct
// service around the library (the tracing service in front of it when the
// branding's logging variable exists) and hands the branding to the
// singletons' Init. A refused allocation or a factory giving nothing
// leaves no service: the exports then answer -1001 (GCInitLib) and -1002.
GenTLSrv* CreateGenTLService(const ProducerFactoryTable& table);
// The service creation's step once the direct service is made: keeps
// `direct` as the direct service, puts the call-tracing service in front of
// it when the branding's logging variable exists now, and returns the
// current service (the tracing one, else `direct`). Shut-down deletes the
// tracing service, then the direct service. A refused allocation passes on
// with the direct service kept and no current service.
GenTLSrv* InstallGenTLServices(GenTLSrv* direct, const GenTLBranding& branding);

// What start-up made, for the exports and for tests.
LoggerInit* StartedLogger();
TLSControl* StartedTLSControl();
BrandingControl* StartedBrandingControl();
StaticInitializationHelper* ExtraInitialization();
GenTLSrv* CurrentService();
// The direct service when start-up made one; null when there is none or
// it is a stand-in of another class.
GenTLSrvDirect* StartedDirectService();

}  // namespace GenTLCore
