#include "PexText.h"

#include "PexCodes.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace platform::pex {

namespace {
std::atomic<bool> g_sizesWithoutNul{false};
}  // namespace

void PexText::setSizesWithoutNul(bool on) { g_sizesWithoutNul.store(on); }

std::wstring PexText::widen(const std::string& text)
{
    std::wstring out;
    for (unsigned char c : text)
        out += wchar_t(c);
    return out;
}

std::string PexText::decimal(double v)
{
    char text[32];
    for (int digits = 1; digits <= 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, v);
        if (std::strtod(text, nullptr) == v)
            break;
    }
    return text;
}

bool PexText::isSizeForm(PEX_INT code) { return (code & code::kSizeForm) == code::kSizeForm; }

PEX_INT PexText::withoutSizeForm(PEX_INT code) { return isSizeForm(code) ? code - code::kSizeForm : code; }

bool PexText::answer(PEX_INT code, PEX_INT base, const std::wstring& text, void* out)
{
    if (withoutSizeForm(code) != base)
        return false;
    if (!out)
        return true;
    if (isSizeForm(code)) {
        const int64_t length = int64_t(text.size()) + (g_sizesWithoutNul.load() ? 0 : 1);
        std::memcpy(out, &length, sizeof length);
    } else {
        std::memcpy(out, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    }
    return true;
}

}  // namespace platform::pex
