#pragma once
#include "GenTLHandle.h"

#include <GenTL.h>

#include <cstdint>
#include <string>

namespace GenTLCore {

// How a producer puts an item on an event queue.
enum EventPushMode : int32_t {
    PUSH_APPEND = 0,                 // at the back
    PUSH_OVERWRITE_OLDEST = 1,       // the oldest takes the item and moves to the back
    PUSH_OVERWRITE_OLDEST_ONLY = 2,  // the oldest takes the item; all others are removed
    PUSH_REPLACE_ALL = 3,            // all are removed, then the item is appended
};

// A GenTL event object (EVENT_HANDLE): a queue of items with a wait object.
// The consumer's operations carry out the GenTL function of the same name and
// store every failure as the thread's last error.
class GenTLEvent : public GenTLHandle {
public:
    GenTLEvent() = default;
    ~GenTLEvent() override;

    // The event id of the event's type (every event of a type shares it).
    std::string& GetID(std::string& id) override;

    virtual GC_ERROR GetEventData(void* buffer, size_t* size, uint64_t timeout) = 0;
    virtual GC_ERROR GetEventDataInfo(const void* item, size_t itemSize, EVENT_DATA_INFO_CMD command,
                                      INFO_DATATYPE* type, void* buffer, size_t* size) = 0;
    virtual GC_ERROR GetEventInfo(EVENT_INFO_CMD command, INFO_DATATYPE* type, void* buffer, size_t* size) = 0;
    virtual GC_ERROR FlushEvents() = 0;
    virtual GC_ERROR KillEvent() = 0;
    // Every wait in progress and every later one ends with GC_ERR_ABORT
    // until the event is opened again.
    virtual void AbortWaits() = 0;
    virtual int32_t GetEventType() const = 0;
    // Largest item that GetEventData hands out, in bytes.
    virtual uint64_t GetEventSizeMax() const = 0;
    virtual uint64_t GetInfoDataSizeMax() const = 0;
};

}  // namespace GenTLCore
