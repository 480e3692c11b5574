#pragma once

#include <QWidget>

namespace Ui {
class HistogramDrawUI;
}

// A small curve plot with value and index axes, drawn with QPainter.
class HistogramDrawUI : public QWidget
{
    Q_OBJECT

public:
    explicit HistogramDrawUI(QWidget* parent = nullptr);
    ~HistogramDrawUI() override;

    // The values are not copied: they must stay valid while shown.
    void setValues(const double* values, int count, double minValue, double maxValue);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Ui::HistogramDrawUI* ui;
    const double* m_pValues = nullptr;
    int m_nCount = 0;
    double m_dMinValue = 0.0;
    double m_dMaxValue = 0.0;
    int m_nLeft = 30;
    int m_nRight = 0;
    int m_nTop = 1;
    int m_nBottom = 0;
    int m_nPlotWidth = 0;
    int m_nPlotHeight = 180;
};
