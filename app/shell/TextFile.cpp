#include "TextFile.h"

#include <QFile>
#include <QTextStream>

#include <platform/os/ReplacingFile.h>

namespace TextFile {

namespace {

// Writes the text to an open file and closes it; false when any of it did
// not go.
bool put(QFile& file, const QString& text)
{
    QTextStream out(&file);
    out << text;
    out.flush();
    const bool written = out.status() == QTextStream::Ok && file.error() == QFileDevice::NoError;
    file.close();
    return written && file.error() == QFileDevice::NoError;
}

}  // namespace

Written write(const QString& path, const QString& text)
{
    if (path.isEmpty())
        return Written::NotOpened;
    const std::string name = QFile::encodeName(path).toStdString();
    QFile file;
    if (platform::os::ReplacingFile::namesSpecialFile(name)) {
        // A pipe or a device: no other file can stand in for it.
        file.setFileName(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::Truncate))
            return Written::NotOpened;
        return put(file, text) ? Written::Whole : Written::Cut;
    }
    platform::os::ReplacingFile replacing;
    if (!replacing.open(name) ||
        !file.open(replacing.fd(), QIODevice::WriteOnly | QIODevice::Text, QFileDevice::DontCloseHandle))
        return Written::NotOpened;
    // A text that did not go whole goes with `replacing`.
    return put(file, text) && replacing.commit() ? Written::Whole : Written::Cut;
}

}  // namespace TextFile
