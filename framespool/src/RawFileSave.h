#pragma once

#include "FileSave.h"

// Headerless RAW: frame i at i * frameBytes, nothing else.
class RawFileSave : public FileSave
{
public:
    RawFileSave(const std::string& path, int32_t width, int32_t height, int32_t channels, int32_t bitsPerSample,
                int32_t framesPerFile, int32_t fileCount);

    // Bytes of a whole file in checked 64-bit arithmetic; 0 for an empty
    // geometry, -1 when the size does not fit 64 bits.
    static int64_t FileBytes(int64_t frameBytes, int32_t framesPerFile);

    bool Close() override;
    bool Append(const void* data, int32_t size) override;
};
