/* Test API of the imaging-library stand-in. Only tests call it; the
 * producer never does.
 */
#ifndef PLATFORM_PEX_PEXTEST_H
#define PLATFORM_PEX_PEXTEST_H

#include "platform/pex/Pex.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Call log: one entry per library call (name, id or context, code, value),
 * in call order over all threads. Off until a test turns it on; holds the
 * latest PEX_TEST_CALL_LOG_LIMIT entries. */
#define PEX_TEST_CALL_LOG_LIMIT 65536
void PexTestSetCallLog(int on);
size_t PexTestCallCount(void);
/* Name of the operation of entry `index` ("PexAppInquire", ...), or null. */
const char* PexTestCallName(size_t index);
/* Id (or context), code and value of entry `index`. False out of range. */
int PexTestCallArgs(size_t index, PEX_ID* context, PEX_INT* code, PEX_INT* value);
size_t PexTestCallCountOf(const char* name);
void PexTestClearCallLog(void);

/* Replaces the simulated installation with the configuration text (the
 * format of PEX_SIM_CONFIG; null or "" = the defaults). Fails (0) while any
 * system, digitizer, buffer or thread object is allocated. */
int PexTestConfigure(const char* text);

/* Injections on an allocated digitizer. Each delivers its hooks on a library
 * thread and returns once they have run; 0 for an unknown digitizer. */
/* A rising edge on pin 0x501..0x51F: hook 0x8B000 when the pin is an event
 * input (0x85000+pin = 12) with its interrupt on (0x89000+pin = -9997). */
int PexTestInjectIoEdge(PEX_ID digitizer, PEX_INT pin);
/* `steps` steps of encoder 1..4 (hooks 0xE10..0xE40, one per step). */
int PexTestInjectEncoderSteps(PEX_ID digitizer, int encoder, PEX_INT steps);
/* Timer 1..4 start (hook 0x301+m) or end (0x401+m). */
int PexTestInjectTimer(PEX_ID digitizer, int timer, int end);

/* The camera behind a digitizer. */
typedef struct PexTestCameraState {
    int acquiring;
    uint64_t frameCounter; /* frames the camera has produced */
    int64_t missed;        /* frames no grab waited for */
    uint32_t width, height, offsetX, offsetY;
    uint32_t pixelFormat; /* PFNC code */
    int locked;           /* TLParamsLocked */
} PexTestCameraState;
int PexTestGetCameraState(PEX_ID digitizer, PexTestCameraState* state);

/* The pattern value of sensor pixel (x, y) in frame `frame` for colour 0
 * (red or mono), 1 (green) or 2 (blue) at `bits` significant bits. */
uint32_t PexTestPatternValue(uint32_t x, uint32_t y, uint64_t frame, uint32_t colour, uint32_t bits);

/* Number of hooks of any kind currently installed on an object (0 = the
 * application). */
size_t PexTestHookCount(PEX_ID object);

#ifdef __cplusplus
}
#endif

#endif /* PLATFORM_PEX_PEXTEST_H */
