#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ztcam {

// Pixels of one frame as the file writers read them.
struct ImageView {
    const uint8_t* pixels = nullptr;
    uint32_t width = 0;
    uint32_t height = 0;
    uint32_t stride = 0;        // bytes per row
    uint32_t channels = 1;      // 1 or 3
    uint32_t elementBytes = 1;  // 1 or 2 (little-endian)
    uint32_t bits = 8;          // significant bits of a sample
    bool bgrOrder = false;      // colour samples stored B, G, R

    uint32_t packedRowBytes() const { return width * channels * elementBytes; }
    bool valid() const
    {
        return pixels && width > 0 && height > 0 && (channels == 1 || channels == 3) &&
               (elementBytes == 1 || elementBytes == 2) && stride >= packedRowBytes() && bits >= 1 &&
               bits <= 8 * elementBytes;
    }
    // 8 bits per sample, rows packed, colour in R, G, B order; 16-bit samples
    // are shifted right by (bits - 8).
    std::vector<uint8_t> to8Bit() const;
};

} // namespace ztcam
