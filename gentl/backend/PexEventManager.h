#pragma once
#include "CriticalSection.h"
#include "PexLibraryCodes.h"
#include "ScopedLock.h"

#include <platform/pex/Pex.h>

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>

namespace GenTLCore {
namespace PEXCore {

// Binds notifications of one imaging-library object to member handlers of
// an owner. Each binding is a record that hooks a callback of its own class
// with itself as user data, so a notification reaches its handler without a
// lock or a look-up. Removing a record (or destroying the manager) disarms
// the source, then unhooks; once the unhook returns the library calls the
// record no more.
class PexEventManager {
public:
    using HookOperation = void (*)(PEX_ID object, PEX_INT type, PEX_HOOK_FUNCTION function, void* userData);

    class PexEventRecordBase {
    public:
        PexEventRecordBase() = default;
        virtual ~PexEventRecordBase() = default;
        PexEventRecordBase(const PexEventRecordBase&) = delete;
        PexEventRecordBase& operator=(const PexEventRecordBase&) = delete;
    };

    // One binding of `Event` notifications to `handler` of `owner`.
    template <class Owner, class Handler, class Event>
    class PexEventRecord : public PexEventRecordBase {
    public:
        PexEventRecord(HookOperation hook, Owner* owner, Handler handler, PEX_ID object, PEX_INT hookType)
            : m_hook(hook), m_owner(owner), m_handler(handler), m_object(object), m_hookType(hookType)
        {
            m_hook(m_object, m_hookType, &HookThunk, this);
            Event(m_object, 0).Arm();
        }
        ~PexEventRecord() override
        {
            Event(m_object, 0).Disarm();
            m_hook(m_object, m_hookType + PexCode::kUnhook, &HookThunk, this);
        }

        static PEX_INT HookThunk(PEX_INT /*hookType*/, PEX_ID eventId, void* userData)
        {
            auto* record = static_cast<PexEventRecord*>(userData);
            const Event event(record->m_object, eventId);
            return (record->m_owner->*record->m_handler)(event);
        }

    private:
        const HookOperation m_hook;
        Owner* const m_owner;
        const Handler m_handler;
        const PEX_ID m_object;
        const PEX_INT m_hookType;
    };

    PexEventManager(PEX_ID object, HookOperation hook);
    virtual ~PexEventManager();
    PexEventManager(const PexEventManager&) = delete;
    PexEventManager& operator=(const PexEventManager&) = delete;

    // Hooks `handler` of `owner` for `Event` notifications of `hookType`;
    // the record id (1, 2, ... never handed out twice).
    template <class Owner, class Event>
    uint32_t AddEvent(Owner* owner, int64_t (Owner::*handler)(const Event&), PEX_INT hookType)
    {
        using Record = PexEventRecord<Owner, int64_t (Owner::*)(const Event&), Event>;
        const uint32_t id = m_idCounter.fetch_add(1) + 1;
        ScopedLock lock(m_lock);
        std::shared_ptr<PexEventRecordBase> record =
            std::make_shared<Record>(m_hook, owner, handler, m_object, hookType);
        m_records.emplace(id, std::move(record));
        return id;
    }
    // Disarms and unhooks the record; an unknown id changes nothing.
    void RemoveEvent(uint32_t id);

private:
    const PEX_ID m_object;
    CriticalSection m_lock;
    std::map<uint32_t, std::shared_ptr<PexEventRecordBase>> m_records;
    std::atomic<uint32_t> m_idCounter{0};
    const HookOperation m_hook;
};

}  // namespace PEXCore
}  // namespace GenTLCore
