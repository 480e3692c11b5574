#include "GenTLNewBufferEvent.h"

#include "GenTLBuffer.h"

#include <cstring>

namespace GenTLCore {

GenTLNewBufferEvent::~GenTLNewBufferEvent() = default;

GC_ERROR GenTLNewBufferEvent::CopyEventData(S_EVENT_NEW_BUFFER& item, void* buffer, size_t* size)
{
    if (*size < kItemSize)
        return BufferTooSmall();
    std::memcpy(buffer, &item, kItemSize);
    *size = kItemSize;
    GenTLBuffer::FromHandle(item.BufferHandle)->SetQueued(false);
    return GC_ERR_SUCCESS;
}

void GenTLNewBufferEvent::ReleaseEventItem(S_EVENT_NEW_BUFFER& item)
{
    GenTLBuffer::FromHandle(item.BufferHandle)->SetQueued(false);
}

void GenTLNewBufferEvent::StoreEventData(S_EVENT_NEW_BUFFER& target, const S_EVENT_NEW_BUFFER& source)
{
    GenTLBuffer::FromHandle(target.BufferHandle)->CopyBufferData(*GenTLBuffer::FromHandle(source.BufferHandle));
}

GC_ERROR GenTLNewBufferEvent::GetEventDataInfo(const void* item, size_t itemSize, EVENT_DATA_INFO_CMD command,
                                               INFO_DATATYPE* type, void* buffer, size_t* size)
{
    if (!item)
        return ReportError(GC_ERR_INVALID_HANDLE, "GetEventDataInfo: null event buffer passed");
    if (itemSize < kItemSize)
        return ReportError(GC_ERR_INVALID_PARAMETER, "GetEventDataInfo: invalid event buffer passed");
    S_EVENT_NEW_BUFFER data;
    std::memcpy(&data, item, kItemSize);
    switch (command) {
    case EVENT_DATA_ID: return WriteInfoPointer(type, buffer, size, data.BufferHandle);
    case EVENT_DATA_VALUE: return WriteInfoPointer(type, buffer, size, data.pUserPointer);
    case EVENT_DATA_NUMID:
        return WriteInfoUInt64(type, buffer, size, reinterpret_cast<uint64_t>(data.BufferHandle));
    default:
        return ReportError(GC_ERR_NOT_IMPLEMENTED, "GetEventDataInfo: unknown event data info command requested");
    }
}

}  // namespace GenTLCore
