// Zoom, drag and marks of the drawing view.
#include <gtest/gtest.h>

#include <QGraphicsLineItem>
#include <QGraphicsRectItem>
#include <QMouseEvent>
#include <QPixmap>
#include <QWheelEvent>
#include <QWidget>
#include <utility>
#include <vector>

#include "DrawView.h"
#include "../TestSupport.h"

namespace {

using MarkPair = std::pair<QPointF, QPointF>;

class DrawViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testApp();
        parent = new QWidget;
        parent->resize(400, 400);
        view = new DrawView(parent);
        QObject::connect(view, &DrawView::SignalSendMarkPos,
                         [this](QPointF a, QPointF b) { marks.emplace_back(a, b); });
        QObject::connect(view, &DrawView::sglSetSliderPosition, [this](QPointF p) { sliders.push_back(p); });
        QObject::connect(view, &DrawView::sglMoveImage, [this](QPointF p) { moves.push_back(p); });
    }
    void TearDown() override { delete parent; }

    void paint(int w, int h)
    {
        QPixmap pixmap(w > 0 ? w : 1, h > 0 ? h : 1);
        pixmap.fill(Qt::gray);
        QBrush brush;
        brush.setTexture(pixmap);
        view->slotPaintPreview(brush, w, h);
    }
    void wheel(int delta)
    {
        const QPointF pos(10, 10);
        QWheelEvent event(pos, view->viewport()->mapToGlobal(pos.toPoint()), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(view->viewport(), &event);
    }
    // Viewport position of a scene (image) point.
    QPoint at(double x, double y) const { return view->mapFromScene(QPointF(x, y)); }
    void mouse(QEvent::Type type, const QPoint& pos)
    {
        const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, pos, type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(view->viewport(), &event);
    }
    void drag(const QPoint& from, const QPoint& to)
    {
        mouse(QEvent::MouseButtonPress, from);
        mouse(QEvent::MouseMove, to);
        mouse(QEvent::MouseButtonRelease, to);
    }
    static bool isCleared(const MarkPair& m)
    {
        return m.first == QPointF(-1, -1) && m.second == QPointF(-1, -1);
    }

    QWidget* parent = nullptr;
    DrawView* view = nullptr;
    std::vector<MarkPair> marks;
    std::vector<QPointF> sliders;
    std::vector<QPointF> moves;
};

TEST_F(DrawViewTest, WheelIsIgnoredUntilAnImageIsShown)
{
    wheel(120);
    EXPECT_FLOAT_EQ(view->zoom(), 1.0f);
    EXPECT_TRUE(sliders.empty());
    paint(0, 50);  // a width of 0 shows nothing
    wheel(120);
    EXPECT_FLOAT_EQ(view->zoom(), 1.0f);
    EXPECT_EQ(view->imageWidth(), 0);
}

TEST_F(DrawViewTest, ZoomDoublesAndHalvesWithinLimits)
{
    paint(100, 80);
    EXPECT_EQ(view->size(), QSize(100, 80));
    const float in[] = {2, 4, 8, 16, 16};
    for (float expected : in) {
        wheel(120);
        EXPECT_FLOAT_EQ(view->zoom(), expected);
    }
    EXPECT_EQ(view->size(), QSize(100 * 16 + 2, 80 * 16 + 1));
    EXPECT_EQ(sliders.size(), 5u);
    EXPECT_DOUBLE_EQ(view->transform().m11(), 16.0);

    paint(90, 80);  // another size: back to 1:1
    EXPECT_FLOAT_EQ(view->zoom(), 1.0f);
    EXPECT_EQ(view->size(), QSize(90, 80));
    EXPECT_DOUBLE_EQ(view->transform().m11(), 1.0);

    const float out[] = {0.5f, 0.25f, 0.125f, 0.125f};
    for (float expected : out) {
        wheel(-120);
        EXPECT_FLOAT_EQ(view->zoom(), expected);
    }
    EXPECT_EQ(view->size(), QSize(static_cast<int>(90 * 0.125f + 2), static_cast<int>(80 * 0.125f + 1)));
    wheel(120);
    wheel(120);
    EXPECT_FLOAT_EQ(view->zoom(), 0.5f);
    wheel(120);
    EXPECT_FLOAT_EQ(view->zoom(), 1.0f);

    wheel(120);
    paint(90, 80);  // same size keeps the zoom
    EXPECT_FLOAT_EQ(view->zoom(), 2.0f);
}

