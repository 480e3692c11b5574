#pragma once

#include "ImageView.h"

#include <string>

namespace ztcam {

// Single-image files of the SDK's image saving: raw (packed samples), classic
// TIFF (uncompressed, one strip, 8 or 16 bits), PNG (8 or 16 bits), JPEG and
// BMP (8 bits). Each returns false when the file cannot be written.
class ImageFileWriter {
public:
    static bool writeRaw(const std::string& path, const ImageView& image);
    static bool writeTiff(const std::string& path, const ImageView& image);
    static bool writePng(const std::string& path, const ImageView& image);
    static bool writeJpeg(const std::string& path, const ImageView& image);
    static bool writeBmp(const std::string& path, const ImageView& image);
};

} // namespace ztcam
