#pragma once
// Editor factory of command rows: the editor is a push button, and a press
// reports the row through valueChanged so that the panel executes the command.

#include <QPointer>
#include <QString>
#include <QVariant>

#include <qteditorfactory.h>

#include "ZTStringPropertyManager.h"

class QtProperty;
class QWidget;

class ZTStringFactory : public QtAbstractEditorFactory<ZTStringPropertyManager> {
    Q_OBJECT

public:
    explicit ZTStringFactory(QObject* parent = nullptr);
    ~ZTStringFactory() override;

signals:
    void valueChanged(QtProperty* property, const QVariant& value);

private slots:
    void on_pbtn_clicked();

protected:
    void connectPropertyManager(ZTStringPropertyManager* manager) override;
    QWidget* createEditor(ZTStringPropertyManager* manager, QtProperty* property, QWidget* parent) override;
    void disconnectPropertyManager(ZTStringPropertyManager* manager) override;

private:
    QtLineEditFactory* m_pLineEditFactory = nullptr;
    ZTStringPropertyManager* m_pManager = nullptr;  // of the last editor made
    QtProperty* m_pProperty = nullptr;              // of the last editor made
    QString m_strButtonText;
    QPointer<QWidget> m_pEditor;                    // the last editor made
};
