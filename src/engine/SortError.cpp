#include "SortError.h"

#include <cerrno>

QString SortError::description() const {
    switch (kind) {
    case Kind::sourceMissing:
        return QStringLiteral("file not found at ") + path;
    case Kind::noVideoFile:
        return QStringLiteral("no video file in download");
    case Kind::noSeasonNumber:
        return QStringLiteral("couldn't parse season number");
    case Kind::fileSystem:
        return message;
    }
    return message;
}

bool SortError::mayPass() const {
    if (kind != Kind::fileSystem)
        return false;
    switch (code) {
    case EACCES:
    case EPERM:
    case EROFS:
    case ENOSPC:
    case EDQUOT:
    case ENOENT: // a share that is not mounted yet
    case ENODEV:
    case ENXIO:
    case EIO:
    case ENOTCONN:
    case ESTALE:
    case EHOSTDOWN:
    case ETIMEDOUT:
        return true;
    default:
        return false;
    }
}
