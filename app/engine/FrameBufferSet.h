#pragma once

#include <QList>
#include <atomic>
#include <cstdint>

// The announced frame-buffer ring of one camera and the count of frames
// delivered while a save series runs.
class FrameBufferSet
{
public:
    FrameBufferSet() = default;
    ~FrameBufferSet();
    FrameBufferSet(const FrameBufferSet&) = delete;
    FrameBufferSet& operator=(const FrameBufferSet&) = delete;

    // Releases every ring buffer and empties the list.
    void freeArrayBuffers();

    // Buffers actually announced to the SDK at the last stream start; the ring
    // list may hold more (a reused, larger ring), which are not filled.
    int ringLength() const { return announcedCount.load(); }
    // The ring entry for the n-th frame of the stream, or null without a ring.
    uint8_t* entryFor(int n) const;

    QList<uint8_t*> ringBuffers;
    std::atomic<int> announcedCount{0};
    std::atomic<int> receivedForSave{0};
};
