#include "Register.h"

namespace GenTLCore {

Register::~Register() = default;

bool Register::IsValid() const { return true; }

}  // namespace GenTLCore
