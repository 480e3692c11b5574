#pragma once
#include "CriticalSection.h"

#include <platform/pex/Pex.h>

#include <cstdint>
#include <map>
#include <string>

namespace GenTLCore::PEXCore {

// The process-wide, per-thread store of imaging-library errors. The library
// raises its errors through the error hook on the failing thread; every
// back-end operation asks afterwards whether its own thread raised one,
// which then becomes GenTL error -1001 with the library's text.
class PexErrorTracker {
public:
    // The process tracker, made and hooked at the first call. Installed
    // once: a tracker made by a thread that lost the race is unhooked and
    // freed; the winner is never touched.
    static PexErrorTracker* Instance();
    // Empties the process pointer and destroys what it held (CloseTL,
    // process exit).
    static void Teardown();

    static PEX_INT OnError(PEX_INT hookType, PEX_ID eventId, void* userData);
    static PEX_INT RecordThreadError(PexErrorTracker* tracker);
    static std::wstring ComposeErrorText(PexErrorTracker* tracker);
    // -1001 (and the thread's last error set to the library's text) when the
    // calling thread had a pending error, else 0.
    static int32_t CheckThreadError(PexErrorTracker* tracker);
    static void Destroy(PexErrorTracker* tracker);

    // The record keeping beneath: a thread is its OS id plus a token that is
    // unique to one thread's life, so that a record left by a finished
    // thread is dropped, never handed to a later thread with the same id.
    // RecordError keeps the first error of a live thread; TakeError moves
    // it out (false when there is none).
    void RecordError(uint32_t thread, uint64_t token, PEX_INT code, const std::wstring& text);
    bool TakeError(uint32_t thread, uint64_t token, std::wstring* text);
    bool HasError(uint32_t thread, uint64_t token);
    static uint64_t ThreadToken();

    PexErrorTracker(const PexErrorTracker&) = delete;
    PexErrorTracker& operator=(const PexErrorTracker&) = delete;

private:
    PexErrorTracker() = default;
    ~PexErrorTracker() = default;

    struct Record {
        uint64_t token;
        PEX_INT code;
        std::wstring text;
    };

    CriticalSection m_lock;
    std::map<uint32_t, Record> m_records;
};

}  // namespace GenTLCore::PEXCore
