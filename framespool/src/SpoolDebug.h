#pragma once

// Formats one diagnostic line (printf style, at most 1023 characters) and
// writes it to the debugger output, when that is enabled
// (platform::os::debugOutput).
void SpoolDebug(const char* format, ...) __attribute__((format(printf, 1, 2)));
