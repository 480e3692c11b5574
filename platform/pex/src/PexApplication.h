#pragma once
#include "platform/pex/Pex.h"

#include <string>

namespace platform::pex {

// A failure an operation found; raised once the operation has left the
// library's lock.
struct PexFailure {
    PEX_INT code = 0;
    PEX_ID source = 0;
    std::wstring text;
    std::wstring detail;

    void set(PEX_ID failingSource, PEX_INT errorCode, const std::wstring& message,
             const std::wstring& more = std::wstring());
    // Raises on the calling thread when set.
    void raise() const;
};

// The application level of the library: per-thread settings, the
// installed-system inquiries, the error hooks and the per-thread current
// error.
class PexApplication {
public:
    // The context that the services stand-in hands out (CvnServicesOpen).
    static constexpr PEX_ID kServicesHandle = 0x5E000001ull;

    static PexApplication& instance();

    PEX_INT inquire(PEX_ID context, PEX_INT code, void* out);
    void control(PEX_ID context, PEX_INT code, PEX_INT value);
    void hook(PEX_ID context, PEX_INT type, PEX_HOOK_FUNCTION function, void* userData);
    PEX_INT error(PEX_ID context, PEX_INT code, void* out);

    // Records the calling thread's current error (code, main text, first
    // sub-text) and calls every error hook on this thread.
    void raise(PEX_ID source, PEX_INT code, const std::wstring& text, const std::wstring& detail);

private:
    bool validContext(PEX_ID context, const wchar_t* operation);
    PEX_INT installedSystem(PEX_INT code, void* out);
};

}  // namespace platform::pex
