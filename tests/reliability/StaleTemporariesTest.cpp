// What a crash mid-save leaves beside the six files, and what the next start removes.

#include "TestEnvironment.h"
#include "model/StorageFiles.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace {

struct Leftover {
    const char* name;
    bool removed;
};

std::ostream& operator<<(std::ostream& os, const Leftover& l) {
    return os << l.name;
}

class StaleTemporaries : public testing::TestWithParam<Leftover> {};

} // namespace

TEST_P(StaleTemporaries, OnlyQSaveFileTemporariesOfTheSixFilesAreRemoved) {
    TestEnvironment env;
    env.writeStorageFile(QString::fromLatin1(GetParam().name), "[]");
    env.writeStorageFile(QStringLiteral("shows.json"), "[]");

    StorageFiles(env.storageFolder(), env.clock()).removeStaleTemporaries();

    EXPECT_EQ(QFileInfo::exists(env.storagePath(QString::fromLatin1(GetParam().name))), !GetParam().removed);
    EXPECT_TRUE(QFileInfo::exists(env.storagePath(QStringLiteral("shows.json"))));
}

INSTANTIATE_TEST_SUITE_P(Names, StaleTemporaries,
                         testing::Values(Leftover{"shows.json.PXOgpq", true}, Leftover{"movies.json.a1b2c3", true},
                                         Leftover{"activity.json.ZZZZZZ", true},
                                         Leftover{"settings.json.4x9Qm0", true},
                                         Leftover{"downloads.json.Kq7wEr", true},
                                         Leftover{"history.json.000000", true},
                                         Leftover{"shows.json.backup", false}, // the user's copy, maybe
                                         Leftover{"shows.json.unreadable-20260101-120000", false},
                                         Leftover{"shows.json.Ab12Cd7", false}, Leftover{"shows.json.Ab12C", false},
                                         Leftover{"notes.json.Ab12Cd", false}, Leftover{"endpoints.json.Ab12Cd", false},
                                         Leftover{"shows.jsonXAb12Cd", false}),
                         [](const auto& info) { return std::to_string(info.index); });
