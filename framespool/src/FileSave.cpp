#include "FileSave.h"

#include "SpoolBudget.h"
#include "SpoolDebug.h"
#include "SpoolTestHooks.h"
#include "WholeFileWriter.h"

#include <platform/os/SystemInfo.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <system_error>

namespace {

constexpr int kWaitMs = 5000;       // idle wait of the writer
constexpr int kRetryMs = 100;       // pause before a failed file is tried again
constexpr int kStopAttempts = 3;    // tries of a failing file once the slot shuts down
constexpr int64_t kPrefaultChunk = int64_t(32) << 20;

}  // namespace

int64_t FileSave::FrameBytes(int32_t width, int32_t height, int32_t channels, int32_t bitsPerSample)
{
    if (width <= 0 || height <= 0 || channels <= 0 || bitsPerSample <= 0)
        return -1;
    // Each factor is below 2^31, so the product needs up to 124 bits.
    unsigned __int128 bits = static_cast<unsigned __int128>(width) * static_cast<uint64_t>(height);
    bits *= static_cast<uint64_t>(channels);
    bits *= static_cast<uint64_t>(bitsPerSample);
    // A frame that ends inside a byte has no size in whole bytes.
    if (bits % 8 != 0)
        return -1;
    const unsigned __int128 bytes = bits / 8;
    if (bytes > static_cast<unsigned __int128>(INT64_MAX))
        return INT64_MAX;
    return static_cast<int64_t>(bytes);
}

FileSave::FileSave(int type_, const std::string& path, int32_t width_, int32_t height_, int32_t channels_,
                   int32_t bitsPerSample_, int32_t framesPerFile_, int32_t fileCount_, int64_t total_)
    : name(path),
      width(width_),
      height(height_),
      channels(channels_),
      bitsPerSample(bitsPerSample_),
      frameBytes(FrameBytes(width_, height_, channels_, bitsPerSample_)),
      framesPerFile(framesPerFile_),
      fileCount(fileCount_),
      type(type_),
      total(total_)
{
#ifdef FRAMESPOOL_TEST_HOOKS
    if (const char* delay = std::getenv(FRAMESPOOL_WRITE_DELAY_ENV)) {
        const long ms = std::strtol(delay, nullptr, 10);
        if (ms > 0 && ms < INT_MAX)
            m_writeDelayMs = static_cast<int>(ms);
    }
#endif
}

FileSave::~FileSave()
{
    Stop();
    DestroyProcessedNodes();
    SpoolDebug("FileSave::~FileSave()");
}

bool FileSave::IsStarted() const { return started; }

void FileSave::SetName(const std::string& path) { name = path; }

bool FileSave::Start()
{
    if (started)
        return true;
    started = true;

    // A series of fileCount files needs one buffer more; the shared budget
    // and the per-slot maximum bound the ring whatever the count.
    const int64_t wanted = fileCount == -1 ? 1 : static_cast<int64_t>(fileCount) + 1;
    int64_t maxBlocks = 0;
    m_reservedBuffers = SpoolBudget::Instance().Reserve(total, wanted, &maxBlocks);
    SpoolDebug("maxBlocks = %d, blocks = %d", static_cast<int>(std::min<int64_t>(maxBlocks, INT_MAX)),
               static_cast<int>(m_reservedBuffers));

    bytesToWrite = total;
    for (int64_t i = 0; i < m_reservedBuffers; ++i) {
        std::unique_ptr<FileNode> node = FileNode::Create(static_cast<int>(i), total);
        if (!node)
            break;
        nodes.push_back(std::move(node));
    }
    if (nodes.empty())
        return false;
    for (size_t i = 0; i < nodes.size(); ++i)
        nodes[i]->next = nodes[(i + 1) % nodes.size()].get();
    fillNode = writeNode = nodes.front().get();

    m_nodesCount = static_cast<int>(nodes.size());
    SpoolDebug("m_nodesCount = %d", m_nodesCount);
    writePtr = curBuffer = fillNode->buffer;
    count = 0;
    m_filesToPrefault = std::min<int64_t>(m_nodesCount, std::max(1, fileCount));

    if (!event && !thread.joinable()) {
        running = true;
        event = std::make_unique<ManualResetEvent>();
        try {
            thread = std::thread(&FileSave::WriterLoop, this);
        } catch (const std::system_error&) {
            running = false;
            event.reset();
            return false;
        }
    }
    return true;
}

bool FileSave::Close()
{
    bool result = true;
    if (started && count > 0 && event) {
        {
            std::lock_guard<std::mutex> guard(m_stateLock);
            fillNode->dataSize = bytesToWrite;
            fillNode->fileName = name;
            fillNode->queued = true;
            pending.fetch_add(1);
        }
        event->Set();
        fillNode = fillNode->next;
        if (++m_filesClosed < m_filesToPrefault)
            m_bytesFilled.store(m_filesClosed * total, std::memory_order_relaxed);
        result = TakeFillNode(true);
        if (!result)
            SpoolDebug("No free file buffer");
    }
    count = 0;
    return result;
}

bool FileSave::TakeFillNode(bool wait)
{
    {
        std::unique_lock<std::mutex> lock(m_stateLock);
        // A buffer still queued for the disk must not be refilled. Stop
        // waiting when the disk refuses the file ahead of it.
        if (wait)
            m_nodeWritten.wait(lock, [this] { return !fillNode->queued || m_failing; });
        if (fillNode->queued) {
            m_needNode = true;
            return false;
        }
    }
    fillNode->lock.Lock();
    curBuffer = fillNode->buffer;
    fillNode->lock.Unlock();
    m_needNode = false;
    return true;
}

