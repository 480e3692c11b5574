// Single-image series through the SDK's image writer, trigger mode and the
// idle limit of the save loop, and what a series saves and reports lost when
// its saver falls behind the camera.
#include "../SaveFixture.h"

#include <FrameSpool.h>

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>

using SingleImageSeries = SaveFixture;

// Frames the camera overwrote before a slow first write (a loaded machine)
// are reported lost; every other frame takes one SDK call and two files.
TEST_F(SingleImageSeries, TifAndPngTakeOneSdkCallPerFrameWithNamedFiles)
{
    open(kOneCamera, 1);
    goLive();
    chooseFormats(ZTCAM_FILE_TIF | ZTCAM_FILE_PNG);
    EXPECT_EQ(window->m_nSaveFormat.load(), ZTCAM_FILE_TIF | ZTCAM_FILE_PNG);
    EXPECT_EQ(window->m_nFormatCount, 2);
    SaveEvents events(saver());
    ZTCamSim_CallLogClear();
    ASSERT_TRUE(captureAndWait(3));
    waitFor([&] { return !events.finished.empty(); });

    const int saved = 3 - seriesRows().lost;
    EXPECT_EQ(seriesRows().notSaved, 0);
    EXPECT_EQ(simCallCount("ZTCAM_File_SaveImage"), saved);
    std::vector<int> counts;
    for (int i = 1; i <= saved; ++i)
        counts.push_back(i);
    EXPECT_EQ(events.saved, counts);
    ASSERT_EQ(events.finished.size(), 1u);
    EXPECT_EQ(events.finished[0], std::make_pair(0, true));
    const QRegularExpression name("^Cam0_TS_1_([0-2])_\\d\\d_\\d\\d_\\d\\d_\\d\\d\\d\\.(tif|png)$");
    const QStringList written = files("Cam0_*");
    EXPECT_EQ(written.size(), 2 * saved) << written.join(" ").toStdString();
    for (const QString& f : written)
        EXPECT_TRUE(name.match(f).hasMatch()) << f.toStdString();
    for (int i = 0; i < saved; ++i)
        EXPECT_EQ(files(QString("Cam0_TS_1_%1_*").arg(i)).size(), 2) << "frame " << i;
    EXPECT_EQ(ui()->pb_cap->text(), "Capture");
    EXPECT_TRUE(ui()->pb_video->isEnabled());
}

// Capture is clicked again while the stopped series' last write is still held
// in the SDK: the saver's settings for the next series (camera, handle, frame
// geometry), which that pass still reads, are set only once it has ended; the
// held frame keeps the name of its own capture and the next series saves all
// its frames. The stopped series' report (its first frame could not be
// saved), which comes after the next series began, is not that series'.
TEST_F(SingleImageSeries, ACaptureClickedDuringTheStoppedSeriesLastWriteStartsAfterIt)
{
    open(kOneCamera, 1);
    goLive();
    chooseFormats(ZTCAM_FILE_TIF);
    ZTCamSim_FailImageWrites(1, ENOSPC);
    ui()->txt_frames->setText("1000");
    ui()->pb_cap->click();
    ASSERT_TRUE(waitFor([] { return simCallCount("ZTCAM_File_SaveImage") > 0; }));
    ZTCamSim_HoldFileSaves(1);
    ASSERT_TRUE(waitFor([] { return ZTCamSim_HeldFileSaves() > 0; }));
    ui()->pb_cap->click();  // stopped; its loop is in the held write
    // The next click waits for that write, which is let go meanwhile.
    std::thread release([] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        ZTCamSim_HoldFileSaves(0);
    });
    const bool finished = captureAndWait(2);
    release.join();
    ASSERT_TRUE(finished);

    const SeriesRows r = seriesRows();
    EXPECT_EQ(r.notSaved, 1);
    EXPECT_EQ(files("Cam0_TS_1_*.tif").size(), r.saved);
    EXPECT_EQ(files("Cam0_TS_2_*.tif").size(), 2 - r.lost);
    const QRegularExpression finishRow("^Camera0 capture ");
    const QString end = r.lost == 0 ? "Camera0 capture successfully" : "Camera0 capture finished with lost frames.";
    EXPECT_EQ(logRows().filter(finishRow).join("\n").toStdString(), end.toStdString());
}

