#include "FileSave.h"

#include "SpoolDebug.h"
#include "SpoolTestHooks.h"

#include <platform/os/SystemInfo.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <system_error>

namespace {

constexpr int kWaitMs = 5000;       // idle wait of the writer
constexpr int kRetryMs = 100;       // pause before a failed file is tried again
constexpr int kStopAttempts = 3;    // tries per file once the slot shuts down

}  // namespace

int64_t FileSave::FrameBytes(int32_t width, int32_t height, int32_t channels, int32_t bitsPerSample)
{
    if (width <= 0 || height <= 0 || channels <= 0 || bitsPerSample <= 0)
        return -1;
    // Each factor is below 2^31, so the product needs up to 124 bits.
    unsigned __int128 bits = static_cast<unsigned __int128>(width) * static_cast<uint64_t>(height);
    bits *= static_cast<uint64_t>(channels);
    bits *= static_cast<uint64_t>(bitsPerSample);
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
    if (const char* delay = std::getenv(FRAMESPOOL_WRITE_DELAY_ENV)) {
        const long ms = std::strtol(delay, nullptr, 10);
        if (ms > 0 && ms < INT_MAX)
            m_writeDelayMs = static_cast<int>(ms);
    }
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

    int64_t maxBlocks = 0;
    platform::os::PhysicalMemory memory;
    if (platform::os::physicalMemory(&memory)) {
        const double fit = static_cast<float>(memory.availableBytes) * 0.7 / static_cast<float>(total);
        maxBlocks = fit >= static_cast<double>(INT_MAX) ? INT_MAX : static_cast<int64_t>(fit);
    }
    int64_t blocks = fileCount == -1 ? 1 : static_cast<int64_t>(fileCount) + 1;
    if (blocks > maxBlocks)
        blocks = maxBlocks;
    SpoolDebug("maxBlocks = %d, blocks = %d", static_cast<int>(maxBlocks), static_cast<int>(blocks));

    bytesToWrite = total;
    for (int64_t i = 0; i < blocks; ++i) {
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
    return !m_needNode || TakeFillNode(false);
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
        while (pending.load() > 0) {
            std::string fileName;
            int64_t size = 0;
            {
                std::lock_guard<std::mutex> guard(m_stateLock);
                fileName = writeNode->fileName;
                size = writeNode->dataSize;
                writePtr = writeNode->buffer;
            }
            if (m_writeDelayMs > 0)
                platform::os::sleepMs(static_cast<uint32_t>(m_writeDelayMs));
            writeNode->lock.Lock();
            const bool written = WriteWholeFile(fileName, writePtr, size);
            writeNode->lock.Unlock();
            if (written) {
                stopTries = 0;
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
            SpoolDebug("Unsaved file dropped: %s", fileName.c_str());
            ++m_lostFiles;
            stopTries = 0;
            FinishWriteNode();
        }
        if (stopping)
            break;
    }
}

bool FileSave::Stop()
{
    started = false;
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
}

bool FileSave::WriteWholeFile(const std::string& path, const uint8_t* data, int64_t size)
{
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    // The data is one block in memory already; stdio buffering would only copy it.
    std::setvbuf(file, nullptr, _IONBF, 0);
    bool ok = true;
    int64_t left = size;
    while (left > 0) {
        // fwrite loops over the system's write, which moves at most about
        // 2 GiB per call; keep each request well below that.
        const size_t chunk = static_cast<size_t>(left < (int64_t(1) << 30) ? left : (int64_t(1) << 30));
        const size_t done = std::fwrite(data, 1, chunk, file);
        if (done == 0 || std::ferror(file)) {
            ok = false;
            break;
        }
        data += done;
        left -= static_cast<int64_t>(done);
    }
    if (std::fflush(file) != 0)
        ok = false;
    if (std::fclose(file) != 0)
        ok = false;
    return ok;
}
