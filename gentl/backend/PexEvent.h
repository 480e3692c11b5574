#pragma once
#include <platform/pex/Pex.h>

#include <cstdint>

namespace GenTLCore {
namespace CoaXPress {

// One notification of the imaging library, made on the callback's stack. An
// event class may arm and disarm its source on the hooked object.
class PexEvent {
public:
    virtual ~PexEvent() = default;
    virtual void Arm() {}
    virtual void Disarm() {}
};

// A notification on a digitizer: the digitizer and the library's id of the
// occurrence, under which its values are read with PexGetHookInfo.
class DigEvent : public PexEvent {
public:
    DigEvent(PEX_ID digitizer, PEX_ID eventId) : m_digitizer(digitizer), m_eventId(eventId) {}
    PEX_ID GetDigitizer() const { return m_digitizer; }
    PEX_ID GetEventId() const { return m_eventId; }

private:
    PEX_ID m_digitizer;
    PEX_ID m_eventId;
};

}  // namespace CoaXPress
}  // namespace GenTLCore
