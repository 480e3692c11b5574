#pragma once

#include "propertybrowser/QtAbstractPropertyManager.h"
#include "propertybrowser/QtProperty.h"

#include <QHash>
#include <QObject>
#include <QSet>

class QWidget;

// Makes editor widgets for the properties of the managers it serves. The
// browser asks for an editor for its current row only and deletes it when
// the row stops being current.
class QtAbstractEditorFactoryBase : public QObject
{
    Q_OBJECT
public:
    virtual QWidget *createEditor(QtProperty *property, QWidget *parent) = 0;

protected:
    explicit QtAbstractEditorFactoryBase(QObject *parent = nullptr);
    // Stops serving the manager (a browser bound it to another factory).
    virtual void breakConnection(QtAbstractPropertyManager *manager) = 0;

protected Q_SLOTS:
    virtual void managerDestroyed(QObject *manager) = 0;

private:
    friend class QtAbstractPropertyBrowser;
    // Brings an open editor up to its property's current value and bounds;
    // factories whose editors show no value leave this as it is.
    virtual void updateEditor(QWidget *editor, QtProperty *property);
};

template <class PropertyManager>
class QtAbstractEditorFactory : public QtAbstractEditorFactoryBase
{
public:
    explicit QtAbstractEditorFactory(QObject *parent = nullptr) : QtAbstractEditorFactoryBase(parent) {}

    QWidget *createEditor(QtProperty *property, QWidget *parent) override
    {
        PropertyManager *manager = propertyManager(property);
        return manager ? createEditor(manager, property, parent) : nullptr;
    }

    void addPropertyManager(PropertyManager *manager)
    {
        if (!manager || m_managers.contains(manager))
            return;
        m_managers.insert(manager, manager);
        connectPropertyManager(manager);
        QObject::connect(manager, &QObject::destroyed, this, &QtAbstractEditorFactory::managerDestroyed);
    }

    void removePropertyManager(PropertyManager *manager)
    {
        if (!m_managers.contains(manager))
            return;
        QObject::disconnect(manager, &QObject::destroyed, this, &QtAbstractEditorFactory::managerDestroyed);
        disconnectPropertyManager(manager);
        m_managers.remove(manager);
    }

    QSet<PropertyManager *> propertyManagers() const
    {
        QSet<PropertyManager *> managers;
        for (PropertyManager *manager : m_managers)
            managers.insert(manager);
        return managers;
    }

    PropertyManager *propertyManager(QtProperty *property) const
    {
        return property ? m_managers.value(property->propertyManager()) : nullptr;
    }

protected:
    virtual void connectPropertyManager(PropertyManager *manager) = 0;
    virtual QWidget *createEditor(PropertyManager *manager, QtProperty *property, QWidget *parent) = 0;
    virtual void disconnectPropertyManager(PropertyManager *manager) = 0;

    void managerDestroyed(QObject *manager) override
    {
        // The manager is half destroyed: it is only forgotten, not disconnected.
        m_managers.remove(manager);
    }

private:
    void breakConnection(QtAbstractPropertyManager *manager) override
    {
        if (PropertyManager *served = m_managers.value(manager))
            removePropertyManager(served);
    }

    // Keyed by the manager as a QObject, which is all that is left of it
    // when it announces its end.
    QHash<QObject *, PropertyManager *> m_managers;
};
