#pragma once

#include "propertybrowser/QtAbstractEditorFactory.h"
#include "propertybrowser/QtVariantPropertyManager.h"

class EditorTracker;

// Editors for variant properties: a double spin box (a typed number is
// read whole and written back when editing finishes, never per keystroke,
// exactly as typed; arrow steps at once; a text that is no number is
// refused), a check box and a combo box (written at once), a line edit
// (written when editing finishes). Groups get no editor.
class QtVariantEditorFactory : public QtAbstractEditorFactory<QtVariantPropertyManager>
{
    Q_OBJECT
public:
    explicit QtVariantEditorFactory(QObject *parent = nullptr);
    ~QtVariantEditorFactory() override;

    using QtAbstractEditorFactory<QtVariantPropertyManager>::createEditor;

signals:
    // A text typed into the number row `property` that reads as no number
    // in the editor's locale: nothing was written, and the editor shows the
    // row's value again.
    void numberTextRefused(QtProperty *property, const QString &text);

protected:
    void connectPropertyManager(QtVariantPropertyManager *manager) override;
    QWidget *createEditor(QtVariantPropertyManager *manager, QtProperty *property, QWidget *parent) override;
    void disconnectPropertyManager(QtVariantPropertyManager *manager) override;

private:
    void updateEditor(QWidget *editor, QtProperty *property) override;
    void commit(QWidget *editor, const QVariant &value);
    void commitNumber(QWidget *editor, double value);
    // The row's value in its editor, while the editor is open.
    void showValue(QWidget *editor);

    EditorTracker *m_editors;
};
