// What must never happen to the user's files, through the real daemon: a tidy-up that deletes
// another client's data, and a finished episode lost because the library could not be written.

#include "Journey.h"
#include "PermissionOverrides.h"

#include <QFile>

namespace {

void setWritable(const QString& folder, bool writable) {
    const auto mode = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup |
                      (writable ? QFile::WriteOwner : QFile::Permissions());
    QFile::setPermissions(folder, mode);
}

class SafetyJourney : public Journey {
protected:
    // The next check grabs an episode whose series folder cannot be written.
    void grabWithALockedLibrary() {
        seedShows({harbourLights()});
        ASSERT_NO_FATAL_FAILURE(launch());
        hash = preload(kHarbourLightsS01E03);
        m_indexes.hits = {
            FakeIndexes::on(Index::torrentsCsv, Kind::tv, kHarbourLightsS01E03.name, hash, 57)};
        series = libraryPath("Series");
        setWritable(series, false);
    }

    QString hash;
    QString series;
};

} // namespace

TEST_F(SafetyJourney, ALeftoverKeepsItsFilesUnlessTheyLieInTheWorkingFolder) {
    ASSERT_NO_FATAL_FAILURE(startDaemon());
    // Added by the user with another client of the daemon, seeding from a folder of their own.
    const QString seed = QDir(m_env.root()).filePath("seed");
    const ReleaseFiles theirs{"Home.Videos.2019", {{"holiday.mkv", 128 * 1024}}};
    const QString theirHash = preload(theirs, false, seed);
    // Left behind by an earlier run, in the working folder.
    const ReleaseFiles ours{"Harbour.Lights.S01E09.720p",
                            {{"Harbour.Lights.S01E09.720p.mkv", 128 * 1024}}};
    const QString ourHash = preload(ours, true, workingFolder());

    ASSERT_NO_FATAL_FAILURE(startStore(std::chrono::milliseconds(100)));
    EXPECT_TRUE(retryUntil([&] {
        const auto held = daemonHashes();
        return held && !held->contains(theirHash) && !held->contains(ourHash);
    }));
    EXPECT_TRUE(log().contains(
        "Tidied up 2 leftover torrents in the engine, the files of 1 left where they are"))
        << log().join('\n').toStdString();
    EXPECT_TRUE(QFileInfo::exists(QDir(seed).filePath("Home.Videos.2019/holiday.mkv")));
    EXPECT_TRUE(waitFor([&] { return filesBelow(workingFolder()).isEmpty(); }))
        << filesBelow(workingFolder()).join(' ').toStdString();
}

TEST_F(SafetyJourney, AnEpisodeThatCannotBeFiledWaitsAndIsFiledOnceTheLibraryCanBeWritten) {
    ASSERT_NO_FATAL_FAILURE(grabWithALockedLibrary());
    WithoutPermissionOverrides asAnyone;
    ASSERT_TRUE(asAnyone.effective()) << "cannot drop root's permission overrides here";
    const auto failedLines = [&] {
        return log().filter("Sort failed for Harbour Lights S01E03").size();
    };

    ASSERT_NO_FATAL_FAILURE(checkNow());
    ASSERT_TRUE(waitFor([&] { return failedLines() == 1; })) << log().join('\n').toStdString();
    EXPECT_TRUE(log().last().endsWith("Permission denied"));
    EXPECT_TRUE(followed(hash));
    EXPECT_EQ(store().sortsWaiting(), 1);
    EXPECT_EQ(show(m_harbourLightsID).status.state, ShowStatus::State::error);

    // Still not writable: more passes and another check neither grab it again nor repeat the line.
    const int passes = m_passes;
    ASSERT_TRUE(waitFor([&] { return m_passes >= passes + 3; }));
    m_env.clock().advance(20);
    ASSERT_TRUE(waitFor([&] { return m_passes >= passes + 6; }));
    ASSERT_NO_FATAL_FAILURE(checkNow());
    EXPECT_EQ(log().filter("Started downloading").size(), 1);
    EXPECT_EQ(failedLines(), 1);
    EXPECT_TRUE(followed(hash));
    const auto held = daemonHashes();
    ASSERT_TRUE(held);
    EXPECT_TRUE(held->contains(hash));

    asAnyone.restore();
    setWritable(series, true);
    m_env.clock().advance(60); // past the wait before the next try
    ASSERT_TRUE(waitFor([&] { return !followed(hash); }));
    EXPECT_EQ(log().last(), "Sorted Harbour Lights S01E03 → " + filedS01E03());
    EXPECT_TRUE(QFileInfo::exists(filedS01E03()));
    EXPECT_EQ(store().sortsWaiting(), 0);
    EXPECT_EQ(historyRow(hash)->state, DownloadRecord::State::sorted);
    EXPECT_EQ(log().filter("Started downloading").size(), 1);
}

TEST_F(SafetyJourney, ADownloadRemovedWhileItWaitsForTheLibraryLeavesNothingWaiting) {
    ASSERT_NO_FATAL_FAILURE(grabWithALockedLibrary());
    WithoutPermissionOverrides asAnyone;
    ASSERT_TRUE(asAnyone.effective()) << "cannot drop root's permission overrides here";

    ASSERT_NO_FATAL_FAILURE(checkNow());
    ASSERT_TRUE(waitFor([&] { return store().sortsWaiting() == 1; }))
        << log().join('\n').toStdString();
    store().removeDownload(hash);
    EXPECT_FALSE(followed(hash));
    // A count left behind would tell the user forever that a download waits for the library.
    EXPECT_EQ(store().sortsWaiting(), 0);
    asAnyone.restore();
    setWritable(series, true);
}
