#pragma once

#include "propertybrowser/QtAbstractPropertyBrowser.h"

#include <QHash>
#include <QPointer>

class QTreeWidget;
class QTreeWidgetItem;

// The browser as a two-column tree (name, value). Only the current row has
// an editor, and only while its property is enabled.
class QtTreePropertyBrowser : public QtAbstractPropertyBrowser
{
    Q_OBJECT
public:
    enum ResizeMode { Interactive, Stretch, Fixed, ResizeToContents };
    Q_ENUM(ResizeMode)

    explicit QtTreePropertyBrowser(QWidget *parent = nullptr);
    ~QtTreePropertyBrowser() override;

    void setResizeMode(ResizeMode mode);
    ResizeMode resizeMode() const { return m_resizeMode; }
    void setSplitterPosition(int position);
    int splitterPosition() const;
    void setExpanded(QtBrowserItem *item, bool expanded);
    bool isExpanded(QtBrowserItem *item) const;
    void setItemVisible(QtBrowserItem *item, bool visible);
    bool isItemVisible(QtBrowserItem *item) const;

protected:
    void itemInserted(QtBrowserItem *item, QtBrowserItem *afterItem) override;
    void itemRemoved(QtBrowserItem *item) override;
    void itemChanged(QtBrowserItem *item) override;

private:
    void currentChanged(QTreeWidgetItem *current);
    void openEditor(QTreeWidgetItem *row);
    void closeEditor();

    QTreeWidget *m_tree;
    ResizeMode m_resizeMode = Stretch;
    QHash<QtBrowserItem *, QTreeWidgetItem *> m_rows;
    QHash<QTreeWidgetItem *, QtBrowserItem *> m_itemOfRow;
    QTreeWidgetItem *m_editorRow = nullptr;
};
