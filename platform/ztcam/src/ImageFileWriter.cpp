#include "ImageFileWriter.h"

#include "WholeFileOutput.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <cerrno>
#include <cstring>
#include <mutex>

namespace ztcam {

namespace {

// Image files that are to fail on demand (ImageFileWriter::failWrites).
struct WriteFault {
    std::mutex lock;
    int files = 0;  // -1: every file
    int error = ENOSPC;
};

WriteFault& writeFault()
{
    static WriteFault* const fault = new WriteFault();
    return *fault;
}

// True when the file about to be written is to fail; *error is its errno.
bool takeWriteFault(int* error)
{
    WriteFault& f = writeFault();
    std::lock_guard<std::mutex> guard(f.lock);
    if (f.files == 0)
        return false;
    if (f.files > 0)
        --f.files;
    *error = f.error;
    return true;
}

void put16(std::vector<uint8_t>& b, uint16_t v)
{
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}

void put32(std::vector<uint8_t>& b, uint32_t v)
{
    put16(b, uint16_t(v));
    put16(b, uint16_t(v >> 16));
}

bool writeAll(const std::string& path, const std::vector<uint8_t>& head, const ImageView& image,
              bool pixelsAfterHead)
{
    WholeFileOutput file(path);
    if (!file.isOpen())
        return false;
    const size_t row = pixelsAfterHead ? image.packedRowBytes() : 0;
    int fault = 0;
    if (takeWriteFault(&fault)) {
        // The first part reaches the disk, then the disk is full.
        if (!head.empty())
            file.write(head.data(), head.size() / 2);
        else if (row > 0)
            file.write(image.pixels, row);
        return file.fail(fault);
    }
    if (!head.empty() && !file.write(head.data(), head.size()))
        return false;
    for (uint32_t y = 0; row > 0 && y < image.height; ++y) {
        if (!file.write(image.pixels + size_t(y) * image.stride, row))
            return false;
    }
    return file.finish();
}

bool saveWithQt(const std::string& path, const ImageView& image, const char* format, bool allow16)
{
    QImage img;
    if (image.channels == 1 && image.elementBytes == 2 && allow16) {
        img = QImage(int(image.width), int(image.height), QImage::Format_Grayscale16);
        for (uint32_t y = 0; y < image.height; ++y)
            std::memcpy(img.scanLine(int(y)), image.pixels + size_t(y) * image.stride, image.packedRowBytes());
    } else {
        std::vector<uint8_t> packed = image.to8Bit();
        const QImage::Format fmt = image.channels == 3 ? QImage::Format_RGB888 : QImage::Format_Grayscale8;
        img = QImage(int(image.width), int(image.height), fmt);
        const size_t row = size_t(image.width) * image.channels;
        for (uint32_t y = 0; y < image.height; ++y)
            std::memcpy(img.scanLine(int(y)), packed.data() + y * row, row);
    }
    if (img.isNull())
        return false;
    // Encoded in memory, so that the file itself is written as every other
    // format is: whole or not at all.
    QByteArray encoded;
    QBuffer buffer(&encoded);
    if (!buffer.open(QIODevice::WriteOnly) || !img.save(&buffer, format))
        return false;
    const std::vector<uint8_t> bytes(encoded.begin(), encoded.end());
    return writeAll(path, bytes, ImageView(), false);
}

} // namespace

void ImageFileWriter::failWrites(int files, int error)
{
    WriteFault& f = writeFault();
    std::lock_guard<std::mutex> guard(f.lock);
    f.files = files;
    f.error = error != 0 ? error : ENOSPC;
}

bool ImageFileWriter::writeRaw(const std::string& path, const ImageView& image)
{
    if (!image.valid())
        return false;
    return writeAll(path, {}, image, true);
}

bool ImageFileWriter::writeTiff(const std::string& path, const ImageView& image)
{
    if (!image.valid())
        return false;
    // Colour is always written R, G, B.
    std::vector<uint8_t> swapped;
    ImageView src = image;
    if (image.channels == 3 && image.bgrOrder) {
        swapped = image.to8Bit();
        src.pixels = swapped.data();
        src.stride = image.width * 3;
        src.elementBytes = 1;
        src.bits = 8;
        src.bgrOrder = false;
    }
    const uint32_t dataBytes = src.packedRowBytes() * src.height;
    const uint16_t bitsPerSample = uint16_t(8 * src.elementBytes);
    const uint16_t spp = uint16_t(src.channels);
    constexpr uint16_t kEntries = 12;
    const uint32_t ifdOffset = 8;
    const uint32_t ifdSize = 2 + kEntries * 12 + 4;
    const uint32_t extraOffset = ifdOffset + ifdSize;   // bits array, resolutions
    const uint32_t bitsOffset = extraOffset;            // 3 x SHORT for colour
    const uint32_t xresOffset = bitsOffset + 8;
    const uint32_t yresOffset = xresOffset + 8;
    const uint32_t pixelOffset = yresOffset + 8;

    std::vector<uint8_t> h;
    h.push_back('I');
    h.push_back('I');
    put16(h, 42);
    put32(h, ifdOffset);
    put16(h, kEntries);
    auto entry = [&h](uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
        put16(h, tag);
        put16(h, type);
        put32(h, count);
        put32(h, value);
    };
    entry(256, 4, 1, src.width);                              // ImageWidth
    entry(257, 4, 1, src.height);                             // ImageLength
    entry(258, 3, spp, spp == 1 ? bitsPerSample : bitsOffset); // BitsPerSample
    entry(259, 3, 1, 1);                                      // Compression: none
    entry(262, 3, 1, spp == 1 ? 1 : 2);                       // Photometric
    entry(273, 4, 1, pixelOffset);                            // StripOffsets
    entry(277, 3, 1, spp);                                    // SamplesPerPixel
    entry(278, 4, 1, src.height);                             // RowsPerStrip
    entry(279, 4, 1, dataBytes);                              // StripByteCounts
    entry(282, 5, 1, xresOffset);                             // XResolution
    entry(283, 5, 1, yresOffset);                             // YResolution
    entry(296, 3, 1, 2);                                      // ResolutionUnit: inch
    put32(h, 0);                                              // no further IFD
    for (int i = 0; i < 3; ++i)
        put16(h, bitsPerSample);
    put16(h, 0);
    put32(h, 72);
    put32(h, 1);
    put32(h, 72);
    put32(h, 1);
    if (h.size() != pixelOffset)
        return false;
    return writeAll(path, h, src, true);
}

bool ImageFileWriter::writePng(const std::string& path, const ImageView& image)
{
    if (!image.valid())
        return false;
    return saveWithQt(path, image, "PNG", true);
}

bool ImageFileWriter::writeJpeg(const std::string& path, const ImageView& image)
{
    if (!image.valid())
        return false;
    return saveWithQt(path, image, "JPG", false);
}

bool ImageFileWriter::writeBmp(const std::string& path, const ImageView& image)
{
    if (!image.valid())
        return false;
    const std::vector<uint8_t> packed = image.to8Bit();
    const uint32_t bpp = image.channels == 3 ? 24 : 8;
    const uint32_t row = (image.width * image.channels + 3u) & ~3u;
    const uint32_t paletteBytes = image.channels == 3 ? 0 : 256 * 4;
    const uint32_t dataOffset = 14 + 40 + paletteBytes;
    const uint64_t fileSize = uint64_t(dataOffset) + uint64_t(row) * image.height;
    if (fileSize > 0xFFFFFFFFull)
        return false;
    std::vector<uint8_t> h;
    h.push_back('B');
    h.push_back('M');
    put32(h, uint32_t(fileSize));
    put32(h, 0);
    put32(h, dataOffset);
    put32(h, 40);
    put32(h, image.width);
    put32(h, image.height);  // bottom-up
    put16(h, 1);
    put16(h, uint16_t(bpp));
    put32(h, 0);
    put32(h, row * image.height);
    put32(h, 2835);
    put32(h, 2835);
    put32(h, image.channels == 3 ? 0 : 256);
    put32(h, 0);
    for (uint32_t i = 0; i < paletteBytes / 4; ++i) {
        h.push_back(uint8_t(i));
        h.push_back(uint8_t(i));
        h.push_back(uint8_t(i));
        h.push_back(0);
    }
    const size_t src = size_t(image.width) * image.channels;
    for (uint32_t y = image.height; y-- > 0;) {
        const uint8_t* s = packed.data() + size_t(y) * src;
        if (image.channels == 3) {
            for (uint32_t x = 0; x < image.width; ++x) {
                h.push_back(s[3 * x + 2]);
                h.push_back(s[3 * x + 1]);
                h.push_back(s[3 * x]);
            }
        } else {
            h.insert(h.end(), s, s + src);
        }
        for (size_t p = src; p < row; ++p)
            h.push_back(0);
    }
    ImageView none;
    return writeAll(path, h, none, false);
}

} // namespace ztcam
