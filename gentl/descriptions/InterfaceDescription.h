#pragma once

#include <string>

namespace GenTLCore {

// The Interface module's register description, as served.
std::string BuildInterfaceXml();

} // namespace GenTLCore
