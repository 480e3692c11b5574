#pragma once
#include <cstdint>

namespace GenTLCore {

// Result codes of the operating-system layer; 0 is success. The framework
// turns them into GenTL results of its own.
enum OsResult : int32_t {
    OS_OK = 0,
    OS_ERR_NO_MEMORY = 6001,          // heap allocation failed
    OS_ERR_SEMAPHORE = 2979,          // creating a condition record's semaphore failed
    OS_ERR_THREAD_START = 2970,       // starting a thread failed
    OS_ERR_CLOSE_HANDLE = 2971,       // closing a system handle failed
    OS_ERR_THREAD_WAIT = 2972,        // waiting for a thread's end failed
    OS_ERR_BAD_LOCK = 2976,           // a condition wait got a lock of the wrong kind
    OS_ERR_WAIT_TIMEOUT = 9400,       // a condition wait timed out
    OS_ERR_THREAD_PRIORITY = 10001,   // reading or setting a thread priority failed
};

}  // namespace GenTLCore
