#include "LineProfileUI.h"

#include "HistogramDrawUI.h"
#include "ZTCamFunc.h"
#include "ui_lineprofileui.h"

#include <QCloseEvent>
#include <algorithm>
#include <climits>
#include <cmath>
#include <qcustomplot.h>

namespace {

bool nearMinusOne(double v)
{
    return std::fabs(v + 1.0) < 1e-12;
}

int saturatingAdd(int a, int b)
{
    const long long s = static_cast<long long>(a) + b;
    if (s > INT_MAX)
        return INT_MAX;
    if (s < INT_MIN)
        return INT_MIN;
    return static_cast<int>(s);
}

const QPen kSelectedAxisPen(QBrush(Qt::black), 1, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin);

// Every interaction but range dragging and range zooming.
QCP::Interactions selectionInteractions()
{
    return QCP::Interactions(QFlag(static_cast<int>(~0x3u)));
}

}  // namespace

LineProfileUI::LineProfileUI(OpenedCamera camera, QWidget* parent)
    : QDialog(parent)
    , ui(new Ui::LineProfileUI)
    , m_openedCam(camera)
{
    ui->setupUi(this);
    m_pHistogram = new HistogramDrawUI(this);
    ui->horizontalLayoutHistogram->addWidget(m_pHistogram);

    ui->radioButtonLine->setEnabled(false);
    ui->radioButtonRectangle->setEnabled(false);
    ui->widgetMainUI->hide();

    QCustomPlot* p = ui->widgetCustomPot;
    p->xAxis->setLabel("位置");
    p->yAxis->setLabel("灰度值");
    for (QCPAxis* axis : {p->xAxis, p->yAxis}) {
        axis->setSelectedBasePen(kSelectedAxisPen);
        axis->setSelectedTickPen(kSelectedAxisPen);
        axis->setSelectedSubTickPen(kSelectedAxisPen);
    }
    p->setInteractions(selectionInteractions());
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
}

LineProfileUI::~LineProfileUI()
{
    delete ui;
}

QCustomPlot* LineProfileUI::plot() const
{
    return ui->widgetCustomPot;
}

bool LineProfileUI::isMarkingChecked() const
{
    return ui->checkBoxStart->isChecked();
}

int LineProfileUI::grayValueAt(int x, int y)
{
    return ZTCamFunc::instance()->GetGrayValue(m_openedCam.handle, x, y);
}

void LineProfileUI::SlotUpdatePixelFormat(QString pixelFormat)
{
    const int depth = ZTCamFunc::PixelBitDepth(pixelFormat);
    m_nMaxGray = 1 << (depth > 0 ? depth : 8);
}

void LineProfileUI::SlotGetMarkPos(QPointF posStart, QPointF posEnd)
{
    if (nearMinusOne(posStart.x()) && nearMinusOne(posStart.y()) && nearMinusOne(posEnd.x()) &&
        nearMinusOne(posEnd.y())) {
        if (ui->widgetCustomPot->graphCount() > 0) {
            ui->widgetCustomPot->clearGraphs();
            ui->widgetCustomPot->replot(QCustomPlot::rpQueuedReplot);
        }
        return;
    }
    if (!ui->checkBoxStart->isChecked())
        return;

    const int x0 = static_cast<int>(posStart.x());
    const int y0 = static_cast<int>(posStart.y());
    const int x1 = static_cast<int>(posEnd.x());
    const int y1 = static_cast<int>(posEnd.y());
    const QPoint start(x0, y0);
    const QPoint end(x1, y1);
    // Resample when the mark moved or when the shape changed since the last
    // sampling (the point lists of the other shape are empty then).
    if (start != m_markStart || end != m_markEnd || m_nSampledShape != m_nShape) {
        m_linePoints.clear();
        m_rectColumns.clear();
        m_sampleKeys.clear();
        m_markStart = start;
        m_markEnd = end;
        m_nSampledShape = m_nShape;
        if (m_nShape == 1) {
            if (x0 == x1) {
                for (int y = std::min(y0, y1); y < std::max(y0, y1); ++y)
                    m_linePoints.append(QPoint(x0, y));
            } else if (y0 == y1) {
                for (int x = std::min(x0, x1); x < std::max(x0, x1); ++x)
                    m_linePoints.append(QPoint(x, y0));
            } else {
                m_linePoints.append(start);
                sampleLine(posStart, posEnd);
                m_linePoints.append(end);
            }
        } else if (m_nShape == 2) {
            for (int x = std::min(x0, x1); x <= std::max(x0, x1); ++x) {
                QList<QPoint> column;
                for (int y = std::min(y0, y1); y <= std::max(y0, y1); ++y)
                    column.append(QPoint(x, y));
                m_rectColumns.append(column);
            }
        }
    }
    plotProfile();
}

