#pragma once

#include "propertybrowser/QtAbstractEditorFactory.h"
#include "propertybrowser/QtStringPropertyManager.h"

class EditorTracker;

// A line edit per string property; the text is written back when editing
// finishes (Enter or focus leaving), not per keystroke.
class QtLineEditFactory : public QtAbstractEditorFactory<QtStringPropertyManager>
{
    Q_OBJECT
public:
    explicit QtLineEditFactory(QObject *parent = nullptr);
    ~QtLineEditFactory() override;

    using QtAbstractEditorFactory<QtStringPropertyManager>::createEditor;

protected:
    void connectPropertyManager(QtStringPropertyManager *manager) override;
    QWidget *createEditor(QtStringPropertyManager *manager, QtProperty *property, QWidget *parent) override;
    void disconnectPropertyManager(QtStringPropertyManager *manager) override;

private:
    void updateEditor(QWidget *editor, QtProperty *property) override;

    EditorTracker *m_editors;
};
