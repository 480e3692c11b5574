#pragma once

#include "propertybrowser/QtAbstractPropertyManager.h"

#include <QHash>
#include <QString>

class QtStringPropertyManager : public QtAbstractPropertyManager
{
    Q_OBJECT
public:
    explicit QtStringPropertyManager(QObject *parent = nullptr);
    ~QtStringPropertyManager() override;

    QString value(const QtProperty *property) const;

public Q_SLOTS:
    void setValue(QtProperty *property, const QString &value);

Q_SIGNALS:
    void valueChanged(QtProperty *property, const QString &value);

protected:
    QString valueText(const QtProperty *property) const override;
    void initializeProperty(QtProperty *property) override;
    void uninitializeProperty(QtProperty *property) override;

private:
    QHash<const QtProperty *, QString> m_values;
};
