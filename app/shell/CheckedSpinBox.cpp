#include "CheckedSpinBox.h"

#include <QKeyEvent>
#include <QLineEdit>

#include "NumberText.h"

CheckedSpinBox::CheckedSpinBox(QWidget* parent) : QSpinBox(parent)
{
    setLocale(NumberText::typingLocale());
    setKeyboardTracking(false);
}

void CheckedSpinBox::setFieldName(const QString& name) { m_name = name; }

QString CheckedSpinBox::refusalOf(const QString& text, int* value) const
{
    double number = 0;
    const QString row = NumberText::refusal(m_name, text, minimum(), maximum(), 0, locale(), &number);
    if (row.isNull())
        *value = static_cast<int>(number);
    return row;
}

QValidator::State CheckedSpinBox::validate(QString& text, int& pos) const
{
    (void)pos;
    int value = 0;
    // Intermediate, never Invalid: what does not read yet stays as typed.
    return refusalOf(text, &value).isNull() ? QValidator::Acceptable : QValidator::Intermediate;
}

int CheckedSpinBox::valueFromText(const QString& text) const
{
    int result = value();
    (void)refusalOf(text, &result);  // only taken texts come here
    return result;
}

void CheckedSpinBox::fixup(QString& text) const
{
    (void)text;  // the base would take out group separators: "1,5" would pass as 15
}

void CheckedSpinBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        refuseTyped();
    QSpinBox::keyPressEvent(event);
}

void CheckedSpinBox::focusOutEvent(QFocusEvent* event)
{
    refuseTyped();
    QSpinBox::focusOutEvent(event);
}

// The base then shows the value in use again.
void CheckedSpinBox::refuseTyped()
{
    const QString text = lineEdit()->displayText().trimmed();
    int value = 0;
    const QString row = text.isEmpty() ? QString() : refusalOf(text, &value);
    if (!row.isNull())
        emit refused(row);
}
