#include "GenTLBuffer.h"

#include "BrandingControl.h"
#include "GenTLBranding.h"
#include "InfoWriters.h"
#include "ModuleIds.h"
#include "ReportError.h"
#include "ScopedLock.h"
#include "StreamTag.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <sstream>

namespace GenTLCore {

namespace {

// Running number of the buffers' log ids, process-wide.
std::atomic<uint64_t> g_bufferNumber{1};

const char kNoData[] =
    ": attempt to query data-related info about a buffer which contains no data or is currently owned by the "
    "acquisition engine";

const char kNoMultiPart[] = ": this transport layer implementation does not support multi-part payloads.";

const char kPartFailure[] = "Internal error during multi-part info querying";

// The BUFFER_INFO commands that need a buffer with data.
bool NeedsData(int32_t command)
{
    return command == BUFFER_INFO_TIMESTAMP || command == BUFFER_INFO_IS_INCOMPLETE ||
           (command >= BUFFER_INFO_SIZE_FILLED && command <= BUFFER_INFO_CONTAINS_CHUNKDATA);
}

// A back-end query whose value is written with `write` on success.
template <class T, class Query, class Write>
GC_ERROR Answer(Query query, Write write)
{
    T value{};
    const GC_ERROR code = query(&value);
    return code != GC_ERR_SUCCESS ? code : write(value);
}

}  // namespace

GenTLBuffer::GenTLBuffer(void* memory, uint64_t size, void* userPointer, bool auxiliary,
                         const CountedPtr<StreamTag>& stream)
    : m_size(size), m_userPointer(userPointer), m_auxiliary(auxiliary),
      m_multiPart(GetBranding().SupportsMultiPartPayloads())
{
    if (memory) {
        m_base = static_cast<uint8_t*>(memory);
    } else {
        m_owned.assign(size, 0);
        m_base = m_owned.data();
    }
    if (stream)
        m_logId = MakeBufferId(stream->GetDeviceID(), stream->GetStreamID(), g_bufferNumber.fetch_add(1));
    FinalizeRegMap();
    if (!auxiliary) {
        InitEventSource(true, false, 0);
        MarkEventSourceReady();
    }
}

GenTLBuffer::~GenTLBuffer() = default;

std::string& GenTLBuffer::GetID(std::string& id)
{
    std::ostringstream text;
    text << std::hex << reinterpret_cast<uintptr_t>(GetBase());
    id = text.str();
    return id;
}

std::string& GenTLBuffer::GetLogID(std::string& id)
{
    id = m_logId;
    return id;
}

bool GenTLBuffer::IsPortImplemented() { return false; }

std::string& GenTLBuffer::GetPortModuleName(std::string& name) { return name = "TLBuffer"; }

std::string& GenTLBuffer::GetPortName(std::string& name) { return name = "BufferPort"; }

GC_ERROR GenTLBuffer::GetNumParts(uint32_t*) { return ReportError(GC_ERR_ERROR, kPartFailure); }

GC_ERROR GenTLBuffer::GetPartInfo(uint32_t, BUFFER_PART_INFO_CMD, INFO_DATATYPE*, void*, size_t*)
{
    return ReportError(GC_ERR_ERROR, kPartFailure);
}

void GenTLBuffer::OnBufferFilled() {}

void GenTLBuffer::SetQueued(bool queued)
{
    ScopedLock lock(GetModuleLock());
    m_queued = queued;
    if (queued) {
        m_newData = false;
        m_delivery = BufferDelivery();
    }
    m_acquiring = false;
}

void GenTLBuffer::SetAcquiring(bool acquiring)
{
    ScopedLock lock(GetModuleLock());
    m_acquiring = acquiring;
}

bool GenTLBuffer::IsQueued()
{
    ScopedLock lock(GetModuleLock());
    return m_queued;
}

bool GenTLBuffer::IsAcquiring()
{
    ScopedLock lock(GetModuleLock());
    return m_acquiring;
}

void GenTLBuffer::ClearDataState()
{
    ScopedLock lock(GetModuleLock());
    m_newData = false;
    m_delivery = BufferDelivery();
}

bool GenTLBuffer::HasData()
{
    ScopedLock lock(GetModuleLock());
    return HasDataLocked();
}

bool GenTLBuffer::IsProducerAllocated()
{
    ScopedLock lock(GetModuleLock());
    return !m_owned.empty();
}

uint8_t* GenTLBuffer::GetBase()
{
    ScopedLock lock(GetModuleLock());
    return m_base;
}

uint64_t GenTLBuffer::GetSize()
{
    ScopedLock lock(GetModuleLock());
    return m_size;
}

BufferDelivery GenTLBuffer::GetDelivery()
{
    ScopedLock lock(GetModuleLock());
    return m_delivery;
}

bool GenTLBuffer::EnsureCapacity(uint64_t size)
{
    ScopedLock lock(GetModuleLock());
    if (!m_auxiliary)
        return false;
    if (size <= m_size)
        return true;
    try {
        m_owned.resize(size, 0);
    } catch (const std::bad_alloc&) {
        return false;
    }
    m_base = m_owned.data();
    m_size = size;
    OnBufferResized();
    return true;
}

void GenTLBuffer::MarkFilled(const BufferDelivery& delivery)
{
    ScopedLock lock(GetModuleLock());
    m_newData = true;
    m_delivery = delivery;
    if (GetBranding().CallsBufferFilledHook())
        OnBufferFilled();
}

void GenTLBuffer::CopyBufferData(GenTLBuffer& source)
{
    // The source's state is read under its own lock first, so that the two
    // buffer locks are never held together.
    const BufferDelivery delivery = source.GetDelivery();
    const uint8_t* const from = source.GetBase();
    const uint64_t available = std::min(source.GetSize(), delivery.dataSize);
    ScopedLock lock(GetModuleLock());
    std::memcpy(m_base, from, static_cast<size_t>(std::min(m_size, available)));
    CopyTLBufferData(source);
    m_newData = true;
    m_delivery = delivery;
    if (m_size < delivery.dataSize) {
        m_delivery.complete = false;
        m_delivery.dataLargerThanBuffer = true;
        m_delivery.dataSize = m_size;
        m_delivery.sizeFilled = std::min(delivery.sizeFilled, m_size);
    }
}

GC_ERROR GenTLBuffer::GetBufferInfo(BUFFER_INFO_CMD command, INFO_DATATYPE* type, void* buffer, size_t* size)
{
    ScopedLock lock(GetModuleLock());
    if (command < BUFFER_INFO_BASE || command > BUFFER_INFO_CONTAINS_CHUNKDATA)
        return ReportError(GC_ERR_NOT_IMPLEMENTED, "GetBufferInfo: unknown buffer info command requested");
    if (NeedsData(command) && !HasDataLocked())
        return ReportError(GC_ERR_NOT_AVAILABLE, std::string("GetBufferInfo") + kNoData);
    const auto sizeT = [&](uint64_t value) { return WriteInfoSizeT(type, buffer, size, value); };
    const auto uint64 = [&](uint64_t value) { return WriteInfoUInt64(type, buffer, size, value); };
    const auto bool8 = [&](bool value) { return WriteInfoBool8(type, buffer, size, value); };
    using Query = GC_ERROR (GenTLBuffer::*)(uint64_t*);
    const auto number = [&](Query query, auto write) {
        return Answer<uint64_t>([&](uint64_t* value) { return (this->*query)(value); }, write);
    };
    switch (command) {
    case BUFFER_INFO_BASE: return WriteInfoPointer(type, buffer, size, m_base);
    case BUFFER_INFO_SIZE: return sizeT(m_size);
    case BUFFER_INFO_USER_PTR: return WriteInfoPointer(type, buffer, size, m_userPointer);
    case BUFFER_INFO_TIMESTAMP: return number(&GenTLBuffer::GetTimestamp, uint64);
    case BUFFER_INFO_NEW_DATA:
        if (m_queued)
            return ReportError(GC_ERR_NOT_AVAILABLE, "GetBufferInfo: attempt to query new data status for buffer "
                                                     "which is currently owned by the acquisition engine");
        return bool8(m_newData);
    case BUFFER_INFO_IS_QUEUED: return bool8(m_queued);
    case BUFFER_INFO_IS_ACQUIRING: return bool8(m_acquiring);
    case BUFFER_INFO_IS_INCOMPLETE: return bool8(!m_delivery.complete);
    case BUFFER_INFO_TLTYPE: return WriteInfoString(type, buffer, size, GetBranding().GetTLType());
    case BUFFER_INFO_SIZE_FILLED: return sizeT(m_delivery.sizeFilled);
    case BUFFER_INFO_WIDTH: return number(&GenTLBuffer::GetWidth, sizeT);
    case BUFFER_INFO_HEIGHT: return number(&GenTLBuffer::GetHeight, sizeT);
    case BUFFER_INFO_XOFFSET: return number(&GenTLBuffer::GetXOffset, sizeT);
    case BUFFER_INFO_YOFFSET: return number(&GenTLBuffer::GetYOffset, sizeT);
    case BUFFER_INFO_XPADDING: return number(&GenTLBuffer::GetXPadding, sizeT);
    case BUFFER_INFO_YPADDING: return number(&GenTLBuffer::GetYPadding, sizeT);
    case BUFFER_INFO_FRAMEID: return number(&GenTLBuffer::GetFrameID, uint64);
    case BUFFER_INFO_IMAGEPRESENT: return Answer<bool>([&](bool* value) { return IsImagePresent(value); }, bool8);
    case BUFFER_INFO_IMAGEOFFSET: return number(&GenTLBuffer::GetImageOffset, sizeT);
    case BUFFER_INFO_PAYLOADTYPE: return number(&GenTLBuffer::GetPayloadType, sizeT);
    case BUFFER_INFO_PIXELFORMAT: return number(&GenTLBuffer::GetPixelFormat, uint64);
    case BUFFER_INFO_PIXELFORMAT_NAMESPACE: return number(&GenTLBuffer::GetPixelFormatNamespace, uint64);
    case BUFFER_INFO_DELIVERED_IMAGEHEIGHT: return number(&GenTLBuffer::GetDeliveredImageHeight, sizeT);
    case BUFFER_INFO_DELIVERED_CHUNKPAYLOADSIZE: return number(&GenTLBuffer::GetDeliveredChunkPayloadSize, sizeT);
    case BUFFER_INFO_CHUNKLAYOUTID: return number(&GenTLBuffer::GetChunkLayoutID, uint64);
    case BUFFER_INFO_FILENAME:
        return Answer<std::string>([&](std::string* value) { return GetFileName(value); },
                                   [&](const std::string& value) { return WriteInfoString(type, buffer, size, value); });
    case BUFFER_INFO_PIXEL_ENDIANNESS:
        return Answer<int32_t>([&](int32_t* value) { return GetPixelEndianness(value); },
                               [&](int32_t value) { return WriteInfoInt32(type, buffer, size, value); });
    case BUFFER_INFO_DATA_SIZE: return sizeT(m_delivery.dataSize);
    case BUFFER_INFO_TIMESTAMP_NS: return number(&GenTLBuffer::GetTimestampNs, uint64);
    case BUFFER_INFO_DATA_LARGER_THAN_BUFFER: return bool8(m_delivery.dataLargerThanBuffer);
    default: return Answer<bool>([&](bool* value) { return ContainsChunkData(value); }, bool8);
    }
}

GC_ERROR GenTLBuffer::GetBufferChunkData(SINGLE_CHUNK_DATA* chunks, size_t* count)
{
    ScopedLock lock(GetModuleLock());
    if (!count)
        return ReportError(GC_ERR_INVALID_PARAMETER, "GetBufferChunkData: invalid number-of_chunks pointer");
    if (!HasDataLocked())
        return ReportError(GC_ERR_NOT_AVAILABLE, std::string("GetBufferChunkData") + kNoData);
    bool present = false;
    GC_ERROR code = ContainsChunkData(&present);
    if (code != GC_ERR_SUCCESS)
        return code;
    if (!present)
        return ReportError(GC_ERR_NO_DATA, "GetBufferChunkData: no valid chunk data in the buffer");
    std::vector<SINGLE_CHUNK_DATA> list;
    code = GetChunkList(&list);
    if (code != GC_ERR_SUCCESS)
        return code;
    if (chunks) {
        if (*count < list.size())
            return ReportError(GC_ERR_BUFFER_TOO_SMALL,
                               "GetBufferChunkData: the buffer is not sufficient for the complete chunk data.");
        std::copy(list.begin(), list.end(), chunks);
    }
    *count = list.size();
    return GC_ERR_SUCCESS;
}

GC_ERROR GenTLBuffer::GetNumBufferParts(uint32_t* count)
{
    ScopedLock lock(GetModuleLock());
    if (!m_multiPart)
        return ReportError(GC_ERR_NOT_IMPLEMENTED, std::string("GetNumBufferParts") + kNoMultiPart);
    if (!count)
        return ReportError(GC_ERR_INVALID_PARAMETER, "GetNumDevices: invalid num_devices pointer");
    if (!HasDataLocked())
        return ReportError(GC_ERR_NOT_AVAILABLE, std::string("GetNumBufferParts") + kNoData);
    return GetNumParts(count);
}

GC_ERROR GenTLBuffer::GetBufferPartInfo(uint32_t part, BUFFER_PART_INFO_CMD command, INFO_DATATYPE* type,
                                        void* buffer, size_t* size)
{
    ScopedLock lock(GetModuleLock());
    if (!m_multiPart)
        return ReportError(GC_ERR_NOT_IMPLEMENTED, std::string("GetBufferPartInfo") + kNoMultiPart);
    if (!HasDataLocked())
        return ReportError(GC_ERR_NOT_AVAILABLE, std::string("GetBufferPartInfo") + kNoData);
    const bool known = (command >= BUFFER_PART_INFO_BASE && command <= BUFFER_PART_INFO_DELIVERED_IMAGEHEIGHT) ||
                       command == 3300 || command == 3301;
    if (!known)
        return ReportError(GC_ERR_NOT_IMPLEMENTED, "GetBufferPartInfo: unknown buffer info command requested");
    return GetPartInfo(part, command, type, buffer, size);
}

}  // namespace GenTLCore
