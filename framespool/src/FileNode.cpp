#include "FileNode.h"

#include <cstdlib>
#include <new>

std::unique_ptr<FileNode> FileNode::Create(int index, int64_t capacity)
{
    if (capacity <= 0)
        return nullptr;
    // calloc hands large blocks out as fresh zero pages, so a ring that is
    // bigger than what a series fills costs no physical memory.
    void* memory = std::calloc(1, static_cast<size_t>(capacity));
    if (!memory)
        return nullptr;
    std::unique_ptr<FileNode> node(new (std::nothrow) FileNode);
    if (!node) {
        std::free(memory);
        return nullptr;
    }
    node->index = index;
    node->capacity = capacity;
    node->dataSize = capacity;
    node->buffer = static_cast<uint8_t*>(memory);
    return node;
}

FileNode::~FileNode() { std::free(buffer); }
