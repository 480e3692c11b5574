#pragma once

#include "propertybrowser/QtProperty.h"

#include <QVariant>

class QtVariantPropertyManager;

// A property of a QtVariantPropertyManager; its calls go to the manager.
class QtVariantProperty : public QtProperty
{
public:
    QVariant value() const;
    QVariant attributeValue(const QString &attribute) const;
    int propertyType() const;

    void setValue(const QVariant &value);
    void setAttribute(const QString &attribute, const QVariant &value);

protected:
    explicit QtVariantProperty(QtVariantPropertyManager *manager);
    ~QtVariantProperty() override;

private:
    friend class QtVariantPropertyManager;
    QtVariantPropertyManager *m_variantManager;
};
