#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QThread>
#include <atomic>
#include <cstdint>
#include <mutex>

#include <ZTCam.h>

class CZTCamView;
class CZTThdSaveImg;
class FrameBufferSet;
class MainWindow;

// One per opened camera: sets up the camera's stream over an announced ring of
// frame buffers, counts frames and the frame rate in the SDK's data callback,
// and runs the display loop that reduces frames to 8 bits for the camera's
// view and feeds the AVI recorder.
class CZTThdCapture : public QThread
{
    Q_OBJECT

public:
    CZTThdCapture(OpenedCamera camera, MainWindow* owner, int camIndex);
    ~CZTThdCapture() override;

    bool openCapture(MainWindow* owner);
    bool closeCapture();
    bool startThread();
    void stopThread();
    void saveImage(bool on);
    void setFpsEnabled(bool on) { m_bFpsEnabled = on; }
    bool setPicNumAndCheck(int count, int* maxFrames);
    void setPicNum(int count) { m_nPicNum = count; }
    void updateWaitInterval();
    qint64 ringBufferBytes() const { return static_cast<qint64>(m_nRingBufferSize) * m_nRingCount; }

    void setView(CZTCamView* view) { m_pView = view; }
    CZTCamView* view() const { return m_pView; }
    int camIndex() const { return m_nCamIndex; }
    bool isOpened() const { return m_bOpened; }
    bool isSaving() const { return m_bSaving; }
    bool isRecording() const { return m_bRecording; }
    qint64 frameCounter() const { return m_nFrameCounter; }
    double fps() const;
    int waitInterval() const { return m_nWaitInterval; }
    int ringCount() const { return m_nRingCount; }
    int ringBufferSize() const { return m_nRingBufferSize; }
    int frameBytes() const { return m_nFrameBytes; }
    // The frame description as last filled by the allocation or a wait.
    ZTCamFrame lastFrameHeader() const;
    CZTThdSaveImg* saveThread() const { return m_pSaveThread; }

    // Frame buffers per ring: the wanted count, at least kMinRingBuffers and
    // at most kMaxRingBuffers.
    static constexpr qint64 kMinRingBuffers = 4;
    static constexpr qint64 kMaxRingBuffers = qint64(1) << 20;
    static int ringCountFor(qint64 wanted);
    // The wait before each frame for a preview rate: -1 (do not wait for
    // frames) for a rate of 0 or less, else 1000 / rate less 10 ms, not below 0.
    static int waitIntervalFor(int previewFps);
    // Reduces width x height pixels of channels samples of elementBytes bytes
    // each to one byte per sample; a 16-bit mono sample is shifted right by
    // shift (taken modulo 32; 0 takes the high byte).
    static void reduceTo8Bit(const uint8_t* src, uint8_t* dst, int width, int height, int channels,
                             int elementBytes, int shift);

signals:
    void sglWriteLog(QString text);
    void sglCapFinished(int camIdx, bool isSuccess);
    void sglVideoFinished();
    void sglCapMsg(int camIdx, int count);
    void sglUpdateFrameCounter(int camIdx, qlonglong count);
    void sglUpdateFps(int camIdx, double fpg);

public slots:
    void slotCapFinished(int camIdx, bool isSuccess);

protected:
    void run() override;

private:
    static void callbackBuffer(void* handle, void* context);
    void onFrameDelivered();
    // Opening a stream runs these steps in order; when one fails,
    // abandonOpen undoes what it and the steps before it set up, and the
    // open fails.
    enum class OpenStep { AllocFrame, AllocRing, Announce, Start };
    bool openCamCapture();
    bool allocateFrame();
    int payloadSize();
    bool allocateRing(FrameBufferSet& set, int payload, int count);
    bool announceRing(FrameBufferSet& set, int payload, int count);
    // The stream counts as open: frame and rate counters start from 0 (and
    // are shown so), the frame size is taken from the allocated frame.
    void markOpened();
    bool abandonOpen(OpenStep failed);
    bool closeCamCapture();
    void failOpen();
    // Frees the ring's buffers; ringBufferSize becomes 0, ringCount stays.
    void freeRingBuffers();
    FrameBufferSet* bufferSet() const;
    int displayShift() const;
    bool displayFrame();
    void videoRecord();
    void startRecording();
    void closeRecording();
    // The row for a recording that lost frames or could not be finished.
    void reportRecording(bool finished, int stopError);
    void joinRun();

    MainWindow* m_pOwner = nullptr;
    int m_nCamIndex = 0;
    OpenedCamera m_openedCamera{};
    CZTCamView* m_pView = nullptr;
    ZTCamFrame m_frame{};
    ZTCamFrame m_callbackFrame{};
    int m_nFrameBytes = 0;
    std::atomic<bool> m_bOpened{false};
    std::atomic<bool> m_bFpsEnabled{false};
    std::atomic<bool> m_bRecording{false};
    std::atomic<qint64> m_nFrameCounter{0};
    double m_dFps = 0.0;
    int m_nFramesSinceRate = 0;
    QElapsedTimer m_rateClock;
    mutable std::mutex m_rateMutex;
    std::atomic<bool> m_bSaving{false};
    int m_nRingBufferSize = 0;
    int m_nRingCount = 0;
    CZTThdSaveImg* m_pSaveThread = nullptr;  // owned; made by the constructor, null once destroyed
    // The ring of the running stream, which the callback tells of each frame.
    std::atomic<FrameBufferSet*> m_pRingSet{nullptr};
    std::atomic<int> m_nWaitInterval{-1};
    // Bumped (release) as run() returns and read (acquire) after joining it,
    // so that what run() did is ordered before what the joiner does next
    // also for tools that cannot see QThread::wait.
    std::atomic<int> m_nRunExits{0};
    int m_nPicNum = 0;
    // The running recording (touched only by the thread that records): its
    // file, the frames written to it and not, and why the first one failed.
    QString m_strVideoPath;
    int m_nVideoFramesWritten = 0;
    int m_nVideoFramesFailed = 0;
    int m_nVideoError = 0;
    mutable std::mutex m_frameMutex;  // guards m_lastHeader
    ZTCamFrame m_lastHeader{};
};
