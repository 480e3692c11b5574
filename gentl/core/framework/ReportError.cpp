#include "ReportError.h"

#include "LastGenTLError.h"
#include "TLLogMessage.h"

namespace GenTLCore {

int32_t ReportError(int32_t code, const std::string& text)
{
    SetLastGenTLError(code, text);
    return code;
}

void LogLine(const char* category, int32_t level, const std::string& text)
{
    if (!IsLogged(level))
        return;
    try {
        TLLogMessage message(category, level);
        message << text << std::endl;
    } catch (...) {
    }
}

}  // namespace GenTLCore
