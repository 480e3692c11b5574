#include "LocalDeviceCustomEvents.h"

#include "ReportError.h"

#include <cstring>
#include <array>
#include <utility>

namespace GenTLCore {
namespace CoaXPress {

namespace {

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
    return {&Bind<AuxIoRisingEdgeEvent<0x501 + K>, &Events::OnAuxIoRisingEdge<0x501 + K>, 0x8B000>...};
}

constexpr std::array<Binder, 31> kAuxIo = AuxIoBinders(std::make_index_sequence<31>());

// Type 1000 + k binds kBinders[k].
const Binder kBinders[49] = {
    &Bind<GrabLineEndEvent, &Events::OnGrabLineEnd, 0x200000>,
    &Bind<GrabLineEvent, &Events::OnGrabLine, 0x200000>,
    &Bind<GrabStartEvent, &Events::OnGrabStart, 0x4>,
    &Bind<GrabFrameStartEvent, &Events::OnGrabFrameStart, 0xD>,
    &Bind<GrabFrameEndEvent, &Events::OnGrabFrameEnd, 0x5>,
    &Bind<GrabEndEvent, &Events::OnGrabEnd, 0x3>,
    kAuxIo[0], kAuxIo[1], kAuxIo[2], kAuxIo[3], kAuxIo[4], kAuxIo[5], kAuxIo[6], kAuxIo[7], kAuxIo[8], kAuxIo[9],
    kAuxIo[10], kAuxIo[11], kAuxIo[12], kAuxIo[13], kAuxIo[14], kAuxIo[15], kAuxIo[16], kAuxIo[17], kAuxIo[18],
    kAuxIo[19], kAuxIo[20], kAuxIo[21], kAuxIo[22], kAuxIo[23], kAuxIo[24], kAuxIo[25], kAuxIo[26], kAuxIo[27],
    kAuxIo[28], kAuxIo[29], kAuxIo[30],
    &Bind<RotaryEncoderEvent<0x710>, &Events::OnRotaryEncoder<0x710>, 0xE10>,
    &Bind<RotaryEncoderEvent<0x720>, &Events::OnRotaryEncoder<0x720>, 0xE20>,
    &Bind<RotaryEncoderEvent<0x730>, &Events::OnRotaryEncoder<0x730>, 0xE30>,
    &Bind<RotaryEncoderEvent<0x740>, &Events::OnRotaryEncoder<0x740>, 0xE40>,
    &Bind<TimerStartEvent<1>, &Events::OnTimerStart<1>, 0x301>,
    &Bind<TimerStartEvent<2>, &Events::OnTimerStart<2>, 0x302>,
    &Bind<TimerStartEvent<3>, &Events::OnTimerStart<3>, 0x303>,
    &Bind<TimerStartEvent<4>, &Events::OnTimerStart<4>, 0x304>,
    &Bind<TimerEndEvent<1>, &Events::OnTimerEnd<1>, 0x401>,
    &Bind<TimerEndEvent<2>, &Events::OnTimerEnd<2>, 0x402>,
    &Bind<TimerEndEvent<3>, &Events::OnTimerEnd<3>, 0x403>,
    &Bind<TimerEndEvent<4>, &Events::OnTimerEnd<4>, 0x404>,
};

constexpr std::initializer_list<PEX_INT> kFrameEndCodes = {0x40160000, 0x111A,  0x26710, 0x26720, 0x26730,
                                                          0x26740,    0x20321, 0x20322, 0x20323, 0x20324};

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

int64_t LocalDeviceCustomEvents::Fire(int32_t type, const DigEvent& event, std::initializer_list<PEX_INT> codes)
{
    uint64_t payload[kMaxPayload / 8] = {};
    size_t count = 0;
    int64_t head = 0;
    PexGetHookInfo(event.GetEventId(), 0x1C0000, &head);
    payload[count++] = static_cast<uint64_t>(head);
    double stamp = 0.0;
    PexGetHookInfo(event.GetEventId(), 64, &stamp);
    std::memcpy(&payload[count++], &stamp, sizeof stamp);
    for (PEX_INT code : codes) {
        int64_t value = 0;
        PexGetHookInfo(event.GetEventId(), code, &value);
        payload[count++] = static_cast<uint64_t>(value);
    }
    m_source.FireModuleEvent(type, payload, count * 8);
    return 0;
}

int64_t LocalDeviceCustomEvents::OnGrabLineEnd(const GrabLineEndEvent& event) { return Fire(1000, event, {0x200000}); }
int64_t LocalDeviceCustomEvents::OnGrabLine(const GrabLineEvent& event) { return Fire(1001, event, {0x100000}); }
int64_t LocalDeviceCustomEvents::OnGrabStart(const GrabStartEvent& event) { return Fire(1002, event, {0x40160000}); }
int64_t LocalDeviceCustomEvents::OnGrabFrameStart(const GrabFrameStartEvent& event)
{
    return Fire(1003, event, {0x40160000});
}
int64_t LocalDeviceCustomEvents::OnGrabFrameEnd(const GrabFrameEndEvent& event)
{
    return Fire(1004, event, kFrameEndCodes);
}
int64_t LocalDeviceCustomEvents::OnGrabEnd(const GrabEndEvent& event)
{
    return Fire(1005, event,
                {0x40160000, 0x111A, 0x26710, 0x26720, 0x26730, 0x26740, 0x20321, 0x20322, 0x20323, 0x20324,
                 0x40410000, 0x40420000, 0x40430000, 0x40480000});
}

}  // namespace CoaXPress
}  // namespace GenTLCore
