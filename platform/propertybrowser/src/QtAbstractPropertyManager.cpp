#include "propertybrowser/QtAbstractPropertyManager.h"

#include "propertybrowser/QtAbstractPropertyBrowser.h"
#include "propertybrowser/QtProperty.h"

namespace {
// A manager that keeps no value: what QtAbstractPropertyManager::createProperty
// gives is a bare QtProperty.
class PlainProperty : public QtProperty
{
public:
    explicit PlainProperty(QtAbstractPropertyManager *manager) : QtProperty(manager) {}
};
} // namespace

QtAbstractPropertyManager::QtAbstractPropertyManager(QObject *parent)
    : QObject(parent)
{
}

QtAbstractPropertyManager::~QtAbstractPropertyManager()
{
    clear();
    const QList<QtAbstractPropertyBrowser *> browsers = m_browsers;
    for (QtAbstractPropertyBrowser *browser : browsers)
        browser->managerDestroyed(this);
}

QtProperty *QtAbstractPropertyManager::addProperty(const QString &name)
{
    QtProperty *property = createProperty();
    if (!property)
        return nullptr;
    property->m_name = name;
    m_properties.append(property);
    initializeProperty(property);
    return property;
}

void QtAbstractPropertyManager::clear()
{
    while (!m_properties.isEmpty()) {
        QtProperty *property = m_properties.takeLast();
        const QList<QtAbstractPropertyBrowser *> browsers = m_browsers;
        for (QtAbstractPropertyBrowser *browser : browsers)
            browser->propertyDestroyed(property);
        // Listeners keep plain pointers: they hear of the end of a property
        // even while the manager's other signals are blocked.
        const bool blocked = blockSignals(false);
        emit propertyDestroyed(property);
        blockSignals(blocked);
        for (QtProperty *parent : property->m_parents)
            parent->m_subProperties.removeOne(property);
        for (QtProperty *sub : property->m_subProperties)
            sub->m_parents.removeOne(property);
        uninitializeProperty(property);
        delete property;
    }
}

QString QtAbstractPropertyManager::valueText(const QtProperty *) const
{
    return QString();
}

void QtAbstractPropertyManager::uninitializeProperty(QtProperty *)
{
}

QtProperty *QtAbstractPropertyManager::createProperty()
{
    return new PlainProperty(this);
}

void QtAbstractPropertyManager::notifyChanged(QtProperty *property)
{
    const QList<QtAbstractPropertyBrowser *> browsers = m_browsers;
    for (QtAbstractPropertyBrowser *browser : browsers)
        browser->propertyChanged(property);
    emit propertyChanged(property);
}

void QtAbstractPropertyManager::notifyInserted(QtProperty *property, QtProperty *parent,
                                               QtProperty *preceding)
{
    const QList<QtAbstractPropertyBrowser *> browsers = m_browsers;
    for (QtAbstractPropertyBrowser *browser : browsers)
        browser->propertyInserted(property, parent, preceding);
    emit propertyInserted(property, parent, preceding);
}

void QtAbstractPropertyManager::notifyRemoved(QtProperty *property, QtProperty *parent)
{
    const QList<QtAbstractPropertyBrowser *> browsers = m_browsers;
    for (QtAbstractPropertyBrowser *browser : browsers)
        browser->propertyRemoved(property, parent);
    emit propertyRemoved(property, parent);
}
