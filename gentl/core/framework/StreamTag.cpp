#include "StreamTag.h"

namespace GenTLCore {

StreamTag::~StreamTag() = default;

}  // namespace GenTLCore
