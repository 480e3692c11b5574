#pragma once
#include "PexEvent.h"
#include "PexLibraryCodes.h"

namespace GenTLCore {
namespace CoaXPress {

// The digitizer notifications behind the device's custom events. They are
// plain values; only the auxiliary I/O edge arms its pin.

class GrabEvent : public DigEvent {
public:
    using DigEvent::DigEvent;
};

class GrabStartEvent : public GrabEvent {
public:
    using GrabEvent::GrabEvent;
};

class GrabFrameStartEvent : public GrabEvent {
public:
    using GrabEvent::GrabEvent;
};

class GrabFrameEndEvent : public GrabEvent {
public:
    using GrabEvent::GrabEvent;
};

class GrabEndEvent : public GrabFrameEndEvent {
public:
    using GrabFrameEndEvent::GrabFrameEndEvent;
};

class GrabLineEvent : public DigEvent {
public:
    using DigEvent::DigEvent;
};

class GrabLineEndEvent : public DigEvent {
public:
    using DigEvent::DigEvent;
};

class IoChangeEvent : public DigEvent {
public:
    using DigEvent::DigEvent;
};

// A rising edge on auxiliary pin `Pin` (0x501 to 0x51F): arming makes the pin
// an event input and switches its rising-edge interrupt on; disarming
// switches the interrupt off and leaves the pin's mode.
template <PEX_INT Pin>
class AuxIoRisingEdgeEvent : public IoChangeEvent {
public:
    static_assert(Pin >= PexCode::kAuxPinFirst && Pin <= PexCode::kAuxPinLast, "auxiliary pins are 0x501 to 0x51F");

    using IoChangeEvent::IoChangeEvent;
    void Arm() override
    {
        PexDigControl(GetDigitizer(), PexCode::kDigAuxPinMode + Pin, PexCode::kAuxPinEventInput);
        PexDigControl(GetDigitizer(), PexCode::kDigAuxPinRisingEdge + Pin, PexCode::kEnable);
    }
    void Disarm() override { PexDigControl(GetDigitizer(), PexCode::kDigAuxPinRisingEdge + Pin, PexCode::kDisable); }
};

// A step of rotary encoder `Encoder` (0x710, 0x720, 0x730, 0x740).
template <PEX_INT Encoder>
class RotaryEncoderEvent : public DigEvent {
public:
    using DigEvent::DigEvent;
};

// The start and the end of timer `Timer` (1 to 4).
template <int Timer>
class TimerStartEvent : public DigEvent {
public:
    using DigEvent::DigEvent;
};

template <int Timer>
class TimerEndEvent : public DigEvent {
public:
    using DigEvent::DigEvent;
};

}  // namespace CoaXPress
}  // namespace GenTLCore
