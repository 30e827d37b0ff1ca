// What a crash mid-save leaves beside the six files, and what the next start removes.

#include "Fixtures.h"
#include "TestEnvironment.h"
#include "model/StorageFiles.h"

#include <QFileInfo>

#include <gtest/gtest.h>

TEST(StaleTemporaries, OnlyQSaveFileTemporariesOfTheSixFilesAreRemoved) {
    const auto leftovers = fixtureJson("records/stale-temporaries.json");
    const QStringList removed = strings(leftovers["removed"]);
    TestEnvironment env;
    env.writeStorageFile("shows.json", "[]");
    for (const QString& name : removed + strings(leftovers["kept"]))
        env.writeStorageFile(name, "[]");
    StorageFiles(env.storageFolder(), env.clock()).removeStaleTemporaries();
    for (const QString& name : removed + strings(leftovers["kept"]))
        EXPECT_EQ(QFileInfo::exists(env.storagePath(name)), !removed.contains(name))
            << name.toStdString();
    EXPECT_TRUE(QFileInfo::exists(env.storagePath("shows.json")));
}
