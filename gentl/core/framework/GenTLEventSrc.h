#pragma once
#include "CountedPtr.h"

#include <GenTL.h>

#include <cstdint>
#include <map>
#include <string>

namespace GenTLCore {

class CriticalSection;
class GenTLEvent;
class GenTLErrorEvent;
class GenTLModuleEvent;

// The registry of a module's event objects, at most one per GenTL event
// type. GCRegisterEvent and GCUnregisterEvent reach it through RegisterEvent
// and UnregisterEvent (under the module lock); the back end's handlers fire
// module events through FireModuleEvent from any thread.
class GenTLEventSrc {
public:
    GenTLEventSrc();
    virtual ~GenTLEventSrc();
    GenTLEventSrc(const GenTLEventSrc&) = delete;
    GenTLEventSrc& operator=(const GenTLEventSrc&) = delete;

    // The back end's arming of an event type: GenTL code.
    virtual int32_t RegisterTLEvent(int32_t type);
    // The back end's disarming: false when its cleanup failed.
    virtual bool UnregisterTLEvent(int32_t type);
    virtual CriticalSection& GetModuleLock() = 0;
    // True (and the maximum data size) when the module has module events.
    virtual bool GetModuleEventMaxSize(uint64_t* maxSize);
    virtual bool ProvidesErrorEvent();
    // True for the types whose events the back end delivers on the module
    // event (a back end's custom types, and EVENT_MODULE itself when it
    // shares): the back end keeps their registrations, and the module event
    // stays registered while any of them is.
    virtual bool SharesModuleEvent(int32_t type);
    // While a shared type is registered (asked under the module lock).
    virtual bool ModuleEventInUse();

    // Creates the module's own events (error event, module event); run once
    // while the module sets up, then MarkEventSourceReady.
    void InitEventSource(bool withErrorEvent, bool withModuleEvent, uint64_t minDataSize);
    void MarkEventSourceReady() { m_ready = true; }
    // Enters an event object under its type; an existing entry stays.
    void AddEventObject(const CountedPtr<GenTLEvent>& event);

    // GCRegisterEvent: the type's event object once the back end armed it.
    // -1003 for a type without an event object, -1004 while the type's
    // event is registered already. `registered` (optional) tells whether the
    // object is a shared module event that is registered already.
    GC_ERROR RegisterEvent(EVENT_TYPE type, CountedPtr<GenTLEvent>* event, bool* registered = nullptr);
    // GCUnregisterEvent: hands out the type's event object (also when the
    // back end's cleanup fails) and disarms the type. `inUse` (optional)
    // tells whether the object is a shared module event that another type
    // still uses.
    GC_ERROR UnregisterEvent(EVENT_TYPE type, CountedPtr<GenTLEvent>* event, bool* inUse = nullptr);
    // The back end's disarming under the module lock, result ignored.
    void UnregisterTLEventLocked(EVENT_TYPE type);

    // Queues one module-event packet; false without a module event or when
    // the packet is refused.
    bool FireModuleEvent(int32_t eventId, const void* data, uint64_t length);
    // Queues a text on the error event; false without one or when refused.
    bool FireErrorEvent(const std::string& text);

private:
    // The event object of a type; a shared type's is the module event.
    std::map<int32_t, CountedPtr<GenTLEvent>>::iterator FindEventObject(int32_t type, bool shared);

    std::map<int32_t, CountedPtr<GenTLEvent>> m_events;
    CountedPtr<GenTLErrorEvent> m_errorEvent;
    CountedPtr<GenTLModuleEvent> m_moduleEvent;
    bool m_ready = false;
};

}  // namespace GenTLCore
