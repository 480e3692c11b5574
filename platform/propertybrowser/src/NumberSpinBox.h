#pragma once

#include <QDoubleSpinBox>

// The editor of a number row. A typed text is read whole when editing
// finishes (Enter, or the focus leaving) in the editor's locale, whose group
// separator is refused: "1e1" is 10, and "1,5" is 1.5 where the locale writes
// decimals with a comma and no number at all where it groups thousands with
// one. No keystroke is dropped while typing, so that nothing is read with a
// character left out. The number goes out exactly as typed, not rounded to
// the decimals the box shows; a text that is no number goes out as refused,
// and the box then shows its value again. Arrow steps go out at once.
class NumberSpinBox : public QDoubleSpinBox
{
    Q_OBJECT
public:
    explicit NumberSpinBox(QWidget *parent = nullptr);

    // `text` read whole in `locale`; false for anything that is no finite
    // number.
    static bool readWhole(const QString &text, const QLocale &locale, double *value);

signals:
    void numberTyped(double value);
    void numberStepped(double value);
    void textRefused(const QString &text);

protected:
    QValidator::State validate(QString &text, int &pos) const override;
    double valueFromText(const QString &text) const override;
    void fixup(QString &text) const override;
    void stepBy(int steps) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    // Hands out what was typed since the box last showed a value.
    void finishTyping();

    bool m_typed = false;
};
