#include "PexStreamFixture.h"

#include "BrandingControl.h"
#include "GenTLBrandingCXP.h"
#include "PexErrorTracker.h"

using namespace GenTLCore;
using namespace GenTLCore::PEXCore;

namespace PexStreamTesting {

namespace {

std::wstring HexText(uint64_t address)
{
    wchar_t text[32] = {};
    swprintf(text, 32, L"0x%llx", static_cast<unsigned long long>(address));
    return text;
}

}  // namespace

PexDigitizerTest::PexDigitizerTest(const std::string& config)
{
    EXPECT_TRUE(PexTestConfigure(config.c_str()));
    system = PexSysAlloc(PEX_DEFAULT, L"PX_SYSTEM_TARSILCXP", 0, PEX_DEFAULT, nullptr);
    digitizer = PexDigAlloc(system, 0, L"PX_DEFAULT", 4096, nullptr);
}

PexDigitizerTest::~PexDigitizerTest()
{
    PexDigFree(digitizer);
    PexSysFree(system);
    PexTestSetCallLog(0);
    PexErrorTracker::Teardown();
}

PexStreamTest::PexStreamTest(const std::string& config) : PexDigitizerTest(config)
{
    GetBrandingControl()->Init(CountedPtr<GenTLBranding>(new GenTLBrandingCXP));
    MakeStream();
}

PexStreamTest::~PexStreamTest() { DestroyStream(); }

void PexStreamTest::MakeStream()
{
    tag = MakeStreamTagPEX(system, L"PX_SYSTEM_TARSILCXP", digitizer, 0, 0);
    stream = CoaXPress::MakeDataStreamCXP(tag);
    stream->InitPortURLsOnce();
    stream->OpenLocked();
    ASSERT_EQ(stream->RegisterEvent(EVENT_NEW_BUFFER, &output), GC_ERR_SUCCESS);
    output->OpenLocked();
}

void PexStreamTest::DestroyStream()
{
    if (!stream)
        return;
    output = CountedPtr<GenTLEvent>();
    stream->CloseLocked();
    stream = CountedPtr<GenTLDataStream>();
}

void PexDigitizerTest::WriteCamera(uint64_t address, uint32_t value)
{
    const uint8_t bytes[4] = {uint8_t(value >> 24), uint8_t(value >> 16), uint8_t(value >> 8), uint8_t(value)};
    PexDigRegWrite(digitizer, 0x1B05, HexText(address).c_str(), 4, bytes);
}

uint32_t PexDigitizerTest::ReadCamera(uint64_t address)
{
    uint8_t bytes[4] = {};
    PexDigRegRead(digitizer, 0x1B04, HexText(address).c_str(), 4, bytes);
    return uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
}

std::vector<CountedPtr<GenTLBuffer>> PexStreamTest::AllocAndAnnounce(size_t n, uint64_t size)
{
    if (size == 0)
        size = stream->GetPayloadSize();
    std::vector<CountedPtr<GenTLBuffer>> buffers(n);
    for (CountedPtr<GenTLBuffer>& buffer : buffers)
        EXPECT_EQ(stream->AllocAndAnnounceBuffer(size, nullptr, &buffer), GC_ERR_SUCCESS);
    return buffers;
}

void PexStreamTest::QueueAll(const std::vector<CountedPtr<GenTLBuffer>>& buffers)
{
    for (const CountedPtr<GenTLBuffer>& buffer : buffers)
        EXPECT_EQ(stream->QueueBuffer(buffer.Get()), GC_ERR_SUCCESS);
}

GC_ERROR PexStreamTest::Start(uint64_t count) { return stream->StartAcquisition(ACQ_START_FLAGS_DEFAULT, count); }

GenTLBuffer* PexStreamTest::Next(uint64_t timeoutMs)
{
    S_EVENT_NEW_BUFFER item{};
    size_t size = sizeof item;
    if (output->GetEventData(&item, &size, timeoutMs) != GC_ERR_SUCCESS)
        return nullptr;
    return GenTLBuffer::FromHandle(item.BufferHandle);
}

uint64_t PexStreamTest::BufferInfo(GenTLBuffer* buffer, BUFFER_INFO_CMD command)
{
    uint64_t value = 0;
    size_t size = sizeof value;
    INFO_DATATYPE type = 0;
    EXPECT_EQ(buffer->GetBufferInfo(command, &type, &value, &size), GC_ERR_SUCCESS) << command;
    if (size == 1)
        return value & 0xFF;
    if (size == 4)
        return value & 0xFFFFFFFF;
    return value;
}

uint64_t PexStreamTest::StreamInfo(STREAM_INFO_CMD command)
{
    uint64_t value = 0;
    size_t size = sizeof value;
    INFO_DATATYPE type = 0;
    EXPECT_EQ(stream->GetStreamInfo(command, &type, &value, &size), GC_ERR_SUCCESS) << command;
    return size == 1 ? (value & 0xFF) : value;
}

}  // namespace PexStreamTesting
