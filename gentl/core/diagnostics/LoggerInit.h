#pragma once
#include "StaticInitializationHelper.h"

#include <cstdint>

namespace GenTLCore {

// Sets the log level at load from the environment variable that the
// branding names, and back to 0 at unload.
class LoggerInit : public StaticInitializationHelper {
public:
    LoggerInit() = default;
    ~LoggerInit() override;

    // Reads the variable: absent leaves the level unchanged; otherwise its
    // value converted as a 32-bit unsigned number in base 0 becomes the
    // level, unless the conversion answers 0xFFFFFFFF (overflow, or "-1").
    // Text that is not a number gives 0.
    void Init(const CountedPtr<GenTLBranding>& branding) override;
    void Shutdown() override;

    // The conversion of the variable's value: decimal, hexadecimal after 0x
    // or octal after a leading 0, optional sign, surrounding blanks; the
    // digits up to the first one that does not fit count. Negative values
    // wrap as 32-bit unsigned numbers; values beyond 32 bits give 0xFFFFFFFF.
    static uint32_t ConvertLevel(const char* text);
};

// The logger singleton, made on first use.
LoggerInit* GetLoggerInit();

}  // namespace GenTLCore
