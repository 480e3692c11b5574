#include "SpoolDebug.h"

#include <platform/os/DebugOutput.h>

#include <cstdarg>
#include <cstdio>

void SpoolDebug(const char* format, ...)
{
    if (!platform::os::debugOutputEnabled())
        return;
    char line[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    platform::os::debugOutput(line);
}
