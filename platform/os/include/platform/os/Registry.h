#pragma once
// Stand-in for the Windows registry: the subset the producer's key code uses
// (open, create volatile, query with more-data, set, flush, close, current
// user), over .reg-style text hives:
//   HKEY_LOCAL_MACHINE -> $CORVANE_REGISTRY_DIR/HKEY_LOCAL_MACHINE.reg
//                         (default /etc/corvane/registry)
//   HKEY_CURRENT_USER  -> $CORVANE_REGISTRY_DIR/HKEY_CURRENT_USER.reg
//                         (default ~/.config/corvane/registry)
// A hive file holds sections "[Key\Path]" followed by values
//   "Name"=sz:text            (text to the end of the line, UTF-8)
//   "Name"=expand_sz:text
//   "Name"=multi_sz:"a","b"   (quoted items; \" and \\ inside quotes)
//   "Name"=dword:0000000a     (hexadecimal)
//   "Name"=qword:000000000000000a
//   "Name"=hex:01,02,ff
// "@" names the default value. Key paths and value names compare without
// case. Strings travel as wchar_t data with their terminating zero. Volatile
// keys live in memory only; other writes reach the file on flush or close,
// under a process lock and an exclusive flock. A missing key or value is an
// ordinary "not found".
#include <cstdint>
#include <string>

namespace platform::os {

struct RegistryKeyHandle;
using HKEY = RegistryKeyHandle*;

HKEY registryRoot(int index);
#define HKEY_CLASSES_ROOT ::platform::os::registryRoot(0)
#define HKEY_CURRENT_USER ::platform::os::registryRoot(1)
#define HKEY_LOCAL_MACHINE ::platform::os::registryRoot(2)
#define HKEY_USERS ::platform::os::registryRoot(3)
#define HKEY_PERFORMANCE_DATA ::platform::os::registryRoot(4)
#define HKEY_CURRENT_CONFIG ::platform::os::registryRoot(5)
#define HKEY_DYN_DATA ::platform::os::registryRoot(6)

constexpr int32_t ERROR_SUCCESS = 0;
constexpr int32_t ERROR_FILE_NOT_FOUND = 2;
constexpr int32_t ERROR_ACCESS_DENIED = 5;
constexpr int32_t ERROR_INVALID_HANDLE = 6;
constexpr int32_t ERROR_INVALID_PARAMETER = 87;
constexpr int32_t ERROR_MORE_DATA = 234;

constexpr uint32_t REG_NONE = 0;
constexpr uint32_t REG_SZ = 1;
constexpr uint32_t REG_EXPAND_SZ = 2;
constexpr uint32_t REG_BINARY = 3;
constexpr uint32_t REG_DWORD = 4;
constexpr uint32_t REG_MULTI_SZ = 7;
constexpr uint32_t REG_QWORD = 11;

constexpr uint32_t REG_OPTION_NON_VOLATILE = 0;
constexpr uint32_t REG_OPTION_VOLATILE = 1;
constexpr uint32_t REG_CREATED_NEW_KEY = 1;
constexpr uint32_t REG_OPENED_EXISTING_KEY = 2;

constexpr uint32_t KEY_READ = 0x20019;
constexpr uint32_t KEY_WRITE = 0x20006;
constexpr uint32_t KEY_ALL_ACCESS = 0xF003F;

int32_t RegOpenKeyExW(HKEY key, const wchar_t* subKey, uint32_t options, uint32_t access, HKEY* result);
int32_t RegCreateKeyExW(HKEY key, const wchar_t* subKey, uint32_t reserved, const wchar_t* keyClass,
                        uint32_t options, uint32_t access, void* security, HKEY* result, uint32_t* disposition);
// With data null, or size too small (ERROR_MORE_DATA), *size becomes the
// size the value needs.
int32_t RegQueryValueExW(HKEY key, const wchar_t* name, uint32_t* reserved, uint32_t* type, uint8_t* data,
                         uint32_t* size);
int32_t RegSetValueExW(HKEY key, const wchar_t* name, uint32_t reserved, uint32_t type, const uint8_t* data,
                       uint32_t size);
int32_t RegFlushKey(HKEY key);
int32_t RegCloseKey(HKEY key);
// The calling user's HKEY_CURRENT_USER, as a handle to close.
int32_t RegOpenCurrentUser(uint32_t access, HKEY* result);

// The folder of the hive files of a root (HKEY_LOCAL_MACHINE or
// HKEY_CURRENT_USER), as the rules above give it.
std::string registryFolder(HKEY root);

}  // namespace platform::os
