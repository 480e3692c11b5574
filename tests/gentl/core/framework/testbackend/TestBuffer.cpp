#include "TestBuffer.h"

#include "TestBackendSettings.h"

namespace GenTLTest {

TestBuffer::~TestBuffer() = default;

int32_t TestBuffer::Open() { return TestBackendSettings::Get().BufferOpen(); }

void TestBuffer::CopyTLBufferData(GenTLBuffer& source)
{
    // The delivered image's attributes travel with its data.
    frameId = static_cast<TestBuffer&>(source).frameId;
}

GC_ERROR TestBuffer::GetChunkList(std::vector<SINGLE_CHUNK_DATA>* list)
{
    *list = chunks;
    return GC_ERR_SUCCESS;
}

}  // namespace GenTLTest
