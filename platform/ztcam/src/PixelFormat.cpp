#include "PixelFormat.h"

#include <cctype>

namespace ztcam {

bool PixelFormat::fromName(const std::string& name, PixelFormat& out)
{
    std::string lower;
    for (char c : name) {
        if (c != ' ' && c != '_')
            lower += char(std::tolower(static_cast<unsigned char>(c)));
    }
    size_t digits = lower.find_first_of("0123456789");
    if (digits == std::string::npos)
        return false;
    std::string kind = lower.substr(0, digits);
    std::string number = lower.substr(digits);
    for (char c : number) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    }
    int bits = std::stoi(number);
    PixelFormat f;
    f.name = name;
    if (kind == "mono") {
        if (bits < 8 || bits > 16)
            return false;
        f.channels = 1;
        f.elementBytes = bits > 8 ? 2 : 1;
        f.bits = uint8_t(bits);
    } else if (kind == "rgb" || kind == "bgr") {
        if (bits != 8)
            return false;
        f.channels = 3;
        f.elementBytes = 1;
        f.bits = 8;
    } else {
        return false;
    }
    out = f;
    return true;
}

} // namespace ztcam
