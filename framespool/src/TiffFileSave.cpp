#include "TiffFileSave.h"

#include <cstring>

namespace {

enum FieldType : uint16_t { kShort = 3, kLong = 4 };

void put16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void put32(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

// One 12-byte entry; a SHORT value is stored as a 32-bit number, so it sits
// in the first two bytes of the value field.
uint8_t* putEntry(uint8_t* p, uint16_t tag, FieldType type, uint32_t count, uint32_t value)
{
    put16(p, tag);
    put16(p + 2, type);
    put32(p + 4, count);
    put32(p + 8, value);
    return p + 12;
}

}  // namespace

TiffFileSave::TiffFileSave(const std::string& path, int32_t width, int32_t height, int32_t channels,
                           int32_t bitsPerSample, int32_t framesPerFile, int32_t fileCount)
    : FileSave(Tiff, path, width, height, channels, bitsPerSample, framesPerFile, fileCount,
               FileBytes(FrameBytes(width, height, channels, bitsPerSample), framesPerFile))
{
}

int64_t TiffFileSave::FileBytes(int64_t frameBytes, int32_t framesPerFile)
{
    if (frameBytes <= 0 || framesPerFile <= 0)
        return 0;
    int64_t pageBytes = 0, pages = 0, fileBytes = 0;
    if (__builtin_add_overflow(frameBytes, int64_t(kIfdBytes), &pageBytes) ||
        __builtin_mul_overflow(pageBytes, int64_t(framesPerFile), &pages) ||
        __builtin_add_overflow(pages, int64_t(kHeaderBytes), &fileBytes))
        return -1;
    return fileBytes;
}

bool TiffFileSave::Describable(int32_t width, int32_t height, int32_t channels, int32_t bitsPerSample)
{
    return width <= kMaxShortValue && height <= kMaxShortValue && channels <= kMaxShortValue &&
           bitsPerSample <= kMaxShortValue;
}

bool TiffFileSave::Close()
{
    if (count > 0) {
        int64_t length = static_cast<int64_t>(count) * (frameBytes + kIfdBytes) + kHeaderBytes;
        if (length > total)
            length = total;
        // The last page appended ends the chain of IFDs.
        put32(curBuffer + length - 4, 0);
        bytesToWrite = length > 0 ? length : 0;
    }
    return FileSave::Close();
}

bool TiffFileSave::Append(const void* data, int32_t size)
{
    if (!CanAppend(data, size))
        return false;
    // A whole file is at most 4 GiB, so every offset fits the 32-bit fields.
    const uint32_t frame = static_cast<uint32_t>(frameBytes);
    const uint32_t strip = static_cast<uint32_t>(static_cast<uint64_t>(count) * (frameBytes + kIfdBytes) + kHeaderBytes);
    const uint32_t ifd = strip + frame;
    if (count == 0) {
        curBuffer[0] = 'I';
        curBuffer[1] = 'I';
        put16(curBuffer + 2, 42);
        put32(curBuffer + 4, ifd);
    }
    PutFrame(strip, data, size);
    const uint32_t next = count + 1 == static_cast<uint32_t>(framesPerFile) ? 0 : ifd + frame + kIfdBytes;
    WriteIfd(curBuffer + ifd, strip, next);
    ++count;
    return true;
}

void TiffFileSave::WriteIfd(uint8_t* p, uint32_t stripOffset, uint32_t nextIfd) const
{
    const uint32_t maxSample = (uint32_t(1) << (static_cast<uint32_t>(bitsPerSample) % 32)) - 1;
    put16(p, 13);
    p += 2;
    p = putEntry(p, 254, kLong, 1, 2);                                      // NewSubfileType: page of many
    p = putEntry(p, 256, kShort, 1, static_cast<uint32_t>(width));          // ImageWidth
    p = putEntry(p, 257, kShort, 1, static_cast<uint32_t>(height));         // ImageLength
    p = putEntry(p, 258, kShort, 1, static_cast<uint32_t>(bitsPerSample));  // BitsPerSample
    p = putEntry(p, 259, kShort, 1, 1);                                     // Compression: none
    p = putEntry(p, 262, kShort, 1, channels == 1 ? 1u : 2u);               // Photometric: black is zero, or RGB
    p = putEntry(p, 273, kLong, 1, stripOffset);                            // StripOffsets
    p = putEntry(p, 274, kShort, 1, 1);                                     // Orientation: top left
    p = putEntry(p, 277, kShort, 1, static_cast<uint32_t>(channels));       // SamplesPerPixel
    p = putEntry(p, 279, kLong, 1, static_cast<uint32_t>(frameBytes));      // StripByteCounts
    p = putEntry(p, 281, kShort, 1, maxSample);                             // MaxSampleValue
    p = putEntry(p, 284, kShort, 1, 1);                                     // PlanarConfiguration: chunky
    p = putEntry(p, 297, kShort, 2, 0x00010000);                            // PageNumber: 0 of 1
    put32(p, nextIfd);
}
