/* Stand-in for the frame grabber's imaging library PEX.
 *
 * The operations keep the library's names and C linkage. Ids and values are
 * 64-bit; PEX_DEFAULT is the library's default context and default value.
 * Failures are not returned: the library raises them on the failing thread
 * through the application error hook and keeps the thread's current error
 * for PexAppGetError.
 *
 * Application settings are kept per calling thread. Every call is entered
 * in a call log that tests read through the PexTest... functions.
 */
#ifndef PLATFORM_PEX_PEX_H
#define PLATFORM_PEX_PEX_H

#include <stddef.h>
#include <stdint.h>

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

/* Hook callback: hook type, id of the event (the context for the error
 * hook), user data given at hooking. Its result is ignored. */
typedef PEX_INT (*PEX_HOOK_FUNCTION)(PEX_INT hookType, PEX_ID eventId, void* userData);

/* Reads an application setting of the calling thread into *out (a 64-bit
 * value; 0 for a setting never written) and returns it. */
PEX_INT PexAppInquire(PEX_ID context, PEX_INT code, void* out);
/* Writes an application setting of the calling thread. */
void PexAppControl(PEX_ID context, PEX_INT code, PEX_INT value);
/* Installs (type) or removes (type + PEX_UNHOOK, same function and user data)
 * an application hook. Only PEX_ERROR_CURRENT_HOOK exists. */
void PexAppHookFunction(PEX_ID context, PEX_INT type, PEX_HOOK_FUNCTION function, void* userData);
/* Reads error information of the calling thread: PEX_ERROR_CURRENT gives the
 * code of the latest error (0: none). Writes a 64-bit value to *out when out
 * is not null and returns it. */
PEX_INT PexAppGetError(PEX_ID context, PEX_INT code, void* out);

/* Test support: the call log holds one entry per call of the operations
 * above, in call order, over all threads. */
size_t PexTestCallCount(void);
/* Name of the operation of entry `index` ("PexAppInquire", ...), or null. */
const char* PexTestCallName(size_t index);
/* Context, code and value of entry `index` (value: the written value for a
 * control, the read value for an inquiry). False for an index out of range. */
int PexTestCallArgs(size_t index, PEX_ID* context, PEX_INT* code, PEX_INT* value);
/* Number of entries for one operation name. */
size_t PexTestCallCountOf(const char* name);
void PexTestClearCallLog(void);

#ifdef __cplusplus
}
#endif

#endif /* PLATFORM_PEX_PEX_H */
