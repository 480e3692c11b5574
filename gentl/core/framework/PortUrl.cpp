#include "PortUrl.h"

#include <cwchar>
#include <cwctype>
#include <sstream>

namespace GenTLCore {

namespace {

const std::wstring kSchemaQuery = L"?schemaversion=";
constexpr size_t kMaxPath = 260;

bool StartsWith(const std::wstring& text, const wchar_t* prefix)
{
    return text.compare(0, std::wcslen(prefix), prefix) == 0;
}

int HexDigit(wchar_t c)
{
    if (c >= L'0' && c <= L'9')
        return c - L'0';
    if (c >= L'a' && c <= L'f')
        return c - L'a' + 10;
    if (c >= L'A' && c <= L'F')
        return c - L'A' + 10;
    return -1;
}

// Hexadecimal digits from the start of `text`, up to the first other
// character.
uint64_t ReadHex(const std::wstring& text)
{
    uint64_t value = 0;
    for (wchar_t c : text) {
        const int digit = HexDigit(c);
        if (digit < 0)
            break;
        value = value * 16 + static_cast<uint64_t>(digit);
    }
    return value;
}

std::wstring BeforeSchemaQuery(const std::wstring& text)
{
    return text.substr(0, text.find(kSchemaQuery));
}

}  // namespace

std::string MakeLocalUrl(const std::string& fileName, const std::string& description, uint64_t address)
{
    std::ostringstream url;
    url << "local:" << fileName << ";" << std::hex << address << ";" << description.size();
    return url.str();
}

PortUrl::PortUrl(const std::wstring& url)
{
    m_lowerUrl.reserve(url.size());
    for (wchar_t c : url)
        m_lowerUrl.push_back(static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c))));
    if (StartsWith(m_lowerUrl, L"local:"))
        ParseLocal();
    else if (StartsWith(m_lowerUrl, L"file:///"))
        ParseFile();
    else
        ParseWeb();
    if (m_lowerUrl.find(L".xml") != std::wstring::npos)
        m_fileType = FILE_XML;
    else if (m_lowerUrl.find(L".zip") != std::wstring::npos)
        m_fileType = FILE_ZIP;
    else
        m_fileType = FILE_OTHER;
}

void PortUrl::ParseLocal()
{
    const size_t colon = m_lowerUrl.find(L':');
    const size_t first = m_lowerUrl.find(L';', colon + 1);
    std::wstring name = m_lowerUrl.substr(colon + 1, first == std::wstring::npos ? std::wstring::npos
                                                                                    : first - colon - 1);
    const size_t start = name.find_first_not_of(L'/');
    m_fileName = start == std::wstring::npos ? std::wstring() : name.substr(start);
    if (first != std::wstring::npos) {
        const size_t second = m_lowerUrl.find(L';', first + 1);
        m_address = ReadHex(m_lowerUrl.substr(first + 1, second == std::wstring::npos ? std::wstring::npos
                                                                                       : second - first - 1));
        if (second != std::wstring::npos)
            m_length = ReadHex(m_lowerUrl.substr(second + 1));
    }
    // No description can be read without a file name and a length, which
    // only a second ';' brings.
    m_scheme = !m_fileName.empty() && m_length > 0 ? SCHEME_LOCAL : SCHEME_UNPARSED;
}

void PortUrl::ParseFile()
{
    std::wstring path;
    if (PathFromFileUrl(BeforeSchemaQuery(m_lowerUrl), &path))
        m_fileName = path;
    m_scheme = SCHEME_FILE;
}

void PortUrl::ParseWeb()
{
    const std::wstring body = BeforeSchemaQuery(m_lowerUrl);
    const size_t slash = body.rfind(L'/');
    m_fileName = slash == std::wstring::npos ? body : body.substr(slash + 1);
    m_scheme = SCHEME_WEB;
}

bool PortUrl::PathFromFileUrl(const std::wstring& url, std::wstring* path)
{
    if (!StartsWith(url, L"file://"))
        return false;
    std::wstring result;
    for (size_t i = 7; i < url.size(); ++i) {
        if (url[i] == L'%' && i + 2 < url.size() && HexDigit(url[i + 1]) >= 0 && HexDigit(url[i + 2]) >= 0) {
            result.push_back(static_cast<wchar_t>(HexDigit(url[i + 1]) * 16 + HexDigit(url[i + 2])));
            i += 2;
        } else {
            result.push_back(url[i]);
        }
    }
    if (result.size() >= kMaxPath)
        return false;
    *path = result;
    return true;
}

}  // namespace GenTLCore
