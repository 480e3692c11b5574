#include "HistogramDrawUI.h"

#include "ui_histogramdrawui.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <cmath>
#include <vector>

namespace {

// Tick positions for a range a..b with about three divisions: the step is the
// leading digit of (b - a + 1) / 3 (at least 1) times its power of ten.
struct Ticks {
    double step = 1.0;
    std::vector<double> major;
    std::vector<double> minor;
};

Ticks computeTicks(double a, double b)
{
    Ticks t;
    double span = (b - a + 1.0) / 3.0;
    if (span < 1.0)
        span = 1.0;
    const double power = std::pow(10.0, std::floor(std::log10(span)));
    double lead = std::floor(span / power);
    if (lead < 1.0)
        lead = 1.0;
    t.step = lead * power;
    const double first = (std::floor(a / t.step) + 1.0) * t.step;
    for (double v = first; v < b && t.major.size() < 1000; v += t.step)
        t.major.push_back(v);
    const double minorStep = t.step / 5.0;
    // Up to four minor ticks before the first major tick.
    for (int k = 4; k >= 1; --k) {
        const double v = first - k * minorStep;
        if (v > a)
            t.minor.push_back(v);
    }
    for (double m : t.major)
        for (int k = 1; k <= 4; ++k) {
            const double v = m + k * minorStep;
            if (v < b)
                t.minor.push_back(v);
        }
    return t;
}

}  // namespace

HistogramDrawUI::HistogramDrawUI(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::HistogramDrawUI)
{
    ui->setupUi(this);
    setFixedHeight(200);
    m_nBottom = height() - 20;
}

HistogramDrawUI::~HistogramDrawUI()
{
    delete ui;
}

void HistogramDrawUI::setValues(const double* values, int count, double minValue, double maxValue)
{
    m_pValues = values;
    m_nCount = values ? count : 0;
    m_dMinValue = minValue;
    m_dMaxValue = maxValue;
    update();
}

void HistogramDrawUI::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event);
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const bool hasValues = m_pValues && m_nCount > 0;
    if (hasValues)
        m_nLeft = metrics.horizontalAdvance(QString::number(static_cast<long long>(m_dMaxValue))) + 5;
    m_nRight = width() - 3;
    m_nPlotWidth = m_nRight - m_nLeft + 1;
    m_nBottom = height() - 20;
    painter.setPen(Qt::black);
    painter.drawRect(QRect(QPoint(m_nLeft - 1, m_nTop - 1), QPoint(m_nLeft + m_nPlotWidth, m_nTop + m_nPlotHeight)));
    if (!hasValues || m_nPlotWidth <= 0)
        return;

    const QColor gridColour(250, 250, 250, 200);
    // Index axis over 0 .. count - 1.
    const double lastIndex = m_nCount > 1 ? m_nCount - 1 : 1;
    auto indexToX = [&](double k) { return m_nLeft + static_cast<int>(k * (m_nRight - m_nLeft) / lastIndex); };
    const Ticks xt = computeTicks(0.0, lastIndex);
    for (double k : xt.major) {
        const int x = indexToX(k);
        painter.setPen(gridColour);
        painter.drawLine(x, m_nTop, x, m_nBottom);
        painter.setPen(Qt::black);
        painter.drawLine(x, m_nBottom, x, m_nBottom - 5);
        painter.drawLine(x, m_nTop, x, m_nTop + 5);
        const QString label = QString::number(static_cast<long long>(k));
        int lx = x - metrics.horizontalAdvance(label) / 2;
        if (lx + metrics.horizontalAdvance(label) > width())
            lx = width() - metrics.horizontalAdvance(label);
        painter.drawText(lx, height() - metrics.descent(), label);
    }
    for (double k : xt.minor) {
        const int x = indexToX(k);
        painter.drawLine(x, m_nBottom, x, m_nBottom - 2);
        painter.drawLine(x, m_nTop, x, m_nTop + 2);
    }
    painter.drawText(m_nLeft, height() - metrics.descent(), "0");

    // Value axis over the value range, larger values higher.
    const double span = m_dMaxValue > m_dMinValue ? m_dMaxValue - m_dMinValue : 1.0;
    auto valueToY = [&](double v) { return m_nBottom - static_cast<int>((v - m_dMinValue) * m_nPlotHeight / span); };
    const Ticks yt = computeTicks(m_dMinValue, m_dMaxValue);
    for (double v : yt.major) {
        const int y = valueToY(v);
        painter.setPen(gridColour);
        painter.drawLine(m_nLeft, y, m_nRight, y);
        painter.setPen(Qt::black);
        painter.drawLine(m_nLeft, y, m_nLeft + 5, y);
        painter.drawLine(m_nRight, y, m_nRight - 5, y);
        const QString label = QString::number(static_cast<long long>(v));
        painter.drawText(m_nLeft - 5 - metrics.horizontalAdvance(label), y + metrics.ascent() / 2, label);
    }
    for (double v : yt.minor) {
        const int y = valueToY(v);
        painter.drawLine(m_nLeft, y, m_nLeft + 2, y);
        painter.drawLine(m_nRight, y, m_nRight - 2, y);
    }

    // The curve: each value is a height in pixels above the plot bottom.
    painter.setPen(QColor(40, 128, 140));
    QPolygon line;
    if (m_nCount > m_nPlotWidth) {
        for (int x = m_nLeft; x <= m_nRight; ++x) {
            const long long k = static_cast<long long>(m_nCount) * (x - m_nLeft) / m_nPlotWidth;
            if (k >= m_nCount)
                break;
            line << QPoint(x, m_nTop + m_nPlotHeight - static_cast<int>(m_pValues[k]));
        }
    } else {
        for (int k = 0; k < m_nCount; ++k) {
            const int x = m_nCount > 1 ? m_nLeft + k * m_nPlotWidth / (m_nCount - 1) : m_nLeft;
            line << QPoint(x, m_nTop + m_nPlotHeight - static_cast<int>(m_pValues[k]));
        }
    }
    painter.drawPolyline(line);
}
