#pragma once
// What the checked spin boxes share: a box that never takes a number other
// than the one typed. A keystroke is never dropped while typing; when
// editing finishes (Enter, or the focus leaving) the text is read whole
// (NumberText): a number in the box's range, with no more decimals than the
// box shows, is taken; anything else is refused with a log row naming the
// box and its range, and the box shows the value in use again. A typed
// number is taken once, when editing finishes, never per keystroke.
//
// Base is QSpinBox or QDoubleSpinBox; the Qt class over it sends the row
// (refuse).

#include <QKeyEvent>
#include <QLineEdit>

#include <type_traits>

#include "NumberText.h"

template <class Base>
class CheckedBox : public Base {
public:
    using Value = std::conditional_t<std::is_same_v<Base, QSpinBox>, int, double>;

    explicit CheckedBox(QWidget* parent) : Base(parent)
    {
        this->setLocale(NumberText::typingLocale());
        this->setKeyboardTracking(false);
    }

    // The box's name in its refusal rows.
    void setFieldName(const QString& name) { m_name = name; }

protected:
    // Sends the row that tells why the typed text was not taken.
    virtual void refuse(const QString& row) = 0;

    QValidator::State validate(QString& text, int& pos) const override
    {
        (void)pos;
        Value value{};
        // Intermediate, never Invalid: what does not read yet stays as typed.
        return refusalOf(text, &value).isNull() ? QValidator::Acceptable : QValidator::Intermediate;
    }

    Value valueFromText(const QString& text) const override
    {
        Value result = this->value();
        (void)refusalOf(text, &result);  // only taken texts come here
        return result;
    }

    void fixup(QString& text) const override
    {
        (void)text;  // the base would take out group separators: "1,5" would pass as 15
    }

    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
            refuseTyped();
        Base::keyPressEvent(event);
    }

    void focusOutEvent(QFocusEvent* event) override
    {
        refuseTyped();
        Base::focusOutEvent(event);
    }

private:
    int decimalsShown() const
    {
        if constexpr (std::is_same_v<Value, int>)
            return 0;
        else
            return this->decimals();
    }

    // The row for `text`; null when the box takes it (the number in *value).
    QString refusalOf(const QString& text, Value* value) const
    {
        double number = 0;
        const QString row = NumberText::refusal(m_name, text, this->minimum(), this->maximum(), decimalsShown(),
                                                this->locale(), &number);
        if (row.isNull())
            *value = static_cast<Value>(number);
        return row;
    }

    // The base then shows the value in use again.
    void refuseTyped()
    {
        const QString text = this->lineEdit()->displayText().trimmed();
        Value value{};
        const QString row = text.isEmpty() ? QString() : refusalOf(text, &value);
        if (!row.isNull())
            refuse(row);
    }

    QString m_name;
};
