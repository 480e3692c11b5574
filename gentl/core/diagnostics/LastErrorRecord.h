#pragma once
#include <cstdint>
#include <string>

namespace GenTLCore {

// One thread's last GenTL error.
struct LastErrorRecord {
    int32_t code = 0;
    std::string text = "No Error";
};

}  // namespace GenTLCore
