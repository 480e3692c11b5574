// The left-hand control column: live, save formats, frame and interval
// fields, capture bookkeeping, counters and video recording.
#include "../SaveFixture.h"

#include <QAbstractItemModel>
#include <QDateTime>
#include <QLineEdit>
#include <QSpinBox>
#include <QTableWidget>
#include <QValidator>

#include <cerrno>
#include <chrono>
#include <thread>

namespace {

constexpr const char* kTwoCameras =
    "[camera]\nserial = LIVE01\nsensor_width=64\nsensor_height=48\nframe_rate=50\n"
    "[camera]\nserial = LIVE02\nsensor_width=64\nsensor_height=48\nframe_rate=50\n";
constexpr const char* kThreeCameras =
    "[camera]\nserial = LIVE01\nsensor_width=64\nsensor_height=48\n"
    "[camera]\nserial = LIVE02\nsensor_width=64\nsensor_height=48\n"
    "[camera]\nserial = LIVE03\nsensor_width=64\nsensor_height=48\n";

int appendsFor(int cameraIndex)
{
    int n = 0;
    for (size_t i = 0; i < ZTCamSim_CallLogSize(); ++i) {
        const char* name = nullptr;
        int camera = -1;
        if (ZTCamSim_CallLogEntry(i, &name, &camera) && name && std::string(name) == "ZTCAM_Rec_AppendFrame" &&
            camera == cameraIndex)
            ++n;
    }
    return n;
}

// Frames of an AVI as ffprobe counts them; -1 when ffprobe cannot read it.
int aviFrames(const QString& path)
{
    int code = 0;
    const QString out = runTool("ffprobe", {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                                            "stream=nb_read_frames", "-of", "csv=p=0", path},
                                &code);
    bool ok = false;
    const int n = out.trimmed().toInt(&ok);
    return code == 0 && ok ? n : -1;
}

}  // namespace

using LiveControls = SaveFixture;

// ---- live ----------------------------------------------------------------

TEST_F(LiveControls, LiveStartsAndStopsEveryCameraAndTheButtons)
{
    open(kTwoCameras, 2);
    EXPECT_EQ(ui()->pb_live->text(), "Live");
    ui()->pb_live->click();
    EXPECT_TRUE(window->m_bLive.load());
    EXPECT_EQ(ui()->pb_live->text(), "Stop");
    EXPECT_TRUE(ui()->pb_cap->isEnabled());
    EXPECT_TRUE(ui()->pb_video->isEnabled());
    EXPECT_FALSE(ui()->spinBox_bufferCount->isEnabled());
    EXPECT_FALSE(ui()->pushButton_Save->isEnabled());
    EXPECT_TRUE(capture(0)->isRunning() && capture(1)->isRunning());
    ASSERT_TRUE(waitFor([&] { return capture(1)->frameCounter() > 3; }));

    ui()->pb_live->click();
    EXPECT_FALSE(window->m_bLive.load());
    EXPECT_EQ(ui()->pb_live->text(), "Live");
    EXPECT_FALSE(ui()->pb_cap->isEnabled());
    EXPECT_FALSE(ui()->pb_video->isEnabled());
    EXPECT_TRUE(ui()->pushButton_Save->isEnabled());
    EXPECT_FALSE(capture(0)->isRunning() || capture(1)->isRunning());
    EXPECT_FALSE(capture(0)->isOpened());
}

TEST_F(LiveControls, AFailureAtTheFirstCameraLeavesLiveOff)
{
    open(kTwoCameras, 2);
    ZTCamSim_SetFault(0, "fail_start", 1);
    window->onCapturing();
    EXPECT_FALSE(window->m_bLive.load());
    EXPECT_EQ(ui()->pb_live->text(), "Live");
    EXPECT_FALSE(capture(1)->isRunning());
    EXPECT_FALSE(capture(1)->isOpened());
}

