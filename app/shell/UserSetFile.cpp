#include "UserSetFile.h"

#include <QFile>
#include <QTextStream>

#include <cstdlib>
#include <limits>

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// A token of optional sign and digits only.
bool isInteger(const QByteArray& token)
{
    int i = token.startsWith('+') || token.startsWith('-') ? 1 : 0;
    if (i >= token.size())
        return false;
    for (; i < token.size(); ++i)
        if (token[i] < '0' || token[i] > '9')
            return false;
    return true;
}

}  // namespace

bool UserSetFile::firmwareSupported(const QByteArray& deviceVersion)
{
    if (deviceVersion.size() <= 4)
        return false;
    // Leading digits after white space and a sign; 0 when there are none.
    return std::strtol(deviceVersion.mid(4, 4).constData(), nullptr, 10) > 2504;
}

QVector<int> UserSetFile::pieceSizes(int bytes)
{
    QVector<int> pieces;
    for (int left = bytes; left > 0; left -= kPieceBytes)
        pieces.append(left < kPieceBytes ? left : kPieceBytes);
    return pieces;
}

TextFile::Written UserSetFile::save(const QString& path, const QVector<qint32>& words)
{
    QString text;
    QTextStream out(&text);
    for (qint32 word : words)
        out << word << '\n';
    out.flush();
    return TextFile::write(path, text);
}

bool UserSetFile::Loaded::usable() const
{
    if (outOfRange || tooLarge || words.size() < 2)
        return false;
    const qint32 length = words.at(1);
    return length >= 2 && length <= words.size();
}

UserSetFile::Loaded UserSetFile::load(const QString& path)
{
    Loaded result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return result;
    result.opened = true;
    result.fileBytes = file.size();

    // The longest word, "-2147483648", has 11 characters; a longer token is
    // no 32-bit number whatever it holds.
    constexpr int kLongestToken = 12;
    QByteArray token;
    // Takes the token just ended; false when reading stops here.
    auto take = [&]() -> bool {
        if (token.isEmpty())
            return true;
        const QByteArray t = token;
        token.clear();
        if (!isInteger(t))
            return false;  // the first text that is no number ends the data
        bool ok = false;
        const qlonglong v = t.size() <= kLongestToken ? t.toLongLong(&ok, 10) : 0;
        if (!ok || v < std::numeric_limits<qint32>::min() || v > std::numeric_limits<qint32>::max()) {
            result.outOfRange = true;
            return false;
        }
        result.words.append(static_cast<qint32>(v));
        if (result.words.size() < 2)
            return true;
        // The length word tells how many words the block has.
        const qint32 length = result.words.at(1);
        if (length > kMaxWords) {
            result.tooLarge = true;
            return false;
        }
        return result.words.size() < length;
    };
    char chunk[65536];
    qint64 n = 0;
    while ((n = file.read(chunk, sizeof chunk)) > 0) {
        for (qint64 i = 0; i < n; ++i) {
            if (isSpace(chunk[i])) {
                if (!take())
                    return result;
                continue;
            }
            token.append(chunk[i]);
            if (token.size() > kLongestToken + 1 && !take())
                return result;
        }
    }
    take();
    return result;
}
