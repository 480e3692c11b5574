#pragma once
// The string manager of command rows: a text manager whose shown text may
// carry a prefix and a suffix per row (both empty; nothing sets them).

#include <QMap>
#include <QPair>
#include <QString>

#include <qtpropertymanager.h>

class ZTStringPropertyManager : public QtStringPropertyManager {
    Q_OBJECT

public:
    explicit ZTStringPropertyManager(QObject* parent = nullptr);
    ~ZTStringPropertyManager() override;

protected:
    QString valueText(const QtProperty* property) const override;
    void initializeProperty(QtProperty* property) override;
    void uninitializeProperty(QtProperty* property) override;

private:
    QMap<const QtProperty*, QPair<QString, QString>> m_mapAffix;  // prefix, suffix
};
