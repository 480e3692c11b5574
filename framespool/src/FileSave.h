#pragma once

#include "FileNode.h"
#include "ManualResetEvent.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// The writer of one slot: a ring of whole-file buffers that the caller fills
// frame by frame and a thread that writes every handed-over file to disk.
class FileSave
{
public:
    enum Type { Raw = 0, Tiff = 1 };

    // Bytes of one frame; -1 when a dimension is not positive or the frame's
    // bits do not make whole bytes. Sizes beyond 64 bits give INT64_MAX.
    static int64_t FrameBytes(int32_t width, int32_t height, int32_t channels, int32_t bitsPerSample);

    virtual ~FileSave();
    FileSave(const FileSave&) = delete;
    FileSave& operator=(const FileSave&) = delete;

    // Builds the ring and starts the writer thread; false when no buffer
    // could be allocated or the thread could not start.
    virtual bool Start();
    virtual bool IsStarted() const;
    // Hands the file being filled to the writer and takes the next buffer;
    // false when the next buffer is still held by files the disk refuses.
    virtual bool Close();
    virtual bool Append(const void* data, int32_t size) = 0;

    // Names the next file.
    void SetName(const std::string& path);
    int GetType() const { return type; }

    // Writes every handed-over file and stops the writer thread; false when
    // a file could not be written.
    bool Stop();

protected:
    FileSave(int type, const std::string& path, int32_t width, int32_t height, int32_t channels,
             int32_t bitsPerSample, int32_t framesPerFile, int32_t fileCount, int64_t total);

    // Common checks of Append; also picks up a buffer that has been freed
    // since Close could not get one.
    bool CanAppend(const void* data, int32_t size);
    // Copies a frame of size bytes to its place at offset in the file being
    // filled; the rest of a shorter frame's place is cleared, so that no
    // bytes of an earlier file stay in the buffer.
    void PutFrame(int64_t offset, const void* data, int32_t size);

    std::string name;
    bool started = false;
    uint32_t count = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t channels = 0;
    int32_t bitsPerSample = 0;
    int64_t frameBytes = 0;
    int32_t framesPerFile = 0;
    int32_t fileCount = 0;
    int32_t type = 0;
    int64_t total = 0;
    uint8_t* writePtr = nullptr;   // writer thread only, once started
    uint8_t* curBuffer = nullptr;  // caller only
    int64_t bytesToWrite = 0;

private:
    void WriterLoop();
    void PrefaultLoop();
    bool TakeFillNode(bool wait);
    void FinishWriteNode();
    void DropWriteNode(const std::string& fileName);
    void DestroyProcessedNodes();

    std::atomic<bool> running{false};
    std::unique_ptr<ManualResetEvent> event;
    std::thread thread;
    int m_nodesCount = 0;
    std::atomic<int> pending{0};
    FileNode* fillNode = nullptr;   // caller only
    FileNode* writeNode = nullptr;  // writer thread only, once started
    std::vector<std::unique_ptr<FileNode>> nodes;
    int64_t m_reservedBuffers = 0;  // taken from the shared budget

    // Guards the nodes' queued flags, names and sizes, and m_failing.
    std::mutex m_stateLock;
    std::condition_variable m_nodeWritten;
    bool m_failing = false;      // the file at the head of the queue cannot be written
    bool m_needNode = false;     // Close could not take the next buffer
    int m_lostFiles = 0;         // writer thread only until joined
    int m_writeDelayMs = 0;      // test builds only

    // Maps the pages of the buffers of the first files in advance, off the
    // caller's path; started by the first frame appended.
    std::thread m_prefault;
    std::atomic<bool> m_stopPrefault{false};
    int64_t m_filesToPrefault = 0;
    std::atomic<int64_t> m_bytesFilled{0};  // of the series, while the first buffers fill
    int64_t m_filesClosed = 0;              // caller only
};
