#pragma once

#include "propertybrowser/QtProperty.h"

#include <QObject>
#include <QSet>

class QtAbstractPropertyManager;
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
        m_managers.insert(manager);
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

    QSet<PropertyManager *> propertyManagers() const { return m_managers; }

    PropertyManager *propertyManager(QtProperty *property) const
    {
        if (!property)
            return nullptr;
        for (PropertyManager *manager : m_managers) {
            if (manager == property->propertyManager())
                return manager;
        }
        return nullptr;
    }

protected:
    virtual void connectPropertyManager(PropertyManager *manager) = 0;
    virtual QWidget *createEditor(PropertyManager *manager, QtProperty *property, QWidget *parent) = 0;
    virtual void disconnectPropertyManager(PropertyManager *manager) = 0;

    void managerDestroyed(QObject *manager) override
    {
        // The manager is half destroyed: it is only forgotten, not disconnected.
        for (PropertyManager *m : m_managers) {
            if (static_cast<QObject *>(m) == manager) {
                m_managers.remove(m);
                return;
            }
        }
    }

private:
    void breakConnection(QtAbstractPropertyManager *manager) override
    {
        for (PropertyManager *m : m_managers) {
            if (static_cast<QtAbstractPropertyManager *>(m) == manager) {
                removePropertyManager(m);
                return;
            }
        }
    }

    QSet<PropertyManager *> m_managers;
};