void LineProfileUI::sampleLine(const QPointF& start, const QPointF& end)
{
    const double dx = end.x() - start.x();
    const double dy = end.y() - start.y();
    const int n = static_cast<int>(std::floor(std::sqrt(dx * dx + dy * dy)));
    if (n < 3)
        return;
    // A line of floor length 3 has the start point as its only sample.
    const float stepX = n > 3 ? static_cast<float>(dx / (n - 3)) : 0.0f;
    const float stepY = n > 3 ? static_cast<float>(dy / (n - 3)) : 0.0f;
    for (int i = 0; i <= n - 3; ++i) {
        const float x = static_cast<float>(start.x()) + static_cast<float>(i) * stepX;
        const float y = static_cast<float>(start.y()) + static_cast<float>(i) * stepY;
        const QString key = QString("%1:%2").arg(static_cast<double>(x), 0, 'g', 6).arg(static_cast<int>(y));
        if (m_sampleKeys.contains(key))
            continue;
        m_sampleKeys.append(key);
        m_linePoints.append(QPoint(static_cast<int>(x), static_cast<int>(y)));
    }
}

void LineProfileUI::plotProfile()
{
    QCustomPlot* p = ui->widgetCustomPot;
    p->clearGraphs();
    QCPGraph* graph = p->addGraph();
    int minValue = m_nMaxGray;
    int maxValue = 0;
    int plotted = 0;
    if (m_nShape == 1) {
        for (int k = 0; k < m_linePoints.size(); ++k) {
            const QPoint& pt = m_linePoints.at(k);
            const int v = grayValueAt(pt.x(), pt.y());
            graph->addData(k, v);
            minValue = std::min(minValue, v);
            maxValue = std::max(maxValue, v);
        }
        plotted = m_linePoints.size();
    } else if (m_nShape == 2) {
        for (int c = 0; c < m_rectColumns.size(); ++c) {
            const QList<QPoint>& column = m_rectColumns.at(c);
            double sum = 0.0;
            for (const QPoint& pt : column)
                sum += grayValueAt(pt.x(), pt.y());
            const double v = column.isEmpty() ? 0.0 : sum / column.size();
            graph->addData(c, v);
            minValue = std::min(minValue, static_cast<int>(v));
            maxValue = std::max(maxValue, static_cast<int>(v));
        }
        plotted = m_rectColumns.size();
    }
    const int lower = std::max(saturatingAdd(minValue, -5), -1);
    const int upper = std::min(saturatingAdd(maxValue, 5), m_nMaxGray);
    p->xAxis->setRange(0, plotted);
    p->yAxis->setRange(lower, upper);
    p->replot(QCustomPlot::rpQueuedReplot);
}

void LineProfileUI::resetPlot()
{
    QCustomPlot* p = ui->widgetCustomPot;
    if (p->graphCount() > 0)
        p->graph(0)->setVisible(false);
    p->xAxis->setRange(0, 100);
    p->yAxis->setRange(0, 255);
    p->replot(QCustomPlot::rpQueuedReplot);
}

void LineProfileUI::applyMarking(bool on)
{
    ui->radioButtonLine->setEnabled(on);
    ui->radioButtonRectangle->setEnabled(on);
    if (!on)
        resetPlot();
    emit SignalStartMark(on);
    emit SignalMarkShape(m_nShape);
}

void LineProfileUI::setMarking(bool on)
{
    ui->checkBoxStart->setChecked(on);
    applyMarking(on);
}

void LineProfileUI::on_checkBoxStart_clicked(bool checked)
{
    applyMarking(checked);
}

void LineProfileUI::on_radioButtonLine_clicked()
{
    m_nShape = 1;
    emit SignalMarkShape(1);
    resetPlot();
}

void LineProfileUI::on_radioButtonRectangle_clicked()
{
    m_nShape = 2;
    emit SignalMarkShape(2);
    resetPlot();
}

void LineProfileUI::closeEvent(QCloseEvent* event)
{
    ui->checkBoxStart->setChecked(false);
    ui->radioButtonLine->setEnabled(false);
    ui->radioButtonRectangle->setEnabled(false);
    resetPlot();
    emit SignalStartMark(false);
    emit SignalMarkShape(m_nShape);
    emit SignalCloseDialog();
    event->accept();
}

void LineProfileUI::reject()
{
    close();
}

void LineProfileUI::SlotAcquisitionStart(bool isStart)
{
    if (isStart)
        ui->widgetCustomPot->setInteractions(selectionInteractions());
    else
        ui->widgetCustomPot->setInteractions(QCP::Interactions(QFlag(0x3)));
}
