#pragma once

#include <QFuture>
#include <QThread>
#include <QVector>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include <ZTCam.h>

class FrameBufferSet;
class MainWindow;

// One per capture thread. While a save series of N frames runs, every frame
// the SDK delivers is counted here (AddCallbackCounter), and the loop writes
// the frames out of the camera's buffer ring as they arrive: one image file
// per frame through the SDK's image writer, or, in stack mode, multi-frame
// stack files through the FrameSpool slots camIndex (tif) and camIndex + 4
// (raw).
//
// Which frames a series saves (frames numbered as the stream delivered them,
// the series beginning with the first frame delivered after its start):
// - without an interval, and in trigger mode, the N frames from the start,
//   in order; a frame that the camera overwrote in the ring before the saver
//   got to it is lost: the saver goes on with the oldest frame still whole
//   and counts the lost ones, which the end of the series reports
//   (SignalSendLostFrames) before its finish flag;
// - with an interval, N frames, each the newest one delivered once the
//   interval has passed since the arrival of the one saved before.
// A frame is copied out of the ring only while it is whole (FrameBufferSet).
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
    // The series lost `lost` of its `frames` frames (overwritten in the ring
    // before they were saved); sent as the series ends, before its finish
    // flag, only when it lost any.
    void SignalSendLostFrames(int camIndex, int lost, int frames);

protected:
    void run() override;

private:
    // What became of one frame handed to the savers.
    enum class SaveResult {
        Saved,
        Failed,       // not saved (no folder, no stack files); tried again
        Overwritten,  // no longer whole in the ring: not saved, lost
    };
    FrameBufferSet* bufferSet() const;
    // Copies frame `frame` of the stream out of the ring into dst; false
    // when it is no longer whole.
    bool copyFrame(qint64 frame, uint8_t* dst);
    // Bytes of one frame's pixels.
    size_t frameBytes() const { return m_nFrameBytes > 0 ? static_cast<size_t>(m_nFrameBytes) : 0; }
    // Frames of the series: N, or 1 for N = 0 (one frame is still saved).
    int seriesFrames() const { return m_nTargetCount > 0 ? m_nTargetCount : 1; }
    SaveResult SaveRamImging(qint64 frame);
    bool CallSdkSaveFile(ZTCamFileSaveParams params);
    SaveResult SaveStackImging(qint64 frame);
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
    QVector<int> m_spoolSlots;
    QByteArray m_lastStackTime;  // time text of the last stack created

    // The series in stream frame numbers: its first frame, the next one to
    // save (without interval), the last one saved and when it arrived.
    qint64 m_nSeriesStart = 0;
    qint64 m_nNextFrame = 0;
    qint64 m_nLastSavedFrame = -1;
    qint64 m_nLastArrival = 0;
    qint64 m_nCopiedArrival = 0;  // arrival of the frame copied last
    int m_nLostCount = 0;         // frames of the series overwritten unsaved
    int m_nFramesHandled = 0;     // frames of the series saved or lost
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
    std::vector<uint8_t> m_stackBuffer;  // one frame copied out for the stacks
};
