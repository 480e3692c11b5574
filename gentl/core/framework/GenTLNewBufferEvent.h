#pragma once
#include "GenTLEventImpl.h"

namespace GenTLCore {

// EVENT_NEW_BUFFER: the data stream's output queue of filled buffers
// {buffer handle, user pointer}. Always accepting, so that the queue works
// whether or not the consumer registered the event. A buffer handed out or
// dropped from the queue is no longer queued.
class GenTLNewBufferEvent : public GenTLEventImpl<S_EVENT_NEW_BUFFER> {
public:
    static constexpr uint64_t kItemSize = sizeof(S_EVENT_NEW_BUFFER);

    // A queue that is not always accepting takes items only while open.
    explicit GenTLNewBufferEvent(bool alwaysAccepting = true) : GenTLEventImpl(alwaysAccepting) {}
    ~GenTLNewBufferEvent() override;

    GC_ERROR GetEventDataInfo(const void* item, size_t itemSize, EVENT_DATA_INFO_CMD command, INFO_DATATYPE* type,
                              void* buffer, size_t* size) override;
    int32_t GetEventType() const override { return EVENT_NEW_BUFFER; }
    uint64_t GetEventSizeMax() const override { return kItemSize; }
    uint64_t GetInfoDataSizeMax() const override { return 8; }

protected:
    GC_ERROR CopyEventData(S_EVENT_NEW_BUFFER& item, void* buffer, size_t* size) override;
    void ReleaseEventItem(S_EVENT_NEW_BUFFER& item) override;
    // The target buffer takes over the source buffer's data; it keeps its
    // own handle and user pointer.
    void StoreEventData(S_EVENT_NEW_BUFFER& target, const S_EVENT_NEW_BUFFER& source) override;
};

}  // namespace GenTLCore
