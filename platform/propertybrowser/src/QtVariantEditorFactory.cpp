#include "propertybrowser/QtVariantEditorFactory.h"

#include "EditorTracker.h"
#include "NumberSpinBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

QtVariantEditorFactory::QtVariantEditorFactory(QObject *parent)
    : QtAbstractEditorFactory<QtVariantPropertyManager>(parent), m_editors(new EditorTracker(this))
{
}

QtVariantEditorFactory::~QtVariantEditorFactory() = default;

void QtVariantEditorFactory::connectPropertyManager(QtVariantPropertyManager *manager)
{
    m_editors->watch(manager);
}

void QtVariantEditorFactory::disconnectPropertyManager(QtVariantPropertyManager *manager)
{
    m_editors->unwatch(manager);
}

QWidget *QtVariantEditorFactory::createEditor(QtVariantPropertyManager *manager, QtProperty *property,
                                              QWidget *parent)
{
    const int type = manager->propertyType(property);
    QWidget *editor = nullptr;
    if (type == QVariant::Double) {
        // A typed number once, on Enter or when the focus leaves, and every
        // step of the arrows; the box then shows the row's value, also when
        // the row did not take the number or the text was none.
        auto *spin = new NumberSpinBox(parent);
        connect(spin, &NumberSpinBox::numberTyped, this, [this, spin](double value) { commitNumber(spin, value); });
        connect(spin, &NumberSpinBox::numberStepped, this, [this, spin](double value) { commitNumber(spin, value); });
        connect(spin, &NumberSpinBox::textRefused, this, [this, spin](const QString &text) {
            if (QtProperty *property = m_editors->property(spin))
                emit numberTextRefused(property, text);
            showValue(spin);
        });
        editor = spin;
    } else if (type == QVariant::Bool) {
        auto *check = new QCheckBox(parent);
        connect(check, &QCheckBox::toggled, this, [this, check](bool on) { commit(check, on); });
        editor = check;
    } else if (type == QVariant::String) {
        auto *edit = new QLineEdit(parent);
        connect(edit, &QLineEdit::editingFinished, this, [this, edit] { commit(edit, edit->text()); });
        editor = edit;
    } else if (type == QtVariantPropertyManager::enumTypeId()) {
        auto *combo = new QComboBox(parent);
        connect(combo, QOverload<int>::of(&QComboBox::activated), this,
                [this, combo](int index) { commit(combo, index); });
        editor = combo;
    } else {
        return nullptr;
    }
    m_editors->add(editor, property);
    updateEditor(editor, property);
    return editor;
}

void QtVariantEditorFactory::commit(QWidget *editor, const QVariant &value)
{
    QtProperty *property = m_editors->property(editor);
    if (QtVariantPropertyManager *manager = propertyManager(property))
        manager->setValue(property, value);
}

void QtVariantEditorFactory::commitNumber(QWidget *editor, double value)
{
    commit(editor, value);
    showValue(editor);
}

void QtVariantEditorFactory::showValue(QWidget *editor)
{
    // An editor that the commit closed is no longer tracked.
    if (QtProperty *property = m_editors->property(editor))
        updateEditor(editor, property);
}

void QtVariantEditorFactory::updateEditor(QWidget *editor, QtProperty *property)
{
    QtVariantPropertyManager *manager = propertyManager(property);
    if (!manager)
        return;
    const QSignalBlocker blocker(editor);
    const QVariant value = manager->value(property);
    if (auto *spin = qobject_cast<NumberSpinBox *>(editor)) {
        spin->setDecimals(manager->attributeValue(property, QStringLiteral("decimals")).toInt());
        spin->setRange(manager->attributeValue(property, QStringLiteral("minimum")).toDouble(),
                       manager->attributeValue(property, QStringLiteral("maximum")).toDouble());
        spin->setSingleStep(manager->attributeValue(property, QStringLiteral("singleStep")).toDouble());
        spin->setValue(value.toDouble());
    } else if (auto *check = qobject_cast<QCheckBox *>(editor)) {
        check->setChecked(value.toBool());
        check->setText(property->valueText());
    } else if (auto *edit = qobject_cast<QLineEdit *>(editor)) {
        if (edit->text() != value.toString())
            edit->setText(value.toString());
    } else if (auto *combo = qobject_cast<QComboBox *>(editor)) {
        const QStringList names = manager->attributeValue(property, QStringLiteral("enumNames")).toStringList();
        QStringList shown;
        for (int i = 0; i < combo->count(); ++i)
            shown << combo->itemText(i);
        if (shown != names) {
            combo->clear();
            combo->addItems(names);
        }
        combo->setCurrentIndex(value.toInt());
    }
}
