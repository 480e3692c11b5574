#include "TLLogMessage.h"

#include <platform/os/DebugOutput.h>
#include <platform/os/SystemInfo.h>
#include <platform/os/ThreadControl.h>

#include <atomic>
#include <iomanip>

namespace GenTLCore {

namespace {

std::atomic<uint32_t> g_logLevel{0};

struct TimeBase {
    double frequency;
    double firstMessage;
};

double counterSeconds(double frequency)
{
    return static_cast<double>(platform::os::highResCounter()) / frequency;
}

// Seconds since the first message of the process; the first message itself
// reads 0. The time base is set once, whichever thread logs first.
double elapsedSeconds()
{
    bool first = false;
    static const TimeBase base = [&first] {
        first = true;
        const double frequency = static_cast<double>(platform::os::highResFrequency());
        return TimeBase{frequency, counterSeconds(frequency)};
    }();
    if (first)
        return 0.0;
    return counterSeconds(base.frequency) - base.firstMessage;
}

}  // namespace

uint32_t GetLogLevel() { return g_logLevel.load(std::memory_order_relaxed); }

void SetLogLevel(uint32_t level) { g_logLevel.store(level, std::memory_order_relaxed); }

bool IsLogged(int32_t level) { return static_cast<uint32_t>(level) <= GetLogLevel(); }

const char* LogLevelName(int32_t level)
{
    switch (level) {
    case LOG_ALWAYS: return "*";
    case LOG_ERROR: return "Error";
    case LOG_WARNING: return "Warning";
    case LOG_INFO: return "Info";
    case LOG_DEBUG: return "Debug";
    case LOG_TRACE: return "Trace";
    default: return "?";
    }
}

TLLogMessage::TLLogMessage(const std::string& category, int32_t level)
{
    const double elapsed = elapsedSeconds();
    *this << ProductPrefix() << std::left << std::setw(12) << category << std::setw(8)
          << LogLevelName(level) << std::right << std::setw(8) << platform::os::currentThreadId()
          << std::setw(16) << elapsed << "    ";
}

TLLogMessage::~TLLogMessage()
{
    try {
        // The log level (PEX_LOG_LEVEL) already asked for this line.
        platform::os::debugOutputAlways(str());
    } catch (...) {
        // A line that cannot be built is lost; the log never throws.
    }
}

void EmitLogMessage(TLLogMessage* message) { delete message; }

}  // namespace GenTLCore
