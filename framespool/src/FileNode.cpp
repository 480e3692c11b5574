#include "FileNode.h"

#include "FileBufferPool.h"

#include <sys/mman.h>

#include <cstdlib>
#include <new>

namespace {

// From this size on a buffer gets pages of its own, in huge pages where the
// system has them: a fresh 2 MiB page costs one fault instead of 512.
constexpr int64_t kMappedBytes = int64_t(2) << 20;

}  // namespace

std::unique_ptr<FileNode> FileNode::Create(int index, int64_t capacity)
{
    if (capacity <= 0)
        return nullptr;
    std::unique_ptr<FileNode> node(new (std::nothrow) FileNode);
    if (!node)
        return nullptr;
    void* memory = nullptr;
    if (capacity >= kMappedBytes) {
        // A buffer of the last series of this size is mapped already.
        memory = FileBufferPool::Instance().Take(capacity);
        if (!memory) {
            memory = ::mmap(nullptr, static_cast<size_t>(capacity), PROT_READ | PROT_WRITE,
                            MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            if (memory == MAP_FAILED)
                return nullptr;
            ::madvise(memory, static_cast<size_t>(capacity), MADV_HUGEPAGE);
        }
        node->m_mapped = true;
    } else {
        memory = std::calloc(1, static_cast<size_t>(capacity));
        if (!memory)
            return nullptr;
    }
    node->index = index;
    node->capacity = capacity;
    node->dataSize = capacity;
    node->buffer = static_cast<uint8_t*>(memory);
    return node;
}

FileNode::~FileNode()
{
    if (m_mapped)
        FileBufferPool::Instance().Give(buffer, capacity);
    else
        std::free(buffer);
}

bool FileNode::Populate(int64_t offset, int64_t length)
{
#ifdef MADV_POPULATE_WRITE
    if (!m_mapped || offset < 0 || length <= 0 || offset > capacity - length)
        return false;
    // madvise wants a page-aligned start.
    const int64_t start = offset / 4096 * 4096;
    return ::madvise(buffer + start, static_cast<size_t>(offset + length - start), MADV_POPULATE_WRITE) == 0;
#else
    (void)offset;
    (void)length;
    return false;
#endif
}
