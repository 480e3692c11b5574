#pragma once
#include "GenTLBuffer.h"

#include <vector>

namespace GenTLTest {

// A buffer of the test back end: a 640 x 480 Mono8 image whose frame id is
// settable, and a settable chunk list.
class TestBuffer : public GenTLCore::GenTLBuffer {
public:
    using GenTLBuffer::GenTLBuffer;
    ~TestBuffer() override;

    // The test back end's buffer open (TestBackendSettings::BufferOpen).
    int32_t Open() override;

    GC_ERROR GetTimestampNs(uint64_t* value) override { return Put(value, 1000); }
    GC_ERROR GetTimestamp(uint64_t* value) override { return Put(value, 1); }
    GC_ERROR GetWidth(uint64_t* value) override { return Put(value, 640); }
    GC_ERROR GetHeight(uint64_t* value) override { return Put(value, 480); }
    GC_ERROR GetXOffset(uint64_t* value) override { return Put(value, 0); }
    GC_ERROR GetYOffset(uint64_t* value) override { return Put(value, 0); }
    GC_ERROR GetXPadding(uint64_t* value) override { return Put(value, 0); }
    GC_ERROR GetYPadding(uint64_t* value) override { return Put(value, 0); }
    GC_ERROR GetDeliveredImageHeight(uint64_t* value) override { return Put(value, 480); }
    GC_ERROR GetFrameID(uint64_t* value) override { return Put(value, frameId); }
    GC_ERROR IsImagePresent(bool* value) override { return Put(value, true); }
    GC_ERROR GetImageOffset(uint64_t* value) override { return Put(value, 0); }
    GC_ERROR GetPayloadType(uint64_t* value) override { return Put(value, PAYLOAD_TYPE_IMAGE); }
    GC_ERROR GetPixelFormat(uint64_t* value) override { return Put(value, 0x01080001); }
    GC_ERROR GetPixelFormatNamespace(uint64_t* value) override { return Put(value, PIXELFORMAT_NAMESPACE_PFNC_32BIT); }
    GC_ERROR GetDeliveredChunkPayloadSize(uint64_t* value) override { return Put(value, 0); }
    GC_ERROR GetChunkLayoutID(uint64_t* value) override { return Put(value, 0); }
    GC_ERROR GetFileName(std::string* value) override { return Put(value, std::string()); }
    GC_ERROR GetPixelEndianness(int32_t* value) override { return Put(value, PIXELENDIANNESS_LITTLE); }
    GC_ERROR ContainsChunkData(bool* value) override { return Put(value, !chunks.empty()); }
    void CopyTLBufferData(GenTLBuffer& source) override;
    void OnBufferResized() override { ++resizes; }
    void OnBufferFilled() override { ++fills; }
    GC_ERROR GetChunkList(std::vector<SINGLE_CHUNK_DATA>* list) override;

    uint64_t frameId = 0;
    std::vector<SINGLE_CHUNK_DATA> chunks;
    int resizes = 0;
    int fills = 0;

private:
    template <class T, class V>
    static GC_ERROR Put(T* out, V value)
    {
        *out = static_cast<T>(value);
        return GC_ERR_SUCCESS;
    }
};

}  // namespace GenTLTest
