#include "CPEXString.h"

#include <platform/os/Environment.h>

#include <cstdarg>
#include <ctime>
#include <cwchar>
#include <cwctype>
#include <vector>

namespace GenTLCore::PEXCore {

CPEXString::CPEXString(const wchar_t* text) : m_text(text ? text : L"") {}

bool CPEXString::AppendPath(const wchar_t* part)
{
    const std::wstring p = part ? part : L"";
    if (!m_text.empty() && m_text.back() != kPathSeparator && (p.empty() || p.front() != kPathSeparator))
        m_text += kPathSeparator;
    m_text += p;
    return !p.empty();
}

bool CPEXString::AppendPathString(const CPEXString& part) { return AppendPath(part.c_str()); }

void CPEXString::TrimRight()
{
    size_t end = m_text.size();
    while (end > 0 && std::iswspace(wint_t(m_text[end - 1])))
        --end;
    m_text.erase(end);
}

void CPEXString::Trim()
{
    TrimRight();
    size_t begin = 0;
    while (begin < m_text.size() && std::iswspace(wint_t(m_text[begin])))
        ++begin;
    m_text.erase(0, begin);
}

void CPEXString::ToLower()
{
    for (wchar_t& c : m_text)
        c = wchar_t(std::towlower(wint_t(c)));
}

void CPEXString::Format(const wchar_t* format, ...)
{
    // vswprintf cannot measure: grow the buffer (with room for the NUL)
    // until the text fits.
    std::vector<wchar_t> buffer(128);
    for (;;) {
        va_list args;
        va_start(args, format);
        const int n = std::vswprintf(buffer.data(), buffer.size(), format ? format : L"", args);
        va_end(args);
        if (n >= 0 && size_t(n) < buffer.size()) {
            m_text.assign(buffer.data(), size_t(n));
            return;
        }
        if (buffer.size() >= (size_t(1) << 24)) {
            m_text.clear();
            return;
        }
        buffer.resize(buffer.size() * 2);
    }
}

void CPEXString::SetLocalTimeText(int64_t secondsSince1970)
{
    const std::time_t t = std::time_t(secondsSince1970);
    std::tm local{};
    char text[64] = {};
    if (localtime_r(&t, &local))
        asctime_r(&local, text);
    m_text = platform::os::utf8ToWide(text);
    TrimRight();
}

CPEXString operator+(const wchar_t* text, const CPEXString& string)
{
    CPEXString result(text);
    result += string;
    return result;
}

std::string WideToUtf8(const std::wstring& text)
{
    std::string utf8;
    platform::os::wideToUtf8(text, &utf8);
    return utf8;
}

}  // namespace GenTLCore::PEXCore
