#pragma once
#include "Register.h"

namespace GenTLCore {

// Filler of a hole in the address space: no access, never valid.
class DummyRegister : public Register {
public:
    DummyRegister(uint64_t address, uint64_t length)
        : Register(address, length, REG_ACCESS_NONE, REG_TYPE_FILLER, 0)
    {
    }
    ~DummyRegister() override;

    bool IsValid() const override;
};

}  // namespace GenTLCore
