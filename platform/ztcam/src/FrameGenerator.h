#pragma once

#include "PixelFormat.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ztcam {

// Deterministic moving test pattern: diagonal saw-tooth stripes that move by
// a few pixels per frame. Each row is one copy out of a precomputed ramp, so a
// frame costs about as much as a memcpy of its bytes.
class FrameGenerator {
public:
    static constexpr uint32_t kPeriod = 512;  // pixels per saw-tooth
    static constexpr uint32_t kSpeed = 4;     // pixels per frame

    void configure(uint32_t width, uint32_t height, const PixelFormat& format);
    uint32_t width() const { return width_; }
    uint32_t height() const { return height_; }
    const PixelFormat& format() const { return format_; }
    uint32_t rowBytes() const { return width_ * format_.bytesPerPixel(); }
    uint32_t imageSize() const { return rowBytes() * height_; }

    // Writes frame frameNumber into dst, at most capacity bytes; with
    // timeStamp the first 8 bytes carry the frame number (little-endian).
    void fill(uint8_t* dst, size_t capacity, uint64_t frameNumber, bool hflip, bool vflip,
              bool timeStamp) const;
    // Sample of one channel at (x, y) of frame frameNumber (as fill writes it,
    // time stamp not included).
    uint32_t sample(uint32_t x, uint32_t y, uint32_t channel, uint64_t frameNumber, bool hflip,
                    bool vflip) const;

private:
    uint32_t rampValue(int64_t k, uint32_t channel) const;

    uint32_t width_ = 0;
    uint32_t height_ = 0;
    PixelFormat format_;
    std::vector<uint8_t> forward_;   // pixel k: value at phase k
    std::vector<uint8_t> backward_;  // pixel k: value at phase -k
};

} // namespace ztcam
