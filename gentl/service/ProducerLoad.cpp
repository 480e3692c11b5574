#include "ProducerLoad.h"

#include "ExportedService.h"
#include "LastGenTLError.h"
#include "ProducerStartup.h"

namespace GenTLCore {

namespace {
CoreSingletonGuard* g_coreGuard = nullptr;
}  // namespace

void ProducerLoad::InitCoreAtLoad()
{
    if (!g_coreGuard)
        g_coreGuard = new CoreSingletonGuard();
}

void ProducerLoad::Load()
{
    InitCoreAtLoad();
    const ProducerFactoryTable table{};
    SetExportedService(CreateGenTLService(table));
}

void ProducerLoad::Unload()
{
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
