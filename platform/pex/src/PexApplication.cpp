#include "PexApplication.h"

#include "PexCallLog.h"

#include <algorithm>

namespace platform::pex {

namespace {

// Settings of one thread: a small table without destructor, so that no
// thread exit work is registered for the library.
struct ThreadSettings {
    static constexpr int kSlots = 32;
    PEX_INT codes[kSlots];
    PEX_INT values[kSlots];
    int used;
};
thread_local ThreadSettings t_settings{};
thread_local PEX_INT t_currentError = 0;

PEX_INT* settingSlot(PEX_INT code, bool create)
{
    ThreadSettings& s = t_settings;
    for (int i = 0; i < s.used; ++i)
        if (s.codes[i] == code)
            return &s.values[i];
    if (!create || s.used == ThreadSettings::kSlots)
        return nullptr;
    s.codes[s.used] = code;
    s.values[s.used] = 0;
    return &s.values[s.used++];
}

}  // namespace

PexApplication& PexApplication::instance()
{
    static PexApplication app;
    return app;
}

bool PexApplication::validContext(PEX_ID context)
{
    if (context == PEX_DEFAULT)
        return true;
    raise(context, kInvalidContext);
    return false;
}

PEX_INT PexApplication::inquire(PEX_ID context, PEX_INT code)
{
    if (!validContext(context))
        return 0;
    const PEX_INT* slot = settingSlot(code, false);
    return slot ? *slot : 0;
}

void PexApplication::control(PEX_ID context, PEX_INT code, PEX_INT value)
{
    if (!validContext(context))
        return;
    PEX_INT* slot = settingSlot(code, true);
    if (!slot) {
        raise(context, kInvalidCode);
        return;
    }
    *slot = value;
}

void PexApplication::hook(PEX_ID context, PEX_INT type, PEX_HOOK_FUNCTION function, void* userData)
{
    if (!validContext(context))
        return;
    const bool unhook = type == PEX_ERROR_CURRENT_HOOK + PEX_UNHOOK;
    if ((type != PEX_ERROR_CURRENT_HOOK && !unhook) || !function) {
        raise(context, kInvalidCode);
        return;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    if (unhook) {
        auto it = std::find_if(m_errorHooks.begin(), m_errorHooks.end(), [&](const Hook& h) {
            return h.function == function && h.userData == userData;
        });
        if (it != m_errorHooks.end())
            m_errorHooks.erase(it);
    } else {
        m_errorHooks.push_back(Hook{function, userData});
    }
}

PEX_INT PexApplication::error(PEX_ID context, PEX_INT code)
{
    if (code == PEX_ERROR_CURRENT && (context == PEX_DEFAULT || context == PEX_NULL))
        return t_currentError;
    return 0;
}

void PexApplication::raise(PEX_ID context, PEX_INT code)
{
    t_currentError = code;
    std::vector<Hook> hooks;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        hooks = m_errorHooks;
    }
    for (const Hook& h : hooks)
        h.function(PEX_ERROR_CURRENT_HOOK, context, h.userData);
}

}  // namespace platform::pex

using platform::pex::PexApplication;
using platform::pex::PexCallLog;

extern "C" {

PEX_INT PexAppInquire(PEX_ID context, PEX_INT code, void* out)
{
    const PEX_INT value = PexApplication::instance().inquire(context, code);
    PexCallLog::instance().add("PexAppInquire", context, code, value);
    if (out)
        *static_cast<PEX_INT*>(out) = value;
    return value;
}

void PexAppControl(PEX_ID context, PEX_INT code, PEX_INT value)
{
    PexCallLog::instance().add("PexAppControl", context, code, value);
    PexApplication::instance().control(context, code, value);
}

void PexAppHookFunction(PEX_ID context, PEX_INT type, PEX_HOOK_FUNCTION function, void* userData)
{
    PexCallLog::instance().add("PexAppHookFunction", context, type, 0);
    PexApplication::instance().hook(context, type, function, userData);
}

PEX_INT PexAppGetError(PEX_ID context, PEX_INT code, void* out)
{
    const PEX_INT value = PexApplication::instance().error(context, code);
    PexCallLog::instance().add("PexAppGetError", context, code, value);
    if (out)
        *static_cast<PEX_INT*>(out) = value;
    return value;
}

size_t PexTestCallCount(void) { return PexCallLog::instance().count(); }

const char* PexTestCallName(size_t index)
{
    PexCallLog::Entry e{};
    return PexCallLog::instance().entry(index, &e) ? e.name : nullptr;
}

int PexTestCallArgs(size_t index, PEX_ID* context, PEX_INT* code, PEX_INT* value)
{
    PexCallLog::Entry e{};
    if (!PexCallLog::instance().entry(index, &e))
        return 0;
    if (context)
        *context = e.context;
    if (code)
        *code = e.code;
    if (value)
        *value = e.value;
    return 1;
}

size_t PexTestCallCountOf(const char* name)
{
    return name ? PexCallLog::instance().countOf(name) : 0;
}

void PexTestClearCallLog(void) { PexCallLog::instance().clear(); }

}  // extern "C"
