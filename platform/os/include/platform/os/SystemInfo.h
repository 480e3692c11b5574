#pragma once
#include <cstdint>
#include <string>

namespace platform::os {

struct PhysicalMemory {
    uint64_t totalBytes = 0;
    uint64_t availableBytes = 0;
};

// Total and available physical memory; false if the system does not tell.
bool physicalMemory(PhysicalMemory* out);

// The current working directory, or an empty text on failure.
std::string currentDirectory();

void sleepMs(uint32_t ms);

// A monotonic high-resolution counter and its ticks per second.
uint64_t highResCounter();
uint64_t highResFrequency();

}  // namespace platform::os
