#include "TextFit.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLayout>
#include <QWidget>

#include <algorithm>

namespace {

// Whether a layout of the parent places the widget.
bool managedByLayout(const QWidget* widget)
{
    const QWidget* parent = widget->parentWidget();
    return parent && parent->layout() && parent->layout()->indexOf(const_cast<QWidget*>(widget)) >= 0;
}

bool sameRows(const QRect& a, const QRect& b) { return a.top() <= b.bottom() && b.top() <= a.bottom(); }
bool sameColumns(const QRect& a, const QRect& b) { return a.left() <= b.right() && b.left() <= a.right(); }

// The free room around `rect` among the siblings of `widget`, within
// the parent: how far its right, left and bottom edges may move.
struct Room {
    int right, left, below;
};

Room freeRoom(const QWidget* widget, const QRect& rect)
{
    const QWidget* parent = widget->parentWidget();
    const QRect area = parent->contentsRect();
    Room room{area.right() - rect.right(), rect.left() - area.left(), area.bottom() - rect.bottom()};
    for (const QObject* object : parent->children()) {
        const auto* sibling = qobject_cast<const QWidget*>(object);
        // Hidden siblings count too: they may be shown later.
        if (!sibling || sibling == widget || sibling->isWindow())
            continue;
        const QRect other = sibling->geometry();
        if (sameRows(rect, other)) {
            if (other.left() > rect.right())
                room.right = std::min(room.right, other.left() - rect.right() - 1);
            else if (other.right() < rect.left())
                room.left = std::min(room.left, rect.left() - other.right() - 1);
        }
        if (sameColumns(rect, other) && other.top() > rect.bottom())
            room.below = std::min(room.below, other.top() - rect.bottom() - 1);
    }
    room.right = std::max(room.right, 0);
    room.left = std::max(room.left, 0);
    room.below = std::max(room.below, 0);
    return room;
}

}  // namespace

bool TextFit::fit(QWidget* widget)
{
    if (!widget || !widget->parentWidget() || managedByLayout(widget))
        return true;
    QRect rect = widget->geometry();
    const int wanted = std::min(widget->sizeHint().width(), widget->maximumWidth());
    if (wanted <= rect.width())
        return true;
    const Room room = freeRoom(widget, rect);
    const int grow = wanted - rect.width();
    const int right = std::min(grow, room.right);
    const int left = std::min(grow - right, room.left);
    rect.setRight(rect.right() + right);
    rect.setLeft(rect.left() - left);
    widget->setGeometry(rect);
    if (rect.width() >= wanted)
        return true;
    // A label may take more lines where there is room below it.
    auto* label = qobject_cast<QLabel*>(widget);
    if (!label)
        return false;
    label->setWordWrap(true);
    const int height = label->heightForWidth(rect.width());
    if (height > rect.height())
        rect.setBottom(rect.bottom() + std::min(height - rect.height(), room.below));
    label->setGeometry(rect);
    return label->heightForWidth(rect.width()) <= rect.height();
}

void TextFit::fitChildren(QWidget* root)
{
    if (!root)
        return;
    for (QWidget* widget : root->findChildren<QWidget*>()) {
        if (qobject_cast<QLabel*>(widget) || qobject_cast<QAbstractButton*>(widget))
            fit(widget);
    }
}

void TextFit::remeasure(QWidget* root)
{
    if (!root)
        return;
    // Descendants come after their ancestors: backwards, inner layouts are
    // measured before the layouts that hold their widgets.
    const QList<QWidget*> widgets = root->findChildren<QWidget*>();
    for (auto it = widgets.crbegin(); it != widgets.crend(); ++it) {
        if (QLayout* layout = (*it)->layout()) {
            layout->invalidate();
            layout->activate();
        }
    }
    if (QLayout* layout = root->layout()) {
        layout->invalidate();
        layout->activate();
    }
}
