#include "platform/services/CvnServices.h"

#include <atomic>

namespace {

// The handle of the open services; the value has no meaning beyond being
// non-zero and stable for the life of the process.
constexpr uint64_t kServicesHandle = 0x5E000001ull;

std::atomic<int32_t> g_openCount{0};

}  // namespace

extern "C" {

uint64_t CvnServicesOpen(void)
{
    g_openCount.fetch_add(1);
    return kServicesHandle;
}

void CvnServicesClose(void)
{
    int32_t n = g_openCount.load();
    while (n > 0 && !g_openCount.compare_exchange_weak(n, n - 1)) {
    }
}

int32_t CvnServicesTestOpenCount(void) { return g_openCount.load(); }

}  // extern "C"
