#pragma once
// A main window over the simulated SDK with its cameras opened, plus helpers
// to run save series and to look at the files they leave.

#include <gtest/gtest.h>

#include <ZTCam.h>
#include <ZTCamSim.h>

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QVector>

#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "FileSizeLimit.h"
#include "TestSupport.h"
#include "WindowFixture.h"
#include "CZTThdCapture.h"
#include "CZTThdSaveImg.h"
#include "FrameBufferSet.h"
#include "MainWindow.h"
#include "ui_MainWindow.h"

// Accepts the camera selection as offered ("AllCamera").
class AcceptingPrompt : public FakePrompt {
public:
    int execDialog(QDialog&) override
    {
        asked << "dialog||";
        return QDialog::Accepted;
    }
};

inline int simCallCount(const char* name)
{
    int n = 0;
    for (size_t i = 0; i < ZTCamSim_CallLogSize(); ++i) {
        const char* entry = nullptr;
        if (ZTCamSim_CallLogEntry(i, &entry, nullptr) && entry && std::string(entry) == name)
            ++n;
    }
    return n;
}

// Runs a tool and returns its standard output ("" when it cannot run).
inline QString runTool(const QString& program, const QStringList& args, int* exitCode = nullptr)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000)) {
        if (exitCode)
            *exitCode = -1;
        return QString();
    }
    if (exitCode)
        *exitCode = p.exitCode();
    return QString::fromLocal8Bit(p.readAllStandardOutput()) + QString::fromLocal8Bit(p.readAllStandardError());
}

// Pages of a TIFF file as tiffinfo lists them.
inline int tiffPages(const QString& path, QString* info = nullptr)
{
    const QString text = runTool("tiffinfo", {path});
    if (info)
        *info = text;
    return text.count("TIFF Directory at offset");
}

// The stamps of the 64 x 48 Mono 12 frames a raw file (one image or a stack)
// holds, in order: the frame numbers the simulated camera writes into the
// first 8 bytes with ImageStamping on; -1 for a frame that is not wholly the
// frame it names (parts of two frames).
inline QVector<qint64> stampsInRawFile(const QString& path)
{
    QFile file(path);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    QByteArray expected(64 * 48 * 2, '\0');
    QVector<qint64> stamps;
    for (int at = 0; at + expected.size() <= bytes.size(); at += expected.size()) {
        qint64 k = 0;
        std::memcpy(&k, bytes.constData() + at, sizeof k);
        ZTCamSim_GenerateFrame(expected.data(), static_cast<uint32_t>(expected.size()), 64, 48, "Mono 12",
                               static_cast<uint64_t>(k));
        std::memcpy(expected.data(), &k, sizeof k);
        stamps << (bytes.mid(at, expected.size()) == expected ? k : -1);
    }
    return stamps;
}

// The end-of-series rows of a camera in the log: frames overwritten in the
// ring, frames that could not be saved and why (of a series that ended, or
// that was stopped: then also the frames saved).
struct SeriesRows {
    int reports = 0;  // rows of any kind
    int lost = 0;
    int notSaved = 0;
    int saved = -1;  // as a stopped series' row gives it
    int frames = -1;
    QString folder;
    QString reason;
};

inline SeriesRows seriesRows(const QStringList& rows, int cam)
{
    SeriesRows r;
    const QRegularExpression lostRow(QString("^Camera%1 lost (\\d+) of the (\\d+) frames of the capture because "
                                             "saving fell behind the camera\\. More acquisition buffers would keep "
                                             "them\\.$")
                                         .arg(cam));
    const QRegularExpression notSavedRow(
        QString("^Camera%1 (?:could not save (\\d+) of (\\d+) frames|saved (\\d+) of the (\\d+) frames that arrived "
                "before the capture was stopped and could not save (\\d+)) to (.*): ([^:]*)\\.$")
            .arg(cam));
    for (const QString& row : rows) {
        QRegularExpressionMatch m = lostRow.match(row);
        if (m.hasMatch()) {
            ++r.reports;
            r.lost += m.captured(1).toInt();
            r.frames = m.captured(2).toInt();
        }
        m = notSavedRow.match(row);
        if (m.hasMatch()) {
            ++r.reports;
            const bool stopped = !m.captured(3).isEmpty();
            if (stopped)
                r.saved = m.captured(3).toInt();
            r.notSaved += m.captured(stopped ? 5 : 1).toInt();
            r.frames = m.captured(stopped ? 4 : 2).toInt();
            r.folder = m.captured(6);
            r.reason = m.captured(7);
        }
    }
    return r;
}

