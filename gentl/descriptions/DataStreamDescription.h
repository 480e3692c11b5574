#pragma once

#include <string>

namespace GenTLCore {

// The DataStream module's register description, as served.
std::string BuildDataStreamXml();

} // namespace GenTLCore
