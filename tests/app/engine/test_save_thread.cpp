// Single-image series through the SDK's image writer, trigger mode and the
// idle limit of the save loop.
#include "../SaveFixture.h"

#include <QElapsedTimer>
#include <QFile>

namespace {

// The frame number of the test pattern a raw file holds, searched in
// [from, to); -1 when none matches.
qint64 frameNumberOf(const QString& path, qint64 from, qint64 to)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray bytes = file.readAll();
    QByteArray expected(StandaloneSave::kFrameBytes, '\0');
    for (qint64 n = std::max<qint64>(0, from); n < to; ++n) {
        ZTCamSim_GenerateFrame(expected.data(), static_cast<uint32_t>(expected.size()), 64, 48, "Mono 12",
                               static_cast<uint64_t>(n));
        if (bytes == expected)
            return n;
    }
    return -1;
}

}  // namespace

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

TEST_F(SingleImageSeries, RawIsWrittenApartAndHoldsConsecutiveFramesFromTheSeriesStart)
{
    open(kOneCamera, 1);
    goLive();
    chooseFormats(ZTCAM_FILE_RAW | ZTCAM_FILE_PNG);
    window->m_nCapCount = 6;  // the next capture is number 7
    // The camera stops, from within its own frame callback, once the series
    // has its five frames: however slowly the saver writes, no later frame
    // can overwrite a ring entry it has not saved yet.
    ZTCamElement stop{};
    const ZTCamHandle handle = window->m_vecOpenedCam.value(0).handle;
    ASSERT_EQ(ZTCAM_GenICam_ElementAttr(handle, &stop, "AcquisitionStop", ZTCAM_NODEMAP_CAMERA), ZTCAM_STATUS_SUCCESS);
    FrameBufferSet* set = window->m_mapBufferSets.value(0);
    QObject::connect(
        capture(), &CZTThdCapture::sglUpdateFrameCounter, capture(),
        [handle, stop, set](int, qlonglong) {
            ZTCamElement command = stop;
            if (set->receivedForSave.load() >= 5)
                ZTCAM_GenICam_SetElementValue(handle, &command, ZTCAM_NODEMAP_CAMERA);
        },
        Qt::DirectConnection);
    // The last frame counted may still be in its callback when the series
    // starts, and so be the series' first.
    const qint64 startedAt = capture()->frameCounter() - 1;
    ZTCamSim_CallLogClear();
    ASSERT_TRUE(captureAndWait(5));

    // png first, then raw alone: two calls per frame.
    EXPECT_EQ(simCallCount("ZTCAM_File_SaveImage"), 10);
    const QStringList raws = files("Cam0_TS_7_*.raw");
    ASSERT_EQ(raws.size(), 5);
    EXPECT_EQ(files("Cam0_TS_7_*.png").size(), 5);
    qint64 previous = -1;
    for (int i = 0; i < 5; ++i) {
        const QStringList one = files(QString("Cam0_TS_7_%1_*.raw").arg(i));
        ASSERT_EQ(one.size(), 1);
        const qint64 n = frameNumberOf(imgDir() + "/" + one[0], startedAt - 8, startedAt + 400);
        ASSERT_GE(n, 0) << "raw file " << i << " holds no frame of the stream";
        // The series saves the frames that arrived after it started, in order.
        EXPECT_GE(n, startedAt);
        if (previous >= 0) {
            EXPECT_EQ(n, previous + 1);
        }
        previous = n;
    }
}

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

TEST_F(SingleImageSeries, TriggerModeSeriesIsCappedAtTheRingLength)
{
    open(kOneCamera, 1);
    window->setPanelTriggerMode(2, true);
    StandaloneSave s(*window, 2, false, 4);
    s.start(100);
    EXPECT_EQ(s.thread->targetCount(), 4);
    for (int k = 0; k < 4; ++k)
        s.deliver(k);
    ASSERT_TRUE(s.waitForEnd());
    EXPECT_TRUE(s.events->finished[0].second);
    EXPECT_EQ(s.events->saved.size(), 4u);
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
