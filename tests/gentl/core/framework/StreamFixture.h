#pragma once
#include "FrameworkFixture.h"
#include "GenTLEvent.h"
#include "TestDataStream.h"

#include <GenTL.h>

#include <vector>

namespace GenTLTest {

// An opened test stream whose new-buffer event the consumer registered.
class StreamTest : public FrameworkTest {
protected:
    StreamTest();
    ~StreamTest() override;

    // Announces n producer-allocated buffers of `size` bytes.
    std::vector<GenTLCore::CountedPtr<GenTLCore::GenTLBuffer>> Announce(size_t n, uint64_t size = 64);
    void QueueAll(const std::vector<GenTLCore::CountedPtr<GenTLCore::GenTLBuffer>>& buffers);
    // Queues the buffers, starts without a count and waits until the engine
    // holds them all.
    bool StartWithQueued(const std::vector<GenTLCore::CountedPtr<GenTLCore::GenTLBuffer>>& buffers);
    // The next filled buffer of the output queue (waiting up to 10 s).
    GC_ERROR Next(S_EVENT_NEW_BUFFER* item, uint64_t timeout = 10000);
    uint64_t Info(STREAM_INFO_CMD command);
    GC_ERROR WriteRegister(uint64_t address, uint32_t value);

    TestDataStream stream;
    GenTLCore::CountedPtr<GenTLCore::GenTLEvent> output;
};

}  // namespace GenTLTest
