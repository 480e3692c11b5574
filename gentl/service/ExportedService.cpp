#include "ExportedService.h"

#include <atomic>

namespace GenTLCore {

namespace {
std::atomic<GenTLSrv*> g_exportedService{nullptr};
}  // namespace

GenTLSrv* ExportedService() { return g_exportedService.load(std::memory_order_acquire); }

void SetExportedService(GenTLSrv* service) { g_exportedService.store(service, std::memory_order_release); }

}  // namespace GenTLCore
