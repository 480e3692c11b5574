#include "RawFileSave.h"

#include <cstring>

RawFileSave::RawFileSave(const std::string& path, int32_t width, int32_t height, int32_t channels,
                         int32_t bitsPerSample, int32_t framesPerFile, int32_t fileCount)
    : FileSave(Raw, path, width, height, channels, bitsPerSample, framesPerFile, fileCount,
               FileBytes(FrameBytes(width, height, channels, bitsPerSample), framesPerFile))
{
}

int64_t RawFileSave::FileBytes(int64_t frameBytes, int32_t framesPerFile)
{
    if (frameBytes <= 0 || framesPerFile <= 0)
        return 0;
    int64_t fileBytes = 0;
    if (__builtin_mul_overflow(frameBytes, int64_t(framesPerFile), &fileBytes))
        return -1;
    return fileBytes;
}

bool RawFileSave::Close()
{
    if (count > 0) {
        int64_t length = static_cast<int64_t>(count) * frameBytes;
        if (length > total)
            length = total;
        bytesToWrite = length > 0 ? length : 0;
    }
    return FileSave::Close();
}

bool RawFileSave::Append(const void* data, int32_t size)
{
    if (!CanAppend(data, size))
        return false;
    PutFrame(static_cast<int64_t>(count) * frameBytes, data, size);
    ++count;
    return true;
}