bool FileSave::CanAppend(const void* data, int32_t size)
{
    if (!started || !data || size < 0 || size > frameBytes || count >= static_cast<uint32_t>(framesPerFile))
        return false;
    if (m_needNode && !TakeFillNode(false))
        return false;
    if (!m_prefault.joinable() && m_filesToPrefault > 0) {
        try {
            m_prefault = std::thread(&FileSave::PrefaultLoop, this);
        } catch (const std::system_error&) {
            m_filesToPrefault = 0;  // the caller maps its pages itself
        }
    }
    return true;
}

void FileSave::PutFrame(int64_t offset, const void* data, int32_t size)
{
    std::memcpy(curBuffer + offset, data, static_cast<size_t>(size));
    if (size < frameBytes)
        std::memset(curBuffer + offset + size, 0, static_cast<size_t>(frameBytes - size));
    if (m_filesClosed < m_filesToPrefault)
        m_bytesFilled.store(m_filesClosed * total + offset + frameBytes, std::memory_order_relaxed);
}

void FileSave::PrefaultLoop()
{
    // The buffers of the first files are mapped in fill order, skipping what
    // the caller has filled already; later files reuse mapped buffers.
    for (int64_t file = 0; file < m_filesToPrefault; ++file) {
        FileNode& node = *nodes[static_cast<size_t>(file)];
        for (int64_t at = 0; at < node.capacity; at += kPrefaultChunk) {
            if (m_stopPrefault.load(std::memory_order_relaxed))
                return;
            const int64_t length = std::min(kPrefaultChunk, node.capacity - at);
            if (file * total + at + length <= m_bytesFilled.load(std::memory_order_relaxed))
                continue;
            if (!node.Populate(at, length))
                return;
        }
    }
}

void FileSave::FinishWriteNode()
{
    FileNode* node = writeNode;
    {
        std::lock_guard<std::mutex> guard(m_stateLock);
        node->queued = false;
        m_failing = false;
        pending.fetch_sub(1);
    }
    m_nodeWritten.notify_all();
    writeNode = node->next;
}

void FileSave::DropWriteNode(const std::string& fileName)
{
    SpoolDebug("Unsaved file dropped: %s", fileName.c_str());
    ++m_lostFiles;
    FinishWriteNode();
}

void FileSave::WriterLoop()
{
    int waitMs = kWaitMs;
    for (;;) {
        event->WaitFor(waitMs);
        // Reset before looking at the queue: a file handed over from now on
        // signals the event again, so no wake-up is lost.
        event->Reset();
        waitMs = kWaitMs;
        const bool stopping = !running.load();
        int stopTries = 0;
        // Set at shut-down once two files in a row have failed their tries:
        // the disk refuses, and the files behind them are dropped without
        // trying. One file alone may be its own fault (a folder of its name),
        // so the file after it gets one try. A slow disk that still takes
        // files never sets it.
        bool refused = false;
        bool previousDropped = false;
        while (pending.load() > 0) {
            std::string fileName;
            int64_t size = 0;
            {
                std::lock_guard<std::mutex> guard(m_stateLock);
                fileName = writeNode->fileName;
                size = writeNode->dataSize;
                writePtr = writeNode->buffer;
            }
            if (refused) {
                DropWriteNode(fileName);
                continue;
            }
            if (m_writeDelayMs > 0)
                platform::os::sleepMs(static_cast<uint32_t>(m_writeDelayMs));
            writeNode->lock.Lock();
            const bool written = WholeFileWriter::Write(fileName, writePtr, size);
            writeNode->lock.Unlock();
            if (written) {
                stopTries = 0;
                previousDropped = false;
                FinishWriteNode();
                continue;
            }
            bool firstFailure = false;
            {
                std::lock_guard<std::mutex> guard(m_stateLock);
                firstFailure = !m_failing;
                m_failing = true;
            }
            m_nodeWritten.notify_all();
            if (firstFailure)
                SpoolDebug("Save file failed: %s", fileName.c_str());
            if (!stopping) {
                // Try the same file again shortly; the caller keeps filling
                // the free buffers meanwhile.
                waitMs = kRetryMs;
                break;
            }
            if (++stopTries < kStopAttempts) {
                platform::os::sleepMs(kRetryMs);
                continue;
            }
            refused = previousDropped;
            previousDropped = true;
            stopTries = kStopAttempts - 1;
            DropWriteNode(fileName);
        }
        if (stopping)
            break;
    }
}

bool FileSave::Stop()
{
    started = false;
    m_stopPrefault = true;
    if (m_prefault.joinable())
        m_prefault.join();
    if (thread.joinable()) {
        // The writer drains the whole queue before it ends.
        running = false;
        event->Set();
        thread.join();
    }
    event.reset();
    return m_lostFiles == 0;
}

void FileSave::DestroyProcessedNodes()
{
    SpoolDebug("DestroyProcessedNodes");
    fillNode = writeNode = nullptr;
    nodes.clear();
    SpoolBudget::Instance().Release(total, m_reservedBuffers);
    m_reservedBuffers = 0;
}
