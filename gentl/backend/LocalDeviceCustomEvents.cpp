#include "LocalDeviceCustomEvents.h"

#include "ReportError.h"

#include <cstring>
#include <array>
#include <utility>

namespace GenTLCore {
namespace CoaXPress {

namespace {

using namespace PexCode;
using Events = LocalDeviceCustomEvents;
// Hooks one custom type's handler; the record id.
using Binder = uint32_t (*)(Events*, PEXCore::PexEventManager&);

template <class Event, int64_t (Events::*Handler)(const Event&), PEX_INT HookType>
uint32_t Bind(Events* events, PEXCore::PexEventManager& manager)
{
    return manager.AddEvent(events, Handler, HookType);
}

template <size_t... K>
constexpr std::array<Binder, sizeof...(K)> AuxIoBinders(std::index_sequence<K...>)
{
    return {&Bind<AuxIoRisingEdgeEvent<kAuxPinFirst + K>, &Events::OnAuxIoRisingEdge<kAuxPinFirst + K>,
                  kHookIoChange>...};
}

constexpr std::array<Binder, kAuxPinCount> kAuxIo = AuxIoBinders(std::make_index_sequence<kAuxPinCount>());

template <PEX_INT Encoder>
constexpr Binder EncoderBinder()
{
    return &Bind<RotaryEncoderEvent<Encoder>, &Events::OnRotaryEncoder<Encoder>, kHookEncoder + Encoder>;
}

template <int Timer>
constexpr Binder TimerStartBinder()
{
    return &Bind<TimerStartEvent<Timer>, &Events::OnTimerStart<Timer>, kHookTimerStart + Timer>;
}

template <int Timer>
constexpr Binder TimerEndBinder()
{
    return &Bind<TimerEndEvent<Timer>, &Events::OnTimerEnd<Timer>, kHookTimerEnd + Timer>;
}

// Type 1000 + k binds kBinders[k]. Line and line-end events both hook the
// line end.
const Binder kBinders[49] = {
    &Bind<GrabLineEndEvent, &Events::OnGrabLineEnd, kHookLineEnd>,
    &Bind<GrabLineEvent, &Events::OnGrabLine, kHookLineEnd>,
    &Bind<GrabStartEvent, &Events::OnGrabStart, kHookGrabStart>,
    &Bind<GrabFrameStartEvent, &Events::OnGrabFrameStart, kHookFrameStart>,
    &Bind<GrabFrameEndEvent, &Events::OnGrabFrameEnd, kHookFrameEnd>,
    &Bind<GrabEndEvent, &Events::OnGrabEnd, kHookGrabEnd>,
    kAuxIo[0], kAuxIo[1], kAuxIo[2], kAuxIo[3], kAuxIo[4], kAuxIo[5], kAuxIo[6], kAuxIo[7], kAuxIo[8], kAuxIo[9],
    kAuxIo[10], kAuxIo[11], kAuxIo[12], kAuxIo[13], kAuxIo[14], kAuxIo[15], kAuxIo[16], kAuxIo[17], kAuxIo[18],
    kAuxIo[19], kAuxIo[20], kAuxIo[21], kAuxIo[22], kAuxIo[23], kAuxIo[24], kAuxIo[25], kAuxIo[26], kAuxIo[27],
    kAuxIo[28], kAuxIo[29], kAuxIo[30],
    EncoderBinder<kEncoderFirst>(),
    EncoderBinder<kEncoderFirst + kEncoderStep>(),
    EncoderBinder<kEncoderFirst + 2 * kEncoderStep>(),
    EncoderBinder<kEncoderFirst + 3 * kEncoderStep>(),
    TimerStartBinder<1>(),
    TimerStartBinder<2>(),
    TimerStartBinder<3>(),
    TimerStartBinder<4>(),
    TimerEndBinder<1>(),
    TimerEndBinder<2>(),
    TimerEndBinder<3>(),
    TimerEndBinder<4>(),
};

// What a frame end reports: the camera's frame, the grab's status, the four
// encoders' positions and the four timers' end counts.
constexpr std::initializer_list<PEX_INT> kFrameEndCodes = {
    kInfoFrameCounter,
    kInfoGrabStatus,
    kInfoEncoderPosition + kEncoderFirst,
    kInfoEncoderPosition + kEncoderFirst + kEncoderStep,
    kInfoEncoderPosition + kEncoderFirst + 2 * kEncoderStep,
    kInfoEncoderPosition + kEncoderFirst + 3 * kEncoderStep,
    kInfoTimerEndCount + 1,
    kInfoTimerEndCount + 2,
    kInfoTimerEndCount + 3,
    kInfoTimerEndCount + 4};

}  // namespace

LocalDeviceCustomEvents::LocalDeviceCustomEvents(GenTLEventSrc& source) : m_source(source) {}

LocalDeviceCustomEvents::~LocalDeviceCustomEvents() = default;

int32_t LocalDeviceCustomEvents::Register(PEXCore::PexEventManager* manager, int32_t type)
{
    if (type == EVENT_ERROR)
        return GC_ERR_SUCCESS;
    if (type == EVENT_MODULE) {
        if (m_moduleRegistered)
            return ReportError(GC_ERR_RESOURCE_IN_USE,
                               "RegisterEvent: requested event type is already registered for given module.");
        m_moduleRegistered = true;
        return GC_ERR_SUCCESS;
    }
    if (m_registered.count(type))
        return ReportError(GC_ERR_RESOURCE_IN_USE, "GCRegisterEvent: event already registered.");
    if (!IsCustomType(type))
        return ReportError(GC_ERR_NOT_IMPLEMENTED, "GCRegisterEvent: invalid event type.");
    if (!manager)
        return ReportError(GC_ERR_ERROR, "GCRegisterEvent: the device has no digitizer to deliver the event.");
    const uint32_t record = kBinders[type - kFirstType](this, *manager);
    m_registered.emplace(type, record);
    return GC_ERR_SUCCESS;
}

bool LocalDeviceCustomEvents::Unregister(PEXCore::PexEventManager* manager, int32_t type)
{
    if (type == EVENT_MODULE) {
        m_moduleRegistered = false;
        return true;
    }
    auto entry = m_registered.find(type);
    if (entry == m_registered.end())
        return true;
    if (manager)
        manager->RemoveEvent(entry->second);
    m_registered.erase(entry);
    return true;
}

void LocalDeviceCustomEvents::Clear()
{
    m_registered.clear();
    m_moduleRegistered = false;
}

int64_t LocalDeviceCustomEvents::Fire(int32_t type, const DigEvent& event, std::initializer_list<PEX_INT> codes,
                                      std::initializer_list<PEX_INT> more)
{
    uint64_t payload[kMaxPayload / 8] = {};
    size_t count = 0;
    int64_t head = 0;
    PexGetHookInfo(event.GetEventId(), kInfoEventCounter, &head);
    payload[count++] = static_cast<uint64_t>(head);
    double stamp = 0.0;
    PexGetHookInfo(event.GetEventId(), kInfoTimeStamp, &stamp);
    std::memcpy(&payload[count++], &stamp, sizeof stamp);
    for (std::initializer_list<PEX_INT> list : {codes, more}) {
        for (PEX_INT code : list) {
            int64_t value = 0;
            PexGetHookInfo(event.GetEventId(), code, &value);
            payload[count++] = static_cast<uint64_t>(value);
        }
    }
    m_source.FireModuleEvent(type, payload, count * 8);
    return 0;
}

int64_t LocalDeviceCustomEvents::OnGrabLineEnd(const GrabLineEndEvent& event)
{
    return Fire(TYPE_GRAB_LINE_END, event, {kInfoLineEnd});
}
int64_t LocalDeviceCustomEvents::OnGrabLine(const GrabLineEvent& event)
{
    return Fire(TYPE_GRAB_LINE, event, {kInfoLine});
}
int64_t LocalDeviceCustomEvents::OnGrabStart(const GrabStartEvent& event)
{
    return Fire(TYPE_GRAB_START, event, {kInfoFrameCounter});
}
int64_t LocalDeviceCustomEvents::OnGrabFrameStart(const GrabFrameStartEvent& event)
{
    return Fire(TYPE_GRAB_FRAME_START, event, {kInfoFrameCounter});
}
int64_t LocalDeviceCustomEvents::OnGrabFrameEnd(const GrabFrameEndEvent& event)
{
    return Fire(TYPE_GRAB_FRAME_END, event, kFrameEndCodes);
}
int64_t LocalDeviceCustomEvents::OnGrabEnd(const GrabEndEvent& event)
{
    // A frame end's values, then where the image lies and its size.
    return Fire(TYPE_GRAB_END, event, kFrameEndCodes, {kInfoOffsetX, kInfoOffsetY, kInfoWidth, kInfoHeight});
}

}  // namespace CoaXPress
}  // namespace GenTLCore
