#include "PexHooks.h"

#include "PexCallLog.h"
#include "PexCodes.h"
#include "PexLibrary.h"

#include <algorithm>
#include <cstring>

namespace platform::pex {

namespace {
// The callbacks running on this thread, innermost first, so that a callback
// may unhook itself. The nodes live on the stack of fire(): a thread-local
// object with a destructor would register exit work for the thread, which
// takes the loader's lock, and a user that unloads its plug-in holds that
// lock while it waits for our worker threads.
struct Running {
    const void* entry;
    const Running* outer;
};
thread_local const Running* t_running = nullptr;
}  // namespace

PexHooks& PexHooks::instance()
{
    // Never destroyed (see PexLibrary::instance).
    static PexHooks* const hooks = new PexHooks;
    return *hooks;
}

void PexHooks::add(PEX_ID object, PEX_INT type, PEX_HOOK_FUNCTION function, void* userData)
{
    auto entry = std::make_shared<Entry>();
    entry->object = object;
    entry->type = type;
    entry->function = function;
    entry->userData = userData;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_entries.push_back(std::move(entry));
}

void PexHooks::waitIdle(std::unique_lock<std::mutex>& lock, const std::shared_ptr<Entry>& entry)
{
    int own = 0;
    for (const Running* r = t_running; r; r = r->outer)
        own += r->entry == entry.get() ? 1 : 0;
    m_idle.wait(lock, [&] { return entry->running <= own; });
}

bool PexHooks::remove(PEX_ID object, PEX_INT type, PEX_HOOK_FUNCTION function, void* userData)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    auto it = std::find_if(m_entries.begin(), m_entries.end(), [&](const std::shared_ptr<Entry>& e) {
        return e->object == object && e->type == type && e->function == function && e->userData == userData;
    });
    if (it == m_entries.end())
        return false;
    std::shared_ptr<Entry> entry = *it;
    m_entries.erase(it);
    waitIdle(lock, entry);
    return true;
}

void PexHooks::removeObject(PEX_ID object)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    std::vector<std::shared_ptr<Entry>> removed;
    auto keep = std::stable_partition(m_entries.begin(), m_entries.end(),
                                      [&](const std::shared_ptr<Entry>& e) { return e->object != object; });
    removed.assign(keep, m_entries.end());
    m_entries.erase(keep, m_entries.end());
    for (const auto& entry : removed)
        waitIdle(lock, entry);
}

size_t PexHooks::count(PEX_ID object)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return size_t(std::count_if(m_entries.begin(), m_entries.end(),
                                [&](const std::shared_ptr<Entry>& e) { return e->object == object; }));
}

void PexHooks::fire(PEX_ID object, PEX_INT type, PEX_ID eventId)
{
    std::vector<std::shared_ptr<Entry>> calls;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const auto& e : m_entries) {
            if (e->object == object && e->type == type) {
                ++e->running;
                calls.push_back(e);
            }
        }
    }
    for (size_t i = 0; i < calls.size(); ++i) {
        const std::shared_ptr<Entry>& e = calls[i];
        bool live;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            live = std::find(m_entries.begin(), m_entries.end(), e) != m_entries.end();
        }
        if (live) {
            const Running running{e.get(), t_running};
            t_running = &running;
            e->function(type, eventId, e->userData);
            t_running = running.outer;
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        --e->running;
        m_idle.notify_all();
    }
}

PEX_ID PexHooks::beginEvent(const PexEventInfo& info)
{
    const PEX_ID id = PexLibrary::newId();
    auto copy = std::make_shared<const PexEventInfo>(info);
    std::lock_guard<std::mutex> lock(m_mutex);
    m_events[id] = std::move(copy);
    return id;
}

void PexHooks::endEvent(PEX_ID eventId)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_events.erase(eventId);
}

int PexHooks::info(PEX_ID eventId, PEX_INT code, void* out)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_events.find(eventId);
    if (it == m_events.end() || !out)
        return 1;
    if (code == code::kInfoTimeStamp) {
        std::memcpy(out, &it->second->timeStamp, sizeof(double));
        return 0;
    }
    auto v = it->second->values.find(code);
    if (v == it->second->values.end())
        return 1;
    std::memcpy(out, &v->second, sizeof(int64_t));
    return 0;
}

}  // namespace platform::pex

using platform::pex::PexCallLog;
using platform::pex::PexHooks;

extern "C" PEX_INT PexGetHookInfo(PEX_ID eventId, PEX_INT code, void* out)
{
    PexCallLog::instance().add("PexGetHookInfo", eventId, code, 0);
    return PexHooks::instance().info(eventId, code, out);
}
