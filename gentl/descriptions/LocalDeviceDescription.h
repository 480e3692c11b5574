#pragma once

#include <string>

namespace GenTLCore {

// The LocalDevice module's register description, as served.
std::string BuildLocalDeviceXml();

} // namespace GenTLCore
