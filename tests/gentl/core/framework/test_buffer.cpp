// Buffer module: BUFFER_INFO, chunk and part queries, data copies.
#include "FrameworkFixture.h"
#include "TestBuffer.h"
#include "TestStreamTag.h"

#include <GenTL.h>

#include <cstring>

using namespace GenTLCore;
using namespace GenTLTest;

namespace {

class BufferTest : public FrameworkTest {
protected:
    CountedPtr<TestBuffer> Make(uint64_t size, bool auxiliary = false)
    {
        return CountedPtr<TestBuffer>(
            new TestBuffer(nullptr, size, &user, auxiliary, CountedPtr<StreamTag>(new TestStreamTag("dev", "0"))));
    }

    int user = 0;
};

}  // namespace

TEST_F(BufferTest, DataQueriesNeedDeliveredData)
{
    CountedPtr<TestBuffer> buffer = Make(64);
    std::string logId;
    EXPECT_EQ(buffer->GetLogID(logId).rfind("TestTL_STM0_dev_BUF", 0), 0u);
    uint64_t value = 0;
    size_t size = sizeof value;
    INFO_DATATYPE type = 0;
    buffer->SetQueued(true);
    EXPECT_EQ(buffer->GetBufferInfo(BUFFER_INFO_SIZE_FILLED, &type, &value, &size), GC_ERR_NOT_AVAILABLE);
    EXPECT_EQ(buffer->GetBufferInfo(BUFFER_INFO_NEW_DATA, &type, &value, &size), GC_ERR_NOT_AVAILABLE);
    uint8_t flag = 0;
    size = 1;
    ASSERT_EQ(buffer->GetBufferInfo(BUFFER_INFO_IS_QUEUED, &type, &flag, &size), GC_ERR_SUCCESS);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(buffer->GetBufferInfo(31, &type, &flag, &size), GC_ERR_NOT_IMPLEMENTED);

    buffer->MarkFilled({40, 48, true, false});
    buffer->SetQueued(false);  // handed to the consumer: keeps its data
    EXPECT_TRUE(buffer->HasData());
    struct Case {
        BUFFER_INFO_CMD command;
        INFO_DATATYPE type;
        uint64_t value;
    };
    const Case cases[] = {
        {BUFFER_INFO_SIZE, INFO_DATATYPE_SIZET, 64},
        {BUFFER_INFO_SIZE_FILLED, INFO_DATATYPE_SIZET, 40},
        {BUFFER_INFO_DATA_SIZE, INFO_DATATYPE_SIZET, 48},
        {BUFFER_INFO_WIDTH, INFO_DATATYPE_SIZET, 640},
        {BUFFER_INFO_FRAMEID, INFO_DATATYPE_UINT64, 0},
        {BUFFER_INFO_PIXELFORMAT, INFO_DATATYPE_UINT64, 0x01080001},
        {BUFFER_INFO_USER_PTR, INFO_DATATYPE_PTR, reinterpret_cast<uint64_t>(&user)},
        {BUFFER_INFO_PIXEL_ENDIANNESS, INFO_DATATYPE_INT32, PIXELENDIANNESS_LITTLE},
        {BUFFER_INFO_IS_INCOMPLETE, INFO_DATATYPE_BOOL8, 0},
        {BUFFER_INFO_NEW_DATA, INFO_DATATYPE_BOOL8, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.command);
        uint64_t out = 0;
        size = sizeof out;
        ASSERT_EQ(buffer->GetBufferInfo(c.command, &type, &out, &size), GC_ERR_SUCCESS);
        EXPECT_EQ(type, c.type);
        EXPECT_EQ(out, c.value);
    }
    // Queuing again clears the data.
    buffer->SetQueued(true);
    buffer->SetQueued(false);
    EXPECT_FALSE(buffer->HasData());
}

TEST_F(BufferTest, LargerDataIsCutToTheBufferAndReported)
{
    CountedPtr<TestBuffer> source = Make(1000, true);
    CountedPtr<TestBuffer> target = Make(600);
    std::memset(source->GetBase(), 0x5A, 1000);
    source->MarkFilled({1000, 1000, true, false});
    target->SetQueued(true);
    target->CopyBufferData(*source);
    target->SetQueued(false);
    target->MarkFilled(target->GetDelivery());  // keeps the copied delivery
    EXPECT_EQ(target->GetBase()[599], 0x5A);
    const BufferDelivery delivery = target->GetDelivery();
    EXPECT_TRUE(delivery.dataLargerThanBuffer);
    EXPECT_FALSE(delivery.complete);
    EXPECT_EQ(delivery.dataSize, 600u);
    EXPECT_EQ(delivery.sizeFilled, 600u);

    // A source claiming more data than it holds gives only what it holds.
    CountedPtr<TestBuffer> small = Make(8, true);
    CountedPtr<TestBuffer> big = Make(64);
    std::memset(small->GetBase(), 0x11, 8);
    small->MarkFilled({64, 64, true, false});
    big->CopyBufferData(*small);
    EXPECT_EQ(big->GetBase()[7], 0x11);
    EXPECT_EQ(big->GetBase()[8], 0);
}

TEST_F(BufferTest, ChunksPartsAndCapacity)
{
    CountedPtr<TestBuffer> buffer = Make(32);
    buffer->MarkFilled({32, 32, true, false});
    size_t count = 0;
    EXPECT_EQ(buffer->GetBufferChunkData(nullptr, &count), GC_ERR_NO_DATA);
    buffer->chunks = {{1, 0, 8}, {2, 8, 8}};
    ASSERT_EQ(buffer->GetBufferChunkData(nullptr, &count), GC_ERR_SUCCESS);
    EXPECT_EQ(count, 2u);
    SINGLE_CHUNK_DATA one[1];
    count = 1;
    EXPECT_EQ(buffer->GetBufferChunkData(one, &count), GC_ERR_BUFFER_TOO_SMALL);

    EXPECT_EQ(buffer->GetNumBufferParts(nullptr), GC_ERR_NOT_IMPLEMENTED) << "no multi-part before the pointer test";
    branding->multiPart = true;
    CountedPtr<TestBuffer> multi = Make(32);
    uint32_t parts = 0;
    EXPECT_EQ(multi->GetNumBufferParts(&parts), GC_ERR_NOT_AVAILABLE);
    multi->MarkFilled({32, 32, true, false});
    EXPECT_EQ(multi->GetNumBufferParts(&parts), GC_ERR_ERROR);
    EXPECT_EQ(multi->GetBufferPartInfo(0, 12, nullptr, nullptr, nullptr), GC_ERR_NOT_IMPLEMENTED);

    EXPECT_FALSE(buffer->EnsureCapacity(64)) << "only auxiliary buffers grow";
    CountedPtr<TestBuffer> auxiliary = Make(16, true);
    EXPECT_TRUE(auxiliary->EnsureCapacity(64));
    EXPECT_EQ(auxiliary->GetSize(), 64u);
    EXPECT_EQ(auxiliary->resizes, 1);
    EXPECT_TRUE(auxiliary->IsAuxiliary());
    uint8_t byte = 0;
    size_t size = 1;
    EXPECT_EQ(buffer->ReadPort(0, &byte, &size), GC_ERR_NOT_IMPLEMENTED) << "the buffer has no port";
}
