#include "TextFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cerrno>

#include <platform/os/ReplacingFile.h>

namespace TextFile {

namespace {

// Writes the text to an open file and closes it; false, with the errno of
// the write that failed in `error`, when any of it did not go.
bool put(QFile& file, const QString& text, int& error)
{
    QTextStream out(&file);
    out << text;
    out.flush();
    bool written = out.status() == QTextStream::Ok && file.error() == QFileDevice::NoError;
    if (!written)
        error = errno;
    file.close();
    if (written && file.error() != QFileDevice::NoError) {
        error = errno;
        written = false;
    }
    return written;
}

Written failed(Written how, int cause, int* error)
{
    if (error)
        *error = cause;
    return how;
}

}  // namespace

Written write(const QString& path, const QString& text, int* error)
{
    if (path.isEmpty())
        return failed(Written::NotOpened, ENOENT, error);
    const std::string name = QFile::encodeName(path).toStdString();
    QFile file;
    int cause = 0;  // of a text not written whole
    if (platform::os::ReplacingFile::namesSpecialFile(name)) {
        // A pipe or a device: no other file can stand in for it.
        file.setFileName(path);
        errno = 0;
        if (!file.open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::Truncate))
            return failed(Written::NotOpened, errno, error);
        return put(file, text, cause) ? Written::Whole : failed(Written::Cut, cause, error);
    }
    platform::os::ReplacingFile replacing;
    errno = 0;
    if (!replacing.open(name) ||
        !file.open(replacing.fd(), QIODevice::WriteOnly | QIODevice::Text, QFileDevice::DontCloseHandle)) {
        // A folder that is there but makes no files (/proc) answers as if
        // it were not there.
        const int refused = errno;
        const bool folderThere = refused == ENOENT && QFileInfo(path).dir().exists();
        return failed(Written::NotOpened, folderThere ? EACCES : refused, error);
    }
    // A text that did not go whole goes with `replacing`.
    if (!put(file, text, cause))
        return failed(Written::Cut, cause, error);
    errno = 0;
    if (!replacing.commit())
        return failed(Written::Cut, errno, error);
    return Written::Whole;
}

}  // namespace TextFile