TEST_F(LiveControls, RateLabelsShowNoFramesOnceFramesStop)
{
    open(kTwoCameras, 2);
    ui()->pb_live->click();
    const auto showsNoFrames = [&] {
        return ui()->txt_fps->text() == "fps: 0.00 fps" && ui()->txt_transfer->text() == "  0.0 MB/s";
    };
    ASSERT_TRUE(waitFor([&] { return !showsNoFrames(); }, 5000));
    emit window->SignalAcquisitionStart(false);  // the panel's AcquisitionStop
    EXPECT_TRUE(showsNoFrames());
    window->onUpdateCamFps(0, 25.0);  // a report still under way as the camera stopped
    EXPECT_TRUE(showsNoFrames());
    emit window->SignalAcquisitionStart(true);  // AcquisitionStart: its reports count again

    ASSERT_TRUE(waitFor([&] { return !showsNoFrames(); }, 5000));
    emit window->SignalAcquisitionStart(false);
    ui()->pb_live->click();
    EXPECT_TRUE(showsNoFrames());
    window->onUpdateCamFps(0, 25.0);  // a report still under way as live stopped
    EXPECT_TRUE(showsNoFrames());
    ui()->pb_live->click();  // live view starts every camera anew
    EXPECT_TRUE(waitFor([&] { return !showsNoFrames(); }, 5000));
}

// ---- save formats and fields --------------------------------------------

TEST_F(LiveControls, SaveFormatBoxesKeepAtLeastOneAndTheStackRules)
{
    open(kOneCamera, 1);
    // tif is the only ticked box: unticking it leaves it ticked.
    ui()->chk_tif->click();
    EXPECT_TRUE(ui()->chk_tif->isChecked());
    EXPECT_EQ(window->m_nSaveFormat.load(), ZTCAM_FILE_TIF);
    EXPECT_EQ(window->m_nFormatCount, 1);

    ui()->chk_png->click();
    ui()->chk_jpg->click();
    EXPECT_EQ(window->m_nSaveFormat.load(), ZTCAM_FILE_TIF | ZTCAM_FILE_PNG | ZTCAM_FILE_JPG);
    EXPECT_EQ(window->m_nFormatCount, 3);
    ui()->chk_jpg->click();
    EXPECT_EQ(window->m_nFormatCount, 2);

    // Stack size 3: png goes, raw and tif exclude each other.
    ui()->txt_frames->setText("10");
    ui()->spinBox_stackNum->setValue(3);
    EXPECT_FALSE(ui()->chk_png->isChecked());
    EXPECT_FALSE(ui()->chk_png->isEnabled());
    EXPECT_FALSE(ui()->chk_jpg->isEnabled());
    EXPECT_FALSE(ui()->chk_bmp->isEnabled());
    EXPECT_EQ(window->m_nSaveFormat.load(), ZTCAM_FILE_TIF);
    ui()->chk_raw->click();
    EXPECT_TRUE(ui()->chk_raw->isChecked());
    EXPECT_FALSE(ui()->chk_tif->isChecked());
    EXPECT_EQ(window->m_nSaveFormat.load(), ZTCAM_FILE_RAW);
    EXPECT_EQ(window->m_nFormatCount, 1);

    ui()->spinBox_stackNum->setValue(1);
    EXPECT_TRUE(ui()->chk_png->isEnabled());
    ui()->chk_tif->click();
    EXPECT_EQ(window->m_nSaveFormat.load(), ZTCAM_FILE_RAW | ZTCAM_FILE_TIF);
}

TEST_F(LiveControls, AStackSizeOfTwoWithOnlyPngTicksTif)
{
    open(kOneCamera, 1);
    ui()->chk_png->click();
    ui()->chk_tif->click();
    ASSERT_EQ(window->m_nSaveFormat.load(), ZTCAM_FILE_PNG);
    ui()->txt_frames->setText("5");
    ui()->spinBox_stackNum->setValue(2);
    EXPECT_FALSE(ui()->chk_png->isChecked());
    EXPECT_TRUE(ui()->chk_tif->isChecked());
    EXPECT_EQ(window->m_nSaveFormat.load(), ZTCAM_FILE_TIF);
    EXPECT_EQ(window->m_nFormatCount, 1);
    // A stack size above the frame count is pulled down to it.
    ui()->spinBox_stackNum->setValue(9);
    EXPECT_EQ(window->m_nStackNum.load(), 5);
    EXPECT_EQ(ui()->spinBox_stackNum->value(), 5);
    // An emptied frame field shows no count to pull it down to.
    ui()->txt_frames->clear();
    ui()->spinBox_stackNum->setValue(4);
    EXPECT_EQ(window->m_nStackNum.load(), 4);
}

