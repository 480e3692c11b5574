#include "LastGenTLError.h"

#include "TLLogMessage.h"
#include "TLSControl.h"

#include <atomic>
#include <new>

namespace GenTLCore {

namespace {

std::atomic<bool> g_shutDown{false};
// The store, made on first use, until DeleteTLSControl.
std::atomic<TLSControl*> g_control{nullptr};

const char* const kErrorNames[] = {
    "GC_ERR_ERROR",           "GC_ERR_NOT_INITIALIZED",  "GC_ERR_NOT_IMPLEMENTED", "GC_ERR_RESOURCE_IN_USE",
    "GC_ERR_ACCESS_DENIED",   "GC_ERR_INVALID_HANDLE",   "GC_ERR_INVALID_ID",      "GC_ERR_NO_DATA",
    "GC_ERR_INVALID_PARAMETER", "GC_ERR_IO",             "GC_ERR_TIMEOUT",         "GC_ERR_ABORT",
    "GC_ERR_INVALID_BUFFER",  "GC_ERR_NOT_AVAILABLE",    "GC_ERR_INVALID_ADDRESS", "GC_ERR_BUFFER_TOO_SMALL",
    "GC_ERR_INVALID_INDEX",   "GC_ERR_PARSING_CHUNK_DATA", "GC_ERR_INVALID_VALUE", "GC_ERR_RESOURCE_EXHAUSTED",
    "GC_ERR_OUT_OF_MEMORY",   "GC_ERR_BUSY",
};

}  // namespace

TLSControl* GetTLSControl()
{
    TLSControl* control = g_control.load();
    if (control)
        return control;
    TLSControl* made = new (std::nothrow) TLSControl();
    if (!made)
        return nullptr;
    if (g_control.compare_exchange_strong(control, made))
        return made;
    delete made;  // another thread's store came first
    return control;
}

void DeleteTLSControl() { delete g_control.exchange(nullptr); }

bool IsLastErrorStoreShutDown() { return g_shutDown.load(); }

void ShutDownLastErrorStore() { g_shutDown.store(true); }

bool SetLastGenTLError(int32_t code, const std::string& text)
{
    if (g_shutDown.load())
        return false;
    LogInterfaceFailure(code, text);
    TLSControl* control = GetTLSControl();
    return control ? control->SetLastError(code, text) : false;
}

bool GetLastGenTLError(LastErrorRecord* out)
{
    if (g_shutDown.load())
        return false;
    TLSControl* control = GetTLSControl();
    return control ? control->GetLastError(out) : false;
}

void ResetAllLastErrors()
{
    if (g_shutDown.load())
        return;
    if (TLSControl* control = GetTLSControl())
        control->ResetAll();
}

void ReleaseThreadLastError()
{
    TLSControl* control = g_control.load();
    if (control && control->IsValid())
        control->ReleaseThreadRecord();
}

const char* GenTLErrorName(int32_t code)
{
    if (code == 0)
        return "GC_ERR_SUCCESS";
    if (code <= -1001 && code >= -1022)
        return kErrorNames[-1001 - code];
    return "Unknown error code";
}

void LogInterfaceFailure(int32_t code, const std::string& text)
{
    if (code == 0 || !IsLogged(LOG_ERROR))
        return;
    try {
        TLLogMessage message("TLErr", LOG_ERROR);
        message << "GenTL interface call failure: " << GenTLErrorName(code) << ", " << text << std::endl;
    } catch (...) {
        // Logging never fails the caller.
    }
}

}  // namespace GenTLCore
