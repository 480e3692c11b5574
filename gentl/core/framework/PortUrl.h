#pragma once
#include <cstdint>
#include <string>

namespace GenTLCore {

// "local:" + file name + ";" + address + ";" + the text's length, both
// numbers in lower-case hexadecimal without prefix or zero fill.
std::string MakeLocalUrl(const std::string& fileName, const std::string& description, uint64_t address);

// A port URL read from a camera, parsed: "local:" URLs give file name,
// register address and length; "file:///" URLs the path of the file; any
// other URL is taken as a web URL whose file name follows the last '/'.
// Parsed texts are lower case. A "local:" URL without a file name, without
// its second ';' or with length 0 keeps SCHEME_UNPARSED, with the fields it
// has.
class PortUrl {
public:
    enum FileType : int32_t { FILE_XML = 0, FILE_ZIP = 1, FILE_OTHER = 2 };
    enum Scheme : int32_t { SCHEME_LOCAL = 0, SCHEME_WEB = 1, SCHEME_FILE = 2, SCHEME_UNPARSED = 3 };

    explicit PortUrl(const std::wstring& url);

    const std::wstring& FileName() const { return m_fileName; }
    uint64_t Address() const { return m_address; }
    uint64_t Length() const { return m_length; }
    int32_t GetFileType() const { return m_fileType; }
    int32_t GetScheme() const { return m_scheme; }
    const std::wstring& LowerUrl() const { return m_lowerUrl; }

    // The path that a "file:" URL names, the operating system's conversion
    // of a file URL: "file://" removed and %XX escapes decoded. False when
    // the text is no file URL or the path does not fit 260 characters.
    static bool PathFromFileUrl(const std::wstring& url, std::wstring* path);

private:
    void ParseLocal();
    void ParseFile();
    void ParseWeb();

    std::wstring m_fileName;
    uint64_t m_address = 0;
    uint64_t m_length = 0;
    int32_t m_fileType = FILE_OTHER;
    int32_t m_scheme = SCHEME_UNPARSED;
    std::wstring m_lowerUrl;
};

}  // namespace GenTLCore