TEST_F(LiveControls, FrameIntervalAndRateFields)
{
    open(kOneCamera, 1);
    int pos = 0;
    QString text = "0";
    EXPECT_NE(ui()->txt_frames->validator()->validate(text, pos), QValidator::Acceptable);
    text = "999999999";
    EXPECT_EQ(ui()->txt_frames->validator()->validate(text, pos), QValidator::Acceptable);
    text = "1000000000";
    EXPECT_NE(ui()->txt_frames->validator()->validate(text, pos), QValidator::Acceptable);

    ui()->txt_frames->clear();
    window->on_txt_frames_editingFinished();
    EXPECT_EQ(ui()->txt_frames->text(), "1");
    EXPECT_EQ(window->m_nFrames.load(), 1);

    ui()->txt_intervaltm->setFocus();
    ui()->txt_intervaltm->clear();
    window->on_txt_intervaltm_textEdited("0");
    window->on_txt_intervaltm_textEdited("05");
    EXPECT_EQ(ui()->txt_intervaltm->text(), "5");
}

TEST_F(LiveControls, RefusedCaptureAsksAndStaysIdle)
{
    open(kOneCamera, 1);
    goLive();
    // Numbers that do not fit are refused, never run as 0.
    const struct {
        const char* frames;
        const char* typedInterval;
        const char* box;
        int interval;  // the series' interval afterwards
    } cases[] = {
        {"0", "0", "Capture picture number and format must be more than 1!", 0},
        {"2", "99999999999", "Interval Time must be a whole number of ms from 0 to 2147483647!", 7},
        {"99999999999", "0", "Frames must be a whole number from 1 to 999999999!", 0},
    };
    for (const auto& c : cases) {
        window->m_nInterval = 7;
        ui()->txt_frames->setText(c.frames);
        ui()->txt_intervaltm->setText(c.typedInterval);
        ui()->pb_cap->click();
        EXPECT_FALSE(window->m_bCapturing);
        ASSERT_FALSE(prompt.asked.isEmpty());
        EXPECT_EQ(prompt.asked.last(), QString("about|Capture|") + c.box);
        EXPECT_EQ(window->m_nInterval.load(), c.interval) << c.typedInterval;
        EXPECT_EQ(ui()->pb_cap->text(), "Capture");
        EXPECT_TRUE(ui()->pb_video->isEnabled());
        EXPECT_FALSE(capture()->isSaving());
    }
}

// ---- capture bookkeeping --------------------------------------------------

TEST_F(LiveControls, FinishCountRestartsWithEveryCapture)
{
    open(kTwoCameras, 2);
    goLive();
    // A capture stopped part-way left one report behind.
    window->m_nCapFinishCount = 1;
    window->m_nStackCloseCount = 1;
    ui()->txt_frames->setText("100000");
    ui()->pb_cap->click();
    ASSERT_TRUE(window->m_bCapturing);
    EXPECT_EQ(window->m_nCapFinishCount, 0);
    window->onFinishImageCapture(0, true);
    EXPECT_TRUE(window->m_bCapturing) << "one of two cameras must not end the capture";
    window->onFinishImageCapture(1, false);
    EXPECT_FALSE(window->m_bCapturing);
    EXPECT_EQ(ui()->pb_cap->text(), "Capture");
    const QStringList rows = logRows();
    EXPECT_TRUE(rows.contains("Camera0 capture successfully"));
    EXPECT_TRUE(rows.contains("Camera1 capture failed"));
}

// However a capture ends part-way, by the Capture button, by live off or by
// closing the program, its end writes one row with the frames it handled
// before the stop, saved and not: here the first three image writes fail as
// on a full disk (and the window closes during a later one).
enum class SeriesEnd { CaptureButton, LiveOff, Closing };

class EndOfASeries : public SaveFixture, public ::testing::WithParamInterface<SeriesEnd> {};

