#pragma once

#include "propertybrowser/QtAbstractPropertyManager.h"
#include "propertybrowser/QtVariantProperty.h"

#include <QHash>
#include <QStringList>
#include <QVariant>

// Properties of a few kinds, told apart by a type id:
// - QVariant::Double, attributes "minimum", "maximum", "singleStep", "decimals"
//   (the value is kept within the bounds, also when they move);
// - QVariant::Bool; QVariant::String;
// - enumTypeId(), attribute "enumNames"; the value is an index into the names;
// - groupTypeId(), no value, a heading for sub-properties.
// Values and attributes of the wrong type, and unknown attributes, are ignored.
class QtVariantPropertyManager : public QtAbstractPropertyManager
{
    Q_OBJECT
public:
    explicit QtVariantPropertyManager(QObject *parent = nullptr);
    ~QtVariantPropertyManager() override;

    static int groupTypeId();
    static int enumTypeId();

    // Null for a type the manager does not keep.
    QtVariantProperty *addProperty(int propertyType, const QString &name = QString());

    QVariant value(const QtProperty *property) const;
    QVariant attributeValue(const QtProperty *property, const QString &attribute) const;
    // -1 for a property of another manager.
    int propertyType(const QtProperty *property) const;

public Q_SLOTS:
    void setValue(QtProperty *property, const QVariant &value);
    void setAttribute(QtProperty *property, const QString &attribute, const QVariant &value);

Q_SIGNALS:
    // Only when the stored value really changes.
    void valueChanged(QtProperty *property, const QVariant &value);
    void attributeChanged(QtProperty *property, const QString &attribute, const QVariant &value);

protected:
    QString valueText(const QtProperty *property) const override;
    void initializeProperty(QtProperty *property) override;
    void uninitializeProperty(QtProperty *property) override;
    QtProperty *createProperty() override;

private:
    struct Data
    {
        int type = 0;
        QVariant value;
        double minimum = 0;
        double maximum = 0;
        double singleStep = 1;
        int decimals = 2;
        QStringList enumNames;
    };
    // False when the value is the one stored already.
    static bool storeValue(Data &data, const QVariant &value);

    QHash<const QtProperty *, Data> m_data;
    int m_pendingType = 0;
};
