/* Stand-in for the frame grabber's imaging library PEX: a simulated
 * CoaXPress frame grabber with boards, digitizers, a camera behind each
 * digitizer, buffers, thread objects, grabs and hooks. platform/pex/README.md
 * describes its behaviour and its configuration file (PEX_SIM_CONFIG).
 *
 * The operations keep the library's names and C linkage. Ids and values are
 * 64-bit; PEX_DEFAULT is the library's default context and default value.
 * Failures are not returned: the library raises them on the failing thread,
 * before the call returns, through the application error hook, and keeps
 * the thread's current error for PexAppGetError. Text is wchar_t.
 */
#ifndef PLATFORM_PEX_PEX_H
#define PLATFORM_PEX_PEX_H

#include <stddef.h>
#include <stdint.h>
#include <wchar.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint64_t PEX_ID;
typedef int64_t PEX_INT;

#define PEX_DEFAULT 0x10000000
#define PEX_NULL 0

/* Hook types of PexAppHookFunction; a type plus PEX_UNHOOK removes a hook. */
#define PEX_ERROR_CURRENT_HOOK 0x40000008
#define PEX_UNHOOK 0x04000000

/* Inquiry codes of PexAppGetError. */
#define PEX_ERROR_CURRENT 8

/* Hook callback: hook type, id of the event (the failing context or object
 * for the error hook), user data given at hooking. Its result is ignored. */
typedef PEX_INT (*PEX_HOOK_FUNCTION)(PEX_INT hookType, PEX_ID eventId, void* userData);

/* Application. */
PEX_INT PexAppInquire(PEX_ID context, PEX_INT code, void* out);
void PexAppControl(PEX_ID context, PEX_INT code, PEX_INT value);
void PexAppHookFunction(PEX_ID context, PEX_INT type, PEX_HOOK_FUNCTION function, void* userData);
PEX_INT PexAppGetError(PEX_ID context, PEX_INT code, void* out);
/* code 0x30000: monotonic seconds as a double in *out. */
PEX_INT PexAppTimer(PEX_ID context, PEX_INT code, void* out);
void PexSleep(PEX_INT milliseconds);
/* swprintf of one 64-bit value; returns the characters written. */
PEX_INT PexFormatText(wchar_t* buffer, PEX_INT size, const wchar_t* format, PEX_INT value);

/* Systems. */
PEX_ID PexSysAlloc(PEX_ID context, const wchar_t* descriptor, PEX_INT number, PEX_INT flag, void* reserved);
void PexSysFree(PEX_ID system);
void PexSysControl(PEX_ID system, PEX_INT code, PEX_INT value);
PEX_INT PexSysInquire(PEX_ID system, PEX_INT code, void* out);

/* Digitizers and the camera behind them. */
PEX_ID PexDigAlloc(PEX_ID system, PEX_INT number, const wchar_t* format, PEX_INT flag, void* reserved);
void PexDigFree(PEX_ID digitizer);
void PexDigControl(PEX_ID digitizer, PEX_INT code, PEX_INT value);
void PexDigControlDouble(PEX_ID digitizer, PEX_INT code, double value);
PEX_INT PexDigInquire(PEX_ID digitizer, PEX_INT code, void* out);
void PexDigHookFunction(PEX_ID digitizer, PEX_INT type, PEX_HOOK_FUNCTION function, void* userData);
void PexDigGrab(PEX_ID digitizer, PEX_ID buffer);
void PexDigRegRead(PEX_ID digitizer, PEX_INT space, const wchar_t* address, PEX_INT size, void* data);
void PexDigRegWrite(PEX_ID digitizer, PEX_INT space, const wchar_t* address, PEX_INT size, const void* data);

/* Buffers. */
PEX_ID PexBufAllocColor(PEX_ID system, PEX_INT bands, PEX_INT width, PEX_INT height, PEX_INT type,
                        PEX_INT attribute, void* reserved);
PEX_ID PexBufAlloc1d(PEX_ID system, PEX_INT size, PEX_INT type, PEX_INT attribute);
void PexBufFree(PEX_ID buffer);
PEX_INT PexBufInquire(PEX_ID buffer, PEX_INT code, void* out);
void PexBufGet(PEX_ID buffer, void* host);
void PexBufPut(PEX_ID buffer, const void* host);
void PexBufHookFunction(PEX_ID buffer, PEX_INT type, PEX_HOOK_FUNCTION function, void* userData);

/* Hook information: 0 and the value in *out, or non-zero with *out
 * unchanged when the event has no such information. */
PEX_INT PexGetHookInfo(PEX_ID eventId, PEX_INT code, void* out);

/* Thread objects. */
PEX_ID PexThrAlloc(PEX_ID system, PEX_INT kind, PEX_INT mode, PEX_INT a, PEX_INT b, PEX_INT c);
void PexThrFree(PEX_ID thread);
void PexThrControl(PEX_ID thread, PEX_INT code, PEX_INT value);
void PexThrWait(PEX_ID event, PEX_INT mode, void* reserved);

/* The call log of the existing tests; the whole test API is in
 * platform/pex/PexTest.h. */
size_t PexTestCallCount(void);
const char* PexTestCallName(size_t index);
int PexTestCallArgs(size_t index, PEX_ID* context, PEX_INT* code, PEX_INT* value);
size_t PexTestCallCountOf(const char* name);
void PexTestClearCallLog(void);

#ifdef __cplusplus
}
#endif

#endif /* PLATFORM_PEX_PEX_H */
