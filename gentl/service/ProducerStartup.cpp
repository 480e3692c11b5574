#include "ProducerStartup.h"

#include "BrandingControl.h"
#include "GenTLBranding.h"
#include "GenTLLibrary.h"
#include "GenTLSrv.h"
#include "GenTLSrvDirect.h"
#include "GenTLSrvLogged.h"
#include "LastGenTLError.h"
#include "LoggerInit.h"
#include "TLSControl.h"
#include "TracingSwitch.h"

#include <atomic>
#include <new>

namespace GenTLCore {

namespace {

std::atomic<int32_t> g_coreCount{0};
std::atomic<int32_t> g_creationCount{0};

LoggerInit* g_logger = nullptr;
TLSControl* g_tlsControl = nullptr;
BrandingControl* g_brandingControl = nullptr;
StaticInitializationHelper* g_extraInit = nullptr;

GenTLSrv* g_directService = nullptr;
GenTLSrv* g_loggedService = nullptr;
GenTLSrv* g_currentService = nullptr;

// The tracing service goes before the direct service it wraps.
void DeleteServices()
{
    delete g_loggedService;
    g_loggedService = nullptr;
    delete g_directService;
    g_directService = nullptr;
    g_currentService = nullptr;
}

}  // namespace

void StartCoreSingletons()
{
    if (g_coreCount.fetch_add(1) + 1 != 1)
        return;
    // The accessors answer null when the heap refuses; the sequence ends at
    // the first that does.
    g_logger = GetLoggerInit();
    if (!g_logger)
        return;
    g_tlsControl = GetTLSControl();
    if (!g_tlsControl)
        return;
    g_brandingControl = GetBrandingControl();
}

void StopCoreSingletons()
{
    if (g_coreCount.fetch_sub(1) != 1)
        return;
    // The direct service closes a library that is still initialised,
    // which joins running acquisition threads and closes every handle:
    // that needs the log, the last-error store and the branding, so the
    // services go before the singletons shut down.
    DeleteServices();

    if (g_logger)
        g_logger->Shutdown();
    if (g_tlsControl)
        g_tlsControl->Shutdown();
    if (g_brandingControl)
        g_brandingControl->Shutdown();
    if (g_extraInit)
        g_extraInit->Shutdown();

    delete g_extraInit;
    delete g_brandingControl;
    DeleteTLSControl();
    g_tlsControl = nullptr;
    delete g_logger;
}

int32_t CoreSingletonCount() { return g_coreCount.load(); }

bool HasTLFactories(const ProducerFactoryTable& table)
{
    return table.createBranding != nullptr && table.createLibrary != nullptr;
}

GenTLSrv* CreateGenTLService(const ProducerFactoryTable& table)
{
    if (g_creationCount.fetch_add(1) + 1 != 1)
        return g_currentService;
    if (!g_logger || !g_tlsControl || !g_brandingControl || !HasTLFactories(table))
        return nullptr;
    if (table.createExtraInit) {
        try {
            g_extraInit = table.createExtraInit();
        } catch (const std::bad_alloc&) {
            g_extraInit = nullptr;
        }
        if (!g_extraInit)
            return nullptr;
    }
    try {
        CountedPtr<GenTLBranding> branding = table.createBranding();
        CountedPtr<GenTLLibrary> library = table.createLibrary();
        if (!branding || !library)
            return nullptr;
        GenTLSrv* current = InstallGenTLServices(new GenTLSrvDirect(library), *branding);
        g_logger->Init(branding);
        g_tlsControl->Init(branding);
        g_brandingControl->Init(branding);
        if (g_extraInit)
            g_extraInit->Init(branding);
        return current;
    } catch (const std::bad_alloc&) {
        // The loader must not end the consumer's process: no service, so
        // GCInitLib answers -1001 and every other export -1002.
        DeleteServices();
        return nullptr;
    }
}

GenTLSrv* InstallGenTLServices(GenTLSrv* direct, const GenTLBranding& branding)
{
    g_directService = direct;
    g_loggedService = nullptr;
    g_currentService = nullptr;
    g_loggedService = direct ? WrapForTracing(*direct, branding) : nullptr;
    g_currentService = g_loggedService ? g_loggedService : direct;
    return g_currentService;
}

LoggerInit* StartedLogger() { return g_logger; }
TLSControl* StartedTLSControl() { return g_tlsControl; }
BrandingControl* StartedBrandingControl() { return g_brandingControl; }
StaticInitializationHelper* ExtraInitialization() { return g_extraInit; }
GenTLSrv* CurrentService() { return g_currentService; }

GenTLSrvDirect* StartedDirectService() { return dynamic_cast<GenTLSrvDirect*>(g_directService); }

}  // namespace GenTLCore
