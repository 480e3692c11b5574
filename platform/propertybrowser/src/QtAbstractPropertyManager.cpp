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
    // For queued connections and signal spies of the change signals.
    qRegisterMetaType<QtProperty *>();
}

QtAbstractPropertyManager::~QtAbstractPropertyManager()
{
    clear();
    forEachBrowser([this](QtAbstractPropertyBrowser *browser) { browser->managerDestroyed(this); });
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
        forEachBrowser([property](QtAbstractPropertyBrowser *browser) { browser->propertyDestroyed(property); });
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

void QtAbstractPropertyManager::forEachBrowser(const std::function<void(QtAbstractPropertyBrowser *)> &call)
{
    const QList<QtAbstractPropertyBrowser *> browsers = m_browsers;
    for (QtAbstractPropertyBrowser *browser : browsers) {
        if (m_browsers.contains(browser)) // a browser may end while others update
            call(browser);
    }
}

void QtAbstractPropertyManager::notifyChanged(QtProperty *property)
{
    forEachBrowser([property](QtAbstractPropertyBrowser *browser) { browser->propertyChanged(property); });
    emit propertyChanged(property);
}

void QtAbstractPropertyManager::notifyInserted(QtProperty *property, QtProperty *parent,
                                               QtProperty *preceding)
{
    forEachBrowser([=](QtAbstractPropertyBrowser *browser) { browser->propertyInserted(property, parent, preceding); });
    emit propertyInserted(property, parent, preceding);
}

void QtAbstractPropertyManager::notifyRemoved(QtProperty *property, QtProperty *parent)
{
    forEachBrowser([=](QtAbstractPropertyBrowser *browser) { browser->propertyRemoved(property, parent); });
    emit propertyRemoved(property, parent);
}
