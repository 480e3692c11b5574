#include "DeviceTag.h"

namespace GenTLCore {

DeviceTag::~DeviceTag() = default;

}  // namespace GenTLCore
