// What a crash mid-save leaves beside the six files, and what the next start removes.

#include "TestEnvironment.h"
#include "model/StorageFiles.h"

#include <QFileInfo>

#include <gtest/gtest.h>

TEST(StaleTemporaries, OnlyQSaveFileTemporariesOfTheSixFilesAreRemoved) {
    const std::pair<const char*, bool> leftovers[] = {
        {"shows.json.PXOgpq", true}, {"movies.json.a1b2c3", true}, {"activity.json.ZZZZZZ", true},
        {"settings.json.4x9Qm0", true}, {"downloads.json.Kq7wEr", true}, {"history.json.000000", true},
        {"shows.json.backup", false}, // the user's copy, maybe
        {"shows.json.unreadable-20260101-120000", false}, {"shows.json.Ab12Cd7", false}, {"shows.json.Ab12C", false},
        {"notes.json.Ab12Cd", false}, {"endpoints.json.Ab12Cd", false}, {"shows.jsonXAb12Cd", false}};
    TestEnvironment env;
    env.writeStorageFile(QStringLiteral("shows.json"), "[]");
    for (const auto& [name, removed] : leftovers)
        env.writeStorageFile(QString::fromLatin1(name), "[]");
    StorageFiles(env.storageFolder(), env.clock()).removeStaleTemporaries();
    for (const auto& [name, removed] : leftovers)
        EXPECT_EQ(QFileInfo::exists(env.storagePath(QString::fromLatin1(name))), !removed) << name;
    EXPECT_TRUE(QFileInfo::exists(env.storagePath(QStringLiteral("shows.json"))));
}
