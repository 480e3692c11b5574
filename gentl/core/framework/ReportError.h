#pragma once
#include <cstdint>
#include <string>

namespace GenTLCore {

// Stores {code, text} as the calling thread's last GenTL error and returns
// the code, for the refusals of the module framework.
int32_t ReportError(int32_t code, const std::string& text);

// Writes one log line when the log level lets `level` through; logging never
// fails the caller.
void LogLine(const char* category, int32_t level, const std::string& text);

}  // namespace GenTLCore
