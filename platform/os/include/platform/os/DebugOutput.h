#pragma once
#include <string>

namespace platform::os {

// Writes one diagnostic line to the debugger output (standard error here).
// The text and a line break go out in a single write, so lines from several
// threads never interleave. A missing trailing line break is added.
void debugOutput(const char* text);
void debugOutput(const std::string& text);

}  // namespace platform::os
