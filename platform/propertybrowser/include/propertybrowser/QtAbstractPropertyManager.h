#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class QtAbstractPropertyBrowser;
class QtProperty;

// Makes, holds and deletes properties and keeps their values. Browsers that
// show one of its properties hear of every change directly, also while the
// manager's signals are blocked, so what the tree shows is always the value.
class QtAbstractPropertyManager : public QObject
{
    Q_OBJECT
public:
    explicit QtAbstractPropertyManager(QObject *parent = nullptr);
    ~QtAbstractPropertyManager() override;

    QtProperty *addProperty(const QString &name = QString());
    // Deletes every property of this manager.
    void clear();

Q_SIGNALS:
    void propertyInserted(QtProperty *newProperty, QtProperty *parentProperty,
                          QtProperty *precedingProperty);
    void propertyChanged(QtProperty *property);
    void propertyRemoved(QtProperty *property, QtProperty *parentProperty);
    void propertyDestroyed(QtProperty *property);

protected:
    virtual QString valueText(const QtProperty *property) const;
    virtual void initializeProperty(QtProperty *property) = 0;
    virtual void uninitializeProperty(QtProperty *property);
    virtual QtProperty *createProperty();

    // Tells browsers and listeners that the property's text or state changed.
    void notifyChanged(QtProperty *property);

private:
    friend class QtProperty;
    friend class QtAbstractPropertyBrowser;
    void notifyInserted(QtProperty *property, QtProperty *parent, QtProperty *preceding);
    void notifyRemoved(QtProperty *property, QtProperty *parent);
    void forEachBrowser(const std::function<void(QtAbstractPropertyBrowser *)> &call);

    QList<QtProperty *> m_properties;
    QList<QtAbstractPropertyBrowser *> m_browsers;
};
