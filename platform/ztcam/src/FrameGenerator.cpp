#include "FrameGenerator.h"

#include <algorithm>
#include <cstring>

namespace ztcam {

uint32_t FrameGenerator::rampValue(int64_t k, uint32_t channel) const
{
    int64_t phase = (k + int64_t(channel) * (kPeriod / 3)) % int64_t(kPeriod);
    if (phase < 0)
        phase += kPeriod;
    uint64_t range = uint64_t(format_.maxValue()) + 1;
    return uint32_t(uint64_t(phase) * range / kPeriod);
}

void FrameGenerator::configure(uint32_t width, uint32_t height, const PixelFormat& format)
{
    width_ = width;
    height_ = height;
    format_ = format;
    const uint32_t bpp = format.bytesPerPixel();
    const size_t pixels = size_t(width) + kPeriod;
    forward_.assign(pixels * bpp, 0);
    backward_.assign(pixels * bpp, 0);
    for (size_t k = 0; k < pixels; ++k) {
        for (uint32_t c = 0; c < format.channels; ++c) {
            uint32_t f = rampValue(int64_t(k), c);
            uint32_t b = rampValue(-int64_t(k), c);
            size_t at = k * bpp + size_t(c) * format.elementBytes;
            if (format.elementBytes == 1) {
                forward_[at] = uint8_t(f);
                backward_[at] = uint8_t(b);
            } else {
                forward_[at] = uint8_t(f);
                forward_[at + 1] = uint8_t(f >> 8);
                backward_[at] = uint8_t(b);
                backward_[at + 1] = uint8_t(b >> 8);
            }
        }
    }
}

void FrameGenerator::fill(uint8_t* dst, size_t capacity, uint64_t frameNumber, bool hflip, bool vflip,
                          bool timeStamp) const
{
    if (!dst || width_ == 0 || height_ == 0)
        return;
    const uint32_t bpp = format_.bytesPerPixel();
    const size_t row = rowBytes();
    const uint64_t move = (frameNumber % kPeriod) * kSpeed;
    size_t written = 0;
    for (uint32_t y = 0; y < height_ && written < capacity; ++y) {
        const uint64_t yy = vflip ? height_ - 1 - y : y;
        const uint8_t* src;
        if (!hflip) {
            src = forward_.data() + ((yy + move) % kPeriod) * bpp;
        } else {
            const uint64_t c = (uint64_t(width_) - 1 + yy + move) % kPeriod;
            src = backward_.data() + ((kPeriod - c) % kPeriod) * bpp;
        }
        const size_t n = std::min(row, capacity - written);
        std::memcpy(dst + written, src, n);
        written += n;
    }
    if (timeStamp && capacity >= 8) {
        for (int i = 0; i < 8; ++i)
            dst[i] = uint8_t(frameNumber >> (8 * i));
    }
}

uint32_t FrameGenerator::sample(uint32_t x, uint32_t y, uint32_t channel, uint64_t frameNumber, bool hflip,
                                bool vflip) const
{
    if (x >= width_ || y >= height_ || channel >= format_.channels)
        return 0;
    const uint64_t move = (frameNumber % kPeriod) * kSpeed;
    const int64_t xx = hflip ? int64_t(width_) - 1 - x : x;
    const int64_t yy = vflip ? int64_t(height_) - 1 - y : y;
    return rampValue(xx + yy + int64_t(move), channel);
}

} // namespace ztcam
