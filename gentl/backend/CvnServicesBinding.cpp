#include "CvnServicesBinding.h"

#include <dlfcn.h>
#include <mutex>

namespace GenTLCore::PEXCore {

namespace {

using OpenFunction = uint64_t (*)();
using CloseFunction = void (*)();

struct Calls {
    OpenFunction open = nullptr;
    CloseFunction close = nullptr;
};

// Loaded once and kept for the life of the process.
const Calls& Bound()
{
    static Calls calls;
    static std::once_flag once;
    std::call_once(once, [] {
        void* library = dlopen(CvnServicesBinding::kLibraryName, RTLD_NOW | RTLD_LOCAL);
        if (!library)
            return;
        auto open = reinterpret_cast<OpenFunction>(dlsym(library, "CvnServicesOpen"));
        auto close = reinterpret_cast<CloseFunction>(dlsym(library, "CvnServicesClose"));
        if (open && close) {
            calls.open = open;
            calls.close = close;
        }
    });
    return calls;
}

}  // namespace

uint64_t CvnServicesBinding::Open()
{
    const Calls& calls = Bound();
    return calls.open ? calls.open() : 0;
}

void CvnServicesBinding::Close()
{
    const Calls& calls = Bound();
    if (calls.close)
        calls.close();
}

bool CvnServicesBinding::Available() { return Bound().open != nullptr; }

}  // namespace GenTLCore::PEXCore
