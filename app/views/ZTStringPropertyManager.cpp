#include "ZTStringPropertyManager.h"

ZTStringPropertyManager::ZTStringPropertyManager(QObject* parent)
    : QtStringPropertyManager(parent)
{
}

ZTStringPropertyManager::~ZTStringPropertyManager() = default;

QString ZTStringPropertyManager::valueText(const QtProperty* property) const
{
    const QPair<QString, QString> affix = m_mapAffix.value(property);
    return affix.first + QtStringPropertyManager::valueText(property) + affix.second;
}

void ZTStringPropertyManager::initializeProperty(QtProperty* property)
{
    m_mapAffix[property] = qMakePair(QString(), QString());
    QtStringPropertyManager::initializeProperty(property);
}

void ZTStringPropertyManager::uninitializeProperty(QtProperty* property)
{
    m_mapAffix.remove(property);
    QtStringPropertyManager::uninitializeProperty(property);
}
