#include "PexErrorTracker.h"

#include "CPEXString.h"
#include "LastGenTLError.h"
#include "PexLibraryCodes.h"
#include "PexTextInquiry.h"
#include "ScopedLock.h"

#include <platform/os/ThreadControl.h>

#include <atomic>

namespace GenTLCore::PEXCore {

namespace {

using namespace PexCode;

constexpr PEX_INT kMessageParts[] = {kAppErrorMessage, kAppErrorDetail1, kAppErrorDetail2, kAppErrorDetail3};
constexpr int32_t kGenTLError = -1001;  // GC_ERR_ERROR

std::atomic<PexErrorTracker*> g_tracker{nullptr};

}  // namespace

uint64_t PexErrorTracker::ThreadToken()
{
    static std::atomic<uint64_t> next{1};
    thread_local uint64_t token = 0;  // trivially destructible: no exit work
    if (token == 0)
        token = next.fetch_add(1);
    return token;
}

PexErrorTracker* PexErrorTracker::Instance()
{
    PexErrorTracker* current = g_tracker.load();
    if (current)
        return current;
    auto* made = new PexErrorTracker;
    PexAppHookFunction(kDefault, kAppErrorHook, &PexErrorTracker::OnError, made);
    if (g_tracker.compare_exchange_strong(current, made))
        return made;
    Destroy(made);  // another thread installed its tracker first
    return current;
}

void PexErrorTracker::Teardown() { Destroy(g_tracker.exchange(nullptr)); }

PEX_INT PexErrorTracker::OnError(PEX_INT, PEX_ID, void* userData)
{
    return RecordThreadError(static_cast<PexErrorTracker*>(userData));
}

PEX_INT PexErrorTracker::RecordThreadError(PexErrorTracker* tracker)
{
    const uint32_t thread = uint32_t(platform::os::currentThreadId());
    const uint64_t token = ThreadToken();
    if (tracker->HasError(thread, token))
        return 0;  // the first error stays until the thread asks for it
    const PEX_INT code = PexAppGetError(kDefault, kAppErrorCode, nullptr);
    if (code == 0)
        return 0;
    tracker->RecordError(thread, token, code, ComposeErrorText(tracker));
    return 0;
}

std::wstring PexErrorTracker::ComposeErrorText(PexErrorTracker*)
{
    std::wstring text;
    for (PEX_INT part : kMessageParts) {
        const std::wstring piece = InquirePexText(&PexAppGetError, kDefault, part);
        if (piece.empty() || piece == L"Null.")
            continue;
        text += piece;
        text += L'\n';
    }
    return text;
}

bool PexErrorTracker::HasError(uint32_t thread, uint64_t token)
{
    ScopedLock lock(m_lock);
    auto it = m_records.find(thread);
    if (it == m_records.end())
        return false;
    if (it->second.token != token) {
        m_records.erase(it);  // left by a finished thread with the same id
        return false;
    }
    return true;
}

void PexErrorTracker::RecordError(uint32_t thread, uint64_t token, PEX_INT code, const std::wstring& text)
{
    ScopedLock lock(m_lock);
    auto it = m_records.find(thread);
    if (it != m_records.end() && it->second.token == token)
        return;
    m_records[thread] = Record{token, code, text};
}

bool PexErrorTracker::TakeError(uint32_t thread, uint64_t token, std::wstring* text)
{
    ScopedLock lock(m_lock);
    auto it = m_records.find(thread);
    if (it == m_records.end())
        return false;
    const bool own = it->second.token == token;
    if (own)
        *text = std::move(it->second.text);
    m_records.erase(it);
    return own;
}

int32_t PexErrorTracker::CheckThreadError(PexErrorTracker* tracker)
{
    std::wstring text;
    if (!tracker || !tracker->TakeError(uint32_t(platform::os::currentThreadId()), ThreadToken(), &text))
        return 0;
    SetLastGenTLError(kGenTLError, WideToUtf8(text));
    return kGenTLError;
}

void PexErrorTracker::Destroy(PexErrorTracker* tracker)
{
    if (!tracker)
        return;
    PexAppHookFunction(kDefault, kAppErrorHook + kUnhook, &PexErrorTracker::OnError, tracker);
    delete tracker;
}

}  // namespace GenTLCore::PEXCore
