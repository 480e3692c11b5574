#pragma once
// Diagnostic lines of the program. Every line starts "[ where ]- line: "
// (where = "Class::method") and is built in a zeroed 1024-byte buffer, then
// written to the debugger output as one line.

#include <cstdarg>
#include <cstddef>

constexpr std::size_t kDebugLineCapacity = 1024;

// printf-style formatting into `buffer`, which holds kDebugLineCapacity bytes.
// The text is cut to fit and always NUL-terminated. Returns the number of
// characters written (without the terminator).
int formatLogLine(char* buffer, const char* format, ...) __attribute__((format(printf, 2, 3)));
// The same with the arguments as a va_list.
int vformatLogLine(char* buffer, const char* format, va_list args) __attribute__((format(printf, 2, 0)));

// Builds "[ where ]- line: " + the formatted text and writes it out; builds
// nothing unless debugger output is enabled (platform::os::debugOutput).
void writeDebugLine(const char* where, int line, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

#define LUMA_DEBUG(where, ...) writeDebugLine((where), __LINE__, __VA_ARGS__)
