#include "ColumnScrollArea.h"

#include <QEvent>
#include <QScrollBar>

ColumnScrollArea::ColumnScrollArea(QWidget* parent)
    : QScrollArea(parent)
{
}

QSize ColumnScrollArea::sizeHint() const
{
    QSize size = QScrollArea::sizeHint();
    const QWidget* contents = widget();
    if (!contents || !widgetResizable())
        return size;
    int width = contents->sizeHint().width() + 2 * frameWidth();
    if (verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff)
        width += verticalScrollBar()->sizeHint().width();
    size.setWidth(width);
    return size;
}

bool ColumnScrollArea::eventFilter(QObject* watched, QEvent* event)
{
    // QScrollArea watches its contents; their layout asks for a new size.
    if (watched == widget() && event->type() == QEvent::LayoutRequest)
        updateGeometry();
    return QScrollArea::eventFilter(watched, event);
}