// A series whose folder cannot be made (the image folder is a link into a
// folder that is gone) ends by itself with every frame counted: a time-lapse
// gives up each frame when the next one is due; in trigger mode, where the
// camera sends no more than the series' frames, after the retries the idle
// limit allows; a time-lapse whose camera stops sending fails after it.
// Stopped, a series in order counts the frames that arrived. A folder that
// can be made while its frame is tried again costs no frame.
struct FolderGoneCase {
    const char* name;
    bool trigger;
    int intervalMs;
    int stopAfter;     // frames delivered before the series is stopped; 0: it is not
    const char* rows;  // of camera 1; %1 the folder
    int sent = 0;             // frames the camera sends; 0: as many as the series takes
    bool folderBack = false;  // the folder can be made once the first frame was tried
    friend void PrintTo(const FolderGoneCase& c, std::ostream* os) { *os << c.name; }
};

class FolderGone : public SaveFixture, public ::testing::WithParamInterface<FolderGoneCase> {};

TEST_P(FolderGone, EveryFrameOfTheSeriesIsCounted)
{
    const FolderGoneCase& c = GetParam();
    open(kOneCamera, 1);
    window->m_strImgDir = workDir.path() + "/lapse";
    ASSERT_TRUE(QFile::link(workDir.path() + "/gone/img", window->m_strImgDir));
    window->m_nSaveFormat = ZTCAM_FILE_PNG;
    window->m_nInterval = c.intervalMs;
    window->setPanelTriggerMode(1, c.trigger);
    StandaloneSave s(*window, 1, false, 8);
    QObject::connect(s.thread, &CZTThdSaveImg::SignalSendFinishSaveFlag, window.get(), &MainWindow::onFinishImageCapture);
    s.start(5);
    // The time-lapse camera sends a frame every 10 ms until the series ends.
    const int frames = c.sent > 0 ? c.sent : c.stopAfter > 0 ? c.stopAfter : c.intervalMs > 0 ? 1000 : 5;
    for (int k = 0; k < frames && s.events->finished.empty(); ++k) {
        s.deliver(k);
        if (k == 0 && c.folderBack) {
            waitFor([] { return false; }, 200);  // the saver tries the first frame
            ASSERT_TRUE(QDir().mkpath(workDir.path() + "/gone/img"));
            ASSERT_TRUE(waitFor([&] { return !s.events->saved.empty(); }));
        }
        if (c.intervalMs > 0)
            waitFor([] { return false; }, 10);
    }
    if (c.stopAfter > 0) {
        waitFor([] { return false; }, 200);  // the saver tries the first frame
        s.thread->StopThread();
        ASSERT_TRUE(waitFor([&] { return seriesRows(1).reports > 0; }));
    } else {
        // The window's row of the finish flag, which the saver sends last.
        ASSERT_TRUE(waitFor([&] { return !logRows().filter(QRegularExpression("^Camera1 capture ")).isEmpty(); }));
    }
    EXPECT_EQ(logRows().filter(QRegularExpression("^Camera1 ")).join("\n").toStdString(),
              QString(c.rows).arg(QDir::toNativeSeparators(imgDir())).toStdString());
}

constexpr const char* kFiveNotSaved = "Camera1 could not save 5 of 5 frames to %1: the folder could not be made.\n"
                                      "Camera1 capture finished with lost frames.";

