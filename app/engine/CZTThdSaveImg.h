#pragma once

#include <QElapsedTimer>
#include <QFuture>
#include <QThread>
#include <QVector>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include <ZTCam.h>

class CZTThdCapture;
class FrameBufferSet;
class MainWindow;

// One per capture thread. While a save series of N frames runs, every frame
// the SDK delivers is counted here (AddCallbackCounter), and the loop writes
// the frames out of the camera's buffer ring as they arrive: one image file
// per frame through the SDK's image writer, or, in stack mode, multi-frame
// stack files through the FrameSpool slots camIndex (tif) and camIndex + 4
// (raw).
class CZTThdSaveImg : public QThread
{
    Q_OBJECT

public:
    explicit CZTThdSaveImg(MainWindow* owner);
    // Stops a running series and waits for the loop and for a pending stack
    // close before the object goes away.
    ~CZTThdSaveImg() override;

    void SetCameraParams(int camIndex, ZTCamHandle handle, bool stackSave);
    // depth is the caller's idea of the bit depth; the stack files take
    // 8 x the element bytes of the header whenever the header has them.
    void SetImgParams(int width, int height, int channels, int depth, int frameBytes, const ZTCamFrame& header);
    void StartThread(int frames);
    void StopThread();
    // SDK callback thread: one more frame delivered for the running series.
    void AddCallbackCounter();

    // Waits until a stack close handed to the thread pool has finished.
    void waitForStackClose();
    // Waits until the loop of the last series has ended, so that the ring
    // it reads may go.
    void joinLoop();

    bool isSeriesRunning() const { return m_bRunning.load(); }
    int targetCount() const { return m_nTargetCount; }
    int depth() const { return m_nDepth; }

    // FrameSpool slots of a camera position; -1 when the position has none
    // (only positions 0 to 3 have stack slots).
    static int tifSlot(int camIndex);
    static int rawSlot(int camIndex);
    // Idle polls of 5 ms after the last saved frame before a series fails.
    static constexpr int kIdleLimit = 600;

signals:
    void SignalSendSavedImageCount(int camIndex, int savedCount);
    void SignalSendFinishSaveFlag(int camIndex, bool isSuccess);
    void SignalStackCloseFinished();

protected:
    void run() override;

private:
    FrameBufferSet* bufferSet() const;
    const uint8_t* ringEntry() const;
    bool SaveRamImging();
    bool CallSdkSaveFile(ZTCamFileSaveParams params);
    bool SaveStackImging();
    bool CreateFrameSpool(int width, int height, int channels, int depth);
    void CloseFrameSpool(bool uninit);
    QByteArray timeText() const;

    MainWindow* m_pOwner = nullptr;
    std::atomic<bool> m_bRunning{false};
    bool m_bSpoolReady = false;
    bool m_bStackSave = false;
    std::atomic<int> m_nCamIndex{0};  // also read by the callback thread's debug line
    ZTCamHandle m_handle = nullptr;
    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nChannels = 1;
    int m_nDepth = 8;
    int m_nFrameBytes = 0;
    ZTCamFrame m_header{};
    int m_nSavedCount = 0;
    int m_nStackedCount = 0;
    int m_nTargetCount = 0;
    int m_nStackFill = 0;
    QElapsedTimer m_saveClock;
    QVector<int> m_spoolSlots;
    QByteArray m_lastStackTime;  // time text of the last stack created

    // Ring slot of the first frame of the series: its number in the stream,
    // taken when the callback counts it.
    std::atomic<qint64> m_nRingStart{0};
    std::atomic<bool> m_bRingStartKnown{false};
    std::atomic<CZTThdCapture*> m_pSource{nullptr};  // counts the stream's frames
    std::atomic<FrameBufferSet*> m_pSet{nullptr};
    // A stack series owes exactly one SignalStackCloseFinished.
    std::atomic<bool> m_bCloseOwed{false};
    // Serialises the spool calls of the loop and of the pool task.
    std::mutex m_spoolMutex;
    std::mutex m_closeTaskMutex;  // guards m_closeTask
    // Taken last by the loop and by the close task, and by whoever waited
    // for them, so that everything they did is seen by the waiter.
    std::mutex m_doneMutex;
    QFuture<void> m_closeTask;
    std::vector<uint8_t> m_saveBuffer;
};
