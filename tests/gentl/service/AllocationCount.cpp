#include "AllocationCount.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<long> g_allocations{0};

void* Allocate(size_t size) noexcept
{
    ++g_allocations;
    return std::malloc(size ? size : 1);
}

void* AllocateOrThrow(size_t size)
{
    if (void* p = Allocate(size))
        return p;
    throw std::bad_alloc();
}

}  // namespace

long AllocationCount() { return g_allocations.load(); }

// The binary's allocation functions, every unaligned form: malloc and free,
// counted. (A sanitizer runtime's own forms must not mix with these.)
void* operator new(size_t size) { return AllocateOrThrow(size); }
void* operator new[](size_t size) { return AllocateOrThrow(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }
