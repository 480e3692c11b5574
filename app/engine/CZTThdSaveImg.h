#pragma once

#include <QByteArray>
#include <QFuture>
#include <QString>
#include <QThread>
#include <QVector>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

#include <ZTCam.h>

#include "SaveSchedule.h"

class FrameBufferSet;
class MainWindow;

// One per capture thread. While a save series of N frames runs, every frame
// the SDK delivers is counted here (AddCallbackCounter), and the loop writes
// the frames out of the camera's buffer ring as they arrive: one image file
// per frame through the SDK's image writer, or, in stack mode, multi-frame
// stack files through the FrameSpool slots camIndex (tif) and camIndex + 4
// (raw).
//
// Which frame comes next, when to wait and when a frame is given up is the
// series' SaveSchedule; this class does what it says and keeps the files.
// A frame is copied out of the ring only while it is whole (FrameBufferSet).
//
// Every frame of the series that the saver reached ends up in whole files or
// is counted as not saved: an image write the SDK refuses, a frame a stack
// file refuses, a stack file that did not reach the disk, and the frames lost
// while a folder or the stack files could not be made. A frame that waits for
// the folder or the stack files is tried again for as long as it can still be
// saved in time: in order, until the camera overwrites it; in a time-lapse,
// until the next frame is due; in trigger mode, where no more frames come, as
// long as the idle limit allows. The series goes on after such a frame, and
// saves again once it can. As the series ends (finished, failed or stopped)
// one report tells how many frames were overwritten and how many could not be
// saved, and why (SignalSendSeriesReport), before the finish flag; a series
// stopped from outside counts the frames it handled up to the stop.
class CZTThdSaveImg : public QThread
{
    Q_OBJECT

public:
    explicit CZTThdSaveImg(MainWindow* owner);
    // Stops a running series and waits for the loop and for a pending stack
    // close before the object goes away.
    ~CZTThdSaveImg() override;

    // Set only between series (waitForSeriesEnd): the loop of a series reads them.
    void SetCameraParams(int camIndex, ZTCamHandle handle, bool stackSave);
    // depth is the caller's idea of the bit depth; the stack files take
    // 8 x the element bytes of the header whenever the header has them.
    void SetImgParams(int width, int height, int channels, int depth, int frameBytes, const ZTCamFrame& header);
    // Starts a series with the owner's settings as they are now: folder,
    // name, formats, stack size and interval hold for the whole series.
    void StartThread(int frames);
    void StopThread();
    // SDK callback thread: one more frame delivered for the running series.
    void AddCallbackCounter();

    // Waits until a stack close handed to the thread pool has finished.
    void waitForStackClose();
    // Waits until the loop of the last series has ended, so that the ring
    // it reads may go.
    void joinLoop();
    // Waits until the last series has wholly ended: its loop, its stack
    // files and its report.
    void waitForSeriesEnd();

    bool isSeriesRunning() const { return m_bRunning.load(); }
    int targetCount() const { return m_nTargetCount; }
    int depth() const { return m_nDepth; }

    // FrameSpool slots of a camera position; -1 when the position has none
    // (only positions 0 to 3 have stack slots).
    static int tifSlot(int camIndex);
    static int rawSlot(int camIndex);
    // Idle polls of 5 ms after the last frame handled before a series fails.
    static constexpr int kIdleLimit = 600;

    // Why frames could not be saved.
    enum class Cause {
        None,
        Folder,      // the image folder could not be made
        StackSetUp,  // the stack files could not be set up
        Write,       // a file could not be written (errno, 0 when unknown)
    };
    // The cause in a few words, for the user log ("the disk is full").
    static QString causeText(Cause cause, int error);

signals:
    void SignalSendSavedImageCount(int camIndex, int savedCount);
    void SignalSendFinishSaveFlag(int camIndex, bool isSuccess);
    void SignalStackCloseFinished();
    // The series of capture number `capture` that ended lost `overwritten`
    // of its `frames` frames in the ring and could not save `notSaved` of
    // them into `folder`, the first of them because of `reason`. `frames` is
    // the series' length, or, when it was stopped from outside, the frames
    // it handled before the stop. Sent once as a series ends, before its
    // finish flag, only when it lost or could not save any.
    void SignalSendSeriesReport(int camIndex, int capture, int frames, int overwritten, int notSaved, bool stopped,
                                QString folder, QString reason);

protected:
    void run() override;

private:
    // What became of one frame handed to the savers.
    enum class SaveResult {
        Saved,
        NotSaved,     // handled, but not in every file it belongs in
        Failed,       // not saved (no folder, no stack files); tried again
        Overwritten,  // no longer whole in the ring: not saved, lost
    };
    struct Failure {
        Cause cause = Cause::None;
        int error = 0;
    };
    // The owner's settings as a series starts.
    struct SeriesSettings {
        QString dir;
        QByteArray dirText;  // local 8-bit encoding
        QByteArray name;     // image name text, local 8-bit encoding
        int capCount = 0;
        int format = 0;
        int stackNum = 1;
        qint64 intervalNs = 0;
    };
    // One stack file of a slot: its name but for the frame count, which is
    // put in as the file is closed, and the series positions of its frames.
    struct StackFile {
        int slot = -1;
        bool raw = false;
        QByteArray head;  // path up to "_stack"
        QByteArray tail;  // the rest from "_w"
        int planned = 0;  // frames the stack was made for
        QVector<int> positions;
        QByteArray path(int frames) const { return head + QByteArray::number(frames) + tail; }
    };
    FrameBufferSet* bufferSet() const;
    // Copies frame `frame` of the stream out of the ring into dst; false
    // when it is no longer whole.
    bool copyFrame(qint64 frame, uint8_t* dst);
    // Bytes of one frame's pixels.
    size_t frameBytes() const { return m_nFrameBytes > 0 ? static_cast<size_t>(m_nFrameBytes) : 0; }
    // Frames of the series: N, or 1 for N = 0 (one frame is still saved).
    int seriesFrames() const { return m_nTargetCount > 0 ? m_nTargetCount : 1; }
    // The ring and the time as the schedule takes them.
    SaveSchedule::View observe() const;
    void act(const SaveSchedule::Step& step);
    void saveFrame(const SaveSchedule::Step& step);
    // After the loop: counts what the series left, closes and reports.
    void endSeries(bool result);
    // Frame `frame` of the stream as series position `position`.
    SaveResult SaveRamImging(qint64 frame, int position);
    bool CallSdkSaveFile(ZTCamFileSaveParams params, int* error);
    SaveResult SaveStackImging(qint64 frame, int position);
    // After a frame went into the stacks: starts the next stack once this
    // one is full, and closes them all after the series' last frame.
    void finishStackFrame();
    bool CreateFrameSpool(int width, int height, int channels, int depth);
    void CloseFrameSpool(bool uninit);
    // Hands the stack file of entry i to its slot's writer.
    void closeStackFile(int i);
    // Marks the frames of stack files that did not reach the disk whole.
    void checkWrittenStacks();
    qint64 stackFileBytes(const StackFile& file) const;
    QByteArray timeText() const;
    // The time text of a new stack, never that of the stack before.
    QByteArray stackTime();
    // Positions from `position` whose frames the camera overwrote.
    void skipOverwritten(int position, int count);
    // Whether the folder and (stack mode) the stack files are there or can
    // be made; when not, m_retrying says why.
    bool readyToSave();
    // Whether the image folder is there or can be made; when not,
    // m_retrying says so.
    bool folderReady();
    void markNotSaved(int position, Failure failure);
    // The frames of positions from `position` can no longer be saved in
    // time: they are not saved (because of the failure being retried).
    void giveUpFrames(int position, int count);
    // Sends the series' report, once per series.
    void reportSeries();

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
    SeriesSettings m_settings;
    int m_nSavedCount = 0;  // frames handed to the writers, saved or not
    int m_nStackedCount = 0;
    int m_nTargetCount = 0;
    int m_nStackFill = 0;
    QVector<int> m_spoolSlots;
    QVector<StackFile> m_stackFiles;    // the file being filled, per slot of m_spoolSlots
    QVector<StackFile> m_closedStacks;  // handed to the writers, checked once they are done
    QByteArray m_lastStackTime;         // time text of the last stack created

    // What the series does next, and the frames it handled.
    SaveSchedule m_schedule;
    qint64 m_nCopiedArrival = 0;  // arrival of the frame copied last
    int m_nLostCount = 0;         // frames of the series overwritten unsaved
    // The failure of the frame being tried again, if any: frames lost while
    // it lasts are frames it kept from being saved.
    Failure m_retrying;
    bool m_bStopped = false;  // the series was stopped from outside
    std::vector<bool> m_notSaved;  // per series position
    int m_nNotSaved = 0;
    Failure m_firstFailure;
    bool m_bReportOwed = false;
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
