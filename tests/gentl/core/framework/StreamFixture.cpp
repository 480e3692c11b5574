#include "StreamFixture.h"

using namespace GenTLCore;

namespace GenTLTest {

StreamTest::StreamTest()
{
    stream.InitPortURLsOnce();
    stream.OpenLocked();
    stream.RegisterEvent(EVENT_NEW_BUFFER, &output);
    output->OpenLocked();
}

StreamTest::~StreamTest() { stream.CloseLocked(); }

std::vector<CountedPtr<GenTLBuffer>> StreamTest::Announce(size_t n, uint64_t size)
{
    std::vector<CountedPtr<GenTLBuffer>> buffers(n);
    for (CountedPtr<GenTLBuffer>& buffer : buffers)
        EXPECT_EQ(stream.AllocAndAnnounceBuffer(size, nullptr, &buffer), GC_ERR_SUCCESS);
    return buffers;
}

void StreamTest::QueueAll(const std::vector<CountedPtr<GenTLBuffer>>& buffers)
{
    for (const CountedPtr<GenTLBuffer>& buffer : buffers)
        EXPECT_EQ(stream.QueueBuffer(buffer.Get()), GC_ERR_SUCCESS);
}

bool StreamTest::StartWithQueued(const std::vector<CountedPtr<GenTLBuffer>>& buffers)
{
    QueueAll(buffers);
    return stream.StartAcquisition(ACQ_START_FLAGS_DEFAULT, GenTLDataStream::kUnlimited) == GC_ERR_SUCCESS &&
           stream.WaitForScheduled(buffers.size());
}

GC_ERROR StreamTest::Next(S_EVENT_NEW_BUFFER* item, uint64_t timeout)
{
    size_t size = sizeof *item;
    return output->GetEventData(item, &size, timeout);
}

uint64_t StreamTest::Info(STREAM_INFO_CMD command)
{
    uint64_t value = 0;
    size_t size = sizeof value;
    INFO_DATATYPE type = 0;
    EXPECT_EQ(stream.GetStreamInfo(command, &type, &value, &size), GC_ERR_SUCCESS);
    return size == 1 ? (value & 0xFF) : value;
}

GC_ERROR StreamTest::WriteRegister(uint64_t address, uint32_t value)
{
    size_t size = sizeof value;
    return stream.WritePort(address, &value, &size);
}

}  // namespace GenTLTest
