#include "TaggedRecord.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace GenTLCore {

namespace {

// The payload starts this far into the block: room for the tag, and the
// alignment malloc gives.
constexpr size_t kHeader = alignof(std::max_align_t);
static_assert(kHeader >= sizeof(int32_t), "header too small for the tag");

#ifdef GENTL_FAULT_INJECTION
std::atomic<int> g_failures{0};
std::atomic<int> g_skips{0};

// True when the test asked this allocation to fail.
bool InjectedFailure()
{
    if (g_failures.load() <= 0)
        return false;
    int skips = g_skips.load();
    while (skips > 0) {
        if (g_skips.compare_exchange_weak(skips, skips - 1))
            return false;
    }
    int pending = g_failures.load();
    while (pending > 0) {
        if (g_failures.compare_exchange_weak(pending, pending - 1))
            return true;
    }
    return false;
}
#endif

}  // namespace

void* TaggedRecord::Allocate(int32_t kind, size_t payloadSize)
{
#ifdef GENTL_FAULT_INJECTION
    if (InjectedFailure())
        return nullptr;
#endif
    unsigned char* block = static_cast<unsigned char*>(std::malloc(kHeader + payloadSize));
    if (!block)
        return nullptr;
    unsigned char* payload = block + kHeader;
    std::memcpy(payload - sizeof(int32_t), &kind, sizeof kind);
    return payload;
}

void TaggedRecord::Free(void* payload)
{
    if (!payload)
        return;
    std::free(static_cast<unsigned char*>(payload) - kHeader);
}

int32_t TaggedRecord::KindOf(const void* payload)
{
    if (!payload)
        return 0;
    int32_t kind;
    std::memcpy(&kind, static_cast<const unsigned char*>(payload) - sizeof(int32_t), sizeof kind);
    return kind;
}

#ifdef GENTL_FAULT_INJECTION
void TaggedRecord::FailNextAllocations(int count, int skip)
{
    g_skips.store(skip < 0 ? 0 : skip);
    g_failures.store(count < 0 ? 0 : count);
}
#endif

}  // namespace GenTLCore
