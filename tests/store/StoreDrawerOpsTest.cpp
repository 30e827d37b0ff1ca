#include "FakeServices.h"
#include "StoreHarness.h"
#include "search/Magnet.h"

namespace {

// The operations behind the episode drawer: linking a match, a hand-chosen release, giving up
// a download, the alternates of a download and a week's snooze.
class DrawerOps : public StoreHarness {
protected:
    StoreEnvironment environment() override {
        StoreEnvironment env = StoreHarness::environment();
        if (m_indexesDown) {
            // Nothing listens on port 1: every index request is refused.
            const QUrl dead(QStringLiteral("http://127.0.0.1:1/"));
            env.endpoints.knabenAPI = env.endpoints.apibayQuery = env.endpoints.eztvPrimary =
                env.endpoints.eztvFallback = env.endpoints.torrentsCsvSearch =
                    env.endpoints.nyaaRoot = env.endpoints.ytsHost = dead;
        } else {
            m_indexes.apply(env.endpoints);
        }
        return env;
    }

    void SetUp() override { m_env.clock().set(utc(2025, 3, 13, 12)); }

    void startWith(const Show& show, const QList<DownloadRecord>& history = {}) {
        seed(StorageFiles::kShows, QList<Show>{show});
        if (!history.isEmpty())
            seed(StorageFiles::kHistory, history);
        start();
    }

    static SearchResult release(const QString& code, const char* quality, char h,
                                int seeders = 10) {
        SearchResult r;
        r.title = "Dark." + code + "." + quality + ".WEB-GRP";
        r.quality = QString::fromLatin1(quality);
        r.episodeCode = code;
        r.seeders = seeders;
        r.source = "Torrents-CSV";
        r.magnetURL = magnet(hash(h), r.title);
        r.id = hash(h);
        return r;
    }

    DownloadRecord stuckRow(const QString& hashText, const QUuid& showID) const {
        DownloadRecord row;
        row.id = hashText;
        row.showID = showID;
        row.showName = "Dark";
        row.episode = "S01E02";
        row.title = "Dark.S01E02.1080p.WEB-GRP";
        row.addedAt = utc(2025, 3, 1);
        row.stuckSince = utc(2025, 3, 5);
        return row;
    }

    const Show& dark() const { return m_store->shows().first(); }

    bool m_indexesDown = false;
    FakeIndexes m_indexes;
    Show m_dark{.id = QUuid::createUuid(), .name = "Dark"};
};

} // namespace

TEST_F(DrawerOps, LinkingAMatchRecordsItsIdAndPosterAndSavesThem) {
    startWith(m_dark);
    const TMDBClient::SeriesResult match{70523, "Dark", "2017", "", "/dark.jpg"};

    EXPECT_FALSE(m_store->linkTMDBMatch(QUuid::createUuid(), match));
    ASSERT_TRUE(m_store->linkTMDBMatch(m_dark.id, match));

    const auto saved = stored<QList<Show>>(StorageFiles::kShows);
    ASSERT_TRUE(saved && saved->size() == 1);
    EXPECT_EQ(saved->first().tmdbID, 70523);
    EXPECT_EQ(saved->first().posterPath, "/dark.jpg");
    EXPECT_EQ(saved->first().name, "Dark"); // the series keeps the name it was added with
}

TEST_F(DrawerOps, AChosenReleaseIsGrabbedByHandAndSettlesTheOpenChoiceOfThatEpisode) {
    Show strict = m_dark;
    strict.fallbackAnyQuality = false;
    strict.downloadedEpisodes = {"S01E01"};
    m_indexes.hits = {{"Dark.S01E02.720p.WEB-GRP", hash('b'), 8}};
    startWith(strict);
    awaitTask(m_store->grabEpisodes(m_dark.id, {"S01E02"}));
    ASSERT_EQ(m_store->pendingQualityPicks().value(m_dark.id).episodeCode, "S01E02");

    // An episode already in is not fetched again, and the open choice stays.
    EXPECT_FALSE(m_store->grabEpisodeRelease(m_dark.id, "S01E01", release("S01E01", "720p", 'a')));
    EXPECT_TRUE(m_store->pendingQualityPicks().contains(m_dark.id));

    ASSERT_TRUE(m_store->grabEpisodeRelease(m_dark.id, "S01E02", release("S01E02", "720p", 'b')));
    EXPECT_FALSE(m_store->pendingQualityPicks().contains(m_dark.id));
    ASSERT_TRUE(runEventLoopUntil([&] { return m_store->activeDownloads().contains(hash('b')); }));
    const ActiveDownload entry = m_store->activeDownloads().value(hash('b'));
    EXPECT_EQ(entry.episodeCode, "S01E02");
    EXPECT_TRUE(entry.userPicked); // never thrown out as a bad copy
}

