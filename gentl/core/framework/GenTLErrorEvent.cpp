#include "GenTLErrorEvent.h"

#include <cstring>

namespace GenTLCore {

GenTLErrorEvent::~GenTLErrorEvent() = default;

bool GenTLErrorEvent::PushError(const std::string& text)
{
    return PushEvent(ErrorEventData_{text.substr(0, kSizeMax - 1)}, PUSH_APPEND, nullptr);
}

GC_ERROR GenTLErrorEvent::CopyEventData(ErrorEventData_& item, void* buffer, size_t* size)
{
    const size_t needed = item.text.size() + 1;
    if (*size < needed)
        return BufferTooSmall();
    std::memcpy(buffer, item.text.c_str(), needed);
    *size = needed;
    return GC_ERR_SUCCESS;
}

GC_ERROR GenTLErrorEvent::GetEventDataInfo(const void* item, size_t itemSize, EVENT_DATA_INFO_CMD command,
                                           INFO_DATATYPE* type, void* buffer, size_t* size)
{
    if (!item)
        return ReportError(GC_ERR_INVALID_HANDLE, "GetEventDataInfo: null event buffer passed");
    if (itemSize == 0)
        return ReportError(GC_ERR_INVALID_PARAMETER, "GetEventDataInfo: invalid event buffer passed");
    switch (command) {
    case EVENT_DATA_ID:
        return WriteInfoInt32(type, buffer, size, GC_ERR_ERROR);
    case EVENT_DATA_VALUE: {
        // The closing zero is looked for only within the caller's buffer.
        const char* text = static_cast<const char*>(item);
        if (itemSize > kSizeMax || !std::memchr(text, 0, itemSize))
            return ReportError(GC_ERR_INVALID_PARAMETER, "GetEventDataInfo: corrupted event buffer passed");
        return WriteInfoString(type, buffer, size, std::string(text));
    }
    case EVENT_DATA_NUMID:
        return WriteInfoUInt64(type, buffer, size, static_cast<uint64_t>(static_cast<int64_t>(GC_ERR_ERROR)));
    default:
        return ReportError(GC_ERR_NOT_IMPLEMENTED, "GetEventDataInfo: unknown event data info command requested");
    }
}

}  // namespace GenTLCore
