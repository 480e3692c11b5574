#pragma once

#include <cstddef>
#include <cstdint>

namespace platform::pex {

// One frame to draw into a library buffer: where the camera's image lies on
// the sensor, what the digitizer does with it, and the buffer.
struct PexRenderJob {
    // Camera.
    uint32_t sensorX = 0;  // sensor column of the camera image's first pixel
    uint32_t sensorY = 0;
    uint32_t bits = 8;     // significant bits of the camera's pixels
    uint32_t bands = 1;    // 1 mono or Bayer, 3 RGB
    bool bayer = false;    // RG colour filter on the camera's pixels
    uint64_t frame = 0;
    // Digitizer.
    uint32_t roiX = 0;
    uint32_t roiY = 0;
    uint32_t roiWidth = 0;
    uint32_t roiHeight = 0;
    uint32_t decimationX = 1;
    uint32_t decimationY = 1;
    bool reverseX = false;
    bool reverseY = false;
    bool convertBayer = false;
    float coefficients[3] = {1.0f, 1.0f, 1.0f};  // red, green, blue
    // Buffer.
    uint8_t* data = nullptr;
    uint32_t bufferWidth = 0;
    uint32_t bufferHeight = 0;
    uint32_t bufferBands = 1;
    uint32_t bufferElementBytes = 1;
    size_t pitch = 0;
};

// The moving pattern of the simulated cameras and its drawing. Pixel
// (x, y) of the sensor in frame n shows, for colour c (0 red or mono,
// 1 green, 2 blue), phase p = (x + y + 4 n + 256 c) mod 1024 scaled to the
// pixel's bits: p * 2^bits / 1024.
class PexFramePattern {
public:
    static uint32_t value(uint32_t x, uint32_t y, uint64_t frame, uint32_t colour, uint32_t bits);

    // Width and height after ROI and decimation.
    static uint32_t outputWidth(const PexRenderJob& job);
    static uint32_t outputHeight(const PexRenderJob& job);
    // Draws the frame, clipped to the buffer; returns the lines written.
    static uint32_t render(const PexRenderJob& job);

private:
    static void renderRows(const PexRenderJob& job, uint32_t width, uint32_t height);
    static bool renderFast(const PexRenderJob& job, uint32_t width, uint32_t height);
};

}  // namespace platform::pex
