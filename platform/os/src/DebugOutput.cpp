#include "platform/os/DebugOutput.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

namespace platform::os {

bool debugOutputEnabled()
{
    static const bool enabled = [] {
        const char* value = std::getenv("LUMA_DEBUG_OUTPUT");
        return value && *value && std::strcmp(value, "0") != 0;
    }();
    return enabled;
}

void debugOutput(const char* text)
{
    if (debugOutputEnabled())
        debugOutputAlways(text);
}

void debugOutput(const std::string& text) { debugOutput(text.c_str()); }

void debugOutputAlways(const char* text)
{
    std::string line = text ? text : "";
    if (line.empty() || line.back() != '\n')
        line.push_back('\n');
    const char* p = line.data();
    size_t left = line.size();
    while (left > 0) {
        ssize_t n = ::write(STDERR_FILENO, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
}

void debugOutputAlways(const std::string& text) { debugOutputAlways(text.c_str()); }

}  // namespace platform::os
