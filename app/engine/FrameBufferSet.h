#pragma once

#include <QList>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

// The announced frame-buffer ring of one camera and the count of frames
// delivered while a save series runs.
//
// The SDK fills the announced buffers in announce order: the frame it
// delivers as number k of the stream (counted from 0 at the stream start)
// lies in ring entry k modulo the ring length, and it writes frame k + 1 only
// after the data callback of frame k has returned. The callback reports each
// frame with frameDelivered(); from the count it keeps, a reader knows which
// frame an entry holds and whether the SDK may be writing over it:
// - frame k has arrived while k < delivered;
// - once frame k + L - 1 has arrived (L the ring length), the SDK may be
//   writing frame k + L into frame k's entry, so of the L entries only the
//   newest L - 1 frames are surely whole.
// copyFrame() copies a frame only while it is whole, and holds the SDK back
// (in the callback, before it returns to the SDK) for as long as the copy
// of the entry that the SDK is about to write again runs, so that no copy
// ever holds parts of two frames.
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
    // Frames the ring keeps whole: one entry may always be the one the SDK
    // writes next. At least 1.
    int wholeFrames() const { return ringLength() > 1 ? ringLength() - 1 : 1; }
    // The ring entry for the n-th frame of the stream, or null without a ring.
    uint8_t* entryFor(int n) const;

    // A new stream over `count` announced buffers starts: no frame has
    // arrived yet. Called while no frame arrives and no copy runs.
    void startDelivery(int count);
    // SDK callback thread: the next frame of the stream has arrived in its
    // entry. Returns once no copy runs of the entry the SDK writes next.
    void frameDelivered();
    // Frames delivered since the stream started.
    qint64 deliveredCount() const { return delivered.load(); }
    // The oldest frame still surely whole (may be one not yet delivered).
    qint64 oldestWholeFrame() const;
    // When frame k arrived (steady clock, nanoseconds); only meaningful while
    // frame k is whole, which copyFrame checks.
    qint64 arrivalOf(qint64 k) const;
    // Copies `bytes` bytes of frame k into dst when frame k has arrived and
    // is whole for the whole copy; *arrival (if given) receives when it
    // arrived. False when it has not arrived or is (being) overwritten.
    bool copyFrame(qint64 k, void* dst, size_t bytes, qint64* arrival = nullptr);

    // Monotonic clock of the arrival times, in nanoseconds.
    static qint64 nowNs();

    QList<uint8_t*> ringBuffers;
    std::atomic<int> announcedCount{0};
    std::atomic<int> receivedForSave{0};

private:
    // Frames delivered since the stream started; the callback adds one as it
    // begins, which also tells a copy of frame (count - L) to stop.
    std::atomic<qint64> delivered{0};
    // The frame a copy is reading now, -1 for none.
    std::atomic<qint64> copying{-1};
    // Arrival time per ring entry, written by the callback.
    std::unique_ptr<std::atomic<qint64>[]> arrivals;
    int arrivalSlots = 0;
};
