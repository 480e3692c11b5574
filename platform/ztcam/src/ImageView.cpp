#include "ImageView.h"

namespace ztcam {

std::vector<uint8_t> ImageView::to8Bit() const
{
    std::vector<uint8_t> out(size_t(width) * height * channels);
    const uint32_t shift = (elementBytes == 2 && bits > 8) ? bits - 8 : 0;
    uint8_t* o = out.data();
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = pixels + size_t(y) * stride;
        for (uint32_t x = 0; x < width; ++x) {
            for (uint32_t c = 0; c < channels; ++c) {
                uint32_t sc = (channels == 3 && bgrOrder) ? 2 - c : c;
                const uint8_t* s = row + (size_t(x) * channels + sc) * elementBytes;
                uint32_t v = elementBytes == 2 ? uint32_t(s[0] | (s[1] << 8)) >> shift : s[0];
                *o++ = uint8_t(v > 255 ? 255 : v);
            }
        }
    }
    return out;
}

} // namespace ztcam
