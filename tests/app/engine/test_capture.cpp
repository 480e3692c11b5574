// The capture thread: the 8-bit reduction, preview pacing, the stream-open
// call order and its failure paths, the buffer ring, frame counter and rate,
// and the display loop feeding the view.
#include <gtest/gtest.h>

#include <QImage>
#include <QThread>
#include <algorithm>
#include <cstring>

#include "../CaptureFixture.h"
#include "DrawView.h"

namespace {

// ---- the 8-bit reduction -------------------------------------------------

std::vector<uint8_t> samples16(const std::vector<uint16_t>& values)
{
    std::vector<uint8_t> bytes;
    for (uint16_t v : values) {
        bytes.push_back(static_cast<uint8_t>(v & 0xFF));
        bytes.push_back(static_cast<uint8_t>(v >> 8));
    }
    return bytes;
}

TEST(Reduction, SixteenBitMonoTakesTheHighByteOrTheShiftedSample)
{
    const std::vector<uint8_t> src = samples16({0x0FFF, 0x0123, 0xABCD, 0x0010});
    std::vector<uint8_t> out(4);
    CZTThdCapture::reduceTo8Bit(src.data(), out.data(), 2, 2, 1, 2, 0);
    EXPECT_EQ(out, (std::vector<uint8_t>{0x0F, 0x01, 0xAB, 0x00}));
    CZTThdCapture::reduceTo8Bit(src.data(), out.data(), 2, 2, 1, 2, 4);
    EXPECT_EQ(out, (std::vector<uint8_t>{0xFF, 0x12, 0xBC, 0x01}));
    CZTThdCapture::reduceTo8Bit(src.data(), out.data(), 2, 2, 1, 2, 2);
    EXPECT_EQ(out, (std::vector<uint8_t>{0xFF, 0x48, 0xF3, 0x04}));
    // The shift is taken modulo 32.
    CZTThdCapture::reduceTo8Bit(src.data(), out.data(), 2, 2, 1, 2, 36);
    EXPECT_EQ(out, (std::vector<uint8_t>{0xFF, 0x12, 0xBC, 0x01}));
}

TEST(Reduction, EightBitAndColourFramesKeepOneByteOfEachSample)
{
    const std::vector<uint8_t> mono{1, 2, 3, 4, 5, 6};
    std::vector<uint8_t> out(6);
    CZTThdCapture::reduceTo8Bit(mono.data(), out.data(), 3, 2, 1, 1, 4);
    EXPECT_EQ(out, mono);

    // One RGB pixel of 16-bit samples: the high byte of each, no shift.
    const std::vector<uint8_t> rgb = samples16({0x1234, 0x5678, 0x9ABC});
    std::vector<uint8_t> pixel(3);
    CZTThdCapture::reduceTo8Bit(rgb.data(), pixel.data(), 1, 1, 3, 2, 4);
    EXPECT_EQ(pixel, (std::vector<uint8_t>{0x12, 0x56, 0x9A}));
}

TEST(PreviewPacing, WaitIntervalFromThePreviewRate)
{
    EXPECT_EQ(CZTThdCapture::waitIntervalFor(25), 30);
    EXPECT_EQ(CZTThdCapture::waitIntervalFor(50), 10);
    EXPECT_EQ(CZTThdCapture::waitIntervalFor(100), 0);
    EXPECT_EQ(CZTThdCapture::waitIntervalFor(90), 1);
    EXPECT_EQ(CZTThdCapture::waitIntervalFor(1000), 0);
    EXPECT_EQ(CZTThdCapture::waitIntervalFor(0), -1);
    EXPECT_EQ(CZTThdCapture::waitIntervalFor(-3), -1);
}

// ---- stream opening ------------------------------------------------------

class StreamTest : public CaptureFixture {
protected:
    std::vector<std::string> openAndLog(bool* result)
    {
        ZTCamSim_CallLogClear();
        *result = thread()->openCapture(window.get());
        return simCalls();
    }
    // Ends the display loop, then the stream, as the window does.
    void closeStream()
    {
        thread()->stopThread();
        thread()->closeCapture();
    }
    std::vector<QString> rows;
    void recordRows()
    {
        QObject::connect(thread(), &CZTThdCapture::sglWriteLog, window.get(), [this](QString text) { rows.push_back(text); });
    }
};

TEST_F(StreamTest, OpenAnnouncesARingOfFourAndStarts)
{
    MainWindow& w = open(kOneCamera, 1);
    recordRows();
    bool ok = false;
    const std::vector<std::string> expected{"ZTCAM_Buf_DataCallBack", "ZTCAM_Buf_Alloc", "ZTCAM_Dev_GetInfo",
                                            "ZTCAM_Cap_ClearBuffer", "ZTCAM_Cap_AnnounceBuffer",
                                            "ZTCAM_Cap_AnnounceBuffer", "ZTCAM_Cap_AnnounceBuffer",
                                            "ZTCAM_Cap_AnnounceBuffer", "ZTCAM_Cap_Start"};
    EXPECT_EQ(openAndLog(&ok), expected);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(thread()->isOpened());
    EXPECT_EQ(thread()->ringCount(), 4);
    EXPECT_EQ(bufferSet()->ringBuffers.size(), 4);
    EXPECT_EQ(bufferSet()->ringLength(), 4);
    EXPECT_EQ(thread()->frameBytes(), 64 * 48 * 2);
    EXPECT_EQ(thread()->ringBufferBytes(), 4LL * thread()->ringBufferSize());
    EXPECT_EQ(thread()->waitInterval(), 30);
    EXPECT_GE(view()->frameBufferBytes(), 64u * 48u * 2u);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.back(), "Camera0 open stream.");

