#pragma once
#include <cstdint>
#include <string>

namespace GenTLCore::PEXCore {

// The wide string of the registry and path code. Folders are separated by
// '/' on this platform.
class CPEXString {
public:
    static constexpr wchar_t kPathSeparator = L'/';

    CPEXString() = default;
    // Copies up to the terminating NUL; null gives an empty string.
    CPEXString(const wchar_t* text);  // NOLINT: converts like the wide string
    explicit CPEXString(std::wstring text) : m_text(std::move(text)) {}
    virtual ~CPEXString() = default;
    CPEXString(const CPEXString&) = default;
    CPEXString& operator=(const CPEXString&) = default;

    bool operator==(const CPEXString& other) const { return m_text == other.m_text; }
    bool operator!=(const CPEXString& other) const { return m_text != other.m_text; }
    CPEXString& operator+=(const CPEXString& other)
    {
        m_text += other.m_text;
        return *this;
    }

    // Appends a separator unless the string is empty, ends with one, or the
    // part begins with one; then the part. True when the part is not empty.
    bool AppendPath(const wchar_t* part);
    bool AppendPathString(const CPEXString& part);
    void TrimRight();
    void Trim();
    void ToLower();
    // Replaces the content with the formatted text.
    void Format(const wchar_t* format, ...);
    // The local time in the 24-character asctime form.
    void SetLocalTimeText(int64_t secondsSince1970);

    const wchar_t* c_str() const { return m_text.c_str(); }
    const std::wstring& str() const { return m_text; }
    std::wstring& str() { return m_text; }
    size_t size() const { return m_text.size(); }
    bool empty() const { return m_text.empty(); }

private:
    std::wstring m_text;
};

// Prefix concatenation: the text followed by the string.
CPEXString operator+(const wchar_t* text, const CPEXString& string);

// UTF-8 of a wide text; a text that cannot be converted gives "".
std::string WideToUtf8(const std::wstring& text);

}  // namespace GenTLCore::PEXCore