class SaveFixture : public WindowFixture {
protected:
    void TearDown() override
    {
        // A test that stopped early must not leave a saver held or failing.
        ZTCamSim_HoldFileSaves(0);
        ZTCamSim_FailImageWrites(0, 0);
        WindowFixture::TearDown();
    }
    SeriesRows seriesRows(int cam = 0) const { return ::seriesRows(logRows(), cam); }
    MainWindow& open(const char* config, int cameras)
    {
        ZTCamSim_UseConfigText(config);
        window = std::make_unique<MainWindow>();
        EXPECT_TRUE(waitFor([&] { return window->isEnabled(); }, 15000));
        waitFor([&] { return window->m_vecCapThread.size() >= cameras; }, 5000);
        EXPECT_EQ(window->m_vecCapThread.size(), cameras);
        return *window;
    }
    Ui::MainWindow* ui() const { return window->form(); }
    CZTThdCapture* capture(int i = 0) const { return window->m_vecCapThread.value(i); }
    CZTThdSaveImg* saver(int i = 0) const { return capture(i) ? capture(i)->saveThread() : nullptr; }
    QString imgDir() const { return window->m_strImgDir; }
    QStringList files(const QString& pattern) const
    {
        return QDir(imgDir()).entryList({pattern}, QDir::Files, QDir::Name);
    }
    void goLive(int ring = 64)
    {
        // By default a ring long enough that a saver slowed down by a
        // sanitizer or a loaded machine does not lose frames.
        window->m_nBufferCount = ring;
        window->onCapturing();
        ASSERT_TRUE(window->m_bLive.load());
        // Frames are flowing.
        ASSERT_TRUE(waitFor([&] { return capture()->frameCounter() > 2; }, 5000));
    }
    // The camera at position i writes its frame number into the first 8
    // bytes of each frame from now on (ImageStamping on).
    void stampFrames(int i = 0)
    {
        ASSERT_EQ(ZTCAM_Capa_SetValue(window->m_vecOpenedCam.value(i).handle, ZTCAM_CAPA_TIME_STAMP, 1),
                  ZTCAM_STATUS_SUCCESS);
    }
    // Ticks exactly the formats of mask through the boxes' own slots.
    void chooseFormats(int mask)
    {
        QCheckBox* boxes[] = {ui()->chk_raw, ui()->chk_tif, ui()->chk_png, ui()->chk_jpg, ui()->chk_bmp};
        for (int bit = 0; bit < 5; ++bit)
            if ((mask >> bit) & 1)
                if (!boxes[bit]->isChecked())
                    boxes[bit]->click();
        for (int bit = 0; bit < 5; ++bit)
            if (!((mask >> bit) & 1))
                if (boxes[bit]->isChecked())
                    boxes[bit]->click();
    }
    // Starts a capture from the button and waits until every camera finished.
    bool captureAndWait(int frames, int timeoutMs = 20000)
    {
        ui()->txt_frames->setText(QString::number(frames));
        ui()->pb_cap->click();
        if (!window->m_bCapturing)
            return false;
        return waitFor([&] { return !window->m_bCapturing && ui()->pb_cap->text() == "Capture"; }, timeoutMs);
    }

    AcceptingPrompt prompt;
};

// One small 16-bit camera.
constexpr const char* kOneCamera =
    "[camera]\nserial = SAVE01\nsensor_width=64\nsensor_height=48\npixel_format=Mono 12\nframe_rate=50\n";

// Records a save thread's signals on the GUI thread.
class SaveEvents : public QObject {
public:
    explicit SaveEvents(CZTThdSaveImg* thread)
    {
        connect(thread, &CZTThdSaveImg::SignalSendSavedImageCount, this,
                [this](int, int count) { saved.push_back(count); }, Qt::QueuedConnection);
        connect(thread, &CZTThdSaveImg::SignalSendFinishSaveFlag, this,
                [this](int cam, bool ok) { finished.push_back({cam, ok}); }, Qt::QueuedConnection);
        connect(thread, &CZTThdSaveImg::SignalStackCloseFinished, this, [this] { ++closes; },
                Qt::QueuedConnection);
        connect(thread, &CZTThdSaveImg::SignalSendSeriesReport, this,
                [this](int, int, int, int overwritten, int notSavedFrames, bool, QString, QString) {
                    lost += overwritten;
                    notSaved += notSavedFrames;
                },
                Qt::QueuedConnection);
    }
    std::vector<int> saved;
    std::vector<std::pair<int, bool>> finished;
    int closes = 0;
    int lost = 0;      // frames overwritten in the ring, as reported
    int notSaved = 0;  // frames that could not be saved, as reported
};

// The frame description of 16-bit mono frames as the capture thread hands
// it to its saver.
inline ZTCamFrame mono16Header(int width, int height)
{
    ZTCamFrame header{};
    header.headerSize = 64;
    header.width = width;
    header.height = height;
    header.widthStep = width * 2;
    header.channels = 1;
    header.elementBytes = 2;
    header.imageSize = static_cast<uint32_t>(width) * height * 2;
    return header;
}

