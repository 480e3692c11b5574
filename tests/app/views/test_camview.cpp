// The camera view's frame hand-off, buffer sizing and mouse relay.
#include <gtest/gtest.h>

#include <QImage>
#include <QMouseEvent>
#include <QTimerEvent>
#include <cstring>

#include "../CaptureFixture.h"
#include "DrawView.h"
#include "LineProfileUI.h"

namespace {

class CamViewTest : public CaptureFixture {
protected:
    // A view of its own on the window, without camera handle.
    CZTCamView* makeView()
    {
        auto* v = new CZTCamView(window.get(), "x");
        v->attachMainWindow(window.get(), OpenedCamera{});
        return v;
    }
    static ZTCamFrame header8(int w, int h, int channels = 1)
    {
        ZTCamFrame f{};
        f.headerSize = sizeof(ZTCamFrame);
        f.width = static_cast<uint16_t>(w);
        f.height = static_cast<uint16_t>(h);
        f.channels = static_cast<uint8_t>(channels);
        f.elementBytes = 1;
        f.widthStep = static_cast<uint32_t>(w * channels);
        f.imageSize = f.widthStep * static_cast<uint32_t>(h);
        return f;
    }
    // What the capture thread does for one frame of a constant value.
    static bool deliver(CZTCamView* v, ZTCamFrame header, uint8_t value)
    {
        uint8_t* back = v->backBuffer();
        std::memcpy(back, &header, sizeof(header));
        std::memset(back + header.headerSize, value, header.imageSize);
        if (!v->exchangeBackBuffer())
            return false;
        v->newFrameReady();
        return true;
    }
    static void tick(CZTCamView* v)
    {
        QTimerEvent event(1);
        QCoreApplication::sendEvent(v, &event);
    }
};

TEST_F(CamViewTest, OnlyTheNewestOfTwoFramesIsPaintedAtTheNextTick)
{
    MainWindow& w = open("[global]\ncameras=0\n", 0);
    CZTCamView* v = makeView();
    const ZTCamFrame h = header8(8, 4);
    v->allocFrameBuffers(h);
    ASSERT_TRUE(v->hasFrameBuffers());
    w.m_bLive = true;
    ASSERT_TRUE(deliver(v, h, 10));
    ASSERT_TRUE(deliver(v, h, 20));
    tick(v);
    ASSERT_NE(v->image(), nullptr);
    EXPECT_EQ(v->image()->format(), QImage::Format_Grayscale8);
    EXPECT_EQ(v->image()->pixelColor(3, 2).red(), 20);
    EXPECT_EQ(v->drawView()->imageWidth(), 8);

    // Nothing new: the next tick paints nothing and keeps the image.
    const QImage* image = v->image();
    tick(v);
    EXPECT_EQ(v->image(), image);
    ASSERT_TRUE(deliver(v, h, 30));
    tick(v);
    EXPECT_EQ(v->image(), image);  // same size: the image is reused
    EXPECT_EQ(v->image()->pixelColor(0, 0).red(), 30);
    delete v;
}

TEST_F(CamViewTest, NothingIsPaintedWithoutLiveOrWithNoPreview)
{
    MainWindow& w = open("[global]\ncameras=0\n", 0);
    CZTCamView* v = makeView();
    const ZTCamFrame h = header8(8, 4);
    v->allocFrameBuffers(h);
    ASSERT_TRUE(deliver(v, h, 10));
    tick(v);
    EXPECT_EQ(v->image(), nullptr);  // not live
    w.m_bLive = true;
    w.m_bNoPreview = true;
    tick(v);
    EXPECT_EQ(v->image(), nullptr);
    w.m_bNoPreview = false;
    ASSERT_TRUE(deliver(v, h, 10));
    tick(v);
    EXPECT_NE(v->image(), nullptr);
    delete v;
}

TEST_F(CamViewTest, HiddenImageReturnsWithTheFirstFrameOfALiveStream)
{
    MainWindow& w = open("[global]\ncameras=0\n", 0);
    CZTCamView* v = makeView();
    const ZTCamFrame h = header8(8, 4);
    v->allocFrameBuffers(h);
    v->setPreviewState(false);
    EXPECT_TRUE(v->drawView()->isHidden());
    ASSERT_TRUE(deliver(v, h, 10));  // not live: stays hidden
    EXPECT_TRUE(v->drawView()->isHidden());
    w.m_bLive = true;
    ASSERT_TRUE(deliver(v, h, 40));
    QCoreApplication::processEvents();
    EXPECT_FALSE(v->drawView()->isHidden());
    ASSERT_NE(v->image(), nullptr);
    EXPECT_EQ(v->image()->pixelColor(0, 0).red(), 40);
    delete v;
}

TEST_F(CamViewTest, BuffersGrowForLargerHeadersAndNeverShrink)
{
    open("[global]\ncameras=0\n", 0);
    CZTCamView* v = makeView();
    EXPECT_FALSE(v->hasFrameBuffers());
    v->allocFrameBuffers(header8(8, 4));
    const uint32_t small = v->frameBufferBytes();
    EXPECT_EQ(small, sizeof(ZTCamFrame) + 32u);
    v->allocFrameBuffers(header8(16, 8));
    EXPECT_EQ(v->frameBufferBytes(), sizeof(ZTCamFrame) + 128u);
    v->allocFrameBuffers(header8(4, 4));
    EXPECT_EQ(v->frameBufferBytes(), sizeof(ZTCamFrame) + 128u);
    delete v;
}

TEST_F(CamViewTest, OddWidthsColourAndSixteenBitFramesAreLaidOutRowByRow)
{
    MainWindow& w = open("[global]\ncameras=0\n", 0);
    w.m_bLive = true;
    CZTCamView* v = makeView();

    // 5 x 3 mono: image rows are padded, the buffer's are not.
    ZTCamFrame h = header8(5, 3);
    v->allocFrameBuffers(header8(16, 16, 3));
    uint8_t* back = v->backBuffer();
    std::memcpy(back, &h, sizeof(h));
    for (int i = 0; i < 15; ++i)
        back[h.headerSize + i] = static_cast<uint8_t>(i);
    ASSERT_TRUE(v->exchangeBackBuffer());
    v->newFrameReady();
    tick(v);
    ASSERT_NE(v->image(), nullptr);
    EXPECT_EQ(v->image()->pixelColor(4, 2).red(), 14);
    EXPECT_EQ(v->image()->pixelColor(0, 1).red(), 5);

    // RGB: bytes in R, G, B order.
    h = header8(2, 1, 3);
    back = v->backBuffer();
    std::memcpy(back, &h, sizeof(h));
    const uint8_t rgb[] = {200, 100, 50, 1, 2, 3};
    std::memcpy(back + h.headerSize, rgb, sizeof(rgb));
    ASSERT_TRUE(v->exchangeBackBuffer());
    v->newFrameReady();
    tick(v);
    EXPECT_EQ(v->image()->format(), QImage::Format_RGB888);
    EXPECT_EQ(v->image()->pixelColor(0, 0), QColor(200, 100, 50));

    // 16-bit samples show their high byte.
    h = header8(2, 1);
    h.elementBytes = 2;
    h.imageSize = 4;
    back = v->backBuffer();
    std::memcpy(back, &h, sizeof(h));
    const uint8_t wide[] = {0x34, 0x12, 0xCD, 0xAB};
    std::memcpy(back + h.headerSize, wide, sizeof(wide));
    ASSERT_TRUE(v->exchangeBackBuffer());
    v->newFrameReady();
    tick(v);
    EXPECT_EQ(v->image()->pixelColor(1, 0).red(), 0xAB);

    // Two channels is not a frame the view shows.
    const QImage* before = v->image();
    h = header8(2, 1, 2);
    back = v->backBuffer();
    std::memcpy(back, &h, sizeof(h));
    ASSERT_TRUE(v->exchangeBackBuffer());
    v->newFrameReady();
    tick(v);
    EXPECT_EQ(v->image(), before);
    delete v;
}

TEST_F(CamViewTest, MousePositionsAreRelayedWithTheRoiOffset)
{
    open(kOneCamera, 1);
    CZTCamView* v = view();
    std::vector<std::tuple<int, QPointF, QPointF>> sent;
    QObject::connect(v, &CZTCamView::sigUpdateMousePosition, window.get(),
                     [&](int cam, QPointF pos, QPointF offset) { sent.emplace_back(cam, pos, offset); });
    ZTCamFrame h = header8(64, 48);
    v->allocFrameBuffers(h);
    v->slotUpdateMousePosition(QPointF(10, 5));
    v->slotUpdateMousePosition(QPointF(100, 5));  // outside: still sent
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(std::get<0>(sent[0]), 0);
    EXPECT_EQ(std::get<1>(sent[0]), QPointF(10, 5));
    EXPECT_EQ(std::get<2>(sent[0]), QPointF(10 + v->roiOffsetX(), 5 + v->roiOffsetY()));

    CZTCamView* unbound = makeView();
    size_t before = sent.size();
    QObject::connect(unbound, &CZTCamView::sigUpdateMousePosition, window.get(),
                     [&](int, QPointF, QPointF) { sent.emplace_back(-1, QPointF(), QPointF()); });
    unbound->slotUpdateMousePosition(QPointF(1, 1));  // no handle: nothing sent
    EXPECT_EQ(sent.size(), before);
    delete unbound;
}

TEST_F(CamViewTest, DoubleClickTogglesTheSingleViewportOnlyWhileLive)
{
    MainWindow& w = open(kOneCamera, 1);
    CZTCamView* v = view();
    QMouseEvent event(QEvent::MouseButtonDblClick, QPointF(5, 5), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(v->viewport(), &event);
    EXPECT_FALSE(v->isSingleViewport());
    w.m_bLive = true;
    QCoreApplication::sendEvent(v->viewport(), &event);
    EXPECT_TRUE(v->isSingleViewport());
    EXPECT_TRUE(w.m_bSingleViewport);
    QCoreApplication::sendEvent(v->viewport(), &event);
    EXPECT_FALSE(v->isSingleViewport());
    w.m_bLive = false;
}

TEST_F(CamViewTest, StoppedPreviewHidesTheImageAndEndsMarking)
{
    open(kOneCamera, 1);
    CZTCamView* v = view();
    ASSERT_NE(v->lineProfile(), nullptr);
    EXPECT_EQ(v->lineProfile()->windowTitle(), "camera" + v->camName());
    v->lineProfile()->setMarking(true);
    EXPECT_TRUE(v->drawView()->isMarking());
    v->setPreviewState(false);
    EXPECT_TRUE(v->drawView()->isHidden());
    EXPECT_FALSE(v->drawView()->isMarking());
    EXPECT_FALSE(v->lineProfile()->isMarkingChecked());

    v->on_pb_grayCurve_clicked();
    EXPECT_TRUE(v->lineProfile()->isVisible());
    EXPECT_EQ(v->lineProfile()->maxGray(), 4096);  // "Mono 12"
    v->SlotCloseDialog();
    EXPECT_TRUE(v->lineProfile()->isHidden());

    v->startDisplayTimer();
    EXPECT_TRUE(v->isDisplayTimerRunning());
    v->stopDisplayTimer();
    EXPECT_FALSE(v->isDisplayTimerRunning());
}

TEST_F(CamViewTest, EscapeOnThePlotDialogEndsMarkingAsClosingDoes)
{
    open(kOneCamera, 1);
    CZTCamView* v = view();
    v->on_pb_grayCurve_clicked();
    LineProfileUI* dialog = v->lineProfile();
    dialog->setMarking(true);
    ASSERT_TRUE(v->drawView()->isMarking());
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(dialog, &esc);
    EXPECT_TRUE(dialog->isHidden());
    EXPECT_FALSE(v->drawView()->isMarking());  // dragging pans again
    v->on_pb_grayCurve_clicked();
    EXPECT_FALSE(dialog->isMarkingChecked());
}

}  // namespace
