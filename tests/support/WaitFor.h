#pragma once
// Waiting in a test for what another thread brings about.

#include <chrono>
#include <functional>
#include <thread>

namespace lumatest {

// How long a wait goes on before the test calls it a hang, unless it says.
constexpr int kWaitLimitMs = 10000;

// What a wait does between two checks unless told otherwise: sleep briefly.
inline void sleepBetweenChecks()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
}

// Checks `done` until it holds, running `between` after every failed check,
// and gives up after `timeoutMs` (a guard against a hang, never a measure of
// speed). Returns whether `done` held. A test whose condition needs its own
// thread to work meanwhile (an event loop to deliver queued signals) passes
// that work as `between`.
inline bool waitFor(const std::function<bool()>& done, int timeoutMs = kWaitLimitMs,
                    const std::function<void()>& between = sleepBetweenChecks)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        between();
    }
    return true;
}

}  // namespace lumatest
