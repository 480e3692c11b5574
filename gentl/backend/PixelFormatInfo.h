#pragma once
#include <cstdint>

namespace GenTLCore {
namespace PEXCore {

// What the back end knows of a PFNC pixel format: its colour filter, in the
// imaging library's numbering (0 none, 32 Bayer GB, 64 Bayer BG, 96 Bayer RG,
// 128 Bayer GR).
struct PixelFormatDescription {
    uint32_t colorFilter = 0;
};

enum ColorFilterCode : uint32_t {
    COLOR_FILTER_NONE = 0,
    COLOR_FILTER_BAYER_GB = 32,
    COLOR_FILTER_BAYER_BG = 64,
    COLOR_FILTER_BAYER_RG = 96,
    COLOR_FILTER_BAYER_GR = 128,
};

// The description of a PFNC code; every code that is not a Bayer format has
// no colour filter.
PixelFormatDescription PixelFormatInfo(uint32_t pfnc);

}  // namespace PEXCore
}  // namespace GenTLCore
