#include "StoreHarness.h"
#include "search/Magnet.h"

namespace {

// The operations behind the episode drawer: linking a match, a hand-chosen release, giving up
// a download and the alternates of a download. (The week's snooze: the stall tests.)
class DrawerOps : public StoreHarness {
protected:
    void SetUp() override {
        m_fakeIndexes = true;
        m_env.clock().set(utc(2025, 3, 13, 12));
    }

    void startWith(const Show& show, const QList<DownloadRecord>& history = {}) {
        seed(StorageFiles::kHistory, history);
        StoreHarness::startWith(show);
    }

    static SearchResult release(const QString& code, const char* quality, char h) {
        const QString title = "Dark." + code + "." + quality + ".WEB-GRP";
        return {.id = hash(h),
                .title = title,
                .quality = quality,
                .episodeCode = code,
                .seeders = 10,
                .source = "Torrents-CSV",
                .magnetURL = magnet(hash(h), title)};
    }

    // A row of a download no longer followed, stuck for a week.
    DownloadRecord stuckRow() const {
        return {.id = hash('d'),
                .showID = m_dark.id,
                .showName = "Dark",
                .episode = "S01E02",
                .title = "Dark.S01E02.1080p.WEB-GRP",
                .addedAt = utc(2025, 3, 1),
                .stuckSince = utc(2025, 3, 5)};
    }

    const Show m_dark{.id = QUuid::createUuid(), .name = "Dark"};
};

} // namespace

TEST_F(DrawerOps, LinkingAMatchRecordsItsIdAndPosterAndSavesThem) {
    startWith(m_dark);
    const SeriesResult match{70523, "Dark", "2017", "", "/dark.jpg"};

    EXPECT_FALSE(m_store->linkTMDBMatch(QUuid::createUuid(), match));
    ASSERT_TRUE(m_store->linkTMDBMatch(m_dark.id, match));

    const auto saved = stored<QList<Show>>(StorageFiles::kShows);
    ASSERT_TRUE(saved && saved->size() == 1);
    EXPECT_EQ(saved->first().tmdbID, 70523);
    EXPECT_EQ(saved->first().posterPath, "/dark.jpg");
    EXPECT_EQ(saved->first().name, "Dark"); // the series keeps the name it was added with
}

TEST_F(DrawerOps, AChosenReleaseIsGrabbedByHandAndSettlesTheOpenChoiceOfThatEpisode) {
    m_indexes.hits = {hit("Dark.S01E02.720p.WEB-GRP", 'b', 8)};
    startWith({.id = m_dark.id,
               .name = "Dark",
               .downloadedEpisodes = {"S01E01"},
               .fallbackAnyQuality = false});
    awaitTask(m_store->grabEpisodes(m_dark.id, {"S01E02"}));
    ASSERT_EQ(m_store->pendingQualityPicks().value(m_dark.id).episodeCode, "S01E02");

    // An episode already in is not fetched again, and the open choice stays.
    EXPECT_FALSE(m_store->grabEpisodeRelease(m_dark.id, "S01E01", release("S01E01", "720p", 'a')));
    EXPECT_TRUE(m_store->pendingQualityPicks().contains(m_dark.id));

    ASSERT_TRUE(m_store->grabEpisodeRelease(m_dark.id, "S01E02", release("S01E02", "720p", 'b')));
    EXPECT_FALSE(m_store->pendingQualityPicks().contains(m_dark.id));
    ASSERT_TRUE(following(hash('b')));
    const ActiveDownload entry = m_store->activeDownloads().value(hash('b'));
    EXPECT_EQ(entry.episodeCode, "S01E02");
    EXPECT_TRUE(entry.userPicked); // never thrown out as a bad copy
}

TEST_F(DrawerOps, RemovingADownloadCancelsItAndDeletesItsDataFollowedOrNot) {
    startWith(m_dark, {stuckRow()});
    ASSERT_TRUE(m_store->grabEpisodeRelease(m_dark.id, "S01E02", release("S01E02", "1080p", 'c')));
    ASSERT_TRUE(following(hash('c')));

    m_store->removeDownload(hash('c'));
    m_store->removeDownload(hash('d')); // a row no longer followed
    EXPECT_TRUE(m_store->activeDownloads().isEmpty());
    ASSERT_EQ(m_store->history().size(), 2);
    const auto rows = stored<QList<DownloadRecord>>(StorageFiles::kHistory).value();
    for (const DownloadRecord& row : rows) {
        EXPECT_EQ(row.state, DownloadRecord::State::error);
        EXPECT_EQ(row.detail, "Cancelled — removed by you");
    }
    // The daemon is asked to drop both, though the store no longer follows one; data goes only
    // where the daemon says it lies in the working folder (here: it holds only the first).
    ASSERT_TRUE(runEventLoopUntil([&] { return m_daemon.calls("torrent-remove").size() == 2; }));
    QMap<QString, bool> withData;
    for (const auto& call : m_daemon.calls("torrent-remove"))
        withData[qstr(call["arguments"]["ids"][0])] = call["arguments"]["delete-local-data"];
    EXPECT_EQ(withData, (QMap<QString, bool>{{hash('c'), true}, {hash('d'), false}}));
}

TEST_F(DrawerOps,
       OtherReleasesLeaveOutTheDownloadItselfAndRejectedCopiesAndTellUnreachableIndexes) {
    Show show = m_dark;
    show.rejectedHashes = {hash('e')};
    startWith(show, {stuckRow()});
    // They answered with nothing: there really are none.
    const auto none = awaitTask(m_store->watchlist().releases.otherReleases(hash('d')));
    EXPECT_TRUE(none.results.isEmpty());
    EXPECT_FALSE(none.indexesUnreachable);

    m_indexes.hits = {
        hit("Dark.S01E02.1080p.WEB-GRP", 'd', 3), hit("Dark.S01E02.1080p.WEB-OTHER", 'e', 30),
        hit("Dark.S01E02.720p.WEB-GRP", 'f', 12), hit("Dark.S01E03.1080p.WEB-GRP", '9', 40)};
    const auto found = awaitTask(m_store->watchlist().releases.otherReleases(hash('d')));
    EXPECT_FALSE(found.indexesUnreachable);
    ASSERT_EQ(found.results.size(), 1);
    EXPECT_EQ(infoHash(found.results.first().magnetURL), hash('f'));

    m_indexes.answering = false;
    const auto unreached = awaitTask(m_store->watchlist().releases.otherReleases(hash('d')));
    EXPECT_TRUE(unreached.results.isEmpty());
    EXPECT_TRUE(unreached.indexesUnreachable);
}
