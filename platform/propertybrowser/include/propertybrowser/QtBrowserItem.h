#pragma once

#include <QList>

class QtAbstractPropertyBrowser;
class QtProperty;

// One place where a property shows in a browser; a property added twice has
// two items. Made and deleted by the browser.
class QtBrowserItem
{
public:
    QtProperty *property() const { return m_property; }
    QtBrowserItem *parent() const { return m_parent; }
    QList<QtBrowserItem *> children() const { return m_children; }
    QtAbstractPropertyBrowser *browser() const { return m_browser; }

private:
    friend class QtAbstractPropertyBrowser;
    QtBrowserItem(QtAbstractPropertyBrowser *browser, QtProperty *property, QtBrowserItem *parent);

    QtAbstractPropertyBrowser *m_browser;
    QtProperty *m_property;
    QtBrowserItem *m_parent;
    QList<QtBrowserItem *> m_children;
};
