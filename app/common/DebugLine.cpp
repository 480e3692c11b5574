#include "DebugLine.h"

#include <cstdarg>
#include <cstdio>

#include <platform/os/DebugOutput.h>

namespace {

int formatInto(char* buffer, std::size_t capacity, const char* format, va_list args)
{
    if (!buffer || capacity == 0)
        return 0;
    const int n = std::vsnprintf(buffer, capacity, format ? format : "", args);
    if (n < 0) {
        buffer[0] = '\0';
        return 0;
    }
    return n < static_cast<int>(capacity) ? n : static_cast<int>(capacity) - 1;
}

}  // namespace

int vformatLogLine(char* buffer, const char* format, va_list args)
{
    return formatInto(buffer, kDebugLineCapacity, format, args);
}

int formatLogLine(char* buffer, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const int n = vformatLogLine(buffer, format, args);
    va_end(args);
    return n;
}

void writeDebugLine(const char* where, int line, const char* format, ...)
{
    if (!platform::os::debugOutputEnabled())
        return;
    char buffer[kDebugLineCapacity] = {0};
    int n = formatLogLine(buffer, "[ %s ]- %d: ", where ? where : "", line);
    va_list args;
    va_start(args, format);
    formatInto(buffer + n, kDebugLineCapacity - static_cast<std::size_t>(n), format, args);
    va_end(args);
    platform::os::debugOutput(buffer);
}
