#include "TextFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>

namespace TextFile {

namespace {

// Writes the text to an open file; false when any of it did not go.
bool put(QFileDevice& file, const QString& text)
{
    QTextStream out(&file);
    out << text;
    out.flush();
    return out.status() == QTextStream::Ok && file.error() == QFileDevice::NoError;
}

}  // namespace

Written write(const QString& path, const QString& text)
{
    if (path.isEmpty())
        return Written::NotOpened;
    const QFileInfo named(path);
    if (named.exists() && !named.isFile()) {
        // A pipe or a device: no other file can stand in for it.
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::Truncate))
            return Written::NotOpened;
        const bool written = put(file, text);
        file.close();
        return written && file.error() == QFileDevice::NoError ? Written::Whole : Written::Cut;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return Written::NotOpened;
    if (!put(file, text))
        file.cancelWriting();
    return file.commit() ? Written::Whole : Written::Cut;
}

}  // namespace TextFile
