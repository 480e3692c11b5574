#pragma once
// Environment, file attributes and process texts in wide text (wchar_t),
// converted to and from the UTF-8 of the system; the environment also as the
// bytes it holds.
#include <cstdint>
#include <string>

namespace platform::os {

// UTF-8 of a wide text; false (and an empty result) for a text that is not
// valid Unicode.
bool wideToUtf8(const std::wstring& wide, std::string* utf8);
// Wide text of UTF-8; invalid sequences become U+FFFD.
std::wstring utf8ToWide(const std::string& utf8);

// GetEnvironmentVariableW: false when the variable is not set.
bool getEnvironmentW(const wchar_t* name, std::wstring* value);
// SetEnvironmentVariableW; a null value removes the variable.
bool setEnvironmentW(const wchar_t* name, const wchar_t* value);

// The variable's bytes as the environment holds them, without conversion:
// false when it is not set.
bool getEnvironmentBytes(const char* name, std::string* value);
bool setEnvironmentBytes(const char* name, const std::string& value);
// The system's default search path for programs (confstr _CS_PATH), which
// the C library searches where PATH is not set.
std::string defaultSearchPath();

constexpr uint32_t INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;
constexpr uint32_t FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr uint32_t FILE_ATTRIBUTE_NORMAL = 0x80;
// GetFileAttributesW over stat(): the directory bit for a folder,
// INVALID_FILE_ATTRIBUTES for a path that does not exist.
uint32_t getFileAttributesW(const wchar_t* path);

// The running process: the executable's path (/proc/self/exe), the command
// line (arguments joined by spaces, those holding a space in quotes) and the
// start time in seconds since 1970.
std::wstring executablePath();
std::wstring commandLine();
int64_t processStartTime();

}  // namespace platform::os
