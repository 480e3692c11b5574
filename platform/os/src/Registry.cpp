#include "platform/os/Registry.h"

#include "platform/os/Environment.h"

#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <fcntl.h>
#include <map>
#include <mutex>
#include <pwd.h>
#include <sstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace platform::os {

struct RegistryKeyHandle {
    int root = -1;           // index of a predefined key, or -1
    std::string file;        // hive file
    std::wstring path;       // key path without root, original case
    bool writable = false;
    bool predefined = false;
};

namespace {

constexpr int kRoots = 7;
RegistryKeyHandle g_roots[kRoots] = {};

struct Value {
    std::wstring name;
    uint32_t type = REG_NONE;
    std::vector<uint8_t> data;
};

struct Key {
    std::wstring path;
    bool isVolatile = false;
    std::map<std::wstring, Value> values;  // by lower-case name
};

struct Hive {
    std::map<std::wstring, Key> keys;  // by lower-case path
    bool dirty = false;                // written values not yet flushed
};

std::mutex g_mutex;
// Made on first use: a plug-in may read the registry from its load
// function, before this file's static initialisers have run.
std::map<std::string, Hive>& Hives()
{
    static std::map<std::string, Hive> hives;
    return hives;
}

std::wstring lower(const std::wstring& s)
{
    std::wstring out = s;
    for (wchar_t& c : out)
        c = wchar_t(std::towlower(wint_t(c)));
    return out;
}

std::wstring trimSlashes(const std::wstring& s)
{
    size_t b = 0, e = s.size();
    while (b < e && s[b] == L'\\')
        ++b;
    while (e > b && s[e - 1] == L'\\')
        --e;
    return s.substr(b, e - b);
}

std::wstring join(const std::wstring& a, const wchar_t* b)
{
    const std::wstring tail = trimSlashes(b ? b : L"");
    if (a.empty())
        return tail;
    return tail.empty() ? a : a + L"\\" + tail;
}

std::vector<uint8_t> wideBytes(const std::wstring& s)
{
    std::vector<uint8_t> out((s.size() + 1) * sizeof(wchar_t), 0);
    std::memcpy(out.data(), s.c_str(), s.size() * sizeof(wchar_t));
    return out;
}

std::wstring bytesWide(const std::vector<uint8_t>& data)
{
    std::wstring out(data.size() / sizeof(wchar_t), L'\0');
    std::memcpy(&out[0], data.data(), out.size() * sizeof(wchar_t));
    while (!out.empty() && out.back() == L'\0')
        out.pop_back();
    return out;
}

std::string narrow(const std::wstring& s)
{
    std::string out;
    wideToUtf8(s, &out);
    return out;
}

// "a","b" -> items; false when the text is not such a list.
bool parseItems(const std::string& text, std::vector<std::string>* items)
{
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] != '"')
            return false;
        std::string item;
        for (++i; i < text.size() && text[i] != '"'; ++i) {
            if (text[i] == '\\' && i + 1 < text.size())
                ++i;
            item += text[i];
        }
        if (i == text.size())
            return false;
        items->push_back(item);
        ++i;
        if (i < text.size() && text[i] != ',')
            return false;
        if (i < text.size())
            ++i;
    }
    return true;
}

