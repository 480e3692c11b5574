// Line and rectangle profiles of the line-profile dialog against a known
// gray-value pattern.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QRadioButton>
#include <cmath>
#include <qcustomplot.h>

#include "LineProfileUI.h"
#include "../TestSupport.h"

namespace {

// Gray value x + 2y, or a constant when set.
class PatternProfile : public LineProfileUI {
public:
    PatternProfile()
        : LineProfileUI(OpenedCamera{}, nullptr)
    {
    }
    int constant = -1;
    int reads = 0;

protected:
    int grayValueAt(int x, int y) override
    {
        ++reads;
        return constant >= 0 ? constant : x + 2 * y;
    }
};

class LineProfileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        testApp();
        dialog = new PatternProfile;
        dialog->setMarking(true);
    }
    void TearDown() override { delete dialog; }

    QCPGraph* graph() const { return dialog->plot()->graphCount() > 0 ? dialog->plot()->graph(0) : nullptr; }
    std::vector<double> values() const
    {
        std::vector<double> out;
        if (QCPGraph* g = graph())
            for (auto it = g->data()->constBegin(); it != g->data()->constEnd(); ++it)
                out.push_back(it->value);
        return out;
    }
    QCPRange xRange() const { return dialog->plot()->xAxis->range(); }
    QCPRange yRange() const { return dialog->plot()->yAxis->range(); }
    void clickShape(const char* name) { dialog->findChild<QRadioButton*>(name)->click(); }

    PatternProfile* dialog = nullptr;
};

TEST_F(LineProfileTest, HorizontalAndVerticalLinesSampleUpToTheEnd)
{
    dialog->SlotGetMarkPos(QPointF(20.7, 5.2), QPointF(10.1, 5.9));
    ASSERT_EQ(dialog->linePoints().size(), 10);
    EXPECT_EQ(dialog->linePoints().first(), QPoint(10, 5));
    EXPECT_EQ(dialog->linePoints().last(), QPoint(19, 5));
    const std::vector<double> v = values();
    ASSERT_EQ(v.size(), 10u);
    EXPECT_DOUBLE_EQ(v[0], 20.0);
    EXPECT_DOUBLE_EQ(v[9], 29.0);
    EXPECT_DOUBLE_EQ(xRange().lower, 0.0);
    EXPECT_DOUBLE_EQ(xRange().upper, 10.0);
    EXPECT_DOUBLE_EQ(yRange().lower, 15.0);
    EXPECT_DOUBLE_EQ(yRange().upper, 34.0);

    dialog->SlotGetMarkPos(QPointF(3, 20), QPointF(3, 10));
    ASSERT_EQ(dialog->linePoints().size(), 10);
    EXPECT_EQ(dialog->linePoints().first(), QPoint(3, 10));
    EXPECT_EQ(dialog->linePoints().last(), QPoint(3, 19));
}

TEST_F(LineProfileTest, RectanglePlotsColumnMeans)
{
    clickShape("radioButtonRectangle");
    EXPECT_EQ(dialog->shape(), 2);
    dialog->SlotGetMarkPos(QPointF(10, 10), QPointF(12, 13));
    ASSERT_EQ(dialog->rectColumns().size(), 3);
    EXPECT_EQ(dialog->rectColumns().at(0).size(), 4);
    const std::vector<double> v = values();
    ASSERT_EQ(v.size(), 3u);
    // Column x: mean of x + 2y over y = 10..13.
    EXPECT_DOUBLE_EQ(v[0], 33.0);
    EXPECT_DOUBLE_EQ(v[1], 34.0);
    EXPECT_DOUBLE_EQ(v[2], 35.0);
    EXPECT_DOUBLE_EQ(xRange().upper, 3.0);
}

TEST_F(LineProfileTest, ShortObliqueLinesGiveTheirEndPoints)
{
    // Floor length 2: only the two end points.
    dialog->SlotGetMarkPos(QPointF(10, 10), QPointF(11.5, 11.5));
    ASSERT_EQ(dialog->linePoints().size(), 2);
    EXPECT_EQ(dialog->linePoints().at(0), QPoint(10, 10));
    EXPECT_EQ(dialog->linePoints().at(1), QPoint(11, 11));

    // Floor length 3: the start point twice, then the end point; no step is
    // divided by zero.
    dialog->SlotGetMarkPos(QPointF(0, 0), QPointF(2.4, 1.8));
    ASSERT_EQ(dialog->linePoints().size(), 3);
    EXPECT_EQ(dialog->linePoints().at(0), QPoint(0, 0));
    EXPECT_EQ(dialog->linePoints().at(1), QPoint(0, 0));
    EXPECT_EQ(dialog->linePoints().at(2), QPoint(2, 1));
}

