#include "propertybrowser/QtAbstractPropertyBrowser.h"

#include "propertybrowser/QtAbstractPropertyManager.h"
#include "propertybrowser/QtProperty.h"

QtAbstractPropertyBrowser::QtAbstractPropertyBrowser(QWidget *parent)
    : QWidget(parent)
{
}

QtAbstractPropertyBrowser::~QtAbstractPropertyBrowser()
{
    // The subclass has removed its rows already; only the bookkeeping is left.
    for (const OpenEditor &open : qAsConst(m_editors))
        disconnect(open.editor, nullptr, this, nullptr);
    for (const QList<QtBrowserItem *> &items : qAsConst(m_items))
        qDeleteAll(items);
    for (QtAbstractPropertyManager *manager : m_managers)
        manager->m_browsers.removeAll(this);
}

void QtAbstractPropertyBrowser::clear()
{
    while (!m_topLevelItems.isEmpty())
        removeItem(m_topLevelItems.last());
}

QtBrowserItem *QtAbstractPropertyBrowser::addProperty(QtProperty *property)
{
    if (!property)
        return nullptr;
    for (QtBrowserItem *item : m_topLevelItems) {
        if (item->property() == property)
            return nullptr;
    }
    return createItem(property, nullptr, m_topLevelItems.isEmpty() ? nullptr : m_topLevelItems.last());
}

QWidget *QtAbstractPropertyBrowser::createEditor(QtProperty *property, QWidget *parent)
{
    QtAbstractEditorFactoryBase *factory = m_factories.value(property->propertyManager());
    if (!factory)
        return nullptr;
    QWidget *editor = factory->createEditor(property, parent);
    if (editor) {
        m_editors.insert(editor, {editor, property, factory});
        connect(editor, &QObject::destroyed, this, [this](QObject *object) { m_editors.remove(object); });
    }
    return editor;
}

bool QtAbstractPropertyBrowser::bindFactory(QtAbstractPropertyManager *manager,
                                            QtAbstractEditorFactoryBase *factory)
{
    if (!manager || !factory)
        return false;
    watchManager(manager);
    QtAbstractEditorFactoryBase *old = m_factories.value(manager);
    if (old == factory)
        return true;
    if (old)
        old->breakConnection(manager);
    m_factories.insert(manager, factory);
    return true;
}

void QtAbstractPropertyBrowser::watchManager(QtAbstractPropertyManager *manager)
{
    if (m_managers.contains(manager))
        return;
    m_managers.append(manager);
    manager->m_browsers.append(this);
}

QtBrowserItem *QtAbstractPropertyBrowser::createItem(QtProperty *property, QtBrowserItem *parent,
                                                     QtBrowserItem *after)
{
    watchManager(property->propertyManager());
    auto *item = new QtBrowserItem(this, property, parent);
    QList<QtBrowserItem *> &siblings = parent ? parent->m_children : m_topLevelItems;
    siblings.insert(after ? siblings.indexOf(after) + 1 : 0, item);
    m_items[property].append(item);
    itemInserted(item, after);
    QtBrowserItem *previous = nullptr;
    for (QtProperty *sub : property->subProperties())
        previous = createItem(sub, item, previous);
    return item;
}

void QtAbstractPropertyBrowser::removeItem(QtBrowserItem *item)
{
    while (!item->m_children.isEmpty())
        removeItem(item->m_children.last());
    itemRemoved(item);
    QList<QtBrowserItem *> &siblings = item->m_parent ? item->m_parent->m_children : m_topLevelItems;
    siblings.removeOne(item);
    QList<QtBrowserItem *> &same = m_items[item->property()];
    same.removeOne(item);
    if (same.isEmpty())
        m_items.remove(item->property());
    delete item;
}

void QtAbstractPropertyBrowser::propertyInserted(QtProperty *property, QtProperty *parent,
                                                 QtProperty *preceding)
{
    for (QtBrowserItem *parentItem : m_items.value(parent)) {
        QtBrowserItem *after = nullptr;
        for (QtBrowserItem *child : parentItem->m_children) {
            if (child->property() == preceding)
                after = child;
        }
        createItem(property, parentItem, after);
    }
}

void QtAbstractPropertyBrowser::propertyRemoved(QtProperty *property, QtProperty *parent)
{
    for (QtBrowserItem *parentItem : m_items.value(parent)) {
        for (QtBrowserItem *child : parentItem->m_children) {
            if (child->property() == property) {
                removeItem(child);
                break;
            }
        }
    }
}

void QtAbstractPropertyBrowser::propertyChanged(QtProperty *property)
{
    for (QtBrowserItem *item : m_items.value(property))
        itemChanged(item);
    const QList<OpenEditor> editors = m_editors.values();
    for (const OpenEditor &open : editors) {
        if (open.property == property && open.factory && m_editors.contains(open.editor))
            open.factory->updateEditor(open.editor, property);
    }
}

void QtAbstractPropertyBrowser::propertyDestroyed(QtProperty *property)
{
    for (auto it = m_editors.begin(); it != m_editors.end();) {
        if (it->property == property)
            it = m_editors.erase(it);
        else
            ++it;
    }
    const QList<QtBrowserItem *> items = m_items.value(property);
    for (QtBrowserItem *item : items)
        removeItem(item);
}

void QtAbstractPropertyBrowser::managerDestroyed(QtAbstractPropertyManager *manager)
{
    m_managers.removeAll(manager);
    m_factories.remove(manager);
}
