#pragma once
#include "CPEXString.h"
#include "GenTLLibrary.h"

#include <cstdint>

namespace GenTLCore::PEXCore {

// The library object on the imaging library: puts the library's driver
// folder on PATH when made, opens the services library Corvane.Services and
// installs the library-error tracker at InitTL, undoes both at CloseTL.
class GenTLLibraryPEX : public GenTLLibrary {
public:
    GenTLLibraryPEX();
    ~GenTLLibraryPEX() override;

    // False: the library's named lock is never given back at close.
    bool UsesProcessLock() override { return false; }
    // True when the services library gave a handle. Without the services
    // library the thread's last error names it.
    bool InitTL() override;
    bool CloseTL() override;
    void PostBannerHook() override {}

protected:
    // The services handle (0 while not open); the application context of
    // the installed-system inquiries.
    uint64_t m_servicesHandle = 0;

private:
    CPEXString m_platformWord;
};

}  // namespace GenTLCore::PEXCore
