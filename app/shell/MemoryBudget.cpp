#include "MemoryBudget.h"

#include <algorithm>

namespace MemoryBudget {

namespace {

constexpr uint64_t kGiB = 0x40000000ull;

}  // namespace

double perCamera(uint64_t availableBytes, int cameras, bool stackSave)
{
    const int n = std::max(1, cameras);
    double budget = 0.0;
    if (availableBytes > 13 * kGiB)
        budget = static_cast<double>((availableBytes - 8 * kGiB) / static_cast<uint64_t>(n));
    else
        budget = static_cast<double>(availableBytes) * 0.7 / n;
    if (stackSave)
        budget /= 2.0;
    return budget;
}

int64_t ringLimit(double budgetBytes, int64_t largestRingBytes, int64_t frameBytes)
{
    const double frame = static_cast<double>(std::max<int64_t>(1, frameBytes));
    const double total = std::max(0.0, budgetBytes + static_cast<double>(std::max<int64_t>(0, largestRingBytes)));
    const int64_t limit = static_cast<int64_t>(total / frame);
    return std::max<int64_t>(4, limit);
}

int64_t stackLimit(uint64_t availableBytes, int64_t frameBytes, int frames, int saveFormat)
{
    const int64_t frame = std::max<int64_t>(1, frameBytes);
    double budget = (saveFormat & 3) == 3 ? static_cast<double>(availableBytes) / 2.0 * 0.6
                                          : static_cast<double>(availableBytes) * 0.7;
    budget = std::min(budget, static_cast<double>(4 * kGiB));
    int64_t bytes = static_cast<int64_t>(budget);
    if (saveFormat & 2) {
        const int64_t fits = bytes / frame;
        bytes = std::max<int64_t>(0, bytes - fits * 162 - 8);
    }
    return std::min<int64_t>(bytes / frame, frames);
}

}  // namespace MemoryBudget
