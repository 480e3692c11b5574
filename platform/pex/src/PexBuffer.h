#pragma once
#include "platform/pex/Pex.h"

#include <cstdint>
#include <memory>

namespace platform::pex {

// A library buffer: an image (1 or 3 packed bands of 8 or 16 bits) or a
// one-dimensional array, in contiguous host memory.
struct PexBuffer {
    // Frees an allocated buffer; with its system (autoFree) the id is
    // remembered so that a later free of it raises nothing. False for an
    // unknown id.
    static bool release(PEX_ID id, bool autoFree);

    PEX_ID id = 0;
    PEX_ID system = 0;
    int64_t bands = 1;
    int64_t width = 0;
    int64_t height = 1;
    int64_t type = 8;  // bits per element; 0x48000020 float32 for arrays
    int64_t attribute = 0;
    int64_t elementBytes = 1;
    int64_t pitch = 0;
    int64_t bytes = 0;
    std::unique_ptr<uint8_t[]> memory;
    uint8_t* data = nullptr;  // aligned start in memory
    bool busy = false;        // a grab into it is running
    bool freeing = false;

    int64_t formatCode() const;
    int64_t pixelFormat() const;
};

}  // namespace platform::pex
