#include "propertybrowser/QtVariantPropertyManager.h"

#include <QLocale>
#include <QMetaType>

#include <cmath>
#include <limits>

// Type ids of the two kinds that QVariant has no type for.
struct QtGroupPropertyType {};
struct QtEnumPropertyType {};
Q_DECLARE_METATYPE(QtGroupPropertyType)
Q_DECLARE_METATYPE(QtEnumPropertyType)

namespace {
bool isNumber(const QVariant &value)
{
    switch (value.userType()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return std::isfinite(value.toDouble());
    default:
        return false;
    }
}
} // namespace

QtVariantPropertyManager::QtVariantPropertyManager(QObject *parent)
    : QtAbstractPropertyManager(parent)
{
}

QtVariantPropertyManager::~QtVariantPropertyManager()
{
    clear();
}

int QtVariantPropertyManager::groupTypeId()
{
    return qMetaTypeId<QtGroupPropertyType>();
}

int QtVariantPropertyManager::enumTypeId()
{
    return qMetaTypeId<QtEnumPropertyType>();
}

QtVariantProperty *QtVariantPropertyManager::addProperty(int propertyType, const QString &name)
{
    if (propertyType != QVariant::Double && propertyType != QVariant::Bool
        && propertyType != QVariant::String && propertyType != enumTypeId()
        && propertyType != groupTypeId())
        return nullptr;
    m_pendingType = propertyType;
    return static_cast<QtVariantProperty *>(QtAbstractPropertyManager::addProperty(name));
}

QVariant QtVariantPropertyManager::value(const QtProperty *property) const
{
    return m_data.value(property).value;
}

QVariant QtVariantPropertyManager::attributeValue(const QtProperty *property, const QString &attribute) const
{
    const auto it = m_data.constFind(property);
    if (it == m_data.cend())
        return QVariant();
    if (it->type == QVariant::Double) {
        if (attribute == QLatin1String("minimum"))
            return it->minimum;
        if (attribute == QLatin1String("maximum"))
            return it->maximum;
        if (attribute == QLatin1String("singleStep"))
            return it->singleStep;
        if (attribute == QLatin1String("decimals"))
            return it->decimals;
    } else if (it->type == enumTypeId() && attribute == QLatin1String("enumNames")) {
        return it->enumNames;
    }
    return QVariant();
}

int QtVariantPropertyManager::propertyType(const QtProperty *property) const
{
    const auto it = m_data.constFind(property);
    return it == m_data.cend() ? -1 : it->type;
}

void QtVariantPropertyManager::setValue(QtProperty *property, const QVariant &value)
{
    auto it = m_data.find(property);
    if (it == m_data.end())
        return;
    Data &data = *it;
    QVariant stored;
    if (data.type == QVariant::Double) {
        if (isNumber(value))
            stored = qBound(data.minimum, value.toDouble(), data.maximum);
    } else if (data.type == QVariant::Bool) {
        if (value.userType() == QMetaType::Bool || isNumber(value))
            stored = value.toBool();
    } else if (data.type == QVariant::String) {
        if (value.userType() == QMetaType::QString)
            stored = value;
    } else if (data.type == enumTypeId()) {
        if (isNumber(value) && value.toLongLong() >= 0 && value.toLongLong() < data.enumNames.size())
            stored = value.toInt();
    }
    if (!stored.isValid() || !storeValue(data, stored))
        return;
    notifyChanged(property);
    emit valueChanged(property, stored);
}

void QtVariantPropertyManager::setAttribute(QtProperty *property, const QString &attribute,
                                            const QVariant &value)
{
    auto it = m_data.find(property);
    if (it == m_data.end())
        return;
    Data &data = *it;
    QVariant newValue;
    if (data.type == enumTypeId()) {
        if (attribute != QLatin1String("enumNames") || value.userType() != QMetaType::QStringList
            || value.toStringList() == data.enumNames)
            return;
        data.enumNames = value.toStringList();
        // New names start over at the first entry.
        newValue = data.enumNames.isEmpty() ? -1 : 0;
    } else {
        if (data.type != QVariant::Double || !isNumber(value))
            return;
        const double number = value.toDouble();
        if (attribute == QLatin1String("minimum")) {
            data.minimum = number;
            data.maximum = qMax(data.maximum, number);
        } else if (attribute == QLatin1String("maximum")) {
            data.maximum = number;
            data.minimum = qMin(data.minimum, number);
        } else if (attribute == QLatin1String("singleStep") && number > 0) {
            data.singleStep = number;
        } else if (attribute == QLatin1String("decimals") && number >= 0) {
            data.decimals = qMin(value.toInt(), 15);
        } else {
            return;
        }
        newValue = qBound(data.minimum, data.value.toDouble(), data.maximum);
    }
    const QVariant stored = attributeValue(property, attribute);
    const bool valueMoved = storeValue(data, newValue);
    // Signal handlers may add properties; data is not touched below.
    notifyChanged(property);
    emit attributeChanged(property, attribute, stored);
    if (valueMoved)
        emit valueChanged(property, newValue);
}

bool QtVariantPropertyManager::storeValue(Data &data, const QVariant &value)
{
    const bool same = data.type == QVariant::Double ? data.value.toDouble() == value.toDouble()
                                                    : data.value == value;
    if (same)
        return false;
    data.value = value;
    return true;
}

QString QtVariantPropertyManager::valueText(const QtProperty *property) const
{
    const auto it = m_data.constFind(property);
    if (it == m_data.cend())
        return QString();
    if (it->type == QVariant::Double) {
        // As the row's editor shows and reads it: in the user's locale,
        // without group separators.
        QLocale locale;
        locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
        return locale.toString(it->value.toDouble(), 'f', it->decimals);
    }
    if (it->type == QVariant::Bool)
        return it->value.toBool() ? tr("True") : tr("False");
    if (it->type == QVariant::String)
        return it->value.toString();
    if (it->type == enumTypeId())
        return it->enumNames.value(it->value.toInt());
    return QString();
}

void QtVariantPropertyManager::initializeProperty(QtProperty *property)
{
    Data data;
    data.type = m_pendingType;
    if (data.type == QVariant::Double) {
        data.minimum = -std::numeric_limits<double>::max();
        data.maximum = std::numeric_limits<double>::max();
        data.value = 0.0;
    } else if (data.type == QVariant::Bool) {
        data.value = false;
    } else if (data.type == QVariant::String) {
        data.value = QString();
    } else if (data.type == enumTypeId()) {
        data.value = -1;
    }
    m_data.insert(property, data);
}

void QtVariantPropertyManager::uninitializeProperty(QtProperty *property)
{
    m_data.remove(property);
}

QtProperty *QtVariantPropertyManager::createProperty()
{
    return new QtVariantProperty(this);
}
