#include "WriteError.h"

#include <cerrno>

QString WriteError::reason(int error)
{
    switch (error) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return QStringLiteral("the disk is full");
    case EACCES:
    case EPERM:
    case EROFS:
        return QStringLiteral("the folder cannot be written");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("the folder does not exist");
    case ENAMETOOLONG:
        return QStringLiteral("the name is too long");
    case EFBIG:
        return QStringLiteral("the file is too large");
    default:
        return QStringLiteral("the file could not be written");
    }
}
