#include "StoreEnvironment.h"

#include <QDir>
#include <QStandardPaths>

namespace {

QString firstOr(const QStringList& locations, const QString& fallback) {
    return locations.isEmpty() || locations.first().isEmpty() ? fallback : locations.first();
}

} // namespace

StoreEnvironment StoreEnvironment::production() {
    StoreEnvironment env;
    const QString home = QDir::homePath();
    const QString dataHome =
        firstOr(QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation),
                QDir(home).filePath(QStringLiteral(".local/share")));
    const QString downloads =
        firstOr(QStandardPaths::standardLocations(QStandardPaths::DownloadLocation),
                QDir(home).filePath(QStringLiteral("Downloads")));
    env.storageFolder = QDir(dataHome).filePath(QStringLiteral("Lumivane"));
    env.defaultLibraryRoot = QDir(downloads).filePath(QStringLiteral("Lumivane"));
    return env;
}