TEST_P(EndOfASeries, WritesTheRowOfTheFramesThatCouldNotBeSaved)
{
    open(kOneCamera, 1);
    goLive();
    chooseFormats(ZTCAM_FILE_TIF);
    ZTCamSim_FailImageWrites(3, ENOSPC);
    ZTCamSim_CallLogClear();
    ui()->txt_frames->setText("100000");
    ui()->pb_cap->click();
    ASSERT_TRUE(window->m_bCapturing);
    ASSERT_TRUE(waitFor([] { return simCallCount("ZTCAM_File_SaveImage") >= 5; }));
    const QString folder = imgDir();
    QStringList rows;
    switch (GetParam()) {
    case SeriesEnd::CaptureButton:
        ui()->pb_cap->click();
        break;
    case SeriesEnd::LiveOff:
        window->onCapturing();
        break;
    case SeriesEnd::Closing: {
        // The rows written while the window goes.
        QAbstractItemModel* log = ui()->tableWidget->model();
        QObject::connect(log, &QAbstractItemModel::dataChanged, [&rows](const QModelIndex& at) {
            if (at.column() == 1)
                rows << at.data().toString();
        });
        // A write of the series is still under way as the window goes.
        ZTCamSim_HoldFileSaves(1);
        ASSERT_TRUE(waitFor([] { return ZTCamSim_HeldFileSaves() > 0; }));
        std::thread release([] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            ZTCamSim_HoldFileSaves(0);
        });
        window.reset();
        release.join();
        break;
    }
    }
    if (window) {
        ASSERT_TRUE(waitFor([&] { return seriesRows().notSaved > 0; }));
        rows = logRows();
    }
    const SeriesRows r = ::seriesRows(rows, 0);
    EXPECT_EQ(r.notSaved, 3) << rows.join("\n").toStdString();
    EXPECT_EQ(r.saved, QDir(folder).entryList({"Cam0_*"}, QDir::Files).size());
    EXPECT_EQ(r.saved + r.notSaved, simCallCount("ZTCAM_File_SaveImage"));
    EXPECT_EQ(r.frames, r.saved + r.notSaved + r.lost);
    EXPECT_EQ(r.folder, QDir::toNativeSeparators(folder));
    EXPECT_EQ(r.reason, "the disk is full");
    EXPECT_EQ(rows.filter("could not save").size(), 1) << rows.join("\n").toStdString();
}

std::string seriesEndName(const ::testing::TestParamInfo<SeriesEnd>& info)
{
    switch (info.param) {
    case SeriesEnd::CaptureButton:
        return "CaptureButton";
    case SeriesEnd::LiveOff:
        return "LiveOff";
    case SeriesEnd::Closing:
        break;
    }
    return "Closing";
}

INSTANTIATE_TEST_SUITE_P(LiveControls, EndOfASeries,
                         ::testing::Values(SeriesEnd::CaptureButton, SeriesEnd::LiveOff, SeriesEnd::Closing),
                         seriesEndName);

TEST_F(LiveControls, ProgressTextAveragesOverTheCameras)
{
    open(kThreeCameras, 3);
    window->m_bCapturing = true;
    window->m_nFrames = 10;
    for (int i = 0; i < 9; ++i)
        window->slot_msg_capture(i % 3, i);
    EXPECT_EQ(ui()->lab_cap_msg->text(), " Capture 3/10 successfully!");
    window->m_bCapturing = false;
    window->slot_msg_capture(0, 0);
    EXPECT_EQ(window->m_nSavedFrames, 9);
}

TEST_F(LiveControls, CounterLabelsDoNotGoBackAfterAStop)
{
    open(kTwoCameras, 2);
    ASSERT_EQ(window->m_vecCounterLabels.size(), 2);
    window->m_bCounterReset = true;
    window->onUpdateCamFrameCounter(0, 50);
    const QString name0 = window->m_mapCamName.value(0);
    EXPECT_EQ(window->m_vecCounterLabels[0]->text(), "Counter" + name0 + ": 50");
    window->m_bCounterReset = false;  // live stopped
    window->onUpdateCamFrameCounter(0, 7);
    EXPECT_EQ(window->m_vecCounterLabels[0]->text(), "Counter" + name0 + ": 50");
    window->onUpdateCamFrameCounter(0, 0);  // 0 is always shown
    EXPECT_EQ(window->m_vecCounterLabels[0]->text(), "Counter" + name0 + ": 0");
    window->onUpdateCamFrameCounter(1, 0);
    EXPECT_TRUE(window->m_bCounterReset);  // every label was updated once
    window->onUpdateCamFrameCounter(5, 3);  // out of range: the first label
    EXPECT_EQ(window->m_vecCounterLabels[0]->text(), "Counter" + name0 + ": 3");
}

// ---- video ----------------------------------------------------------------

TEST_F(LiveControls, VideoRateIsBetweenOneAndAThousand)
{
    open(kOneCamera, 1);
    goLive();
    ui()->txt_fps_2->setMaxLength(4);  // the form allows three characters
    ui()->txt_fps_2->setText("1500");
    ui()->pb_video->click();
    EXPECT_EQ(window->m_nVideoFps.load(), 1000);
    EXPECT_EQ(ui()->txt_fps_2->text(), "1000");
    ui()->pb_video->click();
    ASSERT_TRUE(waitFor([&] { return ui()->pb_video->text() == "Start Video"; }));
    ui()->txt_fps_2->setText("0");
    ui()->pb_video->click();
    EXPECT_EQ(window->m_nVideoFps.load(), 1);
    EXPECT_EQ(ui()->txt_fps_2->text(), "1");
    ui()->pb_video->click();
    ASSERT_TRUE(waitFor([&] { return ui()->pb_video->text() == "Start Video"; }));
}

