#include "FrameBufferSet.h"

#include <chrono>
#include <cstring>
#include <thread>

FrameBufferSet::~FrameBufferSet()
{
    freeArrayBuffers();
}

void FrameBufferSet::freeArrayBuffers()
{
    for (uint8_t* buffer : ringBuffers)
        delete[] buffer;
    ringBuffers.clear();
    announcedCount = 0;
}

uint8_t* FrameBufferSet::entryFor(int n) const
{
    int length = ringLength();
    if (length > ringBuffers.size())
        length = ringBuffers.size();
    if (length <= 0 || n < 0)
        return nullptr;
    return ringBuffers.at(n % length);
}

qint64 FrameBufferSet::nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

void FrameBufferSet::startDelivery(int count)
{
    if (count > arrivalSlots) {
        arrivals.reset(new std::atomic<qint64>[static_cast<size_t>(count)]);
        arrivalSlots = count;
    }
    for (int i = 0; i < arrivalSlots; ++i)
        arrivals[i].store(0);
    copying = -1;
    delivered = 0;
}

void FrameBufferSet::frameDelivered()
{
    const int length = ringLength();
    const qint64 k = delivered.load();  // only the callback thread adds to it
    if (length > 0 && length <= arrivalSlots)
        arrivals[k % length].store(nowNs());
    // Once this returns the SDK may write frame k + 1 over frame k + 1 - L.
    // The count goes up before the look at the copy, and copyFrame takes the
    // same two steps the other way round (all sequentially consistent): so
    // either the copy sees the new count and gives that frame up, or this
    // sees the copy and waits for its end, which is one memcpy away.
    delivered.fetch_add(1);
    const qint64 overwritten = k + 1 - length;
    if (length <= 0 || overwritten < 0)
        return;
    while (copying.load() == overwritten)
        std::this_thread::yield();
}

qint64 FrameBufferSet::oldestWholeFrame() const
{
    const qint64 oldest = delivered.load() - ringLength() + 1;
    return oldest > 0 ? oldest : 0;
}

qint64 FrameBufferSet::arrivalOf(qint64 k) const
{
    const int length = ringLength();
    if (k < 0 || length <= 0 || length > arrivalSlots)
        return 0;
    return arrivals[k % length].load();
}

bool FrameBufferSet::copyFrame(qint64 k, void* dst, size_t bytes, qint64* arrival)
{
    const int length = ringLength();
    if (k < 0 || length <= 0 || length > ringBuffers.size() || !dst)
        return false;
    copying.store(k);
    const qint64 count = delivered.load();
    const bool whole = k < count && k + length > count;
    if (whole) {
        std::memcpy(dst, ringBuffers.at(static_cast<int>(k % length)), bytes);
        if (arrival)
            *arrival = arrivalOf(k);
    }
    copying.store(-1);
    return whole;
}
