#include "GenTLBufferPEX.h"

#include "GenTLDataStreamPEX.h"
#include "PexLibraryCodes.h"
#include "PexTextInquiry.h"

#include <platform/os/SystemInfo.h>

#include <algorithm>
#include <cstring>

namespace GenTLCore {
namespace PEXCore {

namespace {

using namespace PexCode;

template <class T, class V>
GC_ERROR Put(T* out, V value)
{
    *out = static_cast<T>(value);
    return GC_ERR_SUCCESS;
}

// One 64-bit hook value; 0 when the event lacks it.
int64_t HookValue(PEX_ID eventId, PEX_INT code) { return InquirePexValue(&PexGetHookInfo, eventId, code); }

}  // namespace

GenTLBufferPEX::GenTLBufferPEX(void* base, uint64_t size, void* userPointer, bool auxiliary,
                               const CountedPtr<StreamTagPEX>& tag, PEX_ID& libraryBuffer, void* hostAddress,
                               GenTLDataStreamPEX* stream)
    : GenTLBuffer(base, size, userPointer, auxiliary, tag), m_stream(stream), m_libraryBuffer(libraryBuffer),
      m_digitizer(tag ? tag->GetDigitizer() : 0), m_hostAddress(static_cast<uint8_t*>(hostAddress)),
      m_zeroCopy(base == hostAddress)
{
    libraryBuffer = 0;
    m_byteSize = static_cast<uint64_t>(InquirePexValue(&PexBufInquire, m_libraryBuffer, kBufByteSize));
    m_pitch = static_cast<uint64_t>(InquirePexValue(&PexBufInquire, m_libraryBuffer, kBufPitchBytes));
    m_formatCode = static_cast<uint64_t>(InquirePexValue(&PexBufInquire, m_libraryBuffer, kBufFormat));
    m_bands = static_cast<uint64_t>(InquirePexValue(&PexBufInquire, m_libraryBuffer, kBufBands));
    m_bufferPixelFormat = static_cast<uint32_t>(InquirePexValue(&PexBufInquire, m_libraryBuffer, kBufPixelFormat));
    PexBufHookFunction(m_libraryBuffer, kHookBufferModified, &GenTLBufferPEX::OnModified, this);
    PexBufHookFunction(m_libraryBuffer, kHookBufferCancelled, &GenTLBufferPEX::OnCancelled, this);
}

GenTLBufferPEX::~GenTLBufferPEX()
{
    PexBufHookFunction(m_libraryBuffer, kHookBufferModified + kUnhook, &GenTLBufferPEX::OnModified, this);
    PexBufHookFunction(m_libraryBuffer, kHookBufferCancelled + kUnhook, &GenTLBufferPEX::OnCancelled, this);
    if (IsReleasablePexId(m_libraryBuffer))
        PexBufFree(m_libraryBuffer);
}

PEX_INT GenTLBufferPEX::OnModified(PEX_INT, PEX_ID eventId, void* userData)
{
    static_cast<GenTLBufferPEX*>(userData)->HandleReport(eventId, false);
    return 0;
}

PEX_INT GenTLBufferPEX::OnCancelled(PEX_INT, PEX_ID eventId, void* userData)
{
    static_cast<GenTLBufferPEX*>(userData)->HandleReport(eventId, true);
    return 0;
}

int64_t GenTLBufferPEX::BitsPerPixel(uint64_t formatCode)
{
    switch (formatCode & 0x3F00) {
    case 0x100: return 1;
    case 0x200: return 8;
    case 0x300: return 16;
    case 0x400: return 32;
    case 0x600: return 16;
    case 0x700: return 16;
    case 0x800: return 24;
    case 0x900: return 32;
    case 0xA00: return 32;
    case 0xB00: return 48;
    case 0xC00: return 96;
    case 0xD00: return 3;
    case 0xE00: return 16;
    case 0xF00: return 16;
    case 0x1000: return 24;
    case 0x1100: return 32;
    case 0x1200: return 32;
    case 0x1300: return 32;
    case 0x1400: return 192;
    case 0x1500: return 9;
    case 0x1600: return 12;
    case 0x1700: return 16;
    case 0x1B00: return 24;
    case 0x1C00: return 16;
    case 0x1D00: return 16;
    case 0x1F00: return 12;
    case 0x2900: return 64;
    default: return -1;
    }
}

void GenTLBufferPEX::HandleReport(PEX_ID eventId, bool cancelled)
{
    m_cancelled = cancelled;
    if (!cancelled) {
        double timestamp = 0.0;
        PexGetHookInfo(eventId, kInfoTimeStamp, &timestamp);
        m_timestamp = timestamp;
        m_width = HookValue(eventId, kInfoWidth);
        m_height = HookValue(eventId, kInfoHeight);
        m_xOffset = HookValue(eventId, kInfoOffsetX);
        m_yOffset = HookValue(eventId, kInfoOffsetY);
        int64_t delivered = 0;
        m_deliveredHeight = PexGetHookInfo(eventId, kInfoDeliveredLines, &delivered) == 0 ? delivered : m_height;
        m_frameId = m_stream->NextFrameId();
        // A single-band buffer without the digitizer's colour conversion
        // carries the camera's own format (a Bayer code, say).
        m_pixelFormat = m_bufferPixelFormat;
        if (m_bands == 1 && InquirePexValue(&PexDigInquire, m_digitizer, kDigBayerConversion) == kDisable)
            m_pixelFormat = static_cast<uint32_t>(InquirePexValue(&PexDigInquire, m_digitizer, kDigCameraPixelFormat));
        m_yPadding = 0;
        m_xPadding = static_cast<int64_t>(m_pitch) - (BitsPerPixel(m_formatCode) * m_width) / 8;
        if (!m_zeroCopy)
            std::memcpy(GetBase(), m_hostAddress, static_cast<size_t>(std::min(GetSize(), m_byteSize)));
    }
    m_stream->ModifiedBufferCallback(this);
}

void GenTLBufferPEX::CopyTLBufferData(GenTLBuffer& source)
{
    auto* from = dynamic_cast<GenTLBufferPEX*>(&source);
    if (!from)
        return;
    m_width = from->m_width;
    m_height = from->m_height;
    m_xOffset = from->m_xOffset;
    m_yOffset = from->m_yOffset;
    m_xPadding = from->m_xPadding;
    m_yPadding = from->m_yPadding;
    m_deliveredHeight = from->m_deliveredHeight;
    m_timestamp = from->m_timestamp;
    m_frameId = from->m_frameId;
    m_pixelFormat = from->m_pixelFormat;
}

GC_ERROR GenTLBufferPEX::GetChunkList(std::vector<SINGLE_CHUNK_DATA>* chunks)
{
    chunks->clear();
    return GC_ERR_SUCCESS;
}

GC_ERROR GenTLBufferPEX::GetTimestampNs(uint64_t* value) { return Put(value, m_timestamp * 1000000000.0); }
GC_ERROR GenTLBufferPEX::GetTimestamp(uint64_t* value)
{
    return Put(value, m_timestamp * static_cast<double>(platform::os::highResFrequency()));
}
GC_ERROR GenTLBufferPEX::GetWidth(uint64_t* value) { return Put(value, m_width); }
GC_ERROR GenTLBufferPEX::GetHeight(uint64_t* value) { return Put(value, m_height); }
GC_ERROR GenTLBufferPEX::GetXOffset(uint64_t* value) { return Put(value, m_xOffset); }
GC_ERROR GenTLBufferPEX::GetYOffset(uint64_t* value) { return Put(value, m_yOffset); }
GC_ERROR GenTLBufferPEX::GetXPadding(uint64_t* value) { return Put(value, m_xPadding); }
GC_ERROR GenTLBufferPEX::GetYPadding(uint64_t* value) { return Put(value, m_yPadding); }
GC_ERROR GenTLBufferPEX::GetDeliveredImageHeight(uint64_t* value) { return Put(value, m_deliveredHeight); }
GC_ERROR GenTLBufferPEX::GetFrameID(uint64_t* value) { return Put(value, m_frameId); }
GC_ERROR GenTLBufferPEX::IsImagePresent(bool* value) { return Put(value, true); }
GC_ERROR GenTLBufferPEX::GetImageOffset(uint64_t* value) { return Put(value, 0); }
GC_ERROR GenTLBufferPEX::GetPayloadType(uint64_t* value) { return Put(value, PAYLOAD_TYPE_IMAGE); }
GC_ERROR GenTLBufferPEX::GetPixelFormat(uint64_t* value)
{
    return Put(value, static_cast<int64_t>(static_cast<int32_t>(m_pixelFormat)));
}
GC_ERROR GenTLBufferPEX::GetPixelFormatNamespace(uint64_t* value)
{
    return Put(value, PIXELFORMAT_NAMESPACE_PFNC_32BIT);
}
GC_ERROR GenTLBufferPEX::GetDeliveredChunkPayloadSize(uint64_t* value) { return Put(value, 0); }
GC_ERROR GenTLBufferPEX::GetChunkLayoutID(uint64_t* value) { return Put(value, 0); }
GC_ERROR GenTLBufferPEX::GetFileName(std::string* value) { return Put(value, std::string()); }
GC_ERROR GenTLBufferPEX::GetPixelEndianness(int32_t* value) { return Put(value, PIXELENDIANNESS_LITTLE); }
GC_ERROR GenTLBufferPEX::ContainsChunkData(bool* value) { return Put(value, false); }

}  // namespace PEXCore
}  // namespace GenTLCore
