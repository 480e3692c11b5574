#include "ElementText.h"

#include <QStringList>

#include <algorithm>
#include <vector>

namespace ElementText {

QString ipv4Text(int64_t value)
{
    const uint32_t v = static_cast<uint32_t>(value);
    return QString("%1.%2.%3.%4").arg(v >> 24).arg((v >> 16) & 0xFF).arg((v >> 8) & 0xFF).arg(v & 0xFF);
}

QString macText(int64_t value)
{
    const uint64_t v = static_cast<uint64_t>(value);
    QStringList parts;
    for (int shift = 40; shift >= 0; shift -= 8)
        parts << QString::number((v >> shift) & 0xFF, 16);
    return parts.join(':').toUpper();
}

QString timeText(int64_t nanoseconds)
{
    const int64_t n = nanoseconds;
    const int64_t s = n / 1000000000;
    const int64_t sub = n % 1000000000;
    return QString("%1:%2:%3:%4:%5:%6")
        .arg(s / 3600)
        .arg((s / 60) % 60)
        .arg(s % 60)
        .arg(sub / 1000000)
        .arg((sub / 1000) % 1000)
        .arg(n % 1000);
}

QString representedText(const ZTCamElement& element)
{
    switch (element.representation) {
    case ZTCAM_REPR_IPV4:
        return ipv4Text(element.value.intValue);
    case ZTCAM_REPR_MAC:
        return macText(element.value.intValue);
    case ZTCAM_REPR_TIME:
        return timeText(element.value.intValue);
    default:
        return QString();
    }
}

namespace {

// Splits `text` at `separator` into exactly `count` numbers of `base`, each
// at most `limit`, most significant first.
bool parseParts(const QString& text, QChar separator, int count, int base, uint64_t limit, uint64_t* value)
{
    const QStringList parts = text.trimmed().split(separator);
    if (parts.size() != count)
        return false;
    uint64_t result = 0;
    for (const QString& part : parts) {
        bool ok = false;
        const uint64_t p = part.trimmed().toULongLong(&ok, base);
        if (!ok || p > limit || part.trimmed().startsWith('+'))
            return false;
        result = (result << 8) | p;
    }
    *value = result;
    return true;
}

}  // namespace

bool parseIpv4(const QString& text, uint64_t* value)
{
    return parseParts(text, '.', 4, 10, 255, value);
}

bool parseMac(const QString& text, uint64_t* value)
{
    return parseParts(text, ':', 6, 16, 0xFF, value);
}

QString readString(ZTCamHandle handle, ZTCamElement& element, bool* ok, int32_t nodeMap)
{
    const int64_t maximum = element.maximum.intValue;
    if (maximum < 0 || maximum > kMaxTextBytes) {
        if (ok)
            *ok = false;
        return QString();
    }
    std::vector<char> buffer(static_cast<size_t>(maximum) + 1, '\0');
    char* const callerText = element.text;
    element.text = buffer.data();
    const bool read = ZTCAM_GenICam_GetElementValue(handle, &element, nodeMap) == ZTCAM_STATUS_SUCCESS;
    element.text = callerText;
    if (ok)
        *ok = read;
    buffer.back() = '\0';
    return read ? QString::fromLocal8Bit(buffer.data()) : QString();
}

QStringList entryNames(const ZTCamElement& element)
{
    QStringList names;
    if (!element.entries)
        return names;
    const int64_t last = std::min<int64_t>(element.maximum.intValue, kMaxEntries - 1);
    for (int64_t i = 0; i <= last; ++i) {
        const char* entry = element.entries[i];
        names << (entry ? QString::fromUtf8(entry) : QString());
    }
    return names;
}

int entryIndex(const ZTCamElement& element, const QString& name, int64_t preferred)
{
    const QStringList names = entryNames(element);
    if (preferred >= 0 && preferred < names.size() && names.at(static_cast<int>(preferred)) == name)
        return static_cast<int>(preferred);
    return names.indexOf(name);
}

}  // namespace ElementText
