#pragma once

#include <cstdint>
#include <string>

namespace ztcam {

// Layout of one pixel format entry of the simulated cameras, derived from its
// entry text ("Mono 8", "Mono12", "RGB 8", "BGR8", ...).
struct PixelFormat {
    std::string name;
    uint8_t channels = 1;      // 1 mono, 3 colour
    uint8_t elementBytes = 1;  // bytes per sample
    uint8_t bits = 8;          // significant bits per sample

    // Parses an entry text; false for a text the simulator cannot produce.
    static bool fromName(const std::string& name, PixelFormat& out);
    uint32_t bytesPerPixel() const { return uint32_t(channels) * elementBytes; }
    uint32_t maxValue() const { return (1u << bits) - 1u; }
};

} // namespace ztcam
