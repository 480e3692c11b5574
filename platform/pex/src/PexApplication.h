#pragma once
#include "platform/pex/Pex.h"

#include <mutex>
#include <vector>

namespace platform::pex {

// The application level of the library: per-thread settings, the error hooks
// and the per-thread current error.
class PexApplication {
public:
    static PexApplication& instance();

    PEX_INT inquire(PEX_ID context, PEX_INT code);
    void control(PEX_ID context, PEX_INT code, PEX_INT value);
    void hook(PEX_ID context, PEX_INT type, PEX_HOOK_FUNCTION function, void* userData);
    PEX_INT error(PEX_ID context, PEX_INT code);

    // Records `code` as the calling thread's current error and calls the
    // error hooks on this thread.
    void raise(PEX_ID context, PEX_INT code);

    // Library error codes.
    static constexpr PEX_INT kInvalidContext = 1;
    static constexpr PEX_INT kInvalidCode = 2;

private:
    struct Hook {
        PEX_HOOK_FUNCTION function;
        void* userData;
    };
    bool validContext(PEX_ID context);

    std::mutex m_mutex;
    std::vector<Hook> m_errorHooks;
};

}  // namespace platform::pex
