#pragma once
#include "platform/pex/Pex.h"

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace platform::pex {

// What one occurrence of a hooked event answers to PexGetHookInfo.
struct PexEventInfo {
    std::map<PEX_INT, int64_t> values;
    double timeStamp = 0.0;  // info 64
};

// Every hook of the library (application, digitizers, buffers) and the
// events being delivered. Callbacks run with no lock of the library held;
// removing a hook waits until no other thread runs its callback. Lives until
// the process ends.
class PexHooks {
public:
    static PexHooks& instance();

    // object 0 stands for the application.
    void add(PEX_ID object, PEX_INT type, PEX_HOOK_FUNCTION function, void* userData);
    // Removes exactly one (object, type, function, userData); false when it
    // is not hooked. Returns once no other thread runs that callback.
    bool remove(PEX_ID object, PEX_INT type, PEX_HOOK_FUNCTION function, void* userData);
    // Removes every hook of an object, waiting as remove does.
    void removeObject(PEX_ID object);
    size_t count(PEX_ID object);

    // Calls every hook of (object, type) on the calling thread with eventId.
    void fire(PEX_ID object, PEX_INT type, PEX_ID eventId);

    // Makes an event that answers info, with a new id; it answers until
    // endEvent.
    PEX_ID beginEvent(const PexEventInfo& info);
    void endEvent(PEX_ID eventId);
    // 0 and the value in *out when the event has the code; non-zero and
    // *out unchanged otherwise.
    int info(PEX_ID eventId, PEX_INT code, void* out);

private:
    struct Entry {
        PEX_ID object;
        PEX_INT type;
        PEX_HOOK_FUNCTION function;
        void* userData;
        int running = 0;
    };
    void waitIdle(std::unique_lock<std::mutex>& lock, const std::shared_ptr<Entry>& entry);

    std::mutex m_mutex;
    std::condition_variable m_idle;
    std::vector<std::shared_ptr<Entry>> m_entries;
    std::map<PEX_ID, std::shared_ptr<const PexEventInfo>> m_events;
};

}  // namespace platform::pex