TEST_F(LiveControls, RecordingWritesAnAviThatFfprobeReads)
{
    open(kOneCamera, 1);
    goLive();
    ZTCamSim_CallLogSkipFrameCalls(0);
    ZTCamSim_CallLogClear();
    ui()->pb_video->click();
    EXPECT_EQ(ui()->pb_video->text(), "Stop Video");
    EXPECT_FALSE(ui()->pb_cap->isEnabled());
    ASSERT_TRUE(waitFor([&] { return appendsFor(0) >= 10; }));
    ui()->pb_video->click();
    ASSERT_TRUE(waitFor([&] { return ui()->pb_video->text() == "Start Video"; }));
    EXPECT_TRUE(ui()->pb_cap->isEnabled());
    EXPECT_EQ(simCallCount("ZTCAM_Rec_Stop"), 1);
    const QStringList avis = files("Cam0_*.avi");
    ASSERT_EQ(avis.size(), 1);
    EXPECT_TRUE(QRegularExpression("^Cam0_\\d{14}\\.avi$").match(avis[0]).hasMatch()) << avis[0].toStdString();
    EXPECT_EQ(aviFrames(imgDir() + "/" + avis[0]), appendsFor(0));
}

TEST_F(LiveControls, EveryRecordingCameraClosesItsOwnAvi)
{
    open(kTwoCameras, 2);
    goLive();
    ZTCamSim_CallLogSkipFrameCalls(0);
    ZTCamSim_CallLogClear();
    ui()->pb_video->click();
    ASSERT_TRUE(waitFor([&] { return appendsFor(0) >= 5 && appendsFor(1) >= 5; }));
    ui()->pb_video->click();
    ASSERT_TRUE(waitFor([&] { return simCallCount("ZTCAM_Rec_Stop") == 2; }, 5000));
    ASSERT_TRUE(waitFor([&] { return ui()->pb_video->text() == "Start Video"; }));
    EXPECT_TRUE(waitFor([&] { return !capture(0)->isRecording() && !capture(1)->isRecording(); }, 3000));
    EXPECT_EQ(aviFrames(imgDir() + "/" + files("Cam0_*.avi").value(0)), appendsFor(0));
    EXPECT_EQ(aviFrames(imgDir() + "/" + files("Cam1_*.avi").value(0)), appendsFor(1));
}

TEST_F(LiveControls, StoppingLiveClosesTheRecordingAndANewOneStarts)
{
    open(kOneCamera, 1);
    goLive();
    ZTCamSim_CallLogSkipFrameCalls(0);
    ZTCamSim_CallLogClear();
    ui()->pb_video->click();
    ASSERT_TRUE(waitFor([&] { return appendsFor(0) >= 5; }));
    window->onCapturing();  // live off while recording
    EXPECT_FALSE(window->m_bRecord.load());
    EXPECT_FALSE(capture()->isRecording());
    EXPECT_EQ(simCallCount("ZTCAM_Rec_Stop"), 1);
    waitFor([] { return false; }, 50);
    EXPECT_EQ(ui()->pb_video->text(), "Start Video");
    EXPECT_FALSE(ui()->pb_cap->isEnabled());
    const QString first = files("Cam0_*.avi").value(0);
    EXPECT_EQ(aviFrames(imgDir() + "/" + first), appendsFor(0));

    const int firstFrames = appendsFor(0);
    goLive();  // at once: the next file gets another name, in the same second too
    ui()->pb_video->click();
    ASSERT_TRUE(waitFor([&] { return files("Cam0_*.avi").size() == 2; }));
    ui()->pb_video->click();
    ASSERT_TRUE(waitFor([&] { return simCallCount("ZTCAM_Rec_Stop") == 2; }));
    EXPECT_EQ(aviFrames(imgDir() + "/" + first), firstFrames);
}

