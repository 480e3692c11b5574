// Stack series through FrameSpool: file names, page counts, raw beside tif,
// the bit depth, and the ends of a series (finished, failed, stopped, torn down);
// and series with an interval, as single files and as stacks.
#include "../SaveFixture.h"

#include <FrameSpool.h>

#include <QFile>

#include <numeric>

namespace {

// 64 x 48 camera in the given pixel format at 100 frames per second.
std::string cameraConfig(const char* pixelFormat)
{
    return std::string("[camera]\nserial = STACK01\nsensor_width=64\nsensor_height=48\npixel_format=") + pixelFormat +
           "\nframe_rate=25\n";
}

int stackSizeOf(const QString& name)
{
    const QRegularExpressionMatch m = QRegularExpression("_stack(\\d+)_").match(name);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

// The test below frees a FrameSpool slot from the test thread while the save
// thread retries it, which the library's unlocked slot table does not allow
// (one caller per slot). Under ThreadSanitizer the test thread's own accesses
// in that call are left out, and only those.
#if defined(__SANITIZE_THREAD__)
extern "C" void AnnotateIgnoreReadsBegin(const char* file, int line);
extern "C" void AnnotateIgnoreReadsEnd(const char* file, int line);
extern "C" void AnnotateIgnoreWritesBegin(const char* file, int line);
extern "C" void AnnotateIgnoreWritesEnd(const char* file, int line);
#endif

void uninitFromOtherThread(int slot)
{
#if defined(__SANITIZE_THREAD__)
    AnnotateIgnoreReadsBegin(__FILE__, __LINE__);
    AnnotateIgnoreWritesBegin(__FILE__, __LINE__);
#endif
    Uninit_FrameSpool(slot);
#if defined(__SANITIZE_THREAD__)
    AnnotateIgnoreWritesEnd(__FILE__, __LINE__);
    AnnotateIgnoreReadsEnd(__FILE__, __LINE__);
#endif
}

// Whether `slot` can be initialised again. The save thread that used it last
// is waited for first, through its own locks, so that its last FrameSpool
// call is seen to come before this one.
bool slotFree(int slot, CZTThdSaveImg* lastUser = nullptr)
{
    if (lastUser) {
        lastUser->joinLoop();
        lastUser->waitForStackClose();
    }
    QTemporaryDir dir;
    const QByteArray path = (dir.path() + "/probe.tif").toLocal8Bit();
    if (!Init_FrameSpool(path.constData(), 4, 4, 1, 8, 1, 1, slot))
        return false;
    Uninit_FrameSpool(slot);
    return true;
}

}  // namespace

class StackSeries : public SaveFixture {
protected:
    // One 64 x 48 camera at 25 frames per second, live: a ring of 64 keeps
    // the frames of 2.5 s, so that a saver slowed down by a loaded machine
    // does not fall a whole ring behind.
    void liveCamera(const char* pixelFormat = "Mono 12")
    {
        const std::string config = cameraConfig(pixelFormat);
        open(config.c_str(), 1);
        goLive();
    }
    // The same, with a series of `frames` in stacks of `stack` set in the form.
    void liveWithStacks(int frames, int stack, const char* pixelFormat = "Mono 12")
    {
        liveCamera(pixelFormat);
        ui()->txt_frames->setText(QString::number(frames));
        ui()->spinBox_stackNum->setValue(stack);
    }
};

// Pages of the stack files of camera `cam`, by file (sorted), each checked
// against the frame count its name gives.
QList<int> stackPages(const QString& dir, int cam, const char* extension, qint64 frameBytes)
{
    QList<int> pages;
    for (const QString& f : QDir(dir).entryList({QString("Cam%1_*.%2").arg(cam).arg(extension)}, QDir::Files)) {
        const QString path = dir + "/" + f;
        const int held = QString(extension) == "tif" ? tiffPages(path)
                                                     : static_cast<int>(QFileInfo(path).size() / frameBytes);
        EXPECT_EQ(stackSizeOf(f), held) << f.toStdString();
        pages << held;
    }
    std::sort(pages.begin(), pages.end());
    return pages;
}

// Through the window, from the button: 25 frames in stacks of 10. Frames a
// loaded machine lets the camera overwrite are reported lost; the pages the
// files hold and their names account for all others.
TEST_F(StackSeries, TwentyFiveFramesInStacksOfTenMakeThreeTiffFiles)
{
    liveWithStacks(25, 10);
    EXPECT_EQ(window->m_nStackNum.load(), 10);
    SaveEvents events(saver());
    ASSERT_TRUE(captureAndWait(25));
    EXPECT_TRUE(window->m_bStackSave.load());
    ASSERT_TRUE(waitFor([&] { return events.closes == 1 && !events.finished.empty(); }));
    EXPECT_TRUE(events.finished[0].second);

    const QStringList tifs = files("Cam0_*.tif");
    const QRegularExpression name(
        "^Cam0_TS_num25_stack\\d+_w64_h48_bit16_\\d\\d_\\d\\d_\\d\\d_\\d\\d\\d\\.tif$");
    for (const QString& f : tifs) {
        EXPECT_TRUE(name.match(f).hasMatch()) << f.toStdString();
        QString info;
        tiffPages(imgDir() + "/" + f, &info);
        EXPECT_TRUE(info.contains("Image Width: 64 Image Length: 48")) << info.toStdString();
        EXPECT_TRUE(info.contains("Bits/Sample: 16")) << info.toStdString();
    }
    const QList<int> pages = stackPages(imgDir(), 0, "tif", 64 * 48 * 2);
    const int lost = seriesRows().lost;
    EXPECT_EQ(std::accumulate(pages.begin(), pages.end(), 0) + lost, 25);
    if (lost == 0) {
        EXPECT_EQ(pages, (QList<int>{5, 10, 10}));
    }
    EXPECT_TRUE(files("Cam0_*.raw").isEmpty());
    EXPECT_EQ(ui()->pb_cap->text(), "Capture");
    EXPECT_TRUE(ui()->pb_cap->isEnabled());
    // The slots are free again.
    EXPECT_TRUE(slotFree(0, saver()));
}

// The same series fed frame by frame, with raw stacks beside the tiff ones:
// files of 10, 10 and 5 frames of each kind, named so.
TEST_F(StackSeries, RawStacksAreWrittenBesideTheTiffStacks)
{
    open(kOneCamera, 1);
    window->m_nStackNum = 10;
    window->m_nSaveFormat = ZTCAM_FILE_RAW | ZTCAM_FILE_TIF;
    StandaloneSave s(*window, 1, true);
    s.start(25);
    s.deliverPaced(0, 1);
    // Settings changed while a series runs hold from the next series on.
    window->m_nStackNum = 3;
    window->m_nSaveFormat = ZTCAM_FILE_TIF;
    s.deliverPaced(1, 25);
    ASSERT_TRUE(s.waitForEnd());
    EXPECT_TRUE(s.events->finished[0].second);
    ASSERT_TRUE(waitFor([&] { return s.events->closes == 1; }));
    const qint64 frame = 64 * 48 * 2;
    EXPECT_EQ(stackPages(imgDir(), 1, "tif", frame), (QList<int>{5, 10, 10}));
    EXPECT_EQ(stackPages(imgDir(), 1, "raw", frame), (QList<int>{5, 10, 10}));
    for (const QString& f : files("Cam1_*.raw")) {
        EXPECT_TRUE(f.contains("_w64_h48_bit16_")) << f.toStdString();
        EXPECT_EQ(QFileInfo(imgDir() + "/" + f).size(), stackSizeOf(f) * frame) << f.toStdString();
    }
    EXPECT_TRUE(slotFree(1, s.thread));
    EXPECT_TRUE(slotFree(5, s.thread));
}

TEST_F(StackSeries, EightBitColourStacksClaimEightBits)
{
    liveWithStacks(4, 2, "RGB 8");
    ASSERT_TRUE(captureAndWait(4));
    EXPECT_EQ(saver()->depth(), 8);
    saver()->waitForSeriesEnd();
    const QList<int> pages = stackPages(imgDir(), 0, "tif", 64 * 48 * 3);
    const int lost = seriesRows().lost;
    EXPECT_EQ(std::accumulate(pages.begin(), pages.end(), 0) + lost, 4);
    if (lost == 0) {
        EXPECT_EQ(pages, (QList<int>{2, 2}));
    }
    for (const QString& f : files("Cam0_*.tif")) {
        EXPECT_TRUE(f.contains("_bit8_")) << f.toStdString();
        QString info;
        tiffPages(imgDir() + "/" + f, &info);
        EXPECT_TRUE(info.contains("Bits/Sample: 8")) << info.toStdString();
        EXPECT_TRUE(info.contains("Samples/Pixel: 3")) << info.toStdString();
        EXPECT_EQ(QFileInfo(imgDir() + "/" + f).size(), stackSizeOf(f) * (64 * 48 * 3 + 162) + 8);
    }
}

TEST_F(StackSeries, StoppedPartWayClosesWhatWasSavedAndTheButtonComesBack)
{
    liveCamera();
    ui()->spinBox_stackNum->setValue(10);  // frames field says 1: pulled down
    EXPECT_EQ(window->m_nStackNum.load(), 1);
    ui()->txt_frames->setText("1000");
    ui()->spinBox_stackNum->setValue(10);
    SaveEvents events(saver());
    ui()->pb_cap->click();
    ASSERT_TRUE(window->m_bCapturing);
    ASSERT_TRUE(waitFor([&] { return events.saved.size() >= 15; }));
    ui()->pb_cap->click();
    EXPECT_EQ(ui()->pb_cap->text(), "Waitting......");
    EXPECT_FALSE(ui()->pb_cap->isEnabled());
    ASSERT_TRUE(waitFor([&] { return ui()->pb_cap->text() == "Capture"; }));
    EXPECT_TRUE(ui()->pb_cap->isEnabled());
    // The window gets the close signal first; this test's own queued copy of
    // it (and every saved count before it) may still be on its way.
    ASSERT_TRUE(waitFor([&] { return events.closes >= 1; }));
    EXPECT_EQ(events.closes, 1);
    EXPECT_TRUE(events.finished.empty());  // stopped, not finished
    // The last file holds fewer frames than its stack was made for; its name
    // says how many.
    const QList<int> pages = stackPages(imgDir(), 0, "tif", 64 * 48 * 2);
    EXPECT_EQ(std::accumulate(pages.begin(), pages.end(), 0), static_cast<int>(events.saved.size()));
    EXPECT_TRUE(slotFree(0, saver()));
}

TEST_F(StackSeries, RestartingLiveWithALargerRingWaitsForTheSaveLoop)
{
    liveWithStacks(1000, 10);
    SaveEvents events(saver());
    ui()->pb_cap->click();
    ASSERT_TRUE(waitFor([&] { return events.saved.size() >= 5; }));
    // Live off stops the series; live on at once with a larger ring frees the
    // old ring while the loop may still be in its last pass.
    window->onCapturing();
    ASSERT_FALSE(window->m_bLive.load());
    window->m_nBufferCount = 100;
    window->onCapturing();
    ASSERT_TRUE(window->m_bLive.load());
    EXPECT_EQ(capture()->ringCount(), 100);
    EXPECT_FALSE(saver()->isSeriesRunning());
    ASSERT_TRUE(waitFor([&] { return events.closes >= 1; }));
    EXPECT_TRUE(slotFree(0, saver()));
}

TEST_F(StackSeries, ASeriesThatRunsDryClosesItsFilesAndFreesTheSlots)
{
    open(kOneCamera, 1);
    window->m_nStackNum = 10;
    StandaloneSave s(*window, 1, true);
    s.start(25);
    s.deliverPaced(0, 12);
    ASSERT_TRUE(s.waitForEnd(10000));
    EXPECT_FALSE(s.events->finished[0].second);
    EXPECT_EQ(s.events->closes, 1);
    QList<int> pages;
    for (const QString& f : files("Cam1_*.tif"))
        pages << tiffPages(imgDir() + "/" + f);
    std::sort(pages.begin(), pages.end());
    EXPECT_EQ(pages, (QList<int>{2, 10}));
    EXPECT_TRUE(slotFree(1, s.thread));
}

TEST_F(StackSeries, AHalfSetUpSpoolIsUndoneSoThatTheNextAttemptWorks)
{
    open(kOneCamera, 1);
    window->m_nStackNum = 2;
    window->m_nSaveFormat = ZTCAM_FILE_RAW | ZTCAM_FILE_TIF;
    // Someone else holds the raw slot of camera 1 for a while.
    QTemporaryDir other;
    const QByteArray blocker = (other.path() + "/other.raw").toLocal8Bit();
    ASSERT_TRUE(Init_FrameSpool(blocker.constData(), 4, 4, 1, 8, 1, 1, CZTThdSaveImg::rawSlot(1)));
    StandaloneSave s(*window, 1, true);
    s.start(2);
    s.deliver(0);
    s.deliver(1);
    waitFor([] { return false; }, 200);
    EXPECT_TRUE(s.events->saved.empty());
    uninitFromOtherThread(CZTThdSaveImg::rawSlot(1));
    ASSERT_TRUE(s.waitForEnd(5000));
    EXPECT_TRUE(s.events->finished[0].second);
    EXPECT_EQ(files("Cam1_*.tif").size(), 1);
    EXPECT_EQ(files("Cam1_*.raw").size(), 1);
}

TEST_F(StackSeries, PositionsWithoutSlotsAreRefusedAtOnce)
{
    open(kOneCamera, 1);
    window->m_nStackNum = 2;
    EXPECT_EQ(CZTThdSaveImg::tifSlot(3), 3);
    EXPECT_EQ(CZTThdSaveImg::rawSlot(3), 7);
    EXPECT_EQ(CZTThdSaveImg::tifSlot(4), -1);
    StandaloneSave s(*window, 4, true);
    s.start(2);
    ASSERT_TRUE(s.waitForEnd(2000));
    EXPECT_FALSE(s.events->finished[0].second);
    EXPECT_EQ(s.events->closes, 1);
}

TEST_F(StackSeries, NoStackFormatCountsFramesAndStillReportsTheClose)
{
    open(kOneCamera, 1);
    window->m_nStackNum = 2;
    window->m_nSaveFormat = ZTCAM_FILE_PNG;
    StandaloneSave s(*window, 1, true);
    s.start(3);
    s.deliverPaced(0, 3);
    ASSERT_TRUE(s.waitForEnd());
    EXPECT_TRUE(s.events->finished[0].second);
    EXPECT_EQ(s.events->closes, 1);
    EXPECT_TRUE(files("Cam1_*").isEmpty());
}

TEST_F(StackSeries, TearingDownRightAfterAStopLosesNothing)
{
    open(kOneCamera, 1);
    window->m_nStackNum = 10;
    auto s = std::make_unique<StandaloneSave>(*window, 1, true);
    s->start(100);
    s->deliverPaced(0, 5);
    s->thread->StopThread();
    s.reset();  // the close task may still be pending
    const QStringList tifs = files("Cam1_*.tif");
    ASSERT_EQ(tifs.size(), 1);
    EXPECT_EQ(tiffPages(imgDir() + "/" + tifs[0]), 5);
    EXPECT_TRUE(slotFree(1));
}

TEST_F(StackSeries, TearingDownTheCaptureThreadDuringAStackSeriesDoesNotCrash)
{
    liveWithStacks(1000, 10);
    ui()->pb_cap->click();
    ASSERT_TRUE(waitFor([&] { return capture()->isSaving() && files("Cam0_*.tif").size() >= 1; }, 5000));
    window.reset();  // live, capture and stack files still running
    QStringList tifs = QDir(workDir.path() + "/img").entryList({"Cam0_*.tif"}, QDir::Files);
    EXPECT_GE(tifs.size(), 1);
    EXPECT_TRUE(slotFree(0));
}

TEST_F(StackSeries, StacksCreatedWithinOneMillisecondDoNotReplaceEachOther)
{
    // A saver catching up on a full ring writes many small stacks at once;
    // their names differ only by the time of creation.
    open(kOneCamera, 1);
    window->m_nStackNum = 2;
    StandaloneSave s(*window, 1, true, 17);
    s.start(16);
    for (int k = 0; k < 16; ++k)
        s.deliver(k);
    ASSERT_TRUE(s.waitForEnd());
    EXPECT_TRUE(s.events->finished[0].second);
    const QStringList tifs = files("Cam1_*.tif");
    EXPECT_EQ(tifs.size(), 8) << tifs.join(" ").toStdString();
    for (const QString& f : tifs)
        EXPECT_EQ(tiffPages(imgDir() + "/" + f), 2) << f.toStdString();
}

TEST_F(StackSeries, StoppingLiveDuringAStackSeriesLeavesTheVideoButtonOff)
{
    liveWithStacks(1000, 10);
    SaveEvents events(saver());
    ui()->pb_cap->click();
    ASSERT_TRUE(waitFor([&] { return events.saved.size() >= 3; }));
    window->onCapturing();  // live off: the stack files close on the pool
    ASSERT_TRUE(waitFor([&] { return events.closes == 1; }));
    waitFor([] { return false; }, 50);  // the window's own close report
    EXPECT_EQ(ui()->pb_cap->text(), "Capture");
    EXPECT_FALSE(ui()->pb_cap->isEnabled());
    EXPECT_FALSE(ui()->pb_video->isEnabled()) << "no recording without live view";
    EXPECT_TRUE(slotFree(0, saver()));
}

// A time-lapse: with an interval each saved frame is the newest one the
// camera has delivered once the interval has passed since the one saved
// before, so the frames' stamps lie at least the interval apart, in single
// files and in stacks. A camera at 10 frames per second and an interval of
// three frame periods: at least 3 frames apart, unless a frame arrives a
// whole period late.
TEST_F(StackSeries, SavedFramesLieAtLeastTheIntervalApart)
{
    constexpr int kFrames = 4;
    constexpr int kIntervalMs = 300;
    constexpr int kFramePeriodMs = 100;
    open("[camera]\nserial = LAPSE01\nsensor_width=64\nsensor_height=48\npixel_format=Mono 12\nframe_rate=10\n", 1);
    goLive();
    stampFrames();
    ui()->txt_frames->setText(QString::number(kFrames));
    chooseFormats(ZTCAM_FILE_RAW);
    ui()->txt_intervaltm->setText(QString::number(kIntervalMs));
    for (const int stack : {1, 2}) {
        SCOPED_TRACE(stack);
        ui()->spinBox_stackNum->setValue(stack);
        SaveEvents events(saver());
        ASSERT_TRUE(captureAndWait(kFrames));
        ASSERT_TRUE(waitFor([&] { return !events.finished.empty() && (stack == 1 || events.closes == 1); }));
        EXPECT_TRUE(events.finished[0].second);
        QVector<qint64> stamps;
        for (const QString& f : files(stack == 1 ? "Cam0_TS_1_*.raw" : "Cam0_TS_num*.raw"))
            stamps += stampsInRawFile(imgDir() + "/" + f);
        ASSERT_EQ(stamps.size(), kFrames);
        for (int i = 0; i < stamps.size(); ++i) {
            ASSERT_GE(stamps[i], 0) << "frame " << i << " holds parts of two frames";
            if (i > 0) {
                EXPECT_GE((stamps[i] - stamps[i - 1]) * kFramePeriodMs, kIntervalMs)
                    << "frames " << stamps[i - 1] << " and " << stamps[i];
            }
        }
    }
    EXPECT_EQ(logRows().filter("Camera0 capture successfully").size(), 2) << logRows().join("\n").toStdString();
}

// A stack series over a ring of three 2 MiB frames that the camera refills
// faster than the saver keeps up: each frame is copied out of the ring before
// the stack files are made and take it, so every page of the raw stacks is
// one whole frame of the series, and pages and lost frames make the series.
TEST_F(StackSeries, EveryPageIsOneWholeFrameWhileTheCameraRefillsTheRing)
{
    constexpr int kWidth = 1024;
    constexpr int kHeight = 1024;
    constexpr size_t kBytes = size_t(kWidth) * kHeight * 2;
    constexpr int kFrames = 40;
    open(kOneCamera, 1);
    window->m_nStackNum = 2;
    window->m_nSaveFormat = ZTCAM_FILE_RAW;
    delete window->m_mapBufferSets.take(1);
    auto* set = new FrameBufferSet;
    fillRing(*set, 3, kBytes);
    window->m_mapBufferSets[1] = set;
    auto saver = std::make_unique<CZTThdSaveImg>(window.get());
    saver->SetCameraParams(1, window->m_vecOpenedCam.value(0).handle, true);
    saver->SetImgParams(kWidth, kHeight, 1, 16, static_cast<int>(kBytes), mono16Header(kWidth, kHeight));
    int pages = 0;
    for (int series = 0; series < 5 && pages < 20; ++series) {
        SaveEvents events(saver.get());
        saver->StartThread(kFrames);
        {
            RingWriter camera(*set, kBytes, saver.get(), 100);
            ASSERT_TRUE(waitFor([&] { return !events.finished.empty(); }));
        }
        saver->waitForSeriesEnd();
        QList<qint64> stamps;
        for (const QString& f : files("Cam1_*.raw")) {
            QFile file(imgDir() + "/" + f);
            ASSERT_TRUE(file.open(QIODevice::ReadOnly));
            const QByteArray bytes = file.readAll();
            ASSERT_EQ(bytes.size() % static_cast<int>(kBytes), 0) << f.toStdString();
            const int held = bytes.size() / static_cast<int>(kBytes);
            EXPECT_EQ(stackSizeOf(f), held) << f.toStdString();
            for (int page = 0; page < held; ++page) {
                const qint64 k = RingWriter::stampOf(reinterpret_cast<const uint8_t*>(bytes.constData()) +
                                                         static_cast<size_t>(page) * kBytes,
                                                     kBytes);
                EXPECT_GE(k, 0) << f.toStdString() << " page " << page << " holds parts of two frames";
                stamps << k;
            }
            file.remove();
        }
        std::sort(stamps.begin(), stamps.end());
        EXPECT_EQ(std::adjacent_find(stamps.begin(), stamps.end()), stamps.end()) << "a frame saved twice";
        ASSERT_TRUE(waitFor([&] { return events.lost + events.notSaved + stamps.size() >= kFrames; }));
        EXPECT_EQ(events.notSaved, 0);
        EXPECT_EQ(events.lost + stamps.size(), kFrames);
        pages += stamps.size();
    }
    saver.reset();
}
