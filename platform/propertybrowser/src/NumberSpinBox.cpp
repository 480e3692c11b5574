#include "NumberSpinBox.h"

#include <QKeyEvent>
#include <QLineEdit>

#include <cmath>

NumberSpinBox::NumberSpinBox(QWidget *parent)
    : QDoubleSpinBox(parent)
{
    // The user's locale, as the rows' texts are in (not the one the
    // browser had when it was made).
    QLocale typed;
    typed.setNumberOptions(typed.numberOptions() | QLocale::RejectGroupSeparator | QLocale::OmitGroupSeparator);
    setLocale(typed);
    setKeyboardTracking(false);
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { m_typed = true; });
}

bool NumberSpinBox::readWhole(const QString &text, const QLocale &locale, double *value)
{
    bool ok = false;
    const double number = locale.toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(number))
        return false;
    *value = number;
    return true;
}

QValidator::State NumberSpinBox::validate(QString &text, int &pos) const
{
    (void)pos;
    double value = 0;
    return readWhole(text, locale(), &value) ? QValidator::Acceptable : QValidator::Intermediate;
}

double NumberSpinBox::valueFromText(const QString &text) const
{
    double result = value();
    readWhole(text, locale(), &result);
    return result;
}

void NumberSpinBox::fixup(QString &text) const
{
    // The base would take the group separators out, and "1,5" would pass
    // as 15.
    (void)text;
}

void NumberSpinBox::stepBy(int steps)
{
    m_typed = false;
    QDoubleSpinBox::stepBy(steps);
    emit numberStepped(value());
}

void NumberSpinBox::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        finishTyping();
    QDoubleSpinBox::keyPressEvent(event);
}

void NumberSpinBox::focusOutEvent(QFocusEvent *event)
{
    finishTyping();
    QDoubleSpinBox::focusOutEvent(event);
}

void NumberSpinBox::finishTyping()
{
    if (!m_typed)
        return;
    m_typed = false;
    const QString text = lineEdit()->displayText().trimmed();
    double number = 0;
    if (readWhole(text, locale(), &number))
        emit numberTyped(number);
    else if (!text.isEmpty())  // an emptied box just shows its value again
        emit textRefused(text);
}
