#pragma once

#include <string>

namespace GenTLCore {

// The System module's register description, as served.
std::string BuildSystemXml();

} // namespace GenTLCore