    ZTCamSim_CallLogClear();
    EXPECT_TRUE(thread()->closeCapture());
    EXPECT_EQ(simCalls(), (std::vector<std::string>{"ZTCAM_Cap_Stop", "ZTCAM_Buf_Release", "ZTCAM_Cap_ClearBuffer"}));
    EXPECT_EQ(rows.back(), "Close camera0 stream.");
    thread()->stopThread();
    (void)w;
}

TEST_F(StreamTest, ReopeningReusesTheRingUntilItMustGrow)
{
    MainWindow& w = open(kOneCamera, 1);
    bool ok = false;
    openAndLog(&ok);
    ASSERT_TRUE(ok);
    const QList<uint8_t*> first = bufferSet()->ringBuffers;
    closeStream();

    const std::vector<std::string> reuse = openAndLog(&ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(std::count(reuse.begin(), reuse.end(), "ZTCAM_Cap_ClearBuffer"), 0);
    EXPECT_EQ(bufferSet()->ringBuffers, first);
    closeStream();

    w.m_nBufferCount = 10;
    const std::vector<std::string> grown = openAndLog(&ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(std::count(grown.begin(), grown.end(), "ZTCAM_Cap_ClearBuffer"), 1);
    EXPECT_EQ(std::count(grown.begin(), grown.end(), "ZTCAM_Cap_AnnounceBuffer"), 10);
    EXPECT_EQ(thread()->ringCount(), 10);
    closeStream();

    // A smaller count reuses the ten buffers but announces four; the ring is
    // read modulo the four that the SDK fills.
    w.m_nBufferCount = 3;
    const std::vector<std::string> fewer = openAndLog(&ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(std::count(fewer.begin(), fewer.end(), "ZTCAM_Cap_AnnounceBuffer"), 4);
    EXPECT_EQ(bufferSet()->ringBuffers.size(), 10);
    EXPECT_EQ(bufferSet()->ringLength(), 4);
    EXPECT_EQ(bufferSet()->entryFor(5), bufferSet()->ringBuffers.at(1));
    int maxFrames = 0;
    EXPECT_TRUE(thread()->setPicNumAndCheck(4, &maxFrames));
    EXPECT_EQ(maxFrames, 4);
    closeStream();
}

TEST_F(StreamTest, PayloadOfZeroFallsBackToTheImageSize)
{
    open(kOneCamera, 1);
    ZTCamSim_SetFault(0, "payload_zero", 1);
    bool ok = false;
    openAndLog(&ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(thread()->ringBufferSize(), 64 * 48 * 2);
    closeStream();
}

TEST_F(StreamTest, FailuresUndoInOrderAndLogOneRowPerAttempt)
{
    MainWindow& w = open(kOneCamera, 1);
    recordRows();

    ZTCamSim_SetFault(0, "fail_alloc", 1);
    bool ok = true;
    EXPECT_EQ(openAndLog(&ok),
              (std::vector<std::string>{"ZTCAM_Buf_DataCallBack", "ZTCAM_Buf_Alloc", "ZTCAM_Buf_Release"}));
    EXPECT_FALSE(ok);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows.back(), "Camera0 open stream failed!");
    // The connections to the window are made once however often opening fails.
    const int logRows = w.m_nLogRowCount;
    openAndLog(&ok);
    EXPECT_EQ(w.m_nLogRowCount, logRows + 1);
    ZTCamSim_SetFault(0, "fail_alloc", 0);

    ZTCamSim_SetFault(0, "fail_announce", 1);
    std::vector<std::string> calls = openAndLog(&ok);
    EXPECT_FALSE(ok);
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(calls.end() - 3, calls.end()),
              (std::vector<std::string>{"ZTCAM_Cap_AnnounceBuffer", "ZTCAM_Buf_Release", "ZTCAM_Cap_ClearBuffer"}));
    EXPECT_TRUE(bufferSet()->ringBuffers.isEmpty());
    EXPECT_FALSE(thread()->isOpened());
    ZTCamSim_SetFault(0, "fail_announce", 0);

    ZTCamSim_SetFault(0, "fail_start", 1);
    calls = openAndLog(&ok);
    EXPECT_FALSE(ok);
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(std::vector<std::string>(calls.end() - 4, calls.end()),
              (std::vector<std::string>{"ZTCAM_Cap_Start", "ZTCAM_Cap_Stop", "ZTCAM_Buf_Release",
                                        "ZTCAM_Cap_ClearBuffer"}));
    EXPECT_FALSE(thread()->isOpened());
    EXPECT_TRUE(bufferSet()->ringBuffers.isEmpty());
    EXPECT_EQ(rows.back(), "Camera0 open stream failed!");
    ZTCamSim_SetFault(0, "fail_start", 0);

    // After the failures the stream opens normally.
    openAndLog(&ok);
    EXPECT_TRUE(ok);
    closeStream();
}

// ---- counting and the display loop -------------------------------------

TEST_F(StreamTest, CallbackCountsFramesAndReportsTheRateAboutOnceASecond)
{
    open(kOneCamera, 1);
    std::vector<double> rates;
    qlonglong lastCount = -1;
    QObject::connect(thread(), &CZTThdCapture::sglUpdateFps, window.get(), [&](int cam, double fps) {
        EXPECT_EQ(cam, 0);
        rates.push_back(fps);
    });
    QObject::connect(thread(), &CZTThdCapture::sglUpdateFrameCounter, window.get(),
                     [&](int, qlonglong count) { lastCount = count; });
    bool ok = false;
    openAndLog(&ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(lastCount, 0);
    ASSERT_EQ(rates.size(), 1u);  // the reset to 0
    thread()->setFpsEnabled(true);
    waitFor([&] { return rates.size() >= 3; }, 6000);
    ASSERT_GE(rates.size(), 3u);
    EXPECT_NEAR(rates.back(), 50.0, 15.0);
    EXPECT_NEAR(thread()->fps(), 50.0, 15.0);
    EXPECT_GT(thread()->frameCounter(), 60);
    closeStream();
    waitFor([&] { return lastCount == thread()->frameCounter(); }, 2000);
    EXPECT_EQ(lastCount, thread()->frameCounter());
}

// Finds the frame number whose reduction the view shows.
bool showsSomeFrame(const QImage& image, int shift, uint64_t upTo)
{
    std::vector<uint8_t> raw(64 * 48 * 2);
    std::vector<uint8_t> reduced(64 * 48);
    for (uint64_t n = 0; n <= upTo; ++n) {
        if (ZTCamSim_GenerateFrame(raw.data(), raw.size(), 64, 48, "Mono 12", n) != raw.size())
            return false;
        CZTThdCapture::reduceTo8Bit(raw.data(), reduced.data(), 64, 48, 1, 2, shift);
        bool same = true;
        for (int y = 0; y < 48 && same; ++y)
            same = std::memcmp(image.constScanLine(y), reduced.data() + y * 64, 64) == 0;
        if (same)
            return true;
    }
    return false;
}

TEST_F(StreamTest, DisplayLoopHandsReducedFramesToTheView)
{
    MainWindow& w = open(kOneCamera, 1);
    w.setDisplayShift(0, 4);
    w.m_nPreviewFps = 100;
    w.m_bLive = true;
    bool ok = false;
    openAndLog(&ok);
    ASSERT_TRUE(ok);
    view()->startDisplayTimer();
    thread()->startThread();
    ASSERT_TRUE(waitFor([&] { return view()->image() != nullptr; }, 5000));
    const ZTCamFrame header = view()->displayedHeader();
    EXPECT_EQ(header.width, 64);
    EXPECT_EQ(header.height, 48);
    EXPECT_EQ(header.channels, 1);
    EXPECT_EQ(header.elementBytes, 1);
    EXPECT_EQ(header.widthStep, 64u);
    EXPECT_EQ(header.imageSize, 64u * 48u);
    EXPECT_EQ(view()->image()->size(), QSize(64, 48));
    EXPECT_TRUE(showsSomeFrame(*view()->image(), 4, static_cast<uint64_t>(thread()->frameCounter()) + 5));
    w.m_bLive = false;
    thread()->stopThread();
    EXPECT_FALSE(thread()->isRunning());
    thread()->closeCapture();
    view()->stopDisplayTimer();
}

TEST_F(StreamTest, NoPreviewAndAZeroPreviewRateShowNothingButCountFrames)
{
    MainWindow& w = open(kOneCamera, 1);
    w.m_bLive = true;
    w.m_bNoPreview = true;
    bool ok = false;
    openAndLog(&ok);
    ASSERT_TRUE(ok);
    view()->startDisplayTimer();
    thread()->startThread();
    waitFor([&] { return false; }, 400);
    EXPECT_FALSE(thread()->isRunning());  // the display loop does not run at all
    EXPECT_EQ(view()->image(), nullptr);
    EXPECT_GT(thread()->frameCounter(), 0);
    closeStream();

    w.m_bNoPreview = false;
    w.m_nPreviewFps = 0;
    openAndLog(&ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(thread()->waitInterval(), -1);
    thread()->startThread();
    waitFor([&] { return false; }, 400);
    EXPECT_TRUE(thread()->isRunning());
    EXPECT_EQ(view()->image(), nullptr);
    EXPECT_GT(thread()->frameCounter(), 0);
    w.m_bLive = false;
    closeStream();
}

TEST_F(StreamTest, FramesLargerThanTheViewBuffersAreNotShown)
{
    MainWindow& w = open(kOneCamera, 1);
    CZTCamView* v = view();
    thread()->setView(nullptr);
    bool ok = false;
    openAndLog(&ok);
    ASSERT_TRUE(ok);
    // The view's buffers fit a frame of 8 x 8 only.
    ZTCamFrame small{};
    small.headerSize = sizeof(ZTCamFrame);
    small.width = 8;
    small.height = 8;
    small.imageSize = 64;
    v->allocFrameBuffers(small);
    thread()->setView(v);
    w.m_nPreviewFps = 100;
    w.m_bLive = true;
    v->startDisplayTimer();
    thread()->startThread();
    waitFor([&] { return false; }, 400);
    EXPECT_EQ(v->image(), nullptr);
    EXPECT_GT(thread()->frameCounter(), 3);
    w.m_bLive = false;
    closeStream();
    v->stopDisplayTimer();
}

}  // namespace
