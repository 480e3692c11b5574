#pragma once
#include <string>

namespace platform::os {

// Debugger output: diagnostic lines that nobody sees unless they ask for
// them. Here they go to standard error, and only when the environment
// variable LUMA_DEBUG_OUTPUT is set (to anything but empty or "0"); the
// variable is read once per process (per module that links this library).
bool debugOutputEnabled();

// Writes one diagnostic line to the debugger output when it is enabled. The
// text and a line break go out in a single write, so lines from several
// threads never interleave. A missing trailing line break is added.
void debugOutput(const char* text);
void debugOutput(const std::string& text);

// The same, whatever LUMA_DEBUG_OUTPUT says: for a log that its own setting
// has already asked for.
void debugOutputAlways(const char* text);
void debugOutputAlways(const std::string& text);

}  // namespace platform::os
