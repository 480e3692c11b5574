#pragma once
// The bare thread hand-off that stream benchmarks compare their per-buffer
// cost with, and the timing helpers they share.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

inline void KeepBest(double* best, double value) { *best = *best > 0 ? std::min(*best, value) : value; }

inline double NsPerItem(std::chrono::steady_clock::time_point start, benchmark::State& state)
{
    const double ns = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
    return state.iterations() > 0 ? ns / static_cast<double>(state.iterations()) : 0;
}

// One token handed to a second thread and back per iteration; the best
// nanoseconds per hand-off go to *bestNs.
inline void RunHandOff(benchmark::State& state, double* bestNs)
{
    std::mutex mutex;
    std::condition_variable changed;
    int token = 0;  // 1: with the partner, 2: back, -1: stop
    std::thread partner([&] {
        std::unique_lock<std::mutex> lock(mutex);
        while (true) {
            changed.wait(lock, [&] { return token == 1 || token == -1; });
            if (token == -1)
                return;
            token = 2;
            changed.notify_all();
        }
    });
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        std::unique_lock<std::mutex> lock(mutex);
        token = 1;
        changed.notify_all();
        changed.wait(lock, [&] { return token == 2; });
    }
    KeepBest(bestNs, NsPerItem(start, state));
    {
        std::lock_guard<std::mutex> lock(mutex);
        token = -1;
        changed.notify_all();
    }
    partner.join();
}