bool parseValue(const std::string& kind, const std::string& text, Value* v)
{
    char* end = nullptr;
    if (kind == "sz" || kind == "expand_sz") {
        v->type = kind == "sz" ? REG_SZ : REG_EXPAND_SZ;
        v->data = wideBytes(utf8ToWide(text));
    } else if (kind == "multi_sz") {
        std::vector<std::string> items;
        if (!parseItems(text, &items))
            return false;
        std::wstring all;
        for (const std::string& item : items)
            all += utf8ToWide(item) + L'\0';
        v->type = REG_MULTI_SZ;
        v->data = wideBytes(all);
    } else if (kind == "dword" || kind == "qword") {
        const unsigned long long n = std::strtoull(text.c_str(), &end, 16);
        if (text.empty() || *end)
            return false;
        const size_t bytes = kind == "dword" ? 4 : 8;
        v->type = kind == "dword" ? REG_DWORD : REG_QWORD;
        v->data.assign(bytes, 0);
        std::memcpy(v->data.data(), &n, bytes);  // little-endian host
    } else if (kind == "hex") {
        v->type = REG_BINARY;
        std::istringstream in(text);
        std::string byte;
        while (std::getline(in, byte, ',')) {
            const unsigned long b = std::strtoul(byte.c_str(), &end, 16);
            if (byte.empty() || *end || b > 0xFF)
                return false;
            v->data.push_back(uint8_t(b));
        }
    } else {
        return false;
    }
    return true;
}

std::string formatValue(const Value& v)
{
    char buf[24];
    switch (v.type) {
    case REG_SZ: return "sz:" + narrow(bytesWide(v.data));
    case REG_EXPAND_SZ: return "expand_sz:" + narrow(bytesWide(v.data));
    case REG_MULTI_SZ: {
        std::string out = "multi_sz:";
        std::wstring all(v.data.size() / sizeof(wchar_t), L'\0');
        std::memcpy(&all[0], v.data.data(), all.size() * sizeof(wchar_t));
        size_t start = 0;
        bool first = true;
        while (start < all.size() && all[start] != L'\0') {
            const size_t nul = all.find(L'\0', start);
            std::string item = narrow(all.substr(start, nul - start)), quoted;
            for (char c : item)
                quoted += (c == '"' || c == '\\') ? std::string("\\") + c : std::string(1, c);
            out += (first ? "\"" : ",\"") + quoted + "\"";
            first = false;
            start = nul == std::wstring::npos ? all.size() : nul + 1;
        }
        return out;
    }
    case REG_DWORD:
    case REG_QWORD: {
        unsigned long long n = 0;
        std::memcpy(&n, v.data.data(), std::min<size_t>(v.data.size(), 8));
        std::snprintf(buf, sizeof buf, v.type == REG_DWORD ? "%08llx" : "%016llx", n);
        return (v.type == REG_DWORD ? "dword:" : "qword:") + std::string(buf);
    }
    default: {
        std::string out = "hex:";
        for (size_t i = 0; i < v.data.size(); ++i) {
            std::snprintf(buf, sizeof buf, i ? ",%02x" : "%02x", v.data[i]);
            out += buf;
        }
        return out;
    }
    }
}

void parseHive(const std::string& text, Hive& hive)
{
    std::istringstream in(text);
    std::string line;
    Key* key = nullptr;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
            const std::wstring path = trimSlashes(utf8ToWide(line.substr(1, line.size() - 2)));
            key = &hive.keys[lower(path)];
            key->path = path;
            continue;
        }
        if (!key || line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        std::string name;
        size_t at;
        if (line.compare(0, 2, "@=") == 0) {
            at = 2;
        } else if (line[0] == '"' && (at = line.find("\"=", 1)) != std::string::npos) {
            name = line.substr(1, at - 1);
            at += 2;
        } else {
            continue;
        }
        const size_t colon = line.find(':', at);
        if (colon == std::string::npos)
            continue;
        Value v;
        v.name = utf8ToWide(name);
        if (parseValue(line.substr(at, colon - at), line.substr(colon + 1), &v))
            key->values[lower(v.name)] = v;
    }
}

std::string readFile(const std::string& file)
{
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return std::string();
    ::flock(fd, LOCK_SH);
    std::string text;
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fd, buf, sizeof buf)) > 0)
        text.append(buf, size_t(n));
    ::flock(fd, LOCK_UN);
    ::close(fd);
    return text;
}

void makeFolders(const std::string& file)
{
    for (size_t slash = file.find('/', 1); slash != std::string::npos; slash = file.find('/', slash + 1))
        ::mkdir(file.substr(0, slash).c_str(), 0755);
}

