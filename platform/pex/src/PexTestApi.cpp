// The test API of the stand-in (platform/pex/PexTest.h).
#include "platform/pex/PexTest.h"

#include "PexCallLog.h"
#include "PexCodes.h"
#include "PexHooks.h"
#include "PexLibrary.h"

#include <thread>

using namespace platform::pex;

namespace {

// Runs fn(digitizer) under the lock; it fills the event and the hooks to
// fire, which then run on a library thread of their own. 0 for an unknown
// digitizer.
template <typename Fn>
int inject(PEX_ID digitizer, Fn fn)
{
    PexLibrary& lib = PexLibrary::instance();
    PexEventInfo info;
    std::vector<PEX_INT> types;
    {
        std::lock_guard<std::mutex> lock(lib.mutex);
        PexDigitizer* dig = PexLibrary::find(lib.digitizers, digitizer);
        if (!dig)
            return 0;
        fn(*dig, info, types);
    }
    std::thread library([&] {
        PexHooks& hooks = PexHooks::instance();
        for (PEX_INT type : types) {
            const PEX_ID event = hooks.beginEvent(info);
            hooks.fire(digitizer, type, event);
            hooks.endEvent(event);
        }
    });
    library.join();
    return 1;
}

}  // namespace

extern "C" {

void PexTestSetCallLog(int on) { PexCallLog::instance().setEnabled(on != 0); }

size_t PexTestCallCount(void) { return PexCallLog::instance().count(); }

const char* PexTestCallName(size_t index)
{
    PexCallLog::Entry e{};
    return PexCallLog::instance().entry(index, &e) ? e.name : nullptr;
}

int PexTestCallArgs(size_t index, PEX_ID* context, PEX_INT* code, PEX_INT* value)
{
    PexCallLog::Entry e{};
    if (!PexCallLog::instance().entry(index, &e))
        return 0;
    if (context)
        *context = e.context;
    if (code)
        *code = e.code;
    if (value)
        *value = e.value;
    return 1;
}

size_t PexTestCallCountOf(const char* name) { return name ? PexCallLog::instance().countOf(name) : 0; }

void PexTestClearCallLog(void) { PexCallLog::instance().clear(); }

int PexTestConfigure(const char* text)
{
    PexLibrary& lib = PexLibrary::instance();
    std::lock_guard<std::mutex> lock(lib.mutex);
    return lib.configure(text && *text ? PexSimConfig::parse(text) : PexSimConfig::defaults()) ? 1 : 0;
}

int PexTestInjectIoEdge(PEX_ID digitizer, PEX_INT pin)
{
    if (pin < code::kPinFirst || pin > code::kPinLast)
        return 0;
    return inject(digitizer, [&](PexDigitizer& dig, PexEventInfo& info, std::vector<PEX_INT>& types) {
        if (dig.risingEdge(pin, &info))
            types.push_back(code::kHookIoChange);
    });
}

int PexTestInjectEncoderSteps(PEX_ID digitizer, int encoder, PEX_INT steps)
{
    if (encoder < 1 || encoder > 4 || steps < 0)
        return 0;
    // One event per step would need one info each; the event carries the
    // position after all steps and the hook runs once per step.
    return inject(digitizer, [&](PexDigitizer& dig, PexEventInfo& info, std::vector<PEX_INT>& types) {
        dig.stampEvent(&info);
        dig.encoders[encoder - 1] += steps;
        for (int e = 0; e < 4; ++e)
            info.values[code::kInfoEncoder1 + 0x10 * e] = dig.encoders[e];
        types.assign(size_t(steps), code::kHookEncoder1 + 0x10 * (encoder - 1));
    });
}

int PexTestInjectTimer(PEX_ID digitizer, int timer, int end)
{
    if (timer < 1 || timer > 4)
        return 0;
    return inject(digitizer, [&](PexDigitizer& dig, PexEventInfo& info, std::vector<PEX_INT>& types) {
        dig.stampEvent(&info);
        if (end)
            ++dig.timers[timer - 1];
        for (int m = 0; m < 4; ++m)
            info.values[code::kInfoTimer1 + m] = dig.timers[m];
        types.push_back((end ? code::kHookTimerEnd1 : code::kHookTimerStart1) + timer - 1);
    });
}

int PexTestGetCameraState(PEX_ID digitizer, PexTestCameraState* state)
{
    PexLibrary& lib = PexLibrary::instance();
    std::lock_guard<std::mutex> lock(lib.mutex);
    PexDigitizer* dig = PexLibrary::find(lib.digitizers, digitizer);
    if (!dig || !state)
        return 0;
    const PexCamera& cam = *dig->camera;
    state->acquiring = cam.acquiring();
    state->frameCounter = cam.frameCounter();
    state->missed = cam.missed();
    state->width = cam.width();
    state->height = cam.height();
    state->offsetX = cam.offsetX();
    state->offsetY = cam.offsetY();
    state->pixelFormat = cam.format().pfnc;
    state->locked = 0;
    uint8_t locked[4] = {};
    std::string why;
    if (cam.read(0x3054, 4, locked, &why))
        state->locked = locked[3];
    return 1;
}

uint32_t PexTestPatternValue(uint32_t x, uint32_t y, uint64_t frame, uint32_t colour, uint32_t bits)
{
    return PexFramePattern::value(x, y, frame, colour, bits);
}

size_t PexTestHookCount(PEX_ID object) { return PexHooks::instance().count(object); }

}  // extern "C"
