#pragma once
#include "DigEvents.h"
#include "GenTLEventSrc.h"
#include "PexEventManager.h"

#include <cstdint>
#include <initializer_list>
#include <map>

namespace GenTLCore {
namespace CoaXPress {

// The CoaXPress device's 49 custom event types 1000 to 1048. Registering a
// type binds its digitizer notification to a handler here, which reads the
// occurrence's values and queues them as one packet on the device's module
// event, tagged with the type. The module event is shared by every custom
// type and by EVENT_MODULE itself; it stays registered while any of them
// is. The device calls Register and Unregister under its module lock;
// handlers run on the library's threads.
class LocalDeviceCustomEvents {
public:
    static constexpr int32_t kFirstType = 1000;
    static constexpr int32_t kLastType = 1048;
    static constexpr uint64_t kMaxPayload = 128;

    // `source`: the device, whose module event the packets go to.
    explicit LocalDeviceCustomEvents(GenTLEventSrc& source);
    ~LocalDeviceCustomEvents();
    LocalDeviceCustomEvents(const LocalDeviceCustomEvents&) = delete;
    LocalDeviceCustomEvents& operator=(const LocalDeviceCustomEvents&) = delete;

    static bool IsCustomType(int32_t type) { return type >= kFirstType && type <= kLastType; }
    // The types delivered on the module event.
    static bool SharesModuleEvent(int32_t type) { return type == EVENT_MODULE || IsCustomType(type); }

    // RegisterTLEvent: 0 for EVENT_ERROR and EVENT_MODULE; a custom type is
    // hooked through `manager` (null: the device has no digitizer).
    int32_t Register(PEXCore::PexEventManager* manager, int32_t type);
    // UnregisterTLEvent: unhooks a custom type; always true.
    bool Unregister(PEXCore::PexEventManager* manager, int32_t type);
    // Some custom type or EVENT_MODULE is registered.
    bool InUse() const { return !m_registered.empty() || m_moduleRegistered; }
    // Forgets every registration (the device closed; its manager unhooked).
    void Clear();
    bool IsRegistered(int32_t type) const { return m_registered.count(type) != 0; }

    int64_t OnGrabLineEnd(const GrabLineEndEvent& event);
    int64_t OnGrabLine(const GrabLineEvent& event);
    int64_t OnGrabStart(const GrabStartEvent& event);
    int64_t OnGrabFrameStart(const GrabFrameStartEvent& event);
    int64_t OnGrabFrameEnd(const GrabFrameEndEvent& event);
    int64_t OnGrabEnd(const GrabEndEvent& event);
    template <PEX_INT Pin>
    int64_t OnAuxIoRisingEdge(const AuxIoRisingEdgeEvent<Pin>& event)
    {
        return Fire(static_cast<int32_t>(1006 + (Pin - 0x501)), event, {0x8A000, 0x81000});
    }
    template <PEX_INT Encoder>
    int64_t OnRotaryEncoder(const RotaryEncoderEvent<Encoder>& event)
    {
        return Fire(static_cast<int32_t>(1037 + (Encoder - 0x710) / 0x10), event, {0x26000 + Encoder});
    }
    template <int Timer>
    int64_t OnTimerStart(const TimerStartEvent<Timer>& event)
    {
        return Fire(1040 + Timer, event, {});
    }
    template <int Timer>
    int64_t OnTimerEnd(const TimerEndEvent<Timer>& event)
    {
        return Fire(1044 + Timer, event, {});
    }

private:
    // Queues the packet of `type`: info 0x1C0000, the time stamp (info 64,
    // a double), then the values of `codes`.
    int64_t Fire(int32_t type, const DigEvent& event, std::initializer_list<PEX_INT> codes);

    GenTLEventSrc& m_source;
    std::map<int32_t, uint32_t> m_registered;
    bool m_moduleRegistered = false;
};

}  // namespace CoaXPress
}  // namespace GenTLCore
