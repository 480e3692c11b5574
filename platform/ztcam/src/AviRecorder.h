#pragma once

#include "ImageView.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace ztcam {

// Uncompressed AVI ("DIB ") of 8-bit gray (with a gray palette) or 24-bit
// colour frames. The frame size is fixed when the file is opened; headers
// and the index are completed by close().
class AviRecorder {
public:
    // Stays below the 4 GiB limit of a RIFF file.
    static constexpr uint64_t kMaxFileBytes = 0xFFF00000ull;

    AviRecorder() = default;
    ~AviRecorder();
    AviRecorder(const AviRecorder&) = delete;
    AviRecorder& operator=(const AviRecorder&) = delete;

    bool open(const std::string& path, uint32_t width, uint32_t height, uint32_t channels, float frameRate);
    // The frame must have the geometry given to open().
    bool append(const ImageView& frame);
    bool close();
    bool isOpen() const { return file_ != nullptr; }
    uint32_t frameCount() const { return uint32_t(index_.size()); }

private:
    bool writeHeaders();

    std::FILE* file_ = nullptr;
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    uint32_t channels_ = 1;
    uint32_t rate_ = 25000;  // frames per 1000 s
    uint32_t frameBytes_ = 0;
    uint64_t moviStart_ = 0;  // position of the "movi" fourcc
    uint64_t written_ = 0;
    struct IndexEntry {
        uint32_t offset;
        uint32_t size;
    };
    std::vector<IndexEntry> index_;
    std::vector<uint8_t> scratch_;
};

} // namespace ztcam