TEST_F(LiveControls, AVideoWhoseNameIsTakenGetsANumberAndItsRowNamesIt)
{
    open(kOneCamera, 1);
    goLive();
    ZTCamSim_CallLogSkipFrameCalls(0);
    QStringList taken;  // the names of this second and the two after it
    for (int s = 0; s < 3; ++s) {
        taken << imgDir() + "/Cam0_" + QDateTime::currentDateTime().addSecs(s).toString("yyyyMMddHHmmss") + ".avi";
        QFile earlier(taken.last());
        ASSERT_TRUE(earlier.open(QIODevice::WriteOnly) && earlier.write("earlier") == 7);
    }
    ZTCamSim_FailVideoWrites(2, ENOSPC);
    ZTCamSim_CallLogClear();
    ui()->pb_video->click();
    ASSERT_TRUE(waitFor([&] { return appendsFor(0) >= 4; }));
    ui()->pb_video->click();
    ASSERT_TRUE(waitFor([&] { return ui()->pb_video->text() == "Start Video"; }));
    ZTCamSim_FailVideoWrites(0, 0);
    for (const QString& name : taken)
        EXPECT_EQ(QFileInfo(name).size(), 7) << name.toStdString();
    const QString avi = imgDir() + "/" + files("Cam0_*_2.avi").value(0);
    EXPECT_EQ(aviFrames(avi), 2);
    const QStringList rows = logRows().filter(" frames to " + avi + ": the disk is full.");
    EXPECT_EQ(rows.size(), 1) << logRows().join('\n').toStdString();
}

TEST_F(LiveControls, AFailedVideoStartAndLostVideoFramesEachGetARow)
{
    open(kOneCamera, 1);
    goLive();
    ZTCamSim_CallLogSkipFrameCalls(0);
    const QRegularExpression name(QRegularExpression::escape(imgDir()) + "/Cam0_\\d{14}\\.avi");
    const auto videoRows = [&] { return logRows().filter(QRegularExpression("^Camera0 could not")); };

    ZTCamSim_FailVideoWrites(-1, EACCES);
    ui()->pb_video->click();
    ASSERT_TRUE(waitFor([&] { return ui()->pb_video->text() == "Start Video"; }));
    EXPECT_TRUE(files("*.avi").isEmpty());
    ASSERT_EQ(videoRows().size(), 1);
    EXPECT_TRUE(QRegularExpression("^Camera0 could not start the video " + name.pattern() +
                                   ": the folder cannot be written\\.$")
                    .match(videoRows()[0])
                    .hasMatch())
        << videoRows()[0].toStdString();

    // The disk fills after 4 frames and stays full until the end.
    ZTCamSim_FailVideoWrites(4, ENOSPC);
    ZTCamSim_CallLogClear();
    ui()->pb_video->click();
    ASSERT_TRUE(waitFor([&] { return appendsFor(0) >= 10; }));
    ui()->pb_video->click();
    ASSERT_TRUE(waitFor([&] { return ui()->pb_video->text() == "Start Video"; }));
    ZTCamSim_FailVideoWrites(0, 0);
    const int appends = appendsFor(0);
    const QString avi = imgDir() + "/" + files("Cam0_*.avi").value(0);
    ASSERT_EQ(videoRows().size(), 2);
    EXPECT_EQ(videoRows()[1], QString("Camera0 could not record %1 of %2 frames to %3: the disk is full. The video "
                                      "holds 4 frames.")
                                  .arg(appends - 4)
                                  .arg(appends)
                                  .arg(avi));
    EXPECT_EQ(aviFrames(avi), 4);
}

TEST_F(LiveControls, AVideoFolderLongerThan1024BytesKeepsTheWholeName)
{
    open(kOneCamera, 1);
    QString dir = workDir.path();
    while (dir.toLocal8Bit().size() <= 1100)
        dir += "/" + QString(200, QLatin1Char('v'));
    ASSERT_TRUE(QDir().mkpath(dir));
    window->m_strImgDir = dir;
    goLive();
    ZTCamSim_CallLogSkipFrameCalls(0);
    ZTCamSim_CallLogClear();
    ui()->pb_video->click();
    ASSERT_TRUE(waitFor([&] { return appendsFor(0) >= 3; }));
    ui()->pb_video->click();
    ASSERT_TRUE(waitFor([&] { return ui()->pb_video->text() == "Start Video"; }));
    const QStringList avis = files("*.avi");
    ASSERT_EQ(avis.size(), 1);
    EXPECT_TRUE(QRegularExpression("^Cam0_\\d{14}\\.avi$").match(avis[0]).hasMatch()) << avis[0].toStdString();
    EXPECT_EQ(aviFrames(dir + "/" + avis[0]), appendsFor(0));
}
