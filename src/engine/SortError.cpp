#include "SortError.h"

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
