#pragma once
#include "platform/pex/Pex.h"

#include "PexCamera.h"
#include "PexFramePattern.h"

#include <map>
#include <thread>

namespace platform::pex {

struct PexBoard;
struct PexEventInfo;

// An allocated digitizer and the settings it grabs with.
struct PexDigitizer {
    // Frees an allocated digitizer; with its system (autoFree) the id is
    // remembered so that a later free of it raises nothing. False for an
    // unknown id.
    static bool release(PEX_ID id, bool autoFree);

    PEX_ID id = 0;
    PEX_ID system = 0;
    PexBoard* board = nullptr;
    size_t cameraIndex = 0;
    PexCamera* camera = nullptr;

    std::map<PEX_INT, PEX_INT> stored;  // controls accepted and kept as given
    uint32_t roiWidth = 0;   // 0: the camera's width
    uint32_t roiHeight = 0;  // 0: the camera's height
    uint32_t roiX = 0;
    uint32_t roiY = 0;
    double scaleX = 1.0;
    double scaleY = 1.0;
    PEX_INT reverseX = 1;
    PEX_INT reverseY = 1;
    bool bayer = false;
    PEX_ID coefficients = 0;      // buffer of three floats, 0: none
    bool ownsCoefficients = false;

    std::map<PEX_INT, PEX_INT> pinModes;
    std::map<PEX_INT, bool> pinInterrupts;
    uint32_t ioState = 0;  // bit k: pin 0x501 + k is high
    int64_t encoders[4] = {0, 0, 0, 0};
    int64_t timers[4] = {0, 0, 0, 0};
    int64_t events = 0;  // counter of every event of this digitizer

    int outstanding = 0;      // grabs queued or running
    uint64_t abortCount = 0;  // control 6643 so far

    std::thread ticker;  // periodic rising edges, when the camera has them
    bool stopping = false;

    uint32_t effectiveRoiWidth() const;
    uint32_t effectiveRoiHeight() const;
    // Bands, data type and significant bits of what the digitizer delivers.
    uint32_t bands() const;
    uint32_t dataType() const;
    uint32_t bits() const;
    // The render settings; the buffer part is left to the caller.
    PexRenderJob job(uint64_t frame) const;
    // Keeps the ROI and its offset inside the camera's image.
    void clampRoi();
    // A rising edge on a pin: the event's information; true when the pin is
    // an armed event input, whose hook 0x8B000 then fires.
    bool risingEdge(PEX_INT pin, PexEventInfo* info);
    // Time stamp and event counter of a new event of this digitizer.
    void stampEvent(PexEventInfo* info);
    // Starts the periodic edges of the camera, if any (lock held).
    void startTicker();
};

}  // namespace platform::pex
