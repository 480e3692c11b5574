#include "PexApplication.h"

#include "PexCallLog.h"
#include "PexCodes.h"
#include "PexHooks.h"
#include "PexLibrary.h"
#include "PexText.h"

#include <chrono>
#include <cstring>
#include <cwchar>
#include <thread>

namespace platform::pex {

namespace {

// Per-thread state in fixed tables without destructors, so that no thread
// exit work is registered for the library.
struct ThreadSettings {
    static constexpr int kSlots = 32;
    PEX_INT codes[kSlots];
    PEX_INT values[kSlots];
    int used;
};
thread_local ThreadSettings t_settings{};

struct ThreadError {
    static constexpr size_t kText = 512;
    PEX_INT code;
    wchar_t text[kText];
    wchar_t detail[kText];
};
thread_local ThreadError t_error{};

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

void copyText(wchar_t* to, const std::wstring& from)
{
    const size_t n = std::min(from.size(), ThreadError::kText - 1);
    std::wmemcpy(to, from.data(), n);
    to[n] = L'\0';
}

}  // namespace

void PexFailure::set(PEX_ID failingSource, PEX_INT errorCode, const std::wstring& message, const std::wstring& more)
{
    if (code)
        return;  // the first failure of an operation is the one reported
    source = failingSource;
    code = errorCode;
    text = message;
    detail = more;
}

void PexFailure::raise() const
{
    if (code)
        PexApplication::instance().raise(source, code, text, detail);
}

PexApplication& PexApplication::instance()
{
    static PexApplication app;
    return app;
}

bool PexApplication::validContext(PEX_ID context, const wchar_t* operation)
{
    if (context == PEX_ID(PEX_DEFAULT) || context == kServicesHandle)
        return true;
    raise(context, code::kErrInvalidContext, std::wstring(operation) + L": invalid application context.",
          L"The context is neither the default context nor the services handle.");
    return false;
}

PEX_INT PexApplication::installedSystem(PEX_INT code, void* out)
{
    PexLibrary& lib = PexLibrary::instance();
    PexFailure failure;
    PEX_INT value = 0;
    {
        std::lock_guard<std::mutex> lock(lib.mutex);
        lib.ensureConfigured();
        const PEX_INT count = PEX_INT(lib.installed.size());
        const PEX_INT plain = PexText::withoutSizeForm(code);
        auto inRange = [&](PEX_INT base) { return plain >= base && plain < base + count; };
        if (code == code::kInstalledSystems) {
            value = count;
            PexLibrary::writeValue(out, value);
            if (!lib.refusal.empty())
                failure.set(kServicesHandle, code::kErrInvalidValue,
                            L"PexAppInquire: the simulated installation is refused.", PexText::widen(lib.refusal));
        } else if (inRange(code::kSystemType) && plain == code) {
            value = lib.installed[size_t(code - code::kSystemType)].type;
            PexLibrary::writeValue(out, value);
        } else if (inRange(code::kSystemBoards) && plain == code) {
            value = PEX_INT(lib.installed[size_t(code - code::kSystemBoards)].boards.size());
            PexLibrary::writeValue(out, value);
        } else if (inRange(code::kSystemName)) {
            PexText::answer(code, plain, PexText::widen(lib.installed[size_t(plain - code::kSystemName)].name), out);
        } else {
            failure.set(kServicesHandle, code::kErrInvalidCode, L"PexAppInquire: unknown inquiry type.",
                        L"Inquiry " + std::to_wstring(code) + L" is not an installed-system inquiry.");
        }
    }
    failure.raise();
    return value;
}

PEX_INT PexApplication::inquire(PEX_ID context, PEX_INT code, void* out)
{
    if (!validContext(context, L"PexAppInquire"))
        return 0;
    if (context == kServicesHandle)
        return installedSystem(code, out);
    const PEX_INT* slot = settingSlot(code, false);
    const PEX_INT value = slot ? *slot : 0;
    PexLibrary::writeValue(out, value);
    return value;
}

void PexApplication::control(PEX_ID context, PEX_INT code, PEX_INT value)
{
    if (!validContext(context, L"PexAppControl"))
        return;
    PEX_INT* slot = settingSlot(code, true);
    if (!slot) {
        raise(context, code::kErrInvalidCode, L"PexAppControl: too many application settings.", L"");
        return;
    }
    *slot = value;
}

void PexApplication::hook(PEX_ID context, PEX_INT type, PEX_HOOK_FUNCTION function, void* userData)
{
    if (!validContext(context, L"PexAppHookFunction"))
        return;
    if (type == code::kErrorHook + code::kUnhook) {
        PexHooks::instance().remove(0, code::kErrorHook, function, userData);
        return;
    }
    if (type != code::kErrorHook || !function) {
        raise(context, code::kErrInvalidCode, L"PexAppHookFunction: invalid hook type or function.", L"");
        return;
    }
    PexHooks::instance().add(0, code::kErrorHook, function, userData);
}

PEX_INT PexApplication::error(PEX_ID context, PEX_INT code, void* out)
{
    (void)context;
    const ThreadError& e = t_error;
    if (code == code::kErrorCurrent) {
        PexLibrary::writeValue(out, e.code);
        return e.code;
    }
    const std::wstring text = e.code ? e.text : L"";
    const std::wstring detail = e.code && e.detail[0] ? e.detail : L"Null.";
    if (PexText::answer(code, code::kErrorMain, text, out) || PexText::answer(code, code::kErrorSub1, detail, out) ||
        PexText::answer(code, code::kErrorSub2, L"Null.", out) || PexText::answer(code, code::kErrorSub3, L"", out))
        return 0;
    PexLibrary::writeValue(out, 0);
    return 0;
}

void PexApplication::raise(PEX_ID source, PEX_INT code, const std::wstring& text, const std::wstring& detail)
{
    t_error.code = code;
    copyText(t_error.text, text);
    copyText(t_error.detail, detail);
    PexHooks::instance().fire(0, code::kErrorHook, source);
}

}  // namespace platform::pex

using platform::pex::PexApplication;
using platform::pex::PexCallLog;

extern "C" {

PEX_INT PexAppInquire(PEX_ID context, PEX_INT code, void* out)
{
    const PEX_INT value = PexApplication::instance().inquire(context, code, out);
    PexCallLog::instance().add("PexAppInquire", context, code, value);
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
    const PEX_INT value = PexApplication::instance().error(context, code, out);
    PexCallLog::instance().add("PexAppGetError", context, code, value);
    return value;
}

PEX_INT PexAppTimer(PEX_ID context, PEX_INT code, void* out)
{
    PexCallLog::instance().add("PexAppTimer", context, code, 0);
    const double seconds = platform::pex::PexLibrary::now();
    if (out)
        std::memcpy(out, &seconds, sizeof seconds);
    return 0;
}

void PexSleep(PEX_INT milliseconds)
{
    PexCallLog::instance().add("PexSleep", 0, milliseconds, 0);
    if (milliseconds > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

PEX_INT PexFormatText(wchar_t* buffer, PEX_INT size, const wchar_t* format, PEX_INT value)
{
    PexCallLog::instance().add("PexFormatText", 0, size, value);
    if (!buffer || size <= 0 || !format)
        return 0;
    const int n = std::swprintf(buffer, size_t(size), format, static_cast<long long>(value));
    if (n < 0) {
        buffer[size - 1] = L'\0';
        return 0;
    }
    return n;
}

}  // extern "C"
