#pragma once

#include <QDialog>
#include <QList>
#include <QPoint>
#include <QPointF>
#include <QString>
#include <QStringList>

#include <ZTCam.h>

class HistogramDrawUI;
class QCloseEvent;
class QCustomPlot;

namespace Ui {
class LineProfileUI;
}

// The line-profile dialog of one camera view: plots the gray values of the
// camera's current image along a marked line, or the column means of a marked
// rectangle.
class LineProfileUI : public QDialog
{
    Q_OBJECT

public:
    LineProfileUI(OpenedCamera camera, QWidget* parent);
    ~LineProfileUI() override;

    // Marking on or off, as the check box would do it.
    void setMarking(bool on);
    // Esc ends the dialog the way closing it does (closeEvent), so that
    // marking ends and the camera view hears of it.
    void reject() override;

    int maxGray() const { return m_nMaxGray; }
    int shape() const { return m_nShape; }
    const QList<QPoint>& linePoints() const { return m_linePoints; }
    const QList<QList<QPoint>>& rectColumns() const { return m_rectColumns; }
    QCustomPlot* plot() const;
    bool isMarkingChecked() const;

signals:
    void SignalStartMark(bool yes);
    void SignalMarkShape(int shapeType);
    void SignalCloseDialog();

public slots:
    void SlotGetMarkPos(QPointF posStart, QPointF posEnd);
    void SlotUpdatePixelFormat(QString pixelFormat);
    void SlotAcquisitionStart(bool isStart);

private slots:
    void on_checkBoxStart_clicked(bool checked);
    void on_radioButtonLine_clicked();
    void on_radioButtonRectangle_clicked();

protected:
    void closeEvent(QCloseEvent* event) override;
    // The gray value of the camera's current image at (x, y).
    virtual int grayValueAt(int x, int y);

private:
    void applyMarking(bool on);
    void resetPlot();
    void sampleLine(const QPointF& start, const QPointF& end);
    void plotProfile();

    Ui::LineProfileUI* ui;
    HistogramDrawUI* m_pHistogram = nullptr;
    OpenedCamera m_openedCam;
    int m_nMaxGray = 255;
    int m_nShape = 1;
    QPoint m_markStart{0, 0};
    QPoint m_markEnd{0, 0};
    int m_nSampledShape = 0;
    QList<QPoint> m_linePoints;
    QList<QList<QPoint>> m_rectColumns;
    QStringList m_sampleKeys;
};