bool writeHive(const std::string& file, const Hive& hive)
{
    std::string text = "Windows Registry Editor Version 5.00\n";
    for (const auto& k : hive.keys) {
        if (k.second.isVolatile)
            continue;
        text += "\n[" + narrow(k.second.path) + "]\n";
        for (const auto& v : k.second.values)
            text += (v.second.name.empty() ? "@" : "\"" + narrow(v.second.name) + "\"") + "=" +
                    formatValue(v.second) + "\n";
    }
    makeFolders(file);
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    ::flock(fd, LOCK_EX);
    bool ok = ::ftruncate(fd, 0) == 0;
    for (size_t done = 0; ok && done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        ok = n > 0;
        done += ok ? size_t(n) : 0;
    }
    ::flock(fd, LOCK_UN);
    ::close(fd);
    return ok;
}

// The hive of a file, read afresh unless it holds unflushed writes; volatile
// keys are kept across reads.
Hive& hiveOf(const std::string& file)
{
    Hive& hive = Hives()[file];
    if (!hive.dirty) {
        Hive fresh;
        parseHive(readFile(file), fresh);
        for (auto& k : hive.keys)
            if (k.second.isVolatile)
                fresh.keys[k.first] = k.second;
        hive.keys.swap(fresh.keys);
    }
    return hive;
}

bool keyExists(const Hive& hive, const std::wstring& path)
{
    if (path.empty())
        return true;
    const std::wstring l = lower(path);
    if (hive.keys.count(l))
        return true;
    // The keys below it stand together from the first that starts with its
    // path and a backslash; a sibling such as "path x" sorts before them.
    const std::wstring below = l + L"\\";
    auto it = hive.keys.lower_bound(below);
    return it != hive.keys.end() && it->first.compare(0, below.size(), below) == 0;
}

std::string fileOfRoot(int root)
{
    if (root != 1 && root != 2)
        return std::string();
    return registryFolder(&g_roots[root]) + (root == 1 ? "/HKEY_CURRENT_USER.reg" : "/HKEY_LOCAL_MACHINE.reg");
}

int32_t openKey(HKEY key, const wchar_t* subKey, uint32_t access, bool create, bool isVolatile, HKEY* result,
                uint32_t* disposition)
{
    if (!key || !result)
        return ERROR_INVALID_PARAMETER;
    const std::string file = key->predefined ? fileOfRoot(key->root) : key->file;
    if (file.empty())
        return ERROR_FILE_NOT_FOUND;
    const std::wstring path = join(key->path, subKey);
    std::lock_guard<std::mutex> lock(g_mutex);
    Hive& hive = hiveOf(file);
    const bool exists = keyExists(hive, path);
    if (!exists && !create)
        return ERROR_FILE_NOT_FOUND;
    if (!exists) {
        Key& k = hive.keys[lower(path)];
        k.path = path;
        k.isVolatile = isVolatile;
        if (!isVolatile)
            hive.dirty = true;
    }
    if (disposition)
        *disposition = exists ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    auto* handle = new RegistryKeyHandle;
    handle->root = key->root;
    handle->file = file;
    handle->path = path;
    handle->writable = (access & KEY_WRITE & ~KEY_READ) != 0;
    *result = handle;
    return ERROR_SUCCESS;
}

}  // namespace

HKEY registryRoot(int index)
{
    static std::once_flag once;
    std::call_once(once, [] {
        for (int i = 0; i < kRoots; ++i) {
            g_roots[i].root = i;
            g_roots[i].predefined = true;
            g_roots[i].writable = true;
        }
    });
    return index >= 0 && index < kRoots ? &g_roots[index] : nullptr;
}

