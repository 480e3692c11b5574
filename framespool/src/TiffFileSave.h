#pragma once

#include "FileSave.h"

// Classic little-endian multi-page TIFF: an 8-byte header, then per page the
// pixels of one uncompressed strip followed directly by the page's IFD.
class TiffFileSave : public FileSave
{
public:
    static constexpr int kIfdBytes = 162;     // entry count, 13 entries, next-IFD offset
    static constexpr int kHeaderBytes = 8;
    static constexpr int32_t kMaxShortValue = 0xFFFF;

    TiffFileSave(const std::string& path, int32_t width, int32_t height, int32_t channels, int32_t bitsPerSample,
                 int32_t framesPerFile, int32_t fileCount);

    // Bytes of a whole file in checked 64-bit arithmetic; 0 for an empty
    // geometry, -1 when the size does not fit 64 bits.
    static int64_t FileBytes(int64_t frameBytes, int32_t framesPerFile);
    // Whether the SHORT fields of the IFD can hold the frame's geometry.
    static bool Describable(int32_t width, int32_t height, int32_t channels, int32_t bitsPerSample);

    bool Close() override;
    bool Append(const void* data, int32_t size) override;

private:
    void WriteIfd(uint8_t* ifd, uint32_t stripOffset, uint32_t nextIfd) const;
};