INSTANTIATE_TEST_SUITE_P(
    SaveSeries, FolderGone,
    ::testing::Values(FolderGoneCase{"TimeLapse", false, 50, 0, kFiveNotSaved},
                      FolderGoneCase{"Trigger", true, 0, 0, kFiveNotSaved},
                      FolderGoneCase{"CameraStops", false, 50, 0,
                                     "Camera1 could not save 1 of 5 frames to %1: the folder could not be made.\n"
                                     "Camera1 capture failed", 2},
                      FolderGoneCase{"FolderBack", false, 50, 0, "Camera1 capture successfully", 0, true},
                      FolderGoneCase{"StoppedInOrder", false, 0, 3,
                                     "Camera1 saved 0 of the 3 frames that arrived before the capture was "
                                     "stopped and could not save 3 to %1: the folder could not be made."}),
    [](const ::testing::TestParamInfo<FolderGoneCase>& info) { return std::string(info.param.name); });

// A series of single files of a live camera (64 x 48 Mono 12, 50 frames per
// second, frames stamped). Each row's saver either keeps up or is held in its
// first image write until the camera has refilled the ring twice: the files
// hold whole frames, in order, consecutive but for the frames the series
// reports lost.
struct LostFramesCase {
    const char* name;
    int ring;           // acquisition buffers
    bool trigger;       // trigger mode: all frames of the series arrive before any is saved
    bool holdSaver;     // the saver's first image write is held
    int frames;         // asked for
    int seriesFrames;   // the series as started (trigger mode: capped to what the ring keeps whole)
    friend void PrintTo(const LostFramesCase& c, std::ostream* os) { *os << c.name; }
};

class LostFrames : public SaveFixture, public ::testing::WithParamInterface<LostFramesCase> {};

