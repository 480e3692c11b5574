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
constexpr int kShownLength = 40;  // characters of a name or value in a log row

}  // namespace

QString ParamConfigFile::shownText(const QString& text)
{
    // A file that is no parameter file gives any bytes. Names, numbers and
    // entry names of a parameter file are ASCII: anything else is escaped.
    QString shown;
    for (const QChar c : text.left(kShownLength)) {
        const ushort u = c.unicode();
        if (u >= 0x20 && u < 0x7F)
            shown += c;
        else if (u < 0x100)
            shown += QStringLiteral("\\x%1").arg(u, 2, 16, QLatin1Char('0'));
        else
            shown += QStringLiteral("\\u%1").arg(u, 4, 16, QLatin1Char('0'));
    }
    if (text.size() > kShownLength)
        shown += QStringLiteral("...");
    return shown;
}

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
        if (isGeometry(parts.at(0))) {
            geometry[parts.at(0)] = parts.at(2);
            continue;
        }
        // Files of older versions, and enumeration values without an entry
        // name, have no name here.
        const bool named = parts.size() > 3 && parts.at(1) == QLatin1String("9");
        order.append({parts.at(0), parts.at(2), true, named ? parts.mid(3).join(QLatin1Char(':')) : QString()});
    }
    const QString offsets[] = {QStringLiteral("OffsetX"), QStringLiteral("OffsetY")};
    // Only offsets that are then set again go to 0 first: a line that is
    // refused leaves its feature as it was.
    for (const QString& name : offsets) {
        bool ok = false;
        geometry.value(name).toLongLong(&ok, 10);
        if (ok)
            order.append({name, QStringLiteral("0"), false, QString()});
    }
    for (const QString& name : {QStringLiteral("Width"), QStringLiteral("Height"), offsets[0], offsets[1]})
        if (geometry.contains(name))
            order.append({name, geometry.value(name), true, QString()});
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
        named << (m_names.at(i).isEmpty() ? QStringLiteral("\"\"") : shownText(m_names.at(i)));
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
