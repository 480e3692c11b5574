#pragma once
// A scroll area that holds a column of rows at their full width. QScrollArea
// reads its contents' size hint only once and leaves the vertical scroll bar
// out of its own: a column sized from it squeezes its rows when their texts
// need more room in the fonts at hand, or when the bar shows. This one is as
// wide as its contents want now, plus the bar, and measures again whenever
// their layout does.

#include <QScrollArea>

class ColumnScrollArea : public QScrollArea {
    Q_OBJECT
public:
    explicit ColumnScrollArea(QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
