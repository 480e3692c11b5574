#include "LoggerInit.h"

#include "GenTLBranding.h"
#include "TLLogMessage.h"

#include <cctype>
#include <cstdlib>
#include <new>

namespace GenTLCore {

namespace {

int digitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 10;
    return 99;
}

}  // namespace

LoggerInit::~LoggerInit() = default;

uint32_t LoggerInit::ConvertLevel(const char* text)
{
    if (!text)
        return 0;
    const char* p = text;
    while (std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    int base = 10;
    if (p[0] == '0' && (p[1] == 'x' || p[1] == 'X') && digitValue(p[2]) < 16) {
        base = 16;
        p += 2;
    } else if (p[0] == '0') {
        base = 8;
    }
    uint64_t value = 0;
    bool overflow = false;
    bool any = false;
    for (; digitValue(*p) < base; ++p) {
        any = true;
        value = value * static_cast<uint64_t>(base) + static_cast<uint64_t>(digitValue(*p));
        if (value > 0xFFFFFFFFull) {
            overflow = true;
            value = 0xFFFFFFFFull;
        }
    }
    if (!any)
        return 0;
    if (overflow)
        return 0xFFFFFFFFu;
    const uint32_t result = static_cast<uint32_t>(value);
    return negative ? static_cast<uint32_t>(0u - result) : result;
}

void LoggerInit::Init(const CountedPtr<GenTLBranding>& branding)
{
    if (!branding.Get())
        return;
    const std::string name = branding->GetLogLevelEnvVarName();
    const char* value = name.empty() ? nullptr : std::getenv(name.c_str());
    if (!value)
        return;
    const uint32_t level = ConvertLevel(value);
    if (level != 0xFFFFFFFFu)
        SetLogLevel(level);
}

void LoggerInit::Shutdown() { SetLogLevel(0); }

LoggerInit* GetLoggerInit()
{
    try {
        static LoggerInit* const logger = new LoggerInit();
        return logger;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace GenTLCore
