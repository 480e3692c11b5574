// The pixel formats the local device's PixelFormat enumeration offers: PFNC
// name, 32-bit code and short description, in enumeration order.
#pragma once

#include <cstddef>
#include <cstdint>

namespace GenTLCore {

struct PixelFormatInfo {
    const char* name;
    std::uint32_t code;
    const char* description;
};

extern const PixelFormatInfo kPixelFormats[];
extern const std::size_t kPixelFormatCount;

} // namespace GenTLCore
