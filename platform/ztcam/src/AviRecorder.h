#pragma once

#include "ImageView.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ztcam {

// Uncompressed AVI ("DIB ") of 8-bit gray (with a gray palette) or 24-bit
// colour frames. The frame size is fixed when the file is opened; headers
// and the index are completed by close(). The file is written under its
// name as the frames come, so that a recording cut off before close() (the
// program ended) still holds the frames written until then. open() makes a
// new file: a name already taken fails it with EEXIST.
//
// A frame that cannot be written whole is taken back: the file is cut to the
// frames before it, so that close() can still complete the headers and the
// index over every frame written and the file plays up to its last whole
// frame. A failed open(), append() or close() leaves the cause in lastError()
// (an errno value; 0 when the system gave none).
class AviRecorder {
public:
    // Stays below the 4 GiB limit of a RIFF file.
    static constexpr uint64_t kMaxFileBytes = 0xFFF00000ull;

    // Video writes failing on demand, for tests (ZTCamSim_FailVideoWrites).
    // With error 0 nothing fails. Otherwise framesWritten < 0 makes every
    // open fail without a file; framesWritten >= 0 lets each recording write
    // that many frames, after which every append fails as on a full disk,
    // having written part of its frame. Failing calls report error.
    struct WriteFault {
        int framesWritten = -1;
        int error = 0;
    };
    static void setWriteFault(const WriteFault& fault);

    AviRecorder() = default;
    ~AviRecorder();
    AviRecorder(const AviRecorder&) = delete;
    AviRecorder& operator=(const AviRecorder&) = delete;

    bool open(const std::string& path, uint32_t width, uint32_t height, uint32_t channels, float frameRate);
    // The frame must have the geometry given to open().
    bool append(const ImageView& frame);
    bool close();
    bool isOpen() const { return fd_ >= 0; }
    uint32_t frameCount() const { return uint32_t(index_.size()); }
    int lastError() const { return error_; }

private:
    bool writeHeaders();
    // Writes size bytes at offset; false (with error_ set) unless all were written.
    bool writeAt(uint64_t offset, const void* data, size_t size);
    bool fail(int error);

    int fd_ = -1;
    int error_ = 0;
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    uint32_t channels_ = 1;
    uint32_t rate_ = 25000;  // frames per 1000 s
    uint32_t frameBytes_ = 0;
    uint64_t moviStart_ = 0;  // position of the "movi" fourcc
    uint64_t written_ = 0;    // end of the last whole chunk
    struct IndexEntry {
        uint32_t offset;
        uint32_t size;
    };
    std::vector<IndexEntry> index_;
    std::vector<uint8_t> scratch_;
};

} // namespace ztcam
