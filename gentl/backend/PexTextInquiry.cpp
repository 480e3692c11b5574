#include "PexTextInquiry.h"

#include "PexLibraryCodes.h"

#include <vector>

namespace GenTLCore::PEXCore {

namespace {

// More than any text of the library; a larger answer is taken as a fault.
constexpr PEX_INT kMaxTextLength = 1 << 20;

}  // namespace

PEX_INT InquirePexValue(PexInquiry inquire, PEX_ID object, PEX_INT code, PEX_INT preset)
{
    PEX_INT value = preset;
    inquire(object, code, &value);
    return value;
}

std::wstring InquirePexText(PexInquiry inquire, PEX_ID object, PEX_INT code)
{
    PEX_INT length = 0;
    inquire(object, code + PexCode::kTextSize, &length);
    if (length < 1 || length > kMaxTextLength)
        return std::wstring();
    std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
    inquire(object, code, text.data());
    text.back() = L'\0';
    return std::wstring(text.data());
}

}  // namespace GenTLCore::PEXCore
