#pragma once

#include "PixelFormat.h"
#include "ToneCurve.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace ztcam {

// Deterministic moving test pattern: diagonal saw-tooth stripes that move by
// a few pixels per frame. Each row is one copy out of a precomputed ramp, so a
// frame costs about as much as a memcpy of its bytes. A tone curve is applied
// to the ramp, not to the frame: a new curve costs one pass over the ramp.
class FrameGenerator {
public:
    static constexpr uint32_t kPeriod = 512;  // pixels per saw-tooth
    static constexpr uint32_t kSpeed = 4;     // pixels per frame

    // New geometry and format; the tone curve goes back to the identity.
    void configure(uint32_t width, uint32_t height, const PixelFormat& format);
    // Renders the following frames through the curve of s (its depth is the
    // format's); does nothing when that curve is already in use.
    void setToneCurve(ToneCurve::Settings s);
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
    // The samples of frame frameNumber, before the tone curve, below which
    // lie lowPercent and highPercent of all its samples (all channels). Flips
    // do not change them.
    void percentiles(uint64_t frameNumber, uint32_t lowPercent, uint32_t highPercent, uint32_t& low,
                     uint32_t& high) const;

private:
    uint32_t rampValue(int64_t k, uint32_t channel) const;
    void renderRamps();

    uint32_t width_ = 0;
    uint32_t height_ = 0;
    PixelFormat format_;
    std::vector<uint8_t> forward_;   // pixel k: value at phase k
    std::vector<uint8_t> backward_;  // pixel k: value at phase -k
    ToneCurve curve_;
    std::vector<uint8_t> renderedForward_;   // the ramps through curve_;
    std::vector<uint8_t> renderedBackward_;  // empty for the identity
};

} // namespace ztcam
