// Single-image series through the SDK's image writer, trigger mode and the
// idle limit of the save loop, and what a series saves and reports lost when
// its saver falls behind the camera.
#include "../SaveFixture.h"

#include <QElapsedTimer>
#include <QFile>

using SingleImageSeries = SaveFixture;

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

    EXPECT_EQ(simCallCount("ZTCAM_File_SaveImage"), 3);
    EXPECT_EQ(events.saved, (std::vector<int>{1, 2, 3}));
    ASSERT_EQ(events.finished.size(), 1u);
    EXPECT_EQ(events.finished[0], std::make_pair(0, true));
    const QRegularExpression name("^Cam0_TS_1_([0-2])_\\d\\d_\\d\\d_\\d\\d_\\d\\d\\d\\.(tif|png)$");
    const QStringList written = files("Cam0_*");
    EXPECT_EQ(written.size(), 6) << written.join(" ").toStdString();
    for (const QString& f : written)
        EXPECT_TRUE(name.match(f).hasMatch()) << f.toStdString();
    EXPECT_EQ(files("Cam0_TS_1_0_*.tif").size(), 1);
    EXPECT_EQ(files("Cam0_TS_1_2_*.png").size(), 1);
    EXPECT_EQ(ui()->pb_cap->text(), "Capture");
    EXPECT_TRUE(ui()->pb_video->isEnabled());
}

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

TEST_F(SingleImageSeries, TriggerModeSavesNothingBeforeAllFramesHaveArrived)
{
    open(kOneCamera, 1);
    window->setPanelTriggerMode(2, true);
    StandaloneSave s(*window, 2, false);
    s.start(3);
    EXPECT_EQ(s.thread->targetCount(), 3);
    s.deliver(0);
    s.deliver(1);
    waitFor([] { return false; }, 300);
    EXPECT_TRUE(s.events->saved.empty());
    s.deliver(2);
    ASSERT_TRUE(s.waitForEnd());
    EXPECT_EQ(s.events->saved, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(s.events->finished[0].second);
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

TEST_F(SingleImageSeries, SlowFramesDoNotFailALongSeries)
{
    // 40 frames 100 ms apart take four seconds, more than 600 idle polls in
    // total; the limit counts only the polls since the last saved frame.
    open(kOneCamera, 1);
    StandaloneSave s(*window, 2, false);
    window->m_nSaveFormat = ZTCAM_FILE_RAW;
    s.start(40);
    for (int k = 0; k < 40; ++k) {
        s.deliver(k);
        waitFor([] { return false; }, 100);
        ASSERT_TRUE(s.events->finished.empty() || k == 39) << "series ended after frame " << k;
    }
    ASSERT_TRUE(s.waitForEnd());
    EXPECT_TRUE(s.events->finished[0].second);
    EXPECT_EQ(s.events->saved.size(), 40u);
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
