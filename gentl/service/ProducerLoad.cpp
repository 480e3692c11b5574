#include "ProducerLoad.h"

#include "ExportedService.h"
#include "LastGenTLError.h"
#include "ProducerStartup.h"

#include <new>

namespace GenTLCore {

namespace {
CoreSingletonGuard* g_coreGuard = nullptr;
}  // namespace

void ProducerLoad::InitCoreAtLoad()
{
    // This runs inside the loader: a refused allocation must not end the
    // consumer's process. Without the guard there are no singletons, so no
    // service is made and every export answers that it is not initialised.
    if (!g_coreGuard)
        g_coreGuard = new (std::nothrow) CoreSingletonGuard();
}

void ProducerLoad::Load(const ProducerFactoryTable& table)
{
    InitCoreAtLoad();
    SetExportedService(CreateGenTLService(table));
}

void ProducerLoad::Unload()
{
    // Calls that come after this (a consumer's own shut-down) find no
    // service instead of a deleted one.
    SetExportedService(nullptr);
    DllMainHook(nullptr, PROCESS_DETACH, nullptr);
    delete g_coreGuard;
    g_coreGuard = nullptr;
}

int32_t ProducerLoad::DllMainHook(void*, uint32_t reason, void*)
{
    if (reason == PROCESS_DETACH || reason == THREAD_DETACH)
        ReleaseThreadLastError();
    return 1;
}

}  // namespace GenTLCore
