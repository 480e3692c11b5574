#pragma once
#include "GenTLBuffer.h"
#include "PexIdRelease.h"
#include "StreamTagPEX.h"

#include <platform/pex/Pex.h>

#include <cstdint>

namespace GenTLCore {
namespace PEXCore {

class GenTLDataStreamPEX;

// A GenTL buffer bound to one colour buffer of the imaging library. The
// library buffer's modified (21) and cancelled (22) hooks report grabs: a
// filled report reads the frame's geometry and time stamp from the event,
// copies the pixels when the GenTL memory is not the library buffer itself,
// and hands the buffer to the stream.
class GenTLBufferPEX : public GenTLBuffer {
public:
    // Takes over `libraryBuffer` (the caller's id is set to 0).
    GenTLBufferPEX(void* base, uint64_t size, void* userPointer, bool auxiliary, const CountedPtr<StreamTagPEX>& tag,
                   PEX_ID& libraryBuffer, void* hostAddress, GenTLDataStreamPEX* stream);
    ~GenTLBufferPEX() override;

    GC_ERROR GetTimestampNs(uint64_t* value) override;
    GC_ERROR GetTimestamp(uint64_t* value) override;
    GC_ERROR GetWidth(uint64_t* value) override;
    GC_ERROR GetHeight(uint64_t* value) override;
    GC_ERROR GetXOffset(uint64_t* value) override;
    GC_ERROR GetYOffset(uint64_t* value) override;
    GC_ERROR GetXPadding(uint64_t* value) override;
    GC_ERROR GetYPadding(uint64_t* value) override;
    GC_ERROR GetDeliveredImageHeight(uint64_t* value) override;
    GC_ERROR GetFrameID(uint64_t* value) override;
    GC_ERROR IsImagePresent(bool* value) override;
    GC_ERROR GetImageOffset(uint64_t* value) override;
    GC_ERROR GetPayloadType(uint64_t* value) override;
    GC_ERROR GetPixelFormat(uint64_t* value) override;
    GC_ERROR GetPixelFormatNamespace(uint64_t* value) override;
    GC_ERROR GetDeliveredChunkPayloadSize(uint64_t* value) override;
    GC_ERROR GetChunkLayoutID(uint64_t* value) override;
    GC_ERROR GetFileName(std::string* value) override;
    GC_ERROR GetPixelEndianness(int32_t* value) override;
    GC_ERROR ContainsChunkData(bool* value) override;
    // Takes over the image description of an auxiliary buffer whose data
    // the framework copies into this one.
    void CopyTLBufferData(GenTLBuffer& source) override;
    void OnBufferResized() override {}
    GC_ERROR GetChunkList(std::vector<SINGLE_CHUNK_DATA>* chunks) override;

    static PEX_INT OnModified(PEX_INT hookType, PEX_ID eventId, void* userData);
    static PEX_INT OnCancelled(PEX_INT hookType, PEX_ID eventId, void* userData);
    // One report of the library.
    void HandleReport(PEX_ID eventId, bool cancelled);

    PEX_ID GetLibraryBuffer() const { return m_libraryBuffer; }
    uint64_t GetByteSize() const { return m_byteSize; }
    uint64_t GetPitch() const { return m_pitch; }
    bool IsZeroCopy() const { return m_zeroCopy; }
    // A zero-copy buffer lives in the library's memory, freed with the buffer.
    bool HoldsProducerMemory() override { return m_zeroCopy || GenTLBuffer::HoldsProducerMemory(); }
    bool IsCancelled() const { return m_cancelled; }

    // Bits per pixel of a library format class (code & 0x3F00); -1 unknown.
    static int64_t BitsPerPixel(uint64_t formatCode);

private:
    GenTLDataStreamPEX* const m_stream;
    PEX_ID m_libraryBuffer;
    const PEX_ID m_digitizer;
    uint64_t m_byteSize = 0;
    uint64_t m_pitch = 0;
    uint64_t m_formatCode = 0;
    uint64_t m_bands = 0;
    uint8_t* const m_hostAddress;
    const bool m_zeroCopy;
    bool m_cancelled = false;
    uint32_t m_bufferPixelFormat = 0;
    int64_t m_width = 0;
    int64_t m_height = 0;
    int64_t m_xOffset = 0;
    int64_t m_yOffset = 0;
    int64_t m_xPadding = 0;
    int64_t m_yPadding = 0;
    int64_t m_deliveredHeight = 0;
    double m_timestamp = 0.0;
    uint64_t m_frameId = 0;
    uint32_t m_pixelFormat = 0;
};

}  // namespace PEXCore
}  // namespace GenTLCore
