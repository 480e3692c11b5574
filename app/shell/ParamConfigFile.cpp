#include "ParamConfigFile.h"

#include <QCoreApplication>
#include <QMap>
#include <QStringList>
#include <QTextStream>

#include <limits>

#include <ZTCam.h>

namespace {

bool isGeometry(const QString& name)
{
    return name == QLatin1String("Width") || name == QLatin1String("Height") || name == QLatin1String("OffsetX") ||
           name == QLatin1String("OffsetY");
}

constexpr int kNamedLines = 3;
constexpr int kNameLength = 40;

// A name as a log row shows it: a file that is no parameter file gives any
// bytes, which are not printed as they are.
QString shownName(const QString& name)
{
    QString shown;
    for (const QChar c : name.left(kNameLength))
        shown += c.unicode() >= 0x20 && c.unicode() < 0x7F ? c : QLatin1Char('?');
    if (name.size() > kNameLength)
        shown += QStringLiteral("...");
    return shown.isEmpty() ? QStringLiteral("\"\"") : shown;
}

}  // namespace

QString ParamConfigFile::formatLine(const ParamEntry& entry)
{
    const QString name = QString::fromLatin1(entry.name);
    switch (entry.type) {
    case ZTCAM_ELEM_ENUMERATION:
        return QStringLiteral("%1:%2:%3:%4\n").arg(name).arg(entry.type).arg(entry.intValue).arg(entry.text);
    case ZTCAM_ELEM_FLOAT:
        return QStringLiteral("%1:%2:%3\n").arg(name).arg(entry.type).arg(QString::number(entry.floatValue, 'g', 6));
    default:
        return QStringLiteral("%1:%2:%3\n").arg(name).arg(entry.type).arg(entry.intValue);
    }
}

QVector<ParamConfigFile::Setting> ParamConfigFile::loadOrder(QTextStream& in, int* usableLines,
                                                             QStringList* shortLines)
{
    QVector<Setting> order;
    QMap<QString, QString> geometry;
    int usable = 0;
    while (!in.atEnd()) {
        QString line = in.readLine();
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QStringList parts = line.split(QLatin1Char(':'));
        if (parts.size() < 3) {
            if (shortLines && !line.trimmed().isEmpty())
                shortLines->append(parts.at(0));
            continue;
        }
        ++usable;
        if (isGeometry(parts.at(0)))
            geometry[parts.at(0)] = parts.at(2);
        else
            order.append({parts.at(0), parts.at(2)});
    }
    const QString offsets[] = {QStringLiteral("OffsetX"), QStringLiteral("OffsetY")};
    // Only offsets that are then set again go to 0 first: a line that is
    // refused leaves its feature as it was.
    for (const QString& name : offsets) {
        bool ok = false;
        geometry.value(name).toLongLong(&ok, 10);
        if (ok)
            order.append({name, QStringLiteral("0"), false});
    }
    for (const QString& name : {QStringLiteral("Width"), QStringLiteral("Height"), offsets[0], offsets[1]})
        if (geometry.contains(name))
            order.append({name, geometry.value(name)});
    if (usableLines)
        *usableLines = usable;
    return order;
}

bool ParamConfigFile::parseInteger(const QString& text, qint64 minimum, qint64& value)
{
    bool ok = false;
    const qint64 v = text.toLongLong(&ok, 10);
    if (!ok)
        return false;
    value = v < 0 && minimum >= 0 && v >= std::numeric_limits<qint32>::min() ? qint64(quint32(qint32(v))) : v;
    return true;
}

void ParamConfigFile::Report::add(const QString& name, Outcome outcome)
{
    ++m_lines;
    switch (outcome) {
    case Outcome::Applied:
        return;
    case Outcome::Unknown:
        ++m_unknown;
        break;
    case Outcome::Refused:
        ++m_refused;
        break;
    case Outcome::Changed:
        ++m_changed;
        break;
    }
    m_names.append(name);
}

QString ParamConfigFile::Report::summary() const
{
    QStringList named;
    for (int i = 0; i < m_names.size() && i < kNamedLines; ++i)
        named << shownName(m_names.at(i));
    if (m_names.size() > kNamedLines)
        named << QStringLiteral("...");
    return QCoreApplication::translate("MainWindow",
                                       "Camera parameters only partly loaded: %1 of %2 lines not applied as written "
                                       "(%3 unknown, %4 refused, %5 changed by the camera): %6")
        .arg(m_names.size())
        .arg(m_lines)
        .arg(m_unknown)
        .arg(m_refused)
        .arg(m_changed)
        .arg(named.join(QStringLiteral(", ")));
}
