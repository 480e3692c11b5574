#include "FrameBufferSet.h"

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
