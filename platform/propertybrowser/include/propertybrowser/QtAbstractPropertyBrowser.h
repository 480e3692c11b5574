#pragma once

#include "propertybrowser/QtAbstractEditorFactory.h"
#include "propertybrowser/QtBrowserItem.h"

#include <QHash>
#include <QList>
#include <QPointer>
#include <QWidget>

class QtAbstractPropertyManager;
class QtProperty;

// Keeps the items of the properties it shows in step with their managers and
// hands out editors from the factory bound to each manager. A subclass lays
// the items out.
class QtAbstractPropertyBrowser : public QWidget
{
    Q_OBJECT
public:
    explicit QtAbstractPropertyBrowser(QWidget *parent = nullptr);
    ~QtAbstractPropertyBrowser() override;

    QList<QtBrowserItem *> topLevelItems() const { return m_topLevelItems; }
    QList<QtBrowserItem *> items(QtProperty *property) const { return m_items.value(property); }
    // Removes every item; the properties stay with their managers.
    void clear();

    template <class PropertyManager>
    void setFactoryForManager(PropertyManager *manager, QtAbstractEditorFactory<PropertyManager> *factory)
    {
        if (bindFactory(manager, factory))
            factory->addPropertyManager(manager);
    }

public Q_SLOTS:
    // Adds the property and its sub-properties at the end of the top level;
    // a property already at the top level gives null.
    QtBrowserItem *addProperty(QtProperty *property);

protected:
    virtual void itemInserted(QtBrowserItem *item, QtBrowserItem *afterItem) = 0;
    virtual void itemRemoved(QtBrowserItem *item) = 0;
    virtual void itemChanged(QtBrowserItem *item) = 0;

    // An editor for the property from its manager's factory, or null.
    QWidget *createEditor(QtProperty *property, QWidget *parent);

private:
    friend class QtAbstractPropertyManager;
    bool bindFactory(QtAbstractPropertyManager *manager, QtAbstractEditorFactoryBase *factory);
    void watchManager(QtAbstractPropertyManager *manager);
    QtBrowserItem *createItem(QtProperty *property, QtBrowserItem *parent, QtBrowserItem *after);
    void removeItem(QtBrowserItem *item);

    // Called by the managers, whatever their signal state.
    void propertyInserted(QtProperty *property, QtProperty *parent, QtProperty *preceding);
    void propertyRemoved(QtProperty *property, QtProperty *parent);
    void propertyChanged(QtProperty *property);
    void propertyDestroyed(QtProperty *property);
    void managerDestroyed(QtAbstractPropertyManager *manager);

    QList<QtBrowserItem *> m_topLevelItems;
    QHash<QtProperty *, QList<QtBrowserItem *>> m_items;
    QHash<QtAbstractPropertyManager *, QPointer<QtAbstractEditorFactoryBase>> m_factories;
    QList<QtAbstractPropertyManager *> m_managers;
    struct OpenEditor
    {
        QWidget *editor;
        QtProperty *property;
        QPointer<QtAbstractEditorFactoryBase> factory;
    };
    // Keyed by the editor as a QObject, which is all that is left of it when
    // it announces its end.
    QHash<QObject *, OpenEditor> m_editors;
};
