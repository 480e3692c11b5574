#include "TextFile.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace TextFile {

Written write(const QString& path, const QString& text)
{
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::WriteOnly | QIODevice::Text | QIODevice::Truncate))
        return Written::NotOpened;
    const bool regular = QFileInfo(path).isFile();
    QTextStream out(&file);
    out << text;
    out.flush();
    const bool flushed = out.status() == QTextStream::Ok && file.error() == QFileDevice::NoError;
    file.close();
    if (flushed && file.error() == QFileDevice::NoError)
        return Written::Whole;
    if (regular)
        file.remove();
    return Written::Cut;
}

}  // namespace TextFile
