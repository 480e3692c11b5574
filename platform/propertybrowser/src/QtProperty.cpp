#include "propertybrowser/QtProperty.h"

#include "propertybrowser/QtAbstractPropertyManager.h"

QtProperty::QtProperty(QtAbstractPropertyManager *manager)
    : m_manager(manager)
{
}

QtProperty::~QtProperty() = default;

QString QtProperty::valueText() const
{
    return m_manager->valueText(this);
}

void QtProperty::setToolTip(const QString &text)
{
    if (m_toolTip == text)
        return;
    m_toolTip = text;
    propertyChanged();
}

void QtProperty::setEnabled(bool enable)
{
    if (m_enabled == enable)
        return;
    m_enabled = enable;
    propertyChanged();
}

void QtProperty::addSubProperty(QtProperty *property)
{
    if (!property || property == this || m_subProperties.contains(property))
        return;
    // A property may not become a sub-row of its own descendant.
    QList<QtProperty *> pending = property->m_subProperties;
    while (!pending.isEmpty()) {
        QtProperty *p = pending.takeLast();
        if (p == this)
            return;
        pending += p->m_subProperties;
    }
    QtProperty *preceding = m_subProperties.isEmpty() ? nullptr : m_subProperties.last();
    m_subProperties.append(property);
    property->m_parents.append(this);
    m_manager->notifyInserted(property, this, preceding);
}

void QtProperty::removeSubProperty(QtProperty *property)
{
    if (!m_subProperties.removeOne(property))
        return;
    property->m_parents.removeOne(this);
    m_manager->notifyRemoved(property, this);
}

void QtProperty::propertyChanged()
{
    m_manager->notifyChanged(this);
}
