#pragma once
#include "DigEvents.h"
#include "GenTLEventSrc.h"
#include "PexEventManager.h"
#include "PexLibraryCodes.h"

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
    // The types, in the order of their hook bindings.
    enum Type : int32_t {
        TYPE_GRAB_LINE_END = kFirstType,
        TYPE_GRAB_LINE = 1001,
        TYPE_GRAB_START = 1002,
        TYPE_GRAB_FRAME_START = 1003,
        TYPE_GRAB_FRAME_END = 1004,
        TYPE_GRAB_END = 1005,
        TYPE_AUX_IO_FIRST = 1006,          // one per auxiliary pin, from the first
        TYPE_ROTARY_ENCODER_FIRST = 1037,  // one per encoder
        TYPE_TIMER_START_FIRST = 1041,     // one per timer, timer 1 first
        TYPE_TIMER_END_FIRST = 1045,
    };
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
        return Fire(static_cast<int32_t>(TYPE_AUX_IO_FIRST + (Pin - PexCode::kAuxPinFirst)), event,
                    {PexCode::kInfoPin, PexCode::kInfoIoState});
    }
    template <PEX_INT Encoder>
    int64_t OnRotaryEncoder(const RotaryEncoderEvent<Encoder>& event)
    {
        return Fire(static_cast<int32_t>(TYPE_ROTARY_ENCODER_FIRST + (Encoder - PexCode::kEncoderFirst) /
                                                                          PexCode::kEncoderStep),
                    event, {PexCode::kInfoEncoderPosition + Encoder});
    }
    template <int Timer>
    int64_t OnTimerStart(const TimerStartEvent<Timer>& event)
    {
        return Fire(TYPE_TIMER_START_FIRST + Timer - 1, event, {});
    }
    template <int Timer>
    int64_t OnTimerEnd(const TimerEndEvent<Timer>& event)
    {
        return Fire(TYPE_TIMER_END_FIRST + Timer - 1, event, {});
    }

private:
    // Queues the packet of `type`: the event counter, the time stamp (a
    // double), then the hook information of `codes` and of `more`.
    int64_t Fire(int32_t type, const DigEvent& event, std::initializer_list<PEX_INT> codes,
                 std::initializer_list<PEX_INT> more = {});

    GenTLEventSrc& m_source;
    std::map<int32_t, uint32_t> m_registered;
    bool m_moduleRegistered = false;
};

}  // namespace CoaXPress
}  // namespace GenTLCore
