#include "propertybrowser/QtLineEditFactory.h"

#include "EditorTracker.h"

#include <QLineEdit>

QtLineEditFactory::QtLineEditFactory(QObject *parent)
    : QtAbstractEditorFactory<QtStringPropertyManager>(parent), m_editors(new EditorTracker(this))
{
}

QtLineEditFactory::~QtLineEditFactory() = default;

void QtLineEditFactory::connectPropertyManager(QtStringPropertyManager *manager)
{
    m_editors->watch(manager);
}

void QtLineEditFactory::disconnectPropertyManager(QtStringPropertyManager *manager)
{
    m_editors->unwatch(manager);
}

QWidget *QtLineEditFactory::createEditor(QtStringPropertyManager *manager, QtProperty *property,
                                         QWidget *parent)
{
    auto *edit = new QLineEdit(manager->value(property), parent);
    m_editors->add(edit, property);
    connect(edit, &QLineEdit::editingFinished, this, [this, edit] {
        QtProperty *edited = m_editors->property(edit);
        if (QtStringPropertyManager *owner = propertyManager(edited))
            owner->setValue(edited, edit->text());
    });
    return edit;
}

void QtLineEditFactory::updateEditor(QWidget *editor, QtProperty *property)
{
    auto *edit = static_cast<QLineEdit *>(editor);
    const QString text = propertyManager(property) ? propertyManager(property)->value(property) : QString();
    if (edit->text() != text) {
        const QSignalBlocker blocker(edit);
        edit->setText(text);
    }
}
