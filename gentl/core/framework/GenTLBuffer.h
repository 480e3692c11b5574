#pragma once
#include "CountedPtr.h"
#include "GenTLModule.h"
#include "StreamTag.h"

#include <GenTL.h>

#include <cstdint>
#include <string>
#include <vector>

namespace GenTLCore {



// What the engine delivered into a buffer.
struct BufferDelivery {
    uint64_t sizeFilled = 0;
    uint64_t dataSize = 0;
    bool complete = false;
    bool dataLargerThanBuffer = false;
};

// The module behind a BUFFER_HANDLE: one block of memory announced to a data
// stream (or one of the stream's own auxiliary buffers), its state and the
// consumer's BUFFER_INFO, chunk and part queries. The back end answers the
// image queries. Every state operation takes the buffer's lock (its handle's
// lock); a buffer has data when it holds new data and is not queued.
class GenTLBuffer : public GenTLModule {
public:
    // Null memory makes the buffer allocate `size` zeroed bytes of its own.
    // Throws std::bad_alloc when that fails.
    GenTLBuffer(void* memory, uint64_t size, void* userPointer, bool auxiliary, const CountedPtr<StreamTag>& stream);
    ~GenTLBuffer() override;

    // The buffer of a BUFFER_HANDLE (no check).
    static GenTLBuffer* FromHandle(BUFFER_HANDLE handle)
    {
        return static_cast<GenTLBuffer*>(static_cast<GenTLHandle*>(handle));
    }

    // The base address in lower-case hexadecimal.
    std::string& GetID(std::string& id) override;
    std::string& GetLogID(std::string& id) override;
    // The buffer has no port.
    bool IsPortImplemented() override;
    std::string& GetPortModuleName(std::string& name) override;
    std::string& GetPortName(std::string& name) override;

    // Image queries of the back end.
    virtual GC_ERROR GetTimestampNs(uint64_t* value) = 0;
    virtual GC_ERROR GetTimestamp(uint64_t* value) = 0;
    virtual GC_ERROR GetWidth(uint64_t* value) = 0;
    virtual GC_ERROR GetHeight(uint64_t* value) = 0;
    virtual GC_ERROR GetXOffset(uint64_t* value) = 0;
    virtual GC_ERROR GetYOffset(uint64_t* value) = 0;
    virtual GC_ERROR GetXPadding(uint64_t* value) = 0;
    virtual GC_ERROR GetYPadding(uint64_t* value) = 0;
    virtual GC_ERROR GetDeliveredImageHeight(uint64_t* value) = 0;
    virtual GC_ERROR GetFrameID(uint64_t* value) = 0;
    virtual GC_ERROR IsImagePresent(bool* value) = 0;
    virtual GC_ERROR GetImageOffset(uint64_t* value) = 0;
    virtual GC_ERROR GetPayloadType(uint64_t* value) = 0;
    virtual GC_ERROR GetPixelFormat(uint64_t* value) = 0;
    virtual GC_ERROR GetPixelFormatNamespace(uint64_t* value) = 0;
    virtual GC_ERROR GetDeliveredChunkPayloadSize(uint64_t* value) = 0;
    virtual GC_ERROR GetChunkLayoutID(uint64_t* value) = 0;
    virtual GC_ERROR GetFileName(std::string* value) = 0;
    virtual GC_ERROR GetPixelEndianness(int32_t* value) = 0;
    virtual GC_ERROR ContainsChunkData(bool* value) = 0;
    // Multi-part queries; the base refuses them with -1001.
    virtual GC_ERROR GetNumParts(uint32_t* count);
    virtual GC_ERROR GetPartInfo(uint32_t part, BUFFER_PART_INFO_CMD command, INFO_DATATYPE* type, void* buffer,
                                 size_t* size);
    // The back end's share of CopyBufferData, under this buffer's lock.
    virtual void CopyTLBufferData(GenTLBuffer& source) = 0;
    // Run after the owned memory grew.
    virtual void OnBufferResized() = 0;
    // Run at the end of MarkFilled when the branding asks for it.
    virtual void OnBufferFilled();
    virtual GC_ERROR GetChunkList(std::vector<SINGLE_CHUNK_DATA>* chunks) = 0;

    // Queued (also with the engine or in the output queue). Setting it
    // clears the data state; either way the buffer is no longer acquiring.
    void SetQueued(bool queued);
    void SetAcquiring(bool acquiring);
    bool IsQueued();
    bool IsAcquiring();
    void ClearDataState();
    bool HasData();
    bool IsProducerAllocated();
    // True when the memory belongs to the producer (allocated here or by a
    // back end), so that a revoke hands no address back to the consumer.
    virtual bool HoldsProducerMemory() { return IsProducerAllocated(); }
    // True for the stream's own auxiliary buffers.
    bool GetFlag() const { return m_auxiliary; }
    bool IsAuxiliary() const { return GetFlag(); }
    uint8_t* GetBase();
    uint64_t GetSize();
    void* GetUserPointer() const { return m_userPointer; }
    BufferDelivery GetDelivery();

    // Auxiliary buffers only: grows the owned memory to `size`. False for
    // other buffers or when memory runs out.
    bool EnsureCapacity(uint64_t size);
    // The engine filled the buffer.
    void MarkFilled(const BufferDelivery& delivery);
    // Takes over the data and delivery of `source` (an auxiliary buffer),
    // at most this buffer's size of it.
    void CopyBufferData(GenTLBuffer& source);

    GC_ERROR GetBufferInfo(BUFFER_INFO_CMD command, INFO_DATATYPE* type, void* buffer, size_t* size);
    GC_ERROR GetBufferChunkData(SINGLE_CHUNK_DATA* chunks, size_t* count);
    GC_ERROR GetNumBufferParts(uint32_t* count);
    GC_ERROR GetBufferPartInfo(uint32_t part, BUFFER_PART_INFO_CMD command, INFO_DATATYPE* type, void* buffer,
                               size_t* size);

private:
    bool HasDataLocked() const { return m_newData && !m_queued; }

    std::string m_logId;
    uint8_t* m_base = nullptr;
    uint64_t m_size = 0;
    void* m_userPointer = nullptr;
    std::vector<uint8_t> m_owned;
    const bool m_auxiliary;
    bool m_newData = false;
    BufferDelivery m_delivery;
    const bool m_multiPart;
    bool m_queued = false;
    bool m_acquiring = false;
};

}  // namespace GenTLCore
