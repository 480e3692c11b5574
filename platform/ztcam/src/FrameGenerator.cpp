#include "FrameGenerator.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace ztcam {

namespace {

void store(uint8_t* at, uint32_t v, uint32_t elementBytes)
{
    at[0] = uint8_t(v);
    if (elementBytes == 2)
        at[1] = uint8_t(v >> 8);
}

uint32_t load(const uint8_t* at, uint32_t elementBytes)
{
    return elementBytes == 2 ? uint32_t(at[0]) | uint32_t(at[1]) << 8 : at[0];
}

}  // namespace

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
            store(&forward_[at], f, format.elementBytes);
            store(&backward_[at], b, format.elementBytes);
        }
    }
    ToneCurve::Settings identity;
    identity.bits = format.bits;
    identity.right = identity.maxValue();
    curve_.build(identity);
    renderRamps();
}

void FrameGenerator::setToneCurve(ToneCurve::Settings s)
{
    s.bits = format_.bits;
    if (s == curve_.settings())
        return;
    curve_.build(s);
    renderRamps();
}

void FrameGenerator::renderRamps()
{
    renderedForward_.clear();
    renderedBackward_.clear();
    if (curve_.isIdentity())
        return;
    renderedForward_ = forward_;
    renderedBackward_ = backward_;
    const uint32_t step = format_.elementBytes;
    for (size_t at = 0; at + step <= forward_.size(); at += step) {
        store(&renderedForward_[at], curve_.map(load(&forward_[at], step)), step);
        store(&renderedBackward_[at], curve_.map(load(&backward_[at], step)), step);
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
    const uint8_t* forward = renderedForward_.empty() ? forward_.data() : renderedForward_.data();
    const uint8_t* backward = renderedBackward_.empty() ? backward_.data() : renderedBackward_.data();
    size_t written = 0;
    for (uint32_t y = 0; y < height_ && written < capacity; ++y) {
        const uint64_t yy = vflip ? height_ - 1 - y : y;
        const uint8_t* src;
        if (!hflip) {
            src = forward + ((yy + move) % kPeriod) * bpp;
        } else {
            const uint64_t c = (uint64_t(width_) - 1 + yy + move) % kPeriod;
            src = backward + ((kPeriod - c) % kPeriod) * bpp;
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
    return curve_.map(rampValue(xx + yy + int64_t(move), channel));
}

void FrameGenerator::percentiles(uint64_t frameNumber, uint32_t lowPercent, uint32_t highPercent, uint32_t& low,
                                 uint32_t& high) const
{
    low = 0;
    high = format_.maxValue();
    if (width_ == 0 || height_ == 0)
        return;
    // Row y shows the phases y + move ... y + move + width - 1 of the ramp:
    // whole periods plus a run of the rest, counted as differences.
    const uint64_t move = (frameNumber % kPeriod) * kSpeed;
    const uint64_t rest = width_ % kPeriod;
    std::array<int64_t, kPeriod + 1> diff{};
    for (uint32_t y = 0; y < height_; ++y) {
        const uint64_t start = (y + move) % kPeriod;
        const uint64_t end = start + rest;
        ++diff[start];
        if (end <= kPeriod) {
            --diff[end];
        } else {
            --diff[kPeriod];
            ++diff[0];
            --diff[end - kPeriod];
        }
    }
    const uint64_t whole = uint64_t(width_ / kPeriod) * height_;
    std::vector<std::pair<uint32_t, uint64_t>> counts;  // sample, how often
    counts.reserve(size_t(kPeriod) * format_.channels);
    int64_t run = 0;
    for (uint32_t phase = 0; phase < kPeriod; ++phase) {
        run += diff[phase];
        for (uint32_t c = 0; c < format_.channels; ++c)
            counts.emplace_back(rampValue(phase, c), whole + uint64_t(run));
    }
    std::sort(counts.begin(), counts.end());
    const uint64_t total = uint64_t(width_) * height_ * format_.channels;
    uint64_t below = 0;
    bool lowFound = false;
    for (const auto& [value, count] : counts) {
        below += count;
        if (!lowFound && below * 100 > total * lowPercent) {
            low = value;
            lowFound = true;
        }
        if (below * 100 > total * highPercent) {
            high = value;
            break;
        }
    }
}

} // namespace ztcam
