#include "ProducerLoad.h"

#include "CallGate.h"
#include "ExportedService.h"
#include "GenTLSrvDirect.h"
#include "LastGenTLError.h"
#include "ModuleIds.h"
#include "ProducerStartup.h"
#include "TLSControl.h"

#include <atomic>
#include <cstddef>
#include <new>

namespace GenTLCore {

namespace {
CoreSingletonGuard* g_coreGuard = nullptr;

// Steps registered by the plug-in's load; a fixed table, so that
// registering never allocates inside the loader.
constexpr size_t kMaxUnloadSteps = 8;
void (*g_unloadSteps[kMaxUnloadSteps])() = {};
size_t g_unloadStepCount = 0;

// Tells an unload at the end of the process from an explicit one. The
// process's exit handlers run in the reverse order of their registration,
// and this object's destructor is one of them, registered at load; the
// loader unloads the producer after all of them. So the flag is set when
// the unload runs at the process's end, or from an exit handler registered
// before the load; it is clear for an unload by dlclose outside the exit
// handlers, or from one registered after the load, which runs before this
// object's destructor. (An explicit unload destroys the object only after
// the unload.)
std::atomic<bool> g_processExiting{false};
struct ExitWatch {
    ~ExitWatch() { g_processExiting.store(true); }
};
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
    static ExitWatch exitWatch;
    CallGate::Reset();
    InitCoreAtLoad();
    // Looked up now, while the loader runs the load: a call in flight must
    // not enter the loader, since an unload holds the loader's lock while it
    // waits for such calls.
    try {
        GetProducerPath();
    } catch (const std::bad_alloc&) {
    }
    SetExportedService(CreateGenTLService(table));
}

void ProducerLoad::Unload()
{
    if (g_processExiting.load()) {
        // The consumer unloads the producer from an exit handler that runs
        // after the process's end began: the file is unmapped, while threads
        // that still hold a last error may end later. Deleting the store's
        // key (libc only) keeps them from calling into the unmapped file;
        // nothing else is torn down. The hook that the error tracker
        // registered in the imaging library stays registered, so only an
        // error that library raises later in this exit could reach it.
        if (TLSControl* store = StartedTLSControl())
            store->DeleteKey();
        return;
    }
    // No call may start, and none may still run, while the producer is torn
    // down and its file unmapped; nor may a thread that ends later reach
    // what the unload frees.
    CallGate::ShutForUnload();
    if (GenTLSrvDirect* direct = StartedDirectService())
        direct->EndCallsInFlight();
    else
        CallGate::AwaitOthers();
    // Calls that come after this (a consumer's own shut-down) find no
    // service instead of a deleted one.
    SetExportedService(nullptr);
    while (g_unloadStepCount > 0)
        g_unloadSteps[--g_unloadStepCount]();
    DllMainHook(nullptr, PROCESS_DETACH, nullptr);
    delete g_coreGuard;
    g_coreGuard = nullptr;
}

void ProducerLoad::AtUnload(void (*step)())
{
    if (step && g_unloadStepCount < kMaxUnloadSteps)
        g_unloadSteps[g_unloadStepCount++] = step;
}

int32_t ProducerLoad::DllMainHook(void*, uint32_t reason, void*)
{
    if (reason == PROCESS_DETACH || reason == THREAD_DETACH)
        ReleaseThreadLastError();
    return 1;
}

}  // namespace GenTLCore
