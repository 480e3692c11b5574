#include "PixelFormatInfo.h"

#include <iterator>

namespace GenTLCore {
namespace PEXCore {

namespace {

// Ten families of the four Bayer patterns, in the order GR, RG, GB, BG.
const uint32_t kBayerCodes[][4] = {
    {0x01080008, 0x01080009, 0x0108000A, 0x0108000B},  // 8 bit
    {0x010A0056, 0x010A0058, 0x010A0054, 0x010A0052},  // 10 bit packed
    {0x010C0026, 0x010C0027, 0x010C0028, 0x010C0029},  // 12 bit, first group
    {0x010C002A, 0x010C002B, 0x010C002C, 0x010C002D},  // 12 bit, second group
    {0x010C0057, 0x010C0059, 0x010C0055, 0x010C0053},  // 12 bit packed
    {0x010E0105, 0x010E0106, 0x010E0107, 0x010E0108},  // 14 bit packed
    {0x0110000C, 0x0110000D, 0x0110000E, 0x0110000F},  // 10 bit in 16
    {0x01100010, 0x01100011, 0x01100012, 0x01100013},  // 12 bit in 16
    {0x01100109, 0x0110010A, 0x0110010B, 0x0110010C},  // 14 bit in 16
    {0x0110002E, 0x0110002F, 0x01100030, 0x01100031},  // 16 bit
};

const uint32_t kPatternFilters[4] = {COLOR_FILTER_BAYER_GR, COLOR_FILTER_BAYER_RG, COLOR_FILTER_BAYER_GB,
                                     COLOR_FILTER_BAYER_BG};

}  // namespace

PixelFormatDescription PixelFormatInfo(uint32_t pfnc)
{
    PixelFormatDescription description;
    for (const auto& family : kBayerCodes) {
        for (size_t pattern = 0; pattern < std::size(family); ++pattern) {
            if (family[pattern] == pfnc) {
                description.colorFilter = kPatternFilters[pattern];
                return description;
            }
        }
    }
    return description;
}

}  // namespace PEXCore
}  // namespace GenTLCore
