#pragma once

#include <cstdint>

// The rates at which the writers of this process last got large files onto
// each device, one way and the other: through the page cache, or straight
// from the file buffer to the disk. Shared by the writer threads of all
// slots; a rate of 0 is one not seen yet.
class WriteRates
{
public:
    struct Rates {
        double cached = 0;  // bytes per second
        double direct = 0;
        bool directRefused = false;  // the device or its file system takes no direct writes
    };

    static Rates Of(uint64_t device);
    static void NoteCached(uint64_t device, double rate);
    static void NoteDirect(uint64_t device, double rate);
    static void RefuseDirect(uint64_t device);
};
