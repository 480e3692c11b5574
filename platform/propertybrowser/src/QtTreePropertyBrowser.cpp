#include "propertybrowser/QtTreePropertyBrowser.h"

#include "propertybrowser/QtProperty.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QTreeWidget>

QtTreePropertyBrowser::QtTreePropertyBrowser(QWidget *parent)
    : QtAbstractPropertyBrowser(parent), m_tree(new QTreeWidget(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_tree);
    m_tree->setColumnCount(2);
    m_tree->setHeaderLabels({tr("Property"), tr("Value")});
    m_tree->setAlternatingRowColors(true);
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->header()->setStretchLastSection(true);
    setResizeMode(Stretch);
    connect(m_tree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current) { currentChanged(current); });
}

QtTreePropertyBrowser::~QtTreePropertyBrowser()
{
    disconnect(m_tree, nullptr, this, nullptr);
    closeEditor();
    clear();
    // The tree goes while this browser is whole: its editors' ends reach the
    // bookkeeping of the base class.
    delete m_tree;
    m_tree = nullptr;
}

void QtTreePropertyBrowser::setResizeMode(ResizeMode mode)
{
    m_resizeMode = mode;
    QHeaderView::ResizeMode headerMode = QHeaderView::Stretch;
    switch (mode) {
    case Interactive: headerMode = QHeaderView::Interactive; break;
    case Fixed: headerMode = QHeaderView::Fixed; break;
    case ResizeToContents: headerMode = QHeaderView::ResizeToContents; break;
    case Stretch: break;
    }
    m_tree->header()->setSectionResizeMode(headerMode);
}

void QtTreePropertyBrowser::setSplitterPosition(int position)
{
    m_tree->header()->resizeSection(0, position);
}

int QtTreePropertyBrowser::splitterPosition() const
{
    return m_tree->header()->sectionSize(0);
}

void QtTreePropertyBrowser::setExpanded(QtBrowserItem *item, bool expanded)
{
    if (QTreeWidgetItem *row = m_rows.value(item))
        row->setExpanded(expanded);
}

bool QtTreePropertyBrowser::isExpanded(QtBrowserItem *item) const
{
    QTreeWidgetItem *row = m_rows.value(item);
    return row && row->isExpanded();
}

void QtTreePropertyBrowser::setItemVisible(QtBrowserItem *item, bool visible)
{
    if (QTreeWidgetItem *row = m_rows.value(item))
        row->setHidden(!visible);
}

bool QtTreePropertyBrowser::isItemVisible(QtBrowserItem *item) const
{
    QTreeWidgetItem *row = m_rows.value(item);
    return row && !row->isHidden();
}

void QtTreePropertyBrowser::itemInserted(QtBrowserItem *item, QtBrowserItem *afterItem)
{
    QTreeWidgetItem *parentRow = m_rows.value(item->parent());
    QTreeWidgetItem *afterRow = m_rows.value(afterItem);
    auto *row = parentRow ? new QTreeWidgetItem(parentRow, afterRow)
                          : new QTreeWidgetItem(m_tree, afterRow);
    m_rows.insert(item, row);
    m_itemOfRow.insert(row, item);
    row->setExpanded(true);
    itemChanged(item);
}

void QtTreePropertyBrowser::itemRemoved(QtBrowserItem *item)
{
    QTreeWidgetItem *row = m_rows.take(item);
    // Leaving no current row keeps the tree from moving the editor to a
    // neighbour that may go next.
    if (row == m_tree->currentItem())
        m_tree->setCurrentItem(nullptr);
    if (row == m_editorRow)
        closeEditor();
    m_itemOfRow.remove(row);
    delete row;
}

void QtTreePropertyBrowser::itemChanged(QtBrowserItem *item)
{
    QTreeWidgetItem *row = m_rows.value(item);
    if (!row)
        return;
    QtProperty *property = item->property();
    row->setText(0, property->propertyName());
    row->setText(1, property->valueText());
    row->setToolTip(0, property->toolTip());
    row->setToolTip(1, property->toolTip());
    if (row->isDisabled() == property->isEnabled())
        row->setDisabled(!property->isEnabled());
    if (row == m_tree->currentItem() && (m_editorRow == row) != property->isEnabled()) {
        closeEditor();
        openEditor(row);
    }
}

void QtTreePropertyBrowser::currentChanged(QTreeWidgetItem *current)
{
    if (current == m_editorRow)
        return;
    closeEditor();
    openEditor(current);
}

void QtTreePropertyBrowser::openEditor(QTreeWidgetItem *row)
{
    QtBrowserItem *item = m_itemOfRow.value(row);
    if (!item || !item->property()->isEnabled())
        return;
    QWidget *editor = createEditor(item->property(), m_tree->viewport());
    if (!editor)
        return;
    editor->setAutoFillBackground(true);
    m_tree->setItemWidget(row, 1, editor);
    m_editorRow = row;
}

void QtTreePropertyBrowser::closeEditor()
{
    if (!m_editorRow)
        return;
    QTreeWidgetItem *row = m_editorRow;
    m_editorRow = nullptr;
    // Deleted later: the editor may be the sender of the signal that led here.
    m_tree->removeItemWidget(row, 1);
}
