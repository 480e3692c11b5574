#include "CheckedDoubleSpinBox.h"

#include <QKeyEvent>
#include <QLineEdit>

#include "NumberText.h"

CheckedDoubleSpinBox::CheckedDoubleSpinBox(QWidget* parent) : QDoubleSpinBox(parent)
{
    setLocale(NumberText::typingLocale());
    setKeyboardTracking(false);
}

void CheckedDoubleSpinBox::setFieldName(const QString& name) { m_name = name; }

QString CheckedDoubleSpinBox::refusalOf(const QString& text, double* value) const
{
    return NumberText::refusal(m_name, text, minimum(), maximum(), decimals(), locale(), value);
}

QValidator::State CheckedDoubleSpinBox::validate(QString& text, int& pos) const
{
    (void)pos;
    double value = 0;
    // Intermediate, never Invalid: what does not read yet stays as typed.
    return refusalOf(text, &value).isNull() ? QValidator::Acceptable : QValidator::Intermediate;
}

double CheckedDoubleSpinBox::valueFromText(const QString& text) const
{
    double result = value();
    (void)refusalOf(text, &result);  // only taken texts come here
    return result;
}

void CheckedDoubleSpinBox::fixup(QString& text) const
{
    (void)text;  // the base would take out group separators: "1,5" would pass as 15
}

void CheckedDoubleSpinBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        refuseTyped();
    QDoubleSpinBox::keyPressEvent(event);
}

void CheckedDoubleSpinBox::focusOutEvent(QFocusEvent* event)
{
    refuseTyped();
    QDoubleSpinBox::focusOutEvent(event);
}

// The base then shows the value in use again.
void CheckedDoubleSpinBox::refuseTyped()
{
    const QString text = lineEdit()->displayText().trimmed();
    double value = 0;
    const QString row = text.isEmpty() ? QString() : refusalOf(text, &value);
    if (!row.isNull())
        emit refused(row);
}
