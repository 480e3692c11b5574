#pragma once
// Numbers as the user types them into a field or a box. A text is read
// whole, in the user's locale, with its group separator refused: "1e1" is
// 10, "1,5" is 1.5 where the locale writes decimals with a comma and no
// number at all where it groups thousands with one, and a text with a
// character that is not part of the number is no number either. A field
// that cannot take what was typed says why in a log row and takes nothing.

#include <QLocale>
#include <QString>

class NumberText {
public:
    // `base` with group separators refused when read and left out when
    // shown.
    static QLocale typingLocale(const QLocale& base = QLocale());

    // The log row that tells why the field `name`, which takes numbers from
    // minimum to maximum with at most `decimals` decimals (0: whole
    // numbers), does not take `text`; null when it does, with the number in
    // *value.
    static QString refusal(const QString& name, const QString& text, double minimum, double maximum, int decimals,
                           const QLocale& locale, double* value);

    // The row for a text that is no number, and for a fraction where only
    // whole numbers go.
    static QString notANumber(const QString& name, const QString& text);
    static QString notWhole(const QString& name, const QString& text);
};
