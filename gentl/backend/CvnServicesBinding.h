#pragma once
#include <cstdint>

// A test build may name another file, to see the producer without it.
#ifndef CVN_SERVICES_LIBRARY_NAME
#define CVN_SERVICES_LIBRARY_NAME "Corvane.Services.so"
#endif

namespace GenTLCore::PEXCore {

// The services library Corvane.Services, loaded by name at its first use
// and bound by the names of its two calls. When the library or a call
// cannot be found, Open answers 0 and Close does nothing.
class CvnServicesBinding {
public:
    static constexpr const char* kLibraryName = CVN_SERVICES_LIBRARY_NAME;

    // Loads and binds the library now, if that was not done yet. The
    // producer's load calls it, so that no call in flight enters the loader:
    // an unload holds the loader's lock while it waits for such calls.
    static void Bind();

    static uint64_t Open();
    static void Close();
    // True once the library and both calls were found.
    static bool Available();
};

}  // namespace GenTLCore::PEXCore
