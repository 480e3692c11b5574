#pragma once
#include <cstddef>
#include <cstdint>

namespace GenTLCore {

// Heap records of the operating-system layer: a block from the C heap whose
// payload is preceded immediately by a 32-bit kind tag, so that an operation
// can check what it was handed. Callers hold the payload pointer.
class TaggedRecord {
public:
    enum Kind : int32_t {
        KIND_SIGNAL_LOCK = 2,   // the lock of an EventSignal
        KIND_LOCK = 4,          // an ordinary lock
        KIND_CONDITION = 19,    // a ConditionRecord
    };

    // Allocates a record of `kind` with `payloadSize` bytes of payload,
    // aligned for any type. Null when the heap refuses.
    static void* Allocate(int32_t kind, size_t payloadSize);
    // Frees a record allocated by Allocate; null is ignored.
    static void Free(void* payload);
    // The kind tag in front of a payload; 0 for null.
    static int32_t KindOf(const void* payload);

#ifdef GENTL_FAULT_INJECTION
    // Test builds only: after `skip` more allocations, the next `count` fail.
    static void FailNextAllocations(int count, int skip = 0);
#endif
};

}  // namespace GenTLCore
