#include "propertybrowser/QtStringPropertyManager.h"

#include "propertybrowser/QtProperty.h"

QtStringPropertyManager::QtStringPropertyManager(QObject *parent)
    : QtAbstractPropertyManager(parent)
{
}

QtStringPropertyManager::~QtStringPropertyManager()
{
    clear();
}

QString QtStringPropertyManager::value(const QtProperty *property) const
{
    return m_values.value(property);
}

void QtStringPropertyManager::setValue(QtProperty *property, const QString &value)
{
    auto it = m_values.find(property);
    if (it == m_values.end() || *it == value)
        return;
    *it = value;
    notifyChanged(property);
    emit valueChanged(property, value);
}

QString QtStringPropertyManager::valueText(const QtProperty *property) const
{
    return m_values.value(property);
}

void QtStringPropertyManager::initializeProperty(QtProperty *property)
{
    m_values.insert(property, QString());
}

void QtStringPropertyManager::uninitializeProperty(QtProperty *property)
{
    m_values.remove(property);
}
