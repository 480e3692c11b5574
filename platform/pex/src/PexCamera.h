#pragma once

#include "PexSimConfig.h"

#include <cstdint>
#include <string>

namespace platform::pex {

// Pixel formats the simulated camera offers and what the digitizer makes of
// them.
struct PexPixelFormat {
    const char* name;
    uint32_t pfnc;
    uint32_t bytes;  // per pixel on the link
    uint32_t bits;   // significant bits per element
    uint32_t bands;  // 1, or 3 for RGB
    bool bayer;      // RG colour filter

    static const PexPixelFormat* byName(const std::string& name);
    static const PexPixelFormat* byCode(uint32_t pfnc);
};

// The camera behind one digitizer: its register space, its GenApi
// description and the timing of its frames. Every member is used under the
// library's lock.
class PexCamera {
public:
    PexCamera(const PexCameraConfig& config, const std::string& serial);

    const PexCameraConfig& config() const { return m_config; }
    const std::string& description() const { return m_description; }
    const std::string& serial() const { return m_serial; }
    const std::string& userId() const { return m_userId; }
    // "local:<model>.xml;<address>;<length>", hexadecimal, lower case.
    std::string manifestUrl() const;

    // false and a reason when the address range is unmapped or the access
    // is not allowed.
    bool read(uint64_t address, uint64_t size, uint8_t* data, std::string* why) const;
    bool write(uint64_t address, uint64_t size, const uint8_t* data, std::string* why, double now);

    uint32_t width() const { return m_width; }
    uint32_t height() const { return m_height; }
    uint32_t offsetX() const { return m_offsetX; }
    uint32_t offsetY() const { return m_offsetY; }
    const PexPixelFormat& format() const { return *m_format; }
    uint64_t payloadSize() const { return uint64_t(m_width) * m_height * m_format->bytes; }
    bool acquiring() const { return m_acquiring; }
    uint64_t frameCounter() const { return m_frameCounter; }
    int64_t missed() const { return m_missed; }
    void resetMissed() { m_missed = 0; }
    double frameRate() const { return m_frameRate; }

    void startAcquisition(double now);

    // For a grab waiting at `now`: true and the frame's number when a frame
    // is there (earlier frames that no grab waited for count as missed);
    // otherwise false and the time the next frame is due, later than `now`
    // and the time from which it is there (0: not before the acquisition
    // starts).
    bool takeFrame(double now, uint64_t* frame, double* due);

private:
    uint32_t readInt(uint64_t address) const;

    PexCameraConfig m_config;
    std::string m_serial;
    std::string m_userId;
    std::string m_description;
    uint32_t m_width;
    uint32_t m_height;
    uint32_t m_offsetX = 0;
    uint32_t m_offsetY = 0;
    const PexPixelFormat* m_format;
    uint32_t m_mode = 0;  // 0 continuous, 1 single frame, 2 multi frame
    uint32_t m_frameCount = 1;
    double m_frameRate;
    double m_exposure = 1000.0;
    uint32_t m_locked = 0;

    bool m_acquiring = false;
    double m_start = 0.0;
    uint64_t m_produced = 0;  // frames since the acquisition started
    uint64_t m_frameCounter = 0;
    int64_t m_missed = 0;
};

}  // namespace platform::pex
