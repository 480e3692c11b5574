#include "DescriptionFormat.h"

namespace GenTLCore {

std::string DescriptionFileName(const std::string& moduleWord)
{
    return "Corvane_CoaXPress_" + moduleWord + "_1_0_0_190524091442.xml";
}

} // namespace GenTLCore
