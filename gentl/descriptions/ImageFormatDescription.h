// Nodes of the local device's image-format and white-balance categories,
// which rest on the CoaXPress local device's own register blocks.
#pragma once

#include "GenApiNode.h"

#include <string>

namespace GenTLCore {

// The nodes in document order; every register lives on port.
NodeList ImageFormatNodes(const std::string& port);
TextTable ImageFormatTexts();

} // namespace GenTLCore
