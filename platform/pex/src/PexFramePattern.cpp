#include "PexFramePattern.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace platform::pex {

namespace {
constexpr uint32_t kPeriod = 1024;
constexpr uint32_t kSpeed = 4;
constexpr uint32_t kColourShift = 256;

void store(uint8_t* at, uint32_t elementBytes, uint32_t v)
{
    if (elementBytes == 1) {
        *at = uint8_t(v);
    } else {
        const uint16_t w = uint16_t(v);
        std::memcpy(at, &w, 2);
    }
}
}  // namespace

uint32_t PexFramePattern::value(uint32_t x, uint32_t y, uint64_t frame, uint32_t colour, uint32_t bits)
{
    const uint64_t phase = (uint64_t(x) + y + kSpeed * (frame % kPeriod) + kColourShift * colour) % kPeriod;
    return uint32_t((phase << bits) / kPeriod);
}

uint32_t PexFramePattern::outputWidth(const PexRenderJob& job)
{
    return job.decimationX ? std::max(1u, job.roiWidth / job.decimationX) : job.roiWidth;
}

uint32_t PexFramePattern::outputHeight(const PexRenderJob& job)
{
    return job.decimationY ? std::max(1u, job.roiHeight / job.decimationY) : job.roiHeight;
}

uint32_t PexFramePattern::render(const PexRenderJob& job)
{
    const uint32_t width = std::min(outputWidth(job), job.bufferWidth);
    const uint32_t height = std::min(outputHeight(job), job.bufferHeight);
    if (!job.data || width == 0 || height == 0)
        return 0;
    if (!renderFast(job, width, height))
        renderRows(job, width, height);
    return height;
}

// Mono pixels in their own size, neither decimated nor reversed: every row
// is a copy out of one precomputed line of the pattern.
bool PexFramePattern::renderFast(const PexRenderJob& job, uint32_t width, uint32_t height)
{
    const uint32_t elementBytes = job.bits > 8 ? 2 : 1;
    if (job.bands != 1 || job.bayer || job.bufferBands != 1 || job.bufferElementBytes != elementBytes ||
        job.decimationX != 1 || job.decimationY != 1 || job.reverseX || job.reverseY)
        return false;
    std::vector<uint8_t> line(size_t(kPeriod + width) * elementBytes);
    for (uint32_t k = 0; k < kPeriod + width; ++k)
        store(line.data() + size_t(k) * elementBytes, elementBytes, value(k % kPeriod, 0, 0, 0, job.bits));
    const uint64_t x0 = uint64_t(job.sensorX) + job.roiX + kSpeed * (job.frame % kPeriod);
    for (uint32_t y = 0; y < height; ++y) {
        const uint64_t start = (x0 + job.sensorY + job.roiY + y) % kPeriod;
        std::memcpy(job.data + job.pitch * y, line.data() + start * elementBytes, size_t(width) * elementBytes);
    }
    return true;
}

void PexFramePattern::renderRows(const PexRenderJob& job, uint32_t width, uint32_t height)
{
    const uint32_t outWidth = outputWidth(job);
    const uint32_t outHeight = outputHeight(job);
    const uint32_t maxValue = (1u << job.bits) - 1;
    const uint32_t outBands = job.convertBayer && job.bayer ? 3 : job.bands;
    for (uint32_t y = 0; y < height; ++y) {
        const uint32_t oy = job.reverseY ? outHeight - 1 - y : y;
        const uint32_t cy = job.roiY + oy * job.decimationY;  // row of the camera image
        uint8_t* row = job.data + job.pitch * y;
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t ox = job.reverseX ? outWidth - 1 - x : x;
            const uint32_t cx = job.roiX + ox * job.decimationX;
            uint32_t rgb[3];  // red, green, blue (or mono in [0])
            if (job.bayer && job.convertBayer) {
                const uint32_t bx = job.sensorX + (cx & ~1u);
                const uint32_t by = job.sensorY + (cy & ~1u);
                const uint32_t raw[3] = {value(bx, by, job.frame, 0, job.bits),
                                         value(bx + 1, by, job.frame, 1, job.bits),
                                         value(bx + 1, by + 1, job.frame, 2, job.bits)};
                for (int c = 0; c < 3; ++c)
                    rgb[c] = uint32_t(std::min<float>(float(maxValue), float(raw[c]) * job.coefficients[c]));
            } else if (job.bayer) {
                const uint32_t colour = (cx & 1) + (cy & 1);  // R, G, G, B
                rgb[0] = value(job.sensorX + cx, job.sensorY + cy, job.frame, colour, job.bits);
            } else {
                for (uint32_t c = 0; c < job.bands; ++c)
                    rgb[c] = value(job.sensorX + cx, job.sensorY + cy, job.frame, c, job.bits);
            }
            uint8_t* pixel = row + size_t(x) * job.bufferBands * job.bufferElementBytes;
            for (uint32_t b = 0; b < job.bufferBands; ++b) {
                // Colour buffers are packed blue, green, red.
                const uint32_t v = outBands == 3 ? rgb[2 - std::min(b, 2u)] : rgb[0];
                store(pixel + size_t(b) * job.bufferElementBytes, job.bufferElementBytes, v);
            }
        }
    }
}

}  // namespace platform::pex