TEST_F(DrawViewTest, ZoomAsksToKeepThePointUnderTheCursor)
{
    view->move(0, 0);
    paint(100, 80);
    ASSERT_GT(view->frameWidth(), 0);
    const QPointF scene = view->mapToScene(QPoint(10, 10));
    wheel(120);
    ASSERT_EQ(sliders.size(), 1u);
    // The cursor's place in the parent is the viewport point plus the frame.
    const double px = 10 + view->frameWidth();
    const double py = 10 + view->frameWidth();
    EXPECT_DOUBLE_EQ(sliders[0].x(), view->width() * (scene.x() / 100.0) - px);
    EXPECT_DOUBLE_EQ(sliders[0].y(), view->height() * (scene.y() / 80.0) - py);
}

TEST_F(DrawViewTest, DragWithoutMarkingScrollsByTheDelta)
{
    paint(100, 80);
    mouse(QEvent::MouseButtonPress, QPoint(20, 20));
    mouse(QEvent::MouseMove, QPoint(25, 17));
    mouse(QEvent::MouseMove, QPoint(27, 17));
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[0], QPointF(5, -3));
    EXPECT_EQ(moves[1], QPointF(2, 0));
    mouse(QEvent::MouseButtonRelease, QPoint(27, 17));
    EXPECT_TRUE(marks.empty());  // no marks while not marking
}

TEST_F(DrawViewTest, LineMarkIsSentOrderedByXAndAgainWithEveryFrame)
{
    paint(100, 80);
    view->SlotStartMark(true);
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_TRUE(isCleared(marks.back()));

    marks.clear();
    const QPoint from = at(40.5, 30.5), to = at(10.5, 20.5);
    drag(from, to);
    ASSERT_EQ(marks.size(), 1u);
    // The end point (smaller x) comes first.
    EXPECT_EQ(marks[0].first, view->mapToScene(to));
    EXPECT_EQ(marks[0].second, view->mapToScene(from));
    EXPECT_NEAR(marks[0].first.x(), 10.5, 1.0);
    EXPECT_NEAR(marks[0].second.y(), 30.5, 1.0);
    ASSERT_NE(view->lineItem(), nullptr);
    EXPECT_EQ(view->lineItem()->pen().color(), QColor(255, 140, 0));

    paint(100, 80);
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_EQ(marks[1], marks[0]);

    view->SlotMarkShape(2);
    EXPECT_TRUE(isCleared(marks.back()));
    EXPECT_EQ(view->lineItem()->line(), QLineF(0, 0, 0, 0));
}

TEST_F(DrawViewTest, DegenerateMarksAndClicksClearTheMark)
{
    paint(100, 80);
    view->SlotStartMark(true);
    marks.clear();
    drag(at(10.5, 10.5), at(11.5, 11.5));
    ASSERT_FALSE(marks.empty());
    EXPECT_TRUE(isCleared(marks.back()));
    EXPECT_EQ(view->markStart(), QPointF(-1, -1));

    marks.clear();
    drag(at(10.5, 10.5), at(12.5, 10.5));
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_FALSE(isCleared(marks.back()));

    marks.clear();
    mouse(QEvent::MouseButtonPress, at(30.5, 30.5));
    mouse(QEvent::MouseButtonRelease, at(30.5, 30.5));
    ASSERT_FALSE(marks.empty());
    EXPECT_TRUE(isCleared(marks.back()));
}

TEST_F(DrawViewTest, ReleaseOutsideTheImageClampsTheEnd)
{
    paint(100, 80);
    view->SlotStartMark(true);
    marks.clear();
    mouse(QEvent::MouseButtonPress, at(50.5, 40.5));
    mouse(QEvent::MouseMove, at(150.5, 140.5));
    mouse(QEvent::MouseButtonRelease, at(150.5, 140.5));
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(marks[0].second, QPointF(99, 79));
    EXPECT_EQ(view->cursor().shape(), Qt::ArrowCursor);

    marks.clear();
    drag(at(50.5, 40.5), at(-20.0, -30.0));
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_EQ(marks[0].first, QPointF(0, 0));
}

TEST_F(DrawViewTest, RectangleDrawnUpAndLeftKeepsItsNegativeGeometry)
{
    paint(100, 80);
    view->SlotStartMark(true);
    view->SlotMarkShape(2);
    marks.clear();
    drag(at(60.5, 50.5), at(20.5, 10.5));
    ASSERT_NE(view->rectItem(), nullptr);
    const QRectF rect = view->rectItem()->rect();
    EXPECT_LT(rect.width(), 0);
    EXPECT_LT(rect.height(), 0);
    EXPECT_NEAR(rect.width(), -40.0, 1.0);
    ASSERT_EQ(marks.size(), 1u);
    EXPECT_LT(marks[0].first.x(), marks[0].second.x());

    view->SlotStartMark(false);
    EXPECT_EQ(view->rectItem()->rect(), QRectF(0, 0, 0, 0));
    EXPECT_EQ(view->cursor().shape(), Qt::ArrowCursor);
    marks.clear();
    paint(100, 80);  // not marking: nothing is sent
    EXPECT_TRUE(marks.empty());
}

}  // namespace