TEST_F(LineProfileTest, LongObliqueLineStartsAndEndsTwiceAndResamplesWhenMarkedAgain)
{
    const QPointF a(0, 0), b(30, 40);  // length 50
    dialog->SlotGetMarkPos(a, b);
    const QList<QPoint> first = dialog->linePoints();
    ASSERT_GT(first.size(), 20);
    EXPECT_EQ(first.at(0), QPoint(0, 0));
    EXPECT_EQ(first.at(1), QPoint(0, 0));
    EXPECT_EQ(first.at(first.size() - 2), QPoint(30, 40));
    EXPECT_EQ(first.last(), QPoint(30, 40));

    dialog->SlotGetMarkPos(QPointF(5, 5), QPointF(25, 45));
    dialog->SlotGetMarkPos(a, b);
    EXPECT_EQ(dialog->linePoints(), first);
}

TEST_F(LineProfileTest, ValueAxisFollowsTheBitDepth)
{
    dialog->constant = 0;
    dialog->SlotGetMarkPos(QPointF(0, 0), QPointF(10, 0));
    EXPECT_DOUBLE_EQ(yRange().lower, -1.0);
    EXPECT_DOUBLE_EQ(yRange().upper, 5.0);

    dialog->constant = 255;
    dialog->SlotGetMarkPos(QPointF(0, 0), QPointF(10, 0));
    EXPECT_DOUBLE_EQ(yRange().upper, 255.0);  // no pixel format yet
    dialog->SlotUpdatePixelFormat("Mono 8");
    EXPECT_EQ(dialog->maxGray(), 256);
    dialog->SlotGetMarkPos(QPointF(0, 0), QPointF(10, 0));
    EXPECT_DOUBLE_EQ(yRange().lower, 250.0);
    EXPECT_DOUBLE_EQ(yRange().upper, 256.0);

    dialog->SlotUpdatePixelFormat("Mono 12");
    EXPECT_EQ(dialog->maxGray(), 4096);
    dialog->SlotUpdatePixelFormat("Mono10");
    EXPECT_EQ(dialog->maxGray(), 1024);
    dialog->SlotUpdatePixelFormat("Mono 16");
    EXPECT_EQ(dialog->maxGray(), 65536);
    dialog->SlotUpdatePixelFormat("Mono12p");
    EXPECT_EQ(dialog->maxGray(), 256);
    dialog->SlotUpdatePixelFormat("mono 12");
    EXPECT_EQ(dialog->maxGray(), 256);
}

TEST_F(LineProfileTest, ClearedOrIgnoredMarksAndShapeChanges)
{
    dialog->SlotGetMarkPos(QPointF(0, 0), QPointF(10, 0));
    ASSERT_EQ(dialog->plot()->graphCount(), 1);
    dialog->SlotGetMarkPos(QPointF(-1, -1), QPointF(-1, -1));
    EXPECT_EQ(dialog->plot()->graphCount(), 0);

    // Switching the shape resets the axes; the same mark then is sampled as
    // the new shape.
    clickShape("radioButtonRectangle");
    EXPECT_DOUBLE_EQ(xRange().upper, 100.0);
    EXPECT_DOUBLE_EQ(yRange().upper, 255.0);
    dialog->SlotGetMarkPos(QPointF(0, 0), QPointF(10, 0));
    EXPECT_EQ(dialog->rectColumns().size(), 11);
    EXPECT_EQ(values().size(), 11u);
    clickShape("radioButtonLine");
    dialog->SlotGetMarkPos(QPointF(0, 0), QPointF(10, 0));
    EXPECT_EQ(values().size(), 10u);

    // Marking off: marks are ignored and the radio buttons are disabled.
    dialog->setMarking(false);
    EXPECT_FALSE(dialog->findChild<QRadioButton*>("radioButtonLine")->isEnabled());
    EXPECT_FALSE(dialog->isMarkingChecked());
    dialog->plot()->clearGraphs();
    const int reads = dialog->reads;
    dialog->SlotGetMarkPos(QPointF(0, 0), QPointF(20, 0));
    EXPECT_EQ(dialog->plot()->graphCount(), 0);
    EXPECT_EQ(dialog->reads, reads);
}

TEST_F(LineProfileTest, MarkingEmitsStartAndShape)
{
    std::vector<int> shapes;
    std::vector<bool> starts;
    QObject::connect(dialog, &LineProfileUI::SignalMarkShape, [&](int s) { shapes.push_back(s); });
    QObject::connect(dialog, &LineProfileUI::SignalStartMark, [&](bool on) { starts.push_back(on); });
    bool closed = false;
    QObject::connect(dialog, &LineProfileUI::SignalCloseDialog, [&] { closed = true; });
    clickShape("radioButtonRectangle");
    dialog->close();
    EXPECT_TRUE(closed);
    ASSERT_EQ(starts.size(), 1u);
    EXPECT_FALSE(starts[0]);
    ASSERT_EQ(shapes.size(), 2u);
    EXPECT_EQ(shapes[0], 2);
    EXPECT_EQ(shapes[1], 2);
    EXPECT_EQ(dialog->shape(), 2);  // the shape survives closing
}

}  // namespace
