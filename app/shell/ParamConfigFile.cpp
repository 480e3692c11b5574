#include "ParamConfigFile.h"

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

QVector<ParamConfigFile::Setting> ParamConfigFile::loadOrder(QTextStream& in, int* usableLines)
{
    QVector<Setting> order;
    QMap<QString, QString> geometry;
    int usable = 0;
    while (!in.atEnd()) {
        QString line = in.readLine();
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QStringList parts = line.split(QLatin1Char(':'));
        if (parts.size() < 3)
            continue;
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
            order.append({name, QStringLiteral("0")});
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