TEST_F(DrawerOps, RemovingADownloadCancelsItAndDeletesItsData) {
    startWith(m_dark);
    ASSERT_TRUE(m_store->grabEpisodeRelease(m_dark.id, "S01E02", release("S01E02", "1080p", 'c')));
    ASSERT_TRUE(runEventLoopUntil([&] { return m_store->activeDownloads().contains(hash('c')); }));

    m_store->removeDownload(hash('c'));

    EXPECT_TRUE(m_store->activeDownloads().isEmpty());
    ASSERT_EQ(m_store->history().size(), 1);
    EXPECT_EQ(m_store->history().first().state, DownloadRecord::State::error);
    EXPECT_EQ(m_store->history().first().detail, "Cancelled — removed by you");
    ASSERT_TRUE(runEventLoopUntil([&] { return !m_daemon.removed.isEmpty(); }));
    EXPECT_EQ(m_daemon.removed.first(), std::pair(hash('c'), true));
}

TEST_F(DrawerOps, RemovingARowNoLongerFollowedStillEndsItAndAsksTheDaemonToDropIt) {
    startWith(m_dark, {stuckRow(hash('d'), m_dark.id)});
    ASSERT_TRUE(m_store->activeDownloads().isEmpty());

    m_store->removeDownload(hash('d'));

    EXPECT_EQ(m_store->history().first().state, DownloadRecord::State::error);
    EXPECT_EQ(stored<QList<DownloadRecord>>(StorageFiles::kHistory)->first().detail,
              "Cancelled — removed by you");
    // The daemon is asked to drop it with its data, though the store no longer follows it.
    ASSERT_TRUE(runEventLoopUntil([&] { return !m_daemon.calls("torrent-remove").isEmpty(); }));
    const auto call = m_daemon.calls("torrent-remove").first()["arguments"];
    EXPECT_EQ(call["ids"], nlohmann::json::array({hash('d').toStdString()}));
    EXPECT_EQ(call["delete-local-data"], true);
}

TEST_F(DrawerOps, OtherReleasesLeaveOutTheDownloadItselfAndRejectedCopies) {
    Show show = m_dark;
    show.rejectedHashes = {hash('e')};
    m_indexes.hits = {{"Dark.S01E02.1080p.WEB-GRP", hash('d'), 3},
                      {"Dark.S01E02.1080p.WEB-OTHER", hash('e'), 30},
                      {"Dark.S01E02.720p.WEB-GRP", hash('f'), 12},
                      {"Dark.S01E03.1080p.WEB-GRP", hash('9'), 40}};
    startWith(show, {stuckRow(hash('d'), m_dark.id)});

    const auto found = awaitTask(m_store->otherReleases(hash('d')));

    EXPECT_FALSE(found.indexesUnreachable);
    ASSERT_EQ(found.releases.size(), 1);
    EXPECT_EQ(infoHash(found.releases.first().magnetURL), hash('f'));
}

TEST_F(DrawerOps, AnEmptyAnswerFromTheIndexesIsARealNone) {
    startWith(m_dark, {stuckRow(hash('d'), m_dark.id)});
    const auto empty = awaitTask(m_store->otherReleases(hash('d')));
    EXPECT_TRUE(empty.releases.isEmpty());
    EXPECT_FALSE(empty.indexesUnreachable); // they answered: there really are none
}

TEST_F(DrawerOps, OtherReleasesReportIndexesThatCouldNotBeReached) {
    m_indexesDown = true;
    startWith(m_dark, {stuckRow(hash('d'), m_dark.id)});
    const auto found = awaitTask(m_store->otherReleases(hash('d')));
    EXPECT_TRUE(found.releases.isEmpty());
    EXPECT_TRUE(found.indexesUnreachable);
}

TEST_F(DrawerOps, ASnoozeForAWeekHoldsSevenDaysAndTheThirdGivesUp) {
    startWith(m_dark, {stuckRow(hash('d'), m_dark.id)});
    m_store->updateSettings([](AppSettings& s) { s.staleNudgeDays = 2; });

    m_store->snoozeStaleFor(hash('d'), 7);
    EXPECT_EQ(m_store->history().first().staleSnoozedUntil, utc(2025, 3, 20, 12));
    EXPECT_FALSE(m_store->hasFlaggedDownload(m_dark.id));

    m_store->snoozeStaleFor(hash('d'), 7);
    m_store->snoozeStaleFor(hash('d'), 7);
    EXPECT_TRUE(m_store->history().first().staleAbandoned);
    EXPECT_EQ(stored<QList<DownloadRecord>>(StorageFiles::kHistory)->first().snoozeCount, 3);
}
