#pragma once
#include "GenTLDataStreamCXP.h"
#include "GenTLEvent.h"

#include <platform/pex/PexTest.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace PexStreamTesting {

// The imaging-library stand-in with one system and the digitizer of camera
// 0 allocated; the camera runs free at 64 x 48 by default.
class PexDigitizerTest : public ::testing::Test {
protected:
    explicit PexDigitizerTest(const std::string& config = "[camera]\nwidth = 64\nheight = 48\nframe_rate = 0\n");
    ~PexDigitizerTest() override;

    // Camera registers (big-endian 32-bit).
    void WriteCamera(uint64_t address, uint32_t value);
    uint32_t ReadCamera(uint64_t address);
    void StartCamera() { WriteCamera(0x3038, 1); }
    void StopCamera() { WriteCamera(0x303C, 1); }

    PEX_ID system = 0;
    PEX_ID digitizer = 0;
};

// A CoaXPress stream on that digitizer (opened, new-buffer event
// registered).
class PexStreamTest : public PexDigitizerTest {
protected:
    explicit PexStreamTest(const std::string& config = "[camera]\nwidth = 64\nheight = 48\nframe_rate = 0\n");
    ~PexStreamTest() override;

    void MakeStream();
    void DestroyStream();

    std::vector<GenTLCore::CountedPtr<GenTLCore::GenTLBuffer>> AllocAndAnnounce(size_t n, uint64_t size = 0);
    void QueueAll(const std::vector<GenTLCore::CountedPtr<GenTLCore::GenTLBuffer>>& buffers);
    GC_ERROR Start(uint64_t count = GenTLCore::GenTLDataStream::kUnlimited);
    // The next delivered buffer (waits up to 10 s); null on a time-out.
    GenTLCore::GenTLBuffer* Next(uint64_t timeoutMs = 10000);
    uint64_t BufferInfo(GenTLCore::GenTLBuffer* buffer, BUFFER_INFO_CMD command);
    uint64_t StreamInfo(STREAM_INFO_CMD command);

    GenTLCore::CountedPtr<GenTLCore::PEXCore::StreamTagPEX> tag;
    GenTLCore::CountedPtr<GenTLCore::GenTLDataStream> stream;
    GenTLCore::CountedPtr<GenTLCore::GenTLEvent> output;
};

}  // namespace PexStreamTesting
