#pragma once

#include "ImageView.h"

#include <string>

namespace ztcam {

// Single-image files of the SDK's image saving: raw (packed samples), classic
// TIFF (uncompressed, one strip, 8 or 16 bits), PNG (8 or 16 bits), JPEG and
// BMP (8 bits). Each returns false when the file cannot be written, with
// errno telling why, and then leaves no new file behind and an earlier file
// of that name as it was.
class ImageFileWriter {
public:
    // The next `files` files (-1: every file until this is called with 0)
    // fail part-way as on a full disk, with errno `error` (0: ENOSPC).
    static void failWrites(int files, int error);
    static bool writeRaw(const std::string& path, const ImageView& image);
    static bool writeTiff(const std::string& path, const ImageView& image);
    static bool writePng(const std::string& path, const ImageView& image);
    static bool writeJpeg(const std::string& path, const ImageView& image);
    static bool writeBmp(const std::string& path, const ImageView& image);
};

} // namespace ztcam
