#pragma once
#include <cstdint>

namespace GenTLCore::PEXCore {

// The services library Corvane.Services, loaded by name at its first use
// and bound by the names of its two calls. When the library or a call
// cannot be found, Open answers 0 and Close does nothing.
class CvnServicesBinding {
public:
    static constexpr const char* kLibraryName = "Corvane.Services.so";

    static uint64_t Open();
    static void Close();
    // True once the library and both calls were found.
    static bool Available();
};

}  // namespace GenTLCore::PEXCore
