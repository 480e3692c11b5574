#include "CvnServicesBinding.h"

#include <dlfcn.h>
#include <mutex>
#include <string>

namespace GenTLCore::PEXCore {

namespace {

using OpenFunction = uint64_t (*)();
using CloseFunction = void (*)();

struct Calls {
    OpenFunction open = nullptr;
    CloseFunction close = nullptr;
};

// The library by the search path, else from the folder of the module this
// code lives in (a loader in between, such as a sanitizer's, hides that
// module's own search path from dlopen).
void* LoadLibrary()
{
    if (void* library = dlopen(CvnServicesBinding::kLibraryName, RTLD_NOW | RTLD_LOCAL))
        return library;
    Dl_info info{};
    if (!dladdr(reinterpret_cast<void*>(&LoadLibrary), &info) || !info.dli_fname)
        return nullptr;
    std::string folder = info.dli_fname;
    const size_t slash = folder.rfind('/');
    folder = slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
    for (const char* place : {"/", "/../lib/"}) {
        if (void* library = dlopen((folder + place + CvnServicesBinding::kLibraryName).c_str(), RTLD_NOW | RTLD_LOCAL))
            return library;
    }
    return nullptr;
}

// Loaded once and kept for the life of the process.
const Calls& Bound()
{
    static Calls calls;
    static std::once_flag once;
    std::call_once(once, [] {
        void* library = LoadLibrary();
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

void CvnServicesBinding::Bind() { Bound(); }

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
