#pragma once

#include "CZTMutex.h"

#include <cstdint>
#include <memory>
#include <string>

// One whole-file buffer of a writer's ring.
class FileNode
{
public:
    // A node with a buffer of capacity bytes, or null when the memory cannot
    // be had. A small buffer is zeroed; a large one is fresh zero pages, only
    // mapped once used or populated, or the kept buffer of an earlier series
    // of the same size. Every byte a file is written with has been put there
    // for that file, so old contents never reach the disk.
    static std::unique_ptr<FileNode> Create(int index, int64_t capacity);
    ~FileNode();
    FileNode(const FileNode&) = delete;
    FileNode& operator=(const FileNode&) = delete;

    // Maps the pages of [offset, offset + length) of the buffer in advance,
    // leaving their contents as they are, so that a later copy into them
    // does not stop for page faults. False when the system cannot do it.
    bool Populate(int64_t offset, int64_t length);

    int index = 0;
    int64_t capacity = 0;
    int64_t dataSize = 0;  // bytes to write
    uint8_t* buffer = nullptr;
    std::string fileName;
    CZTMutex lock;  // held while the buffer goes to the disk
    FileNode* next = nullptr;
    // Handed to the writer and not yet written; guarded by the owning
    // writer's state lock.
    bool queued = false;

private:
    FileNode() = default;
    bool m_mapped = false;  // buffer comes from mmap, not the heap
};
