#pragma once
#include "GenTLModuleEvent.h"

namespace GenTLTest {

// The event object of a test device's remote-device events (type 4).
class TestRemoteDeviceEvent : public GenTLCore::GenTLModuleEvent {
public:
    TestRemoteDeviceEvent() : GenTLModuleEvent(64) {}
    int32_t GetEventType() const override { return EVENT_REMOTE_DEVICE; }
};

}  // namespace GenTLTest
