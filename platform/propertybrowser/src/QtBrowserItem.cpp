#include "propertybrowser/QtBrowserItem.h"

QtBrowserItem::QtBrowserItem(QtAbstractPropertyBrowser *browser, QtProperty *property,
                             QtBrowserItem *parent)
    : m_browser(browser), m_property(property), m_parent(parent)
{
}
