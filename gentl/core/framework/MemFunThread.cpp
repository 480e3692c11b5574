#include "MemFunThread.h"

namespace GenTLCore {

// A thread still running ends before its executor goes.
MemFunThread::~MemFunThread() { Join(); }

}  // namespace GenTLCore
