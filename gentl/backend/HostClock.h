#pragma once
#include <cstdint>

namespace GenTLCore {
namespace PEXCore {

// Ticks per second of the host's high-resolution counter (the monotonic
// clock in nanoseconds on this platform).
uint64_t PerformanceCounterFrequency();

}  // namespace PEXCore
}  // namespace GenTLCore
