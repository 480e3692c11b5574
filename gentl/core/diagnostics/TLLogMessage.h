#pragma once
#include <cstdint>
#include <sstream>
#include <string>

namespace GenTLCore {

// Message levels; a message of level L is written only while the log level
// is at least L.
enum LogLevel : int32_t {
    LOG_ALWAYS = 1,   // "*"
    LOG_ERROR = 2,
    LOG_WARNING = 3,
    LOG_INFO = 4,
    LOG_DEBUG = 5,
    LOG_TRACE = 6,
};

// The process-wide log level: 0 (nothing written) until the logger reads it
// at load, 0 again at unload.
uint32_t GetLogLevel();
void SetLogLevel(uint32_t level);
// True when a message of `level` is written (compared as unsigned numbers).
// Callers test this before they build a message.
bool IsLogged(int32_t level);
// "*", "Error", "Warning", "Info", "Debug", "Trace"; "?" for other values.
const char* LogLevelName(int32_t level);

// One log line. The header (product prefix, category, level name, thread id,
// seconds since the first message) is written at construction; the caller
// streams the text, ended by a line end; the destructor hands the whole line
// to the debugger output in one write.
class TLLogMessage : public std::ostringstream {
public:
    TLLogMessage(const std::string& category, int32_t level);
    ~TLLogMessage() override;
    TLLogMessage(const TLLogMessage&) = delete;
    TLLogMessage& operator=(const TLLogMessage&) = delete;

    static const char* ProductPrefix() { return "Corvane CoaXPress "; }
};

// Finishes a heap-made message: writes its line and deletes it.
void EmitLogMessage(TLLogMessage* message);

}  // namespace GenTLCore
