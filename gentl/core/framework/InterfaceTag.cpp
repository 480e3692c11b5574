#include "InterfaceTag.h"

namespace GenTLCore {

InterfaceTag::~InterfaceTag() = default;

}  // namespace GenTLCore
