// The health watch as the store feeds it: indexes that do not answer a whole cycle, a refused
// TMDB key — and the finished torrent still being moved. (The rules of telling: HealthWatchTest;
// files set aside at start: the lifecycle tests' stored states.)

#include "StoreHarness.h"
#include "store/DownloadFollower.h"
#include "store/HealthWatch.h"
#include "store/HuntCycle.h"

#include <QSignalSpy>

namespace {

class StoreHealth : public StoreHarness {
protected:
    QStringList errorLines() const {
        QStringList lines;
        for (const ActivityEntry& e : m_store->activity())
            if (e.kind == ActivityEntry::Kind::error)
                lines.prepend(e.message);
        return lines;
    }
};

// --- indexes -----------------------------------------------------------------------------------

// Every index fails with a server error until the test lets them answer again.
class SilentIndexes : public StoreHealth {
protected:
    SilentIndexes() {
        m_fakeIndexes = true;
        m_indexes.answering = false;
    }
};

} // namespace

TEST_F(SilentIndexes, AnOutageIsToldInsteadOfNoNewEpisodesAndSoIsItsEnd) {
    startWith(Show{.id = QUuid::createUuid(), .name = "Dark"});
    drainEvents();
    QSignalSpy changes(m_store.get(), &WatchlistStore::searchHealthChanged);

    const QString outage =
        "No torrent index answered this check (Knaben, The Pirate Bay, Torrents-CSV, Nyaa), so "
        "new episodes cannot be found. Check the network connection, or the index addresses in " +
        m_env.storagePath("endpoints.json") + ".";
    runCheck();
    EXPECT_EQ(log(), QStringList({"Checking 1 series…", outage}));
    EXPECT_EQ(m_store->searchHealth().silentIndexes,
              QStringList({"Knaben", "The Pirate Bay", "Torrents-CSV", "Nyaa"}));
    EXPECT_EQ(changes.size(), 1);

    // The indexes come back: Torrents-CSV answers with an empty list, the others not at all.
    m_indexes.answering = true;
    runCheck();
    EXPECT_EQ(log().mid(2),
              QStringList({"Checking 1 series…", "Torrent indexes answer again (Torrents-CSV).",
                           "No new episodes found"}));
    EXPECT_TRUE(m_store->searchHealth().isHealthy());
    EXPECT_EQ(changes.size(), 2);
}

// A search that reaches nobody is told as such, never as an empty answer.
TEST_F(SilentIndexes, AnEpisodeGrabbedMeanwhileIsNotNoneFound) {
    startWith(Show{.id = QUuid::createUuid(), .name = "Dark"});
    EXPECT_EQ(awaitTask(m_store->grabEpisodes(dark().id, {"S01E02"})).value("S01E02"),
              WatchlistStore::EpisodeOutcome::indexesUnreachable);
    EXPECT_EQ(log(), QStringList({"Searching for Dark S01E02…",
                                  "Dark S01E02 — could not reach the torrent indexes"}));
}

// --- TMDB --------------------------------------------------------------------------------------

namespace {

class RefusedKey : public StoreHealth {
protected:
    RefusedKey() {
        m_fakeTmdb = true;
        m_tmdb.refusingKey = true;
        m_tmdb.series[70523] = {.name = "Dark", .status = "Ended"};
    }
};

} // namespace

TEST_F(RefusedKey, IsToldWithWhereToFixItAndWhenItWorksAgain) {
    startWith(Show{.id = QUuid::createUuid(), .name = "Dark", .tmdbID = 70523});
    // The start refreshes the air information at once.
    ASSERT_TRUE(runEventLoopUntil([&] { return m_store->searchHealth().tmdbKeyRefused; }));
    const QString refused =
        "TMDB refused the API key, so air dates and new titles cannot be looked up. Check the "
        "TMDB API key in Settings (leave it empty to use the built-in key).";
    EXPECT_EQ(errorLines(), QStringList{refused});

    // The user pastes a key TMDB takes.
    m_tmdb.refusingKey = false;
    m_store->updateSettings(
        [](AppSettings& s) { s.tmdbAPIKey = "0123456789abcdef0123456789abcdef"; });
    awaitTask(m_store->cycle().refreshAirInfo(true));
    EXPECT_FALSE(m_store->searchHealth().tmdbKeyRefused);
    EXPECT_EQ(log(), QStringList({refused, "TMDB accepts the API key again."}));
}

// --- a finished torrent the daemon has not moved yet -------------------------------------------

TEST_F(StoreHealth, AFinishedTorrentNotYetMovedIsWaitedForInsteadOfFailingTheSort) {
    const QString file = "Dark.S01E02/Dark.S01E02.1080p.mkv";
    char c = 'c';
    // Each row: what the daemon reports while the data is not in place, and whether the data is
    // meanwhile in the working folder.
    for (const auto& gap : fixtureJson("store/unmoved.json")) {
        SCOPED_TRACE(gap.dump());
        const bool staged = gap["inWorkingFolder"].get<bool>();
        const QString h = hash(c++); // a removal still on its way cannot take the next one
        const QUuid id = QUuid::createUuid();
        wipe();
        seed(StorageFiles::kShows, QList<Show>{Show{.id = id, .name = "Dark"}});
        seedDownload(h, id, "S01E02");
        FakeTransmission::Torrent& t = m_daemon.torrents[h];
        t = {.hash = h, .name = "Dark.S01E02", .downloadDir = libraryRoot(), .files = {file}};
        t.finish();
        t.status = gap["status"].get<int>();
        writeDownloadedFile(staged ? "Incomplete/" + file : file, 7000);

        start(); // follows the restored download at once
        awaitTask(m_store->follower().poll());
        awaitTask(m_store->follower().poll());
        EXPECT_TRUE(m_store->activeDownloads().contains(h)) << log().join('\n').toStdString();
        EXPECT_TRUE(errorLines().isEmpty()) << errorLines().join('\n').toStdString();

        // The daemon has moved it and seeds: now it is sorted.
        if (staged) {
            writeDownloadedFile(file, 7000);
            QFile::remove(QDir(libraryRoot()).filePath("Incomplete/" + file));
        }
        t.status = 6;
        ASSERT_TRUE(pollUntil([&] { return m_store->activeDownloads().isEmpty(); }));
        EXPECT_TRUE(log().last().startsWith("Sorted Dark S01E02 → ")) << log().last().toStdString();
        EXPECT_TRUE(errorLines().isEmpty());
    }
}
