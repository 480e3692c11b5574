#pragma once
#include "LastErrorRecord.h"

#include <cstdint>
#include <string>

namespace GenTLCore {

class TLSControl;

// The last-error store, made on first use; null when it cannot be made (a
// later call tries again).
TLSControl* GetTLSControl();
// Deletes the store that GetTLSControl made, which deletes its thread key
// before anything else, so that no thread that ends afterwards reaches it;
// a later GetTLSControl makes a new one.
void DeleteTLSControl();

// Records {code, text} as the calling thread's last error, after writing the
// failure to the log. False (and nothing done) once shut down, or when the
// store cannot take it (the log line is written all the same).
bool SetLastGenTLError(int32_t code, const std::string& text);
// Reads the calling thread's last error; false once shut down or without a
// store.
bool GetLastGenTLError(LastErrorRecord* out);
// Sets every thread's last error to {0, "No Error"}, unless shut down.
void ResetAllLastErrors();
// Frees the calling thread's record (thread and process detach).
void ReleaseThreadLastError();
// True once the store was shut down at unload.
bool IsLastErrorStoreShutDown();
void ShutDownLastErrorStore();

// "GC_ERR_SUCCESS", "GC_ERR_ERROR" ... "GC_ERR_BUSY"; "Unknown error code"
// for any other code.
const char* GenTLErrorName(int32_t code);
// Writes the failure as one "TLErr" line at level Error, without storing it;
// nothing for code 0 or below that level.
void LogInterfaceFailure(int32_t code, const std::string& text);

}  // namespace GenTLCore
