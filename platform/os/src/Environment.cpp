#include "platform/os/Environment.h"

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::os {

bool wideToUtf8(const std::wstring& wide, std::string* utf8)
{
    std::string out;
    for (wchar_t wc : wide) {
        const uint32_t c = uint32_t(wc);
        if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            utf8->clear();
            return false;
        }
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    utf8->swap(out);
    return true;
}

std::wstring utf8ToWide(const std::string& utf8)
{
    std::wstring out;
    size_t i = 0;
    while (i < utf8.size()) {
        const unsigned char b = static_cast<unsigned char>(utf8[i]);
        int extra = b < 0x80 ? 0 : (b >> 5) == 6 ? 1 : (b >> 4) == 14 ? 2 : (b >> 3) == 30 ? 3 : -1;
        uint32_t c = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
        bool ok = extra >= 0 && i + size_t(extra) < utf8.size();
        for (int k = 1; ok && k <= extra; ++k) {
            const unsigned char n = static_cast<unsigned char>(utf8[i + size_t(k)]);
            ok = (n & 0xC0) == 0x80;
            c = c << 6 | (n & 0x3F);
        }
        const uint32_t minimum[] = {0, 0x80, 0x800, 0x10000};
        if (ok && (c < minimum[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)))
            ok = false;
        out += ok ? wchar_t(c) : wchar_t(0xFFFD);
        i += ok ? size_t(extra) + 1 : 1;
    }
    return out;
}

bool getEnvironmentW(const wchar_t* name, std::wstring* value)
{
    std::string n;
    if (!name || !wideToUtf8(name, &n))
        return false;
    const char* v = std::getenv(n.c_str());
    if (!v)
        return false;
    *value = utf8ToWide(v);
    return true;
}

bool setEnvironmentW(const wchar_t* name, const wchar_t* value)
{
    std::string n, v;
    if (!name || !*name || !wideToUtf8(name, &n) || n.find('=') != std::string::npos)
        return false;
    if (!value)
        return ::unsetenv(n.c_str()) == 0;
    return wideToUtf8(value, &v) && ::setenv(n.c_str(), v.c_str(), 1) == 0;
}

bool getEnvironmentBytes(const char* name, std::string* value)
{
    const char* v = name ? std::getenv(name) : nullptr;
    if (!v)
        return false;
    *value = v;
    return true;
}

bool setEnvironmentBytes(const char* name, const std::string& value)
{
    return name && ::setenv(name, value.c_str(), 1) == 0;
}

std::string defaultSearchPath()
{
    const size_t size = ::confstr(_CS_PATH, nullptr, 0);
    if (size == 0)
        return std::string();
    std::string path(size, '\0');
    ::confstr(_CS_PATH, &path[0], size);
    path.resize(size - 1);
    return path;
}

uint32_t getFileAttributesW(const wchar_t* path)
{
    std::string p;
    struct stat st;
    if (!path || !wideToUtf8(path, &p) || p.empty() || ::stat(p.c_str(), &st) != 0)
        return INVALID_FILE_ATTRIBUTES;
    return S_ISDIR(st.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL;
}

std::wstring executablePath()
{
    char buf[4096];
    const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    return n > 0 ? utf8ToWide(std::string(buf, size_t(n))) : std::wstring();
}

std::wstring commandLine()
{
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string line, arg;
    std::istringstream args(all);
    while (std::getline(args, arg, '\0')) {
        if (!line.empty())
            line += ' ';
        line += arg.find(' ') != std::string::npos ? "\"" + arg + "\"" : arg;
    }
    return utf8ToWide(line);
}

int64_t processStartTime()
{
    // Field 22 of /proc/self/stat: start in clock ticks after boot.
    std::ifstream stat("/proc/self/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t paren = text.rfind(')');
    if (paren == std::string::npos)
        return 0;
    std::istringstream fields(text.substr(paren + 2));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
    }
    const long ticks = ::sysconf(_SC_CLK_TCK);
    std::ifstream uptimeFile("/proc/uptime");
    double uptime = 0;
    uptimeFile >> uptime;
    const double sinceBoot = ticks > 0 ? std::strtod(field.c_str(), nullptr) / double(ticks) : 0;
    return int64_t(std::time(nullptr) - int64_t(uptime) + int64_t(sinceBoot));
}

}  // namespace platform::os
