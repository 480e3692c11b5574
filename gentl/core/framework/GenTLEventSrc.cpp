#include "GenTLEventSrc.h"

#include "GenTLErrorEvent.h"
#include "GenTLModuleEvent.h"
#include "ReportError.h"
#include "ScopedLock.h"

#include <algorithm>
#include <new>

namespace GenTLCore {

GenTLEventSrc::GenTLEventSrc() = default;
GenTLEventSrc::~GenTLEventSrc() = default;

int32_t GenTLEventSrc::RegisterTLEvent(int32_t) { return GC_ERR_SUCCESS; }

bool GenTLEventSrc::UnregisterTLEvent(int32_t) { return true; }

bool GenTLEventSrc::GetModuleEventMaxSize(uint64_t* maxSize)
{
    if (maxSize)
        *maxSize = 0;
    return false;
}

bool GenTLEventSrc::ProvidesErrorEvent() { return false; }

bool GenTLEventSrc::SharesModuleEvent(int32_t) { return false; }

bool GenTLEventSrc::ModuleEventInUse() { return false; }

void GenTLEventSrc::InitEventSource(bool withErrorEvent, bool withModuleEvent, uint64_t minDataSize)
{
    if (withErrorEvent || ProvidesErrorEvent()) {
        m_errorEvent.Reset(new GenTLErrorEvent());
        m_errorEvent->InitPortURLsOnce();
        AddEventObject(m_errorEvent);
    }
    uint64_t maxSize = 0;
    const bool supported = GetModuleEventMaxSize(&maxSize);
    if (withModuleEvent || supported) {
        m_moduleEvent.Reset(new GenTLModuleEvent(withModuleEvent ? std::max(minDataSize, maxSize) : maxSize));
        m_moduleEvent->InitPortURLsOnce();
        AddEventObject(m_moduleEvent);
    }
}

void GenTLEventSrc::AddEventObject(const CountedPtr<GenTLEvent>& event)
{
    if (event)
        m_events.emplace(event->GetEventType(), event);
}

std::map<int32_t, CountedPtr<GenTLEvent>>::iterator GenTLEventSrc::FindEventObject(int32_t type, bool shared)
{
    auto entry = m_events.find(type);
    if (entry == m_events.end() && shared && m_moduleEvent)
        entry = m_events.find(EVENT_MODULE);
    return entry;
}

GC_ERROR GenTLEventSrc::RegisterEvent(EVENT_TYPE type, CountedPtr<GenTLEvent>* event, bool* registered)
{
    ScopedLock lock(GetModuleLock());
    const bool shared = SharesModuleEvent(type);
    auto entry = FindEventObject(type, shared);
    if (entry == m_events.end())
        return ReportError(GC_ERR_NOT_IMPLEMENTED, "RegisterEvent: requested event type not implemented for given module.");
    // A registered event is open: a second registration would re-arm the
    // back end and then fail in the handle pool, disarming the first. A
    // shared module event is open while any of its types is registered; the
    // back end refuses a type registered twice.
    const bool open = entry->second->IsOpen();
    if (open && !shared)
        return ReportError(GC_ERR_RESOURCE_IN_USE, "RegisterEvent: requested event type is already registered for given module.");
    const int32_t code = RegisterTLEvent(type);
    if (code == GC_ERR_SUCCESS && event)
        *event = entry->second;
    if (registered)
        *registered = open;
    return code;
}

GC_ERROR GenTLEventSrc::UnregisterEvent(EVENT_TYPE type, CountedPtr<GenTLEvent>* event, bool* inUse)
{
    ScopedLock lock(GetModuleLock());
    const bool shared = SharesModuleEvent(type);
    auto entry = FindEventObject(type, shared);
    if (entry == m_events.end())
        return ReportError(GC_ERR_NOT_IMPLEMENTED,
                           "UnregisterEvent: requested event type not implemented for given module.");
    if (event)
        *event = entry->second;
    const bool cleaned = UnregisterTLEvent(type);
    if (inUse)
        *inUse = shared && ModuleEventInUse();
    if (!cleaned)
        return ReportError(GC_ERR_ERROR, "UnregisterEvent: the event type specific cleanup failed.");
    return GC_ERR_SUCCESS;
}

void GenTLEventSrc::UnregisterTLEventLocked(EVENT_TYPE type)
{
    ScopedLock lock(GetModuleLock());
    UnregisterTLEvent(type);
}

bool GenTLEventSrc::FireModuleEvent(int32_t eventId, const void* data, uint64_t length)
{
    return m_moduleEvent && m_moduleEvent->Fire(eventId, data, length);
}

bool GenTLEventSrc::FireErrorEvent(const std::string& text)
{
    try {
        return m_errorEvent && m_errorEvent->PushError(text);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace GenTLCore