TEST_P(LostFrames, SavedFramesAreWholeAndConsecutiveBetweenTheReportedLosses)
{
    const LostFramesCase& c = GetParam();
    open(kOneCamera, 1);
    goLive(c.ring);
    stampFrames();
    ui()->txt_frames->setText(QString::number(c.frames));
    chooseFormats(ZTCAM_FILE_RAW | ZTCAM_FILE_PNG);
    if (c.trigger)
        window->setPanelTriggerMode(0, true);
    window->m_nCapCount = 6;  // the next capture is number 7
    ZTCamSim_HoldFileSaves(c.holdSaver);
    SaveEvents events(saver());
    ZTCamSim_CallLogClear();
    // The series begins with a frame delivered after this one.
    const qint64 before = capture()->frameCounter();
    ui()->pb_cap->click();
    ASSERT_TRUE(window->m_bCapturing);
    EXPECT_EQ(window->m_nFrames.load(), c.seriesFrames);
    // A saver that starts after the whole series has passed (a loaded
    // machine) saves nothing and reports every frame lost.
    bool held = false;
    if (c.holdSaver) {
        ASSERT_TRUE(waitFor([&] { return ZTCamSim_HeldFileSaves() > 0 || !window->m_bCapturing; }));
        held = ZTCamSim_HeldFileSaves() > 0;
        // The held frame arrived before this; once frame k + L - 1 has
        // arrived the camera may be writing frame k + L over frame k, so
        // the L frames after the held one are gone too.
        const qint64 atHold = capture()->frameCounter();
        ASSERT_TRUE(waitFor([&] { return !held || capture()->frameCounter() >= atHold + 2 * c.ring; }));
        ZTCamSim_HoldFileSaves(0);
    }
    ASSERT_TRUE(waitFor([&] { return !window->m_bCapturing && ui()->pb_cap->text() == "Capture"; }));

    // What the log says was lost.
    const QStringList rows = logRows();
    int lost = 0;
    const QRegularExpression lostRow("^Camera0 lost (\\d+) of the (\\d+) frames of the capture because saving fell "
                                     "behind the camera\\. More acquisition buffers would keep them\\.$");
    for (const QString& row : rows) {
        const QRegularExpressionMatch m = lostRow.match(row);
        if (m.hasMatch()) {
            EXPECT_EQ(lost, 0) << "one report per series";
            lost = m.captured(1).toInt();
            EXPECT_EQ(m.captured(2).toInt(), c.seriesFrames);
        }
    }
    EXPECT_EQ(rows.contains("Camera0 capture successfully"), lost == 0) << rows.join("\n").toStdString();
    EXPECT_EQ(rows.contains("Camera0 capture finished with lost frames."), lost > 0) << rows.join("\n").toStdString();

    // What the files hold, in the order of their index.
    QVector<qint64> stamps;
    const int saved = files("Cam0_TS_7_*.raw").size();
    EXPECT_EQ(files("Cam0_TS_7_*.png").size(), saved);
    // png first, then raw alone: two calls per frame.
    EXPECT_EQ(simCallCount("ZTCAM_File_SaveImage"), 2 * saved);
    for (int i = 0; i < saved; ++i) {
        const QStringList one = files(QString("Cam0_TS_7_%1_*.raw").arg(i));
        ASSERT_EQ(one.size(), 1) << "file " << i;
        stamps += stampsInRawFile(imgDir() + "/" + one[0]);
    }
    if (stamps.isEmpty()) {
        EXPECT_EQ(lost, c.seriesFrames);
        return;
    }
    EXPECT_EQ(stamps.size() + lost, c.seriesFrames) << "every frame of the series is saved or reported lost";
    EXPECT_EQ(static_cast<int>(events.saved.size()), stamps.size());
    EXPECT_GE(stamps.first(), before) << "the series begins after it was started";
    int gaps = 0;
    for (int i = 0; i < stamps.size(); ++i) {
        ASSERT_GE(stamps[i], 0) << "frame " << i << " holds parts of two frames";
        if (i > 0) {
            ASSERT_GT(stamps[i], stamps[i - 1]) << "frame " << i << " is not later than the one before";
            gaps += static_cast<int>(stamps[i] - stamps[i - 1] - 1);
        }
    }
    EXPECT_LE(gaps, lost) << "frames missing between the saved ones are reported lost";
    EXPECT_LT(stamps.last() - stamps.first(), c.seriesFrames);
    if (held) {
        // The L frames after the held one were overwritten while it was held.
        for (int i = 1; i < stamps.size(); ++i)
            EXPECT_GT(stamps[i], stamps.first() + c.ring) << "frame " << i;
        EXPECT_GT(lost, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    SaveSeries, LostFrames,
    ::testing::Values(LostFramesCase{"SaverKeepsUp", 64, false, false, 5, 5},
                      LostFramesCase{"SlowSaver", 4, false, true, 12, 12},
                      LostFramesCase{"SlowSaverTriggerMode", 4, true, true, 100, 3}),
    [](const ::testing::TestParamInfo<LostFramesCase>& info) { return std::string(info.param.name); });

TEST_F(SingleImageSeries, ZeroFramesStillSavesOneAndFinishes)
{
    open(kOneCamera, 1);
    StandaloneSave s(*window, 2, false);
    s.start(0);
    s.deliver(0);
    ASSERT_TRUE(s.waitForEnd());
    EXPECT_EQ(s.events->saved, (std::vector<int>{1}));
    EXPECT_EQ(s.events->finished[0], std::make_pair(2, true));
    EXPECT_EQ(files("Cam2_TS_*.tif").size(), 1);
}

TEST_F(SingleImageSeries, TriggerModeFailsAfterAboutThreeSecondsWithoutTheLastFrames)
{
    open(kOneCamera, 1);
    window->setPanelTriggerMode(2, true);
    StandaloneSave s(*window, 2, false);
    QElapsedTimer clock;
    clock.start();
    s.start(4);
    s.deliver(0);
    s.deliver(1);
    ASSERT_TRUE(s.waitForEnd(10000));
    EXPECT_GE(clock.elapsed(), 2500);
    EXPECT_FALSE(s.events->finished[0].second);
    EXPECT_TRUE(s.events->saved.empty());
    EXPECT_FALSE(s.thread->isSeriesRunning());
}

TEST_F(SingleImageSeries, TriggerModeSeriesIsCappedAtTheFramesTheRingKeepsWhole)
{
    // One of the four buffers may always be the one the camera writes next.
    open(kOneCamera, 1);
    window->setPanelTriggerMode(2, true);
    StandaloneSave s(*window, 2, false, 4);
    s.start(100);
    EXPECT_EQ(s.thread->targetCount(), 3);
    for (int k = 0; k < 3; ++k)
        s.deliver(k);
    ASSERT_TRUE(s.waitForEnd());
    EXPECT_TRUE(s.events->finished[0].second);
    EXPECT_EQ(s.events->saved.size(), 3u);
}

TEST_F(SingleImageSeries, FinishedSeriesFreesTheLoopForTheNextOne)
{
    open(kOneCamera, 1);
    StandaloneSave s(*window, 2, false);
    window->m_nSaveFormat = ZTCAM_FILE_RAW;
    s.start(2);
    s.deliverPaced(0, 2);
    ASSERT_TRUE(waitFor([&] { return s.events->finished.size() == 1; }));
    // A stop after the end changes nothing and sends nothing more.
    s.thread->StopThread();
    s.start(1);
    s.deliver(2);
    ASSERT_TRUE(waitFor([&] { return s.events->finished.size() == 2; }));
    EXPECT_TRUE(s.events->finished[1].second);
    EXPECT_EQ(s.events->closes, 0);
}

// Frames that do not reach the disk, as single images and as stacks, through
// a saver at position 1 that the test feeds: a write that fails (the SDK's
// writer as on a full disk; stack files larger than the process may write),
// a stack file that refuses frames (its buffers all wait for a disk that
// refuses them), and a folder or stack files that cannot be made (while the
// frame is tried again the camera overwrites the ring), and a name longer
// than the system takes; and a stack file that is cut after it was written,
// before the series ends. Each frame is in a whole file or counted, the
// finish row does not claim success, and no cut file of the saver's stays.
enum class Fault { Write, Refused, SetUp, LongName, Cut };

struct NotSavedCase {
    const char* name;
    bool stack;
    int format;
    int frames;
    Fault fault;
    int notSaved;
    const char* reason;
    friend void PrintTo(const NotSavedCase& c, std::ostream* os) { *os << c.name; }
};

class FramesNotSaved : public SaveFixture, public ::testing::WithParamInterface<NotSavedCase> {};

TEST_P(FramesNotSaved, AreCountedInOneRowAndTheFinishRowDoesNotClaimSuccess)
{
    const NotSavedCase& c = GetParam();
    open(kOneCamera, 1);
    window->m_nSaveFormat = c.format;
    window->m_nStackNum = c.stack ? 2 : 1;
    const int slot = c.format == ZTCAM_FILE_RAW ? CZTThdSaveImg::rawSlot(1) : CZTThdSaveImg::tifSlot(1);
    QTemporaryDir other;
    std::unique_ptr<lumatest::FileSizeLimit> limit;
    if (c.fault == Fault::SetUp) {
        if (c.stack) {
            // Someone else holds the stack slot.
            const QByteArray path = (other.path() + (c.format == ZTCAM_FILE_RAW ? "/x.raw" : "/x.tif")).toLocal8Bit();
            ASSERT_TRUE(Init_FrameSpool(path.constData(), 4, 4, 1, 8, 1, 1, slot));
        } else {
            // The folder's parent is a file.
            QFile blocker(workDir.path() + "/blocker");
            ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
            window->m_strImgDir = blocker.fileName() + "/img";
        }
    } else if (c.fault == Fault::LongName) {
        ui()->txt_imgname->setText(QString(260, QChar('n')));
    } else if (c.fault == Fault::Cut) {
        // Cut in the loop below.
    } else if (c.stack) {
        limit = std::make_unique<lumatest::FileSizeLimit>(4096);  // a stack file of two frames is 12 KiB
    } else {
        ZTCamSim_FailImageWrites(c.notSaved, ENOSPC);
    }
    // Frames the camera overwrites only when the fault keeps them from the disk.
    const bool overwrite = c.fault == Fault::SetUp;
    StandaloneSave s(*window, 1, c.stack, overwrite ? 4 : c.frames + 1);
    QObject::connect(s.thread, &CZTThdSaveImg::SignalSendFinishSaveFlag, window.get(), &MainWindow::onFinishImageCapture);
    s.start(c.frames);
    for (int k = 0; k < c.frames + (overwrite ? 4 : 0); ++k) {
        if (c.fault == Fault::Cut && k == 2) {
            // The first stack of two 16-bit frames is on the disk whole.
            const qint64 whole = 2 * (2 * 64 * 48 + 162) + 8;
            QString first;
            ASSERT_TRUE(waitFor([&] {
                const QStringList written = files("Cam1_*");
                first = written.value(0);
                return written.size() == 1 && QFileInfo(imgDir() + "/" + first).size() == whole;
            }));
            ASSERT_TRUE(QFile::resize(imgDir() + "/" + first, whole / 2));
        }
        s.deliver(k);
    }
    ASSERT_TRUE(s.waitForEnd());
    s.thread->waitForSeriesEnd();
    limit.reset();
    if (c.fault == Fault::SetUp && c.stack)
        Uninit_FrameSpool(slot);
    ASSERT_TRUE(waitFor([&] { return !logRows().filter(QRegularExpression("^Camera1 capture ")).isEmpty(); }));

    const QStringList rows = logRows();
    const SeriesRows r = ::seriesRows(rows, 1);
    EXPECT_EQ(r.reports, 1) << rows.join("\n").toStdString();
    EXPECT_EQ(r.lost, 0);
    EXPECT_EQ(r.notSaved, c.notSaved);
    EXPECT_EQ(r.frames, c.frames);
    EXPECT_EQ(r.folder, QDir::toNativeSeparators(window->m_strImgDir));
    EXPECT_EQ(r.reason, c.reason);
    EXPECT_FALSE(rows.contains("Camera1 capture successfully")) << rows.join("\n").toStdString();
    EXPECT_TRUE(rows.contains("Camera1 capture finished with lost frames.")) << rows.join("\n").toStdString();
    // Whole files only: one per frame saved.
    const QStringList left = files("Cam1_*");
    EXPECT_EQ(left.size(), c.fault == Fault::Cut ? 2 : c.stack ? 0 : c.frames - c.notSaved)
        << left.join(" ").toStdString();
    for (const QString& f : left) {
        if (!c.stack) {
            EXPECT_EQ(tiffPages(imgDir() + "/" + f), 1) << f.toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    SaveSeries, FramesNotSaved,
    ::testing::Values(
        NotSavedCase{"SingleImageWriteFails", false, ZTCAM_FILE_TIF, 1, Fault::Write, 1, "the disk is full"},
        NotSavedCase{"SeriesWriteFails", false, ZTCAM_FILE_TIF, 3, Fault::Write, 2, "the disk is full"},
        NotSavedCase{"SingleImageFolderCannotBeMade", false, ZTCAM_FILE_TIF, 1, Fault::SetUp, 1,
                     "the folder could not be made"},
        NotSavedCase{"SeriesFolderCannotBeMade", false, ZTCAM_FILE_TIF, 3, Fault::SetUp, 3,
                     "the folder could not be made"},
        NotSavedCase{"SeriesNameTooLong", false, ZTCAM_FILE_TIF, 3, Fault::LongName, 3, "the name is too long"},
        NotSavedCase{"TiffStackWriteFails", true, ZTCAM_FILE_TIF, 4, Fault::Write, 4, "the file could not be written"},
        NotSavedCase{"RawStackWriteFails", true, ZTCAM_FILE_RAW, 4, Fault::Write, 4, "the file could not be written"},
        NotSavedCase{"TiffStackCutAfterItWasWritten", true, ZTCAM_FILE_TIF, 4, Fault::Cut, 2,
                     "the file could not be written"},
        // Ten files of two frames: eight buffers wait for the disk, and the
        // frames of the last two files are refused.
        NotSavedCase{"TiffStackAppendRefused", true, ZTCAM_FILE_TIF, 20, Fault::Refused, 20,
                     "the file could not be written"},
        NotSavedCase{"RawStackAppendRefused", true, ZTCAM_FILE_RAW, 20, Fault::Refused, 20,
                     "the file could not be written"},
        NotSavedCase{"TiffStackSetUpFails", true, ZTCAM_FILE_TIF, 4, Fault::SetUp, 4,
                     "the stack files could not be set up"},
        NotSavedCase{"RawStackSetUpFails", true, ZTCAM_FILE_RAW, 4, Fault::SetUp, 4,
                     "the stack files could not be set up"}),
    [](const ::testing::TestParamInfo<NotSavedCase>& info) { return std::string(info.param.name); });

// A copy out of the ring holds one whole frame or is refused while the camera
// refills a ring of three 4 MiB frames as fast as it can: a frame the camera
// may be writing is not copied, and the copy of the oldest whole frame holds
// the camera back until it is done.
TEST(FrameRing, ACopyIsOneWholeFrameOrRefusedWhileTheCameraRefillsTheRing)
{
    constexpr size_t kBytes = size_t(4) << 20;
    FrameBufferSet set;
    fillRing(set, 3, kBytes);
    RingWriter camera(set, kBytes);
    std::vector<uint8_t> copy(kBytes);
    int copies = 0;
    int torn = 0;
    while (copies < 100) {
        const qint64 delivered = set.deliveredCount();
        // The frame the camera writes over now, and the oldest whole one.
        for (const qint64 k : {delivered - 3, delivered - 2}) {
            if (k < 0 || !set.copyFrame(k, copy.data(), kBytes))
                continue;
            ++copies;
            if (RingWriter::stampOf(copy.data(), kBytes) != k)
                ++torn;
        }
    }
    camera.stop();
    EXPECT_EQ(torn, 0) << "of " << copies << " copies";
}

// Names are as long as the folder makes them: in a folder of more than 1,024
// bytes a series of three images makes three files and a stack series its two
// stack files, each under its whole name.
TEST_F(SingleImageSeries, AFolderLongerThan1024BytesKeepsEveryName)
{
    open(kOneCamera, 1);
    QString dir = workDir.path();
    while (dir.size() <= 1024) {
        dir += "/" + QString(200, QChar('d'));
        ASSERT_TRUE(QDir().mkdir(dir));
    }
    window->m_strImgDir = dir + "/img";  // made by the saver
    window->m_nSaveFormat = ZTCAM_FILE_TIF;
    for (const int stack : {1, 2}) {
        window->m_nStackNum = stack;
        StandaloneSave s(*window, 1, stack > 1);
        s.start(stack == 1 ? 3 : 4);
        s.deliverPaced(0, stack == 1 ? 3 : 4);
        ASSERT_TRUE(s.waitForEnd());
        EXPECT_TRUE(s.events->finished[0].second);
    }
    const QRegularExpression single("^Cam1_TS_0_[0-2]_\\d\\d_\\d\\d_\\d\\d_\\d\\d\\d\\.tif$");
    const QRegularExpression stack(
        "^Cam1_TS_num4_stack2_w64_h48_bit16_\\d\\d_\\d\\d_\\d\\d_\\d\\d\\d\\.tif$");
    const QStringList names = files("Cam1_*");
    EXPECT_EQ(names.filter(single).size(), 3) << names.join(" ").toStdString();
    EXPECT_EQ(names.filter(stack).size(), 2) << names.join(" ").toStdString();
    EXPECT_EQ(names.size(), 5);
    EXPECT_EQ(seriesRows(1).reports, 0) << logRows().join("\n").toStdString();
}