std::string registryFolder(HKEY root)
{
    const char* dir = std::getenv("CORVANE_REGISTRY_DIR");
    if (dir && *dir)
        return dir;
    if (root == registryRoot(1)) {
        const char* home = std::getenv("HOME");
        if (!home || !*home) {
            const passwd* pw = ::getpwuid(::getuid());
            home = pw ? pw->pw_dir : "";
        }
        return std::string(home) + "/.config/corvane/registry";
    }
    return "/etc/corvane/registry";
}

int32_t RegOpenKeyExW(HKEY key, const wchar_t* subKey, uint32_t, uint32_t access, HKEY* result)
{
    return openKey(key, subKey, access, false, false, result, nullptr);
}

int32_t RegCreateKeyExW(HKEY key, const wchar_t* subKey, uint32_t, const wchar_t*, uint32_t options,
                        uint32_t access, void*, HKEY* result, uint32_t* disposition)
{
    return openKey(key, subKey, access, true, (options & REG_OPTION_VOLATILE) != 0, result, disposition);
}

int32_t RegQueryValueExW(HKEY key, const wchar_t* name, uint32_t*, uint32_t* type, uint8_t* data, uint32_t* size)
{
    if (!key || key->predefined)
        return ERROR_INVALID_HANDLE;
    std::lock_guard<std::mutex> lock(g_mutex);
    Hive& hive = Hives()[key->file];
    auto k = hive.keys.find(lower(key->path));
    if (k == hive.keys.end())
        return ERROR_FILE_NOT_FOUND;
    auto v = k->second.values.find(lower(name ? name : L""));
    if (v == k->second.values.end())
        return ERROR_FILE_NOT_FOUND;
    if (type)
        *type = v->second.type;
    const uint32_t needed = uint32_t(v->second.data.size());
    if (!size)
        return data ? ERROR_INVALID_PARAMETER : ERROR_SUCCESS;
    const uint32_t room = *size;
    *size = needed;
    if (!data)
        return ERROR_SUCCESS;
    if (room < needed)
        return ERROR_MORE_DATA;
    std::memcpy(data, v->second.data.data(), needed);
    return ERROR_SUCCESS;
}

int32_t RegSetValueExW(HKEY key, const wchar_t* name, uint32_t, uint32_t type, const uint8_t* data, uint32_t size)
{
    if (!key || key->predefined)
        return ERROR_INVALID_HANDLE;
    if (!key->writable)
        return ERROR_ACCESS_DENIED;
    if (size && !data)
        return ERROR_INVALID_PARAMETER;
    std::lock_guard<std::mutex> lock(g_mutex);
    Hive& hive = Hives()[key->file];
    Key& k = hive.keys[lower(key->path)];
    k.path = key->path;
    Value& v = k.values[lower(name ? name : L"")];
    v.name = name ? name : L"";
    v.type = type;
    v.data.assign(data, data + size);
    if (!k.isVolatile)
        hive.dirty = true;
    return ERROR_SUCCESS;
}

int32_t RegFlushKey(HKEY key)
{
    if (!key || key->predefined)
        return ERROR_INVALID_HANDLE;
    std::lock_guard<std::mutex> lock(g_mutex);
    Hive& hive = Hives()[key->file];
    if (!hive.dirty)
        return ERROR_SUCCESS;
    if (!writeHive(key->file, hive))
        return ERROR_ACCESS_DENIED;
    hive.dirty = false;
    return ERROR_SUCCESS;
}

int32_t RegCloseKey(HKEY key)
{
    if (!key)
        return ERROR_INVALID_HANDLE;
    if (key->predefined)
        return ERROR_SUCCESS;
    RegFlushKey(key);
    delete key;
    return ERROR_SUCCESS;
}

int32_t RegOpenCurrentUser(uint32_t access, HKEY* result)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    auto* handle = new RegistryKeyHandle;
    handle->root = 1;
    handle->file = fileOfRoot(1);
    handle->writable = (access & KEY_WRITE & ~KEY_READ) != 0;
    *result = handle;
    return ERROR_SUCCESS;
}

}  // namespace platform::os
