#pragma once
// Arithmetic of the memory budgets for frame rings and stack files, apart
// from the memory query so that it can be checked with any amount of memory.

#include <cstdint>

namespace MemoryBudget {

// Bytes one camera may use: above 13 GiB free, what is left over 8 GiB
// shared by the cameras; else 70 % of the free memory shared by them. Halved
// in stack mode. cameras below 1 count as 1.
double perCamera(uint64_t availableBytes, int cameras, bool stackSave);

// Ring buffers that fit: (budget + largest ring now held) / frame bytes,
// at least 4.
int64_t ringLimit(double budgetBytes, int64_t largestRingBytes, int64_t frameBytes);

// Frames per stack file that fit for a series of `frames` frames of
// frameBytes each with the save-format mask (1 raw, 2 tif): with both raw and
// tif 60 % of half the free memory, else 70 % of it, at most 4 GiB; with tif
// less the 162 bytes of page directory per frame and the 8-byte file header.
int64_t stackLimit(uint64_t availableBytes, int64_t frameBytes, int frames, int saveFormat);

}  // namespace MemoryBudget
