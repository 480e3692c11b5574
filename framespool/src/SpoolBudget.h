#pragma once

#include <cstdint>
#include <mutex>

// The memory every slot's file buffers come out of: 70 % of the physical
// memory free when the first ring of the process (or the first after all
// were freed) is built, shared by the eight slots. A buffer is counted with
// its bookkeeping, rounded up to whole pages.
class SpoolBudget
{
public:
    // Most buffers one slot's ring holds, whatever the memory allows.
    static constexpr int64_t kMaxBuffersPerSlot = 8;

    static SpoolBudget& Instance();

    // Bytes one buffer of bufferBytes takes from the budget.
    static int64_t Cost(int64_t bufferBytes);

    // Takes up to wanted buffers of bufferBytes (at most kMaxBuffersPerSlot)
    // from the budget; returns how many were granted, 0 when none fits.
    // fit receives how many would fit the free budget.
    int64_t Reserve(int64_t bufferBytes, int64_t wanted, int64_t* fit);
    void Release(int64_t bufferBytes, int64_t buffers);

private:
    SpoolBudget() = default;
    static int64_t AvailableBytes();

    std::mutex m_lock;
    int64_t m_limit = 0;     // bytes, fixed while anything is reserved
    int64_t m_reserved = 0;  // bytes
};
