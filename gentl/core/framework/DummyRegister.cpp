#include "DummyRegister.h"

namespace GenTLCore {

DummyRegister::~DummyRegister() = default;

bool DummyRegister::IsValid() const { return false; }

}  // namespace GenTLCore
