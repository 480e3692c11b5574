#pragma once
#include <cstdint>

namespace platform::os {

// The kernel id of the calling thread (as the system's thread tools show it).
int32_t currentThreadId();

// Thread priorities in the Windows scale: -15 idle, -2 lowest, -1 below
// normal, 0 normal, 1 above normal, 2 highest, 15 time critical. They map to
// the thread's nice value; raising a priority above normal needs the right
// to do so. Other values are refused. `tid` is a currentThreadId() value.
bool setThreadPriority(int32_t tid, int32_t priority);
// Reads a thread's priority in the same scale (the nearest level at or below
// its nice value). False when the thread does not exist.
bool threadPriority(int32_t tid, int32_t* priority);

}  // namespace platform::os
