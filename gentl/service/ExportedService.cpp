#include "ExportedService.h"

#include "LastGenTLError.h"

#include <atomic>

namespace GenTLCore {

namespace {
std::atomic<GenTLSrv*> g_exportedService{nullptr};
}  // namespace

GenTLSrv* ExportedService() { return g_exportedService.load(std::memory_order_acquire); }

void SetExportedService(GenTLSrv* service) { g_exportedService.store(service, std::memory_order_release); }

GC_ERROR UnexpectedExceptionResult() noexcept
{
    try {
        SetLastGenTLError(GC_ERR_ERROR, "Internal error: unexpected exception in a GenTL call");
    } catch (...) {
    }
    return GC_ERR_ERROR;
}

GC_ERROR OutOfMemoryResult() noexcept
{
    try {
        SetLastGenTLError(GC_ERR_OUT_OF_MEMORY, "Internal error: out of memory in a GenTL call");
    } catch (...) {
    }
    return GC_ERR_OUT_OF_MEMORY;
}

}  // namespace GenTLCore
