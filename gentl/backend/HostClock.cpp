#include "HostClock.h"

namespace GenTLCore {
namespace PEXCore {

// The host counter of this platform is CLOCK_MONOTONIC, read in nanoseconds.
uint64_t PerformanceCounterFrequency() { return 1000000000ull; }

}  // namespace PEXCore
}  // namespace GenTLCore
