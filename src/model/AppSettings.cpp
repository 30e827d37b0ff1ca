#include "AppSettings.h"

#include "RecordCodecs.h"
#include "StorageFiles.h"

#include <QDir>
#include <QFile>

std::optional<AppSettings> AppSettings::loadFromDisk(const QString& storageFolder) {
    // The shell reads before the store exists; setting an unreadable file aside is the
    // store's job at its start, so this read only looks.
    if (storageFolder.isEmpty())
        return std::nullopt;
    QFile file(QDir(storageFolder).filePath(QString::fromLatin1(StorageFiles::kSettings)));
    if (!file.open(QIODevice::ReadOnly) || file.size() > StorageFiles::kMaxFileBytes)
        return std::nullopt;
    // Read as the store reads it, a value of the wrong type at its default, so both agree on
    // the library root.
    SalvageCount count;
    return salvageDocument<AppSettings>(file.readAll(), count);
}

bool AppSettings::migrateSeeding() {
    if (seedMigratedV1)
        return false;
    if (!seedRatioEnabled && seedRatioLimit == 0.0)
        seedRatioEnabled = true;
    seedMigratedV1 = true;
    return true;
}
