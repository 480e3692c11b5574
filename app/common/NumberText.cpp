#include "NumberText.h"

#include <cmath>

QLocale NumberText::typingLocale(const QLocale& base)
{
    QLocale locale = base;
    locale.setNumberOptions(locale.numberOptions() | QLocale::RejectGroupSeparator | QLocale::OmitGroupSeparator);
    return locale;
}

namespace {

// `text` read whole as a finite number in `locale`.
bool readWhole(const QString& text, const QLocale& locale, double* value)
{
    bool ok = false;
    const double number = NumberText::typingLocale(locale).toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(number))
        return false;
    *value = number;
    return true;
}

}  // namespace

QString NumberText::refusal(const QString& name, const QString& text, double minimum, double maximum, int decimals,
                            const QLocale& locale, double* value)
{
    const QString typed = text.trimmed();
    double number = 0;
    if (!readWhole(typed, locale, &number))
        return notANumber(name, typed);
    const double scaled = number * std::pow(10.0, decimals);
    // A tolerance for the binary fraction: 1.15 is 114.999... hundredths.
    if (std::abs(scaled - std::round(scaled)) > 1e-6)
        return decimals == 0 ? notWhole(name, typed)
                             : QStringLiteral("%1: %2 has more than %3 decimals").arg(name, typed).arg(decimals);
    if (number < minimum || number > maximum) {
        const QLocale shown = typingLocale(locale);
        return QStringLiteral("%1: %2 is outside %3..%4")
            .arg(name, typed, shown.toString(minimum, 'f', decimals), shown.toString(maximum, 'f', decimals));
    }
    *value = std::round(scaled) / std::pow(10.0, decimals);
    return QString();
}

QString NumberText::notANumber(const QString& name, const QString& text)
{
    return QStringLiteral("%1: %2 is not a number").arg(name, text);
}

QString NumberText::notWhole(const QString& name, const QString& text)
{
    return QStringLiteral("%1: %2 is not a whole number").arg(name, text);
}
