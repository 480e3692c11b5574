#pragma once

#include "propertybrowser/QtAbstractEditorFactory.h"
#include "propertybrowser/QtVariantPropertyManager.h"

class EditorTracker;

// Editors for variant properties: a double spin box (a typed number is
// written back when editing finishes, never per keystroke; arrow steps at
// once), a check box and a combo box (written at once), a line edit (written
// when editing finishes). Groups get no editor.
class QtVariantEditorFactory : public QtAbstractEditorFactory<QtVariantPropertyManager>
{
    Q_OBJECT
public:
    explicit QtVariantEditorFactory(QObject *parent = nullptr);
    ~QtVariantEditorFactory() override;

    using QtAbstractEditorFactory<QtVariantPropertyManager>::createEditor;

protected:
    void connectPropertyManager(QtVariantPropertyManager *manager) override;
    QWidget *createEditor(QtVariantPropertyManager *manager, QtProperty *property, QWidget *parent) override;
    void disconnectPropertyManager(QtVariantPropertyManager *manager) override;

private:
    void updateEditor(QWidget *editor, QtProperty *property) override;
    void commit(QWidget *editor, const QVariant &value);

    EditorTracker *m_editors;
};
