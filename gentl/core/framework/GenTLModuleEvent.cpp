#include "GenTLModuleEvent.h"

#include <cstdio>
#include <cstring>
#include <new>

namespace GenTLCore {

namespace {

void PutUInt32(std::vector<uint8_t>& packet, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        packet.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

uint32_t GetUInt32(const uint8_t* bytes)
{
    return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 | uint32_t(bytes[3]) << 24;
}

}  // namespace

GenTLModuleEvent::~GenTLModuleEvent() = default;

bool GenTLModuleEvent::Fire(int32_t eventId, const void* data, uint64_t length)
{
    if (length > m_maxDataSize || (!data && length != 0)) {
        LogLine("Event", LOG_ERROR, "Rejected invalid module event packet");
        return false;
    }
    try {
        std::vector<uint8_t> packet;
        packet.reserve(kHeaderSize + length);
        PutUInt32(packet, kModuleEventMagic);
        PutUInt32(packet, static_cast<uint32_t>(eventId));
        const uint8_t* bytes = static_cast<const uint8_t*>(data);
        packet.insert(packet.end(), bytes, bytes + length);
        return PushEvent(packet, PUSH_APPEND, nullptr);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

GC_ERROR GenTLModuleEvent::CopyEventData(std::vector<uint8_t>& item, void* buffer, size_t* size)
{
    if (*size < item.size())
        return BufferTooSmall();
    std::memcpy(buffer, item.data(), item.size());
    *size = item.size();
    return GC_ERR_SUCCESS;
}

GC_ERROR GenTLModuleEvent::GetEventDataInfo(const void* item, size_t itemSize, EVENT_DATA_INFO_CMD command,
                                            INFO_DATATYPE* type, void* buffer, size_t* size)
{
    if (!item)
        return ReportError(GC_ERR_INVALID_HANDLE, "GetEventDataInfo: null event buffer passed");
    const uint8_t* packet = static_cast<const uint8_t*>(item);
    if (itemSize > GetEventSizeMax() || itemSize < kHeaderSize || GetUInt32(packet) != kModuleEventMagic)
        return ReportError(GC_ERR_INVALID_PARAMETER, "GetEventDataInfo: invalid event buffer passed");
    const uint32_t eventId = GetUInt32(packet + 4);
    switch (command) {
    case EVENT_DATA_ID: {
        char text[9];
        std::snprintf(text, sizeof text, "%08x", eventId);
        return WriteInfoString(type, buffer, size, text);
    }
    case EVENT_DATA_VALUE:
        return WriteInfoBuffer(type, buffer, size, packet + 4, itemSize - 4);
    case EVENT_DATA_NUMID:
        return WriteInfoUInt64(type, buffer, size, eventId);
    default:
        return ReportError(GC_ERR_NOT_IMPLEMENTED, "GetEventDataInfo: unknown event data info command requested");
    }
}

}  // namespace GenTLCore