// Makes `set` a ring of `count` zeroed frame buffers of `bytes` bytes, all
// announced, with no frame delivered yet.
inline void fillRing(FrameBufferSet& set, int count, size_t bytes)
{
    for (int i = 0; i < count; ++i)
        set.ringBuffers.append(new uint8_t[bytes]());
    set.announcedCount = count;
    set.startDelivery(count);
}

// Plays the camera and the capture thread's callback over a ring of big
// frames on a thread of its own: writes frame k into its entry (every 4 KiB
// block stamped with k), tells the ring and, when given, the saver, pauses
// `pauseUs` and goes on with the next frame, until stopped.
class RingWriter {
public:
    static constexpr size_t kBlock = 4096;

    RingWriter(FrameBufferSet& set, size_t frameBytes, CZTThdSaveImg* saver = nullptr, int pauseUs = 0)
        : m_set(set)
        , m_bytes(frameBytes)
        , m_saver(saver)
        , m_pauseUs(pauseUs)
        , m_thread([this] { run(); })
    {
    }
    ~RingWriter() { stop(); }
    void stop()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    // The frame whose stamps every block of `frame` carries; -1 for a frame
    // that holds parts of two.
    static qint64 stampOf(const uint8_t* frame, size_t bytes)
    {
        qint64 first = 0;
        std::memcpy(&first, frame, sizeof first);
        for (size_t at = kBlock; at + sizeof first <= bytes; at += kBlock)
            if (std::memcmp(frame + at, &first, sizeof first) != 0)
                return -1;
        return first;
    }

private:
    void run()
    {
        // Frame numbers go on from the frames the ring was told of before.
        for (qint64 k = m_set.deliveredCount(); !m_stop; ++k) {
            uint8_t* entry = m_set.entryFor(static_cast<int>(k));
            for (size_t at = 0; at + sizeof k <= m_bytes; at += kBlock)
                std::memcpy(entry + at, &k, sizeof k);
            m_set.frameDelivered();
            if (m_saver)
                m_saver->AddCallbackCounter();
            if (m_pauseUs > 0)
                std::this_thread::sleep_for(std::chrono::microseconds(m_pauseUs));
        }
    }

    FrameBufferSet& m_set;
    size_t m_bytes;
    CZTThdSaveImg* m_saver;
    int m_pauseUs;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

// A save thread of its own over a hand-filled ring of 64 x 48 16-bit frames
// at camera position `position` of the window; the test plays the SDK's
// callback thread.
class StandaloneSave {
public:
    static constexpr int kWidth = 64;
    static constexpr int kHeight = 48;
    static constexpr int kFrameBytes = kWidth * kHeight * 2;

    StandaloneSave(MainWindow& window, int position, bool stack, int ringLength = 4)
        : window_(window)
        , position_(position)
    {
        set_ = new FrameBufferSet;
        for (int i = 0; i < ringLength; ++i)
            set_->ringBuffers.append(new uint8_t[kFrameBytes]());
        set_->announcedCount = ringLength;
        set_->startDelivery(ringLength);
        delete window.m_mapBufferSets.value(position, nullptr);
        window.m_mapBufferSets[position] = set_;
        thread = new CZTThdSaveImg(&window);
        events = std::make_unique<SaveEvents>(thread);
        thread->SetCameraParams(position, window.m_vecOpenedCam.value(0).handle, stack);
        thread->SetImgParams(kWidth, kHeight, 1, 16, kFrameBytes, mono16Header(kWidth, kHeight));
    }
    ~StandaloneSave()
    {
        delete thread;
        delete window_.m_mapBufferSets.take(position_);
    }
    // Frame number k of the stream arrives, as the SDK and the capture
    // thread's callback hand it over (k is the number of frames delivered
    // before it).
    void deliver(int k)
    {
        const int length = set_->ringLength();
        ZTCamSim_GenerateFrame(set_->ringBuffers.at(k % length), kFrameBytes, kWidth, kHeight, "Mono 12",
                               static_cast<uint64_t>(k));
        set_->frameDelivered();
        thread->AddCallbackCounter();
    }
    // Delivers frames from..to-1, each once the previous one has been saved.
    void deliverPaced(int from, int to)
    {
        for (int k = from; k < to; ++k) {
            deliver(k);
            waitFor([&] { return static_cast<int>(events->saved.size()) > k - from0_; }, 5000);
        }
    }
    void start(int frames)
    {
        from0_ = 0;
        thread->StartThread(frames);
    }
    // Waits for the series to report its end.
    bool waitForEnd(int timeoutMs = lumatest::kWaitLimitMs)
    {
        return waitFor([&] { return !events->finished.empty(); }, timeoutMs);
    }

    CZTThdSaveImg* thread = nullptr;
    std::unique_ptr<SaveEvents> events;

private:
    MainWindow& window_;
    int position_;
    FrameBufferSet* set_ = nullptr;
    int from0_ = 0;
};
