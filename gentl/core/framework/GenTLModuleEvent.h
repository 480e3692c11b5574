#pragma once
#include "GenTLEventImpl.h"

#include <cstdint>
#include <vector>

namespace GenTLCore {

// First four bytes of every module-event packet (little-endian; the ASCII
// bytes y, k, i, v in memory).
constexpr uint32_t kModuleEventMagic = 0x76696B79;

// EVENT_MODULE: packets {magic, event id, data} fired by the module's back
// end, with up to the maximum data size fixed at construction.
class GenTLModuleEvent : public GenTLEventImpl<std::vector<uint8_t>> {
public:
    static constexpr uint64_t kHeaderSize = 8;

    explicit GenTLModuleEvent(uint64_t maxDataSize) : GenTLEventImpl(false), m_maxDataSize(maxDataSize) {}
    ~GenTLModuleEvent() override;

    // Appends the packet of `length` bytes at `data`. Refused (false) when
    // the event is closed, the data exceed the maximum size (logged), or the
    // data pointer is null with a length.
    bool Fire(int32_t eventId, const void* data, uint64_t length);

    GC_ERROR GetEventDataInfo(const void* item, size_t itemSize, EVENT_DATA_INFO_CMD command, INFO_DATATYPE* type,
                              void* buffer, size_t* size) override;
    int32_t GetEventType() const override { return EVENT_MODULE; }
    uint64_t GetEventSizeMax() const override { return m_maxDataSize + kHeaderSize; }
    uint64_t GetInfoDataSizeMax() const override { return GetEventSizeMax() - 4; }

protected:
    GC_ERROR CopyEventData(std::vector<uint8_t>& item, void* buffer, size_t* size) override;

private:
    const uint64_t m_maxDataSize;
};

}  // namespace GenTLCore
