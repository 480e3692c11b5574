#pragma once
// Plain wall-clock timing for the baselines the benchmarks print ratios to.

#include <chrono>
#include <functional>

// Mean seconds of one call of `work` over `reps` calls.
inline double secondsPer(int reps, const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < reps; ++i)
        work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / reps;
}
