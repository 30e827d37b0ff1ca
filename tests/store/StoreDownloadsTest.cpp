#include "StoreHarness.h"
#include "search/Magnet.h"
#include "store/DownloadFollower.h"
#include "store/TrackerHint.h"

namespace {

class StoreDownloads : public StoreHarness {
protected:
    void SetUp() override {
        seed(StorageFiles::kShows, QList<Show>{m_dark});
        seed(StorageFiles::kMovies, QList<Movie>{m_heat});
    }

    FeedMatch match(const QString& code, const QString& h, bool userPicked = false) const {
        const QString title = QStringLiteral("Dark.%1.1080p.WEB.h264-GRP").arg(code);
        return FeedMatch{m_dark.id, code, userPicked, title, magnet(h, title), 12, "EZTV"};
    }

    // Grabs and waits until the store follows the torrent.
    void grab(const FeedMatch& m) {
        ASSERT_TRUE(startUpTidyAsked());
        m_store->follower().grab(m);
        ASSERT_TRUE(following(infoHash(m.magnetURL).value_or(QString())));
    }

    const Movie& heat() const { return m_store->movies().first(); }
    std::optional<DownloadRecord> row(const QString& h) const {
        for (const auto& r : m_store->history())
            if (r.id == h)
                return r;
        return std::nullopt;
    }

    const Show m_dark{.id = QUuid::createUuid(), .name = "Dark", .firstAirYear = "2017"};
    Movie m_heat{.id = QUuid::createUuid(),
                 .name = "Heat",
                 .year = "1995",
                 .pendingMagnet = magnet(hash('9'), "Heat")};
};

} // namespace

// The way from the indexes to the library goes through the real daemon in the episode journey;
// here what the store keeps of a filed episode.
TEST_F(StoreDownloads, AFiledEpisodeIsSavedAsSortedAndAsksForFreshAirInformation) {
    start();
    const QString h = hash('a');
    grab(match("S01E02", h));
    ASSERT_TRUE(finishWith(h, {"Dark.S01E02/Dark.S01E02.1080p.mkv"}, 7000));
    EXPECT_EQ(dark().downloadedEpisodes, QStringList{"S01E02"});
    EXPECT_EQ(dark().airInfoRefreshedAt, Timestamp::distantPast());
    EXPECT_EQ(stored<QList<DownloadRecord>>(StorageFiles::kHistory)->first().state,
              DownloadRecord::State::sorted);
}

TEST_F(StoreDownloads, ARegrabKeepsOneRowAndANewTorrentReplacesTheOlderOneAndFinishesQuietly) {
    start();
    grab(match("S01E02", hash('a')));
    // The daemon already had it: a fresh row, not a second one.
    grab(match("S01E02", hash('a')));
    EXPECT_EQ(m_store->history().size(), 1);
    EXPECT_EQ(row(hash('a'))->state, DownloadRecord::State::downloading);

    grab(match("S01E02", hash('b')));
    EXPECT_EQ(m_store->activeDownloads().keys(), QStringList{hash('b')});
    EXPECT_EQ(row(hash('a'))->state, DownloadRecord::State::error);
    EXPECT_EQ(row(hash('a'))->detail, "Cancelled — replaced by a new grab");
    ASSERT_TRUE(runEventLoopUntil([&] { return !m_daemon.torrents.contains(hash('a')); }));
    EXPECT_EQ(m_daemon.removed.first(), std::pair(hash('a'), true));
    // One item's rows, in history order.
    const auto rows = m_store->historyRows(m_dark.id);
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0].id, hash('b'));
    EXPECT_TRUE(m_store->historyRows(m_heat.id).isEmpty());

    // Without the sound setting a completion posts nothing.
    m_store->updateSettings([](AppSettings& s) { s.notificationSoundEnabled = false; });
    ASSERT_TRUE(finishWith(hash('b'), {"Dark.S01E02.mkv"}));
    EXPECT_EQ(dark().downloadedEpisodes, QStringList{"S01E02"});
    EXPECT_TRUE(m_notifier.notices.isEmpty());
}

TEST_F(StoreDownloads, TheHistoryKeepsItsNewest500Rows) {
    QList<DownloadRecord> old;
    for (int i = 0; i < 500; ++i)
        old.append(DownloadRecord{.id = QStringLiteral("old%1").arg(i), .showID = m_dark.id});
    seed(StorageFiles::kHistory, old);
    start();
    grab(match("S01E03", hash('c')));
    ASSERT_EQ(m_store->history().size(), 500);
    EXPECT_EQ(m_store->history().first().id, hash('c'));
    EXPECT_EQ(m_store->history().last().id, "old498");
    EXPECT_EQ(stored<QList<DownloadRecord>>(StorageFiles::kHistory)->size(), 500);
}

TEST_F(StoreDownloads, AnUnreachableDaemonRecordsNothing) {
    start();
    m_daemon.setReachable(false);
    m_store->follower().grab(match("S01E02", hash('a')));
    ASSERT_TRUE(
        runEventLoopUntil([&] { return dark().status.state == ShowStatus::State::error; }, 15000));
    EXPECT_EQ(dark().status.detail, "engine unreachable");
    EXPECT_EQ(log().last(), "Couldn't start Dark S01E02 — engine unreachable");
    EXPECT_TRUE(m_store->activeDownloads().isEmpty());
    EXPECT_TRUE(m_store->history().isEmpty());
}

// Each row: the files a torrent turns out to hold (none while its metadata is pending).
TEST_F(StoreDownloads, OnlyAFileListWithoutVideoIsRejectedAsABadCopy) {
    start();
    char c = 'a';
    for (const auto& bad : fixtureJson("store/bad-copies.json")) {
        SCOPED_TRACE(bad.dump());
        const QString h = hash(c++);
        grab(match(qstr(bad["code"]), h, bad["userPicked"].get<bool>()));
        m_daemon.torrents[h].files = strings(bad["files"]);
        m_daemon.torrents[h].percentDone = 0.1;
        ASSERT_TRUE(pollUntil(
            [&] { return row(h)->progress == 0.1 || !m_store->activeDownloads().contains(h); }));

        const bool rejected = bad["rejected"].get<bool>();
        EXPECT_EQ(!m_store->activeDownloads().contains(h), rejected);
        EXPECT_EQ(dark().rejectedHashes.contains(h), rejected);
        if (rejected) { // its log line, status and removal: the bad-copy journey
            EXPECT_EQ(row(h)->detail, "bad copy — cancelled, no video inside");
        }
    }
}

// Each row: a finished torrent, how the store files it (or leaves it), and what it tells.
TEST_F(StoreDownloads, FinishedTorrentsAreFiledOrLeftWhereTheyAre) {
    char c = 'k';
    for (const auto& f : fixtureJson("store/finishes.json")) {
        SCOPED_TRACE(f["label"].get<std::string>());
        wipe();
        SetUp();
        start();
        const QString h = hash(c++);
        grab(match(qstr(f["code"]), h, f["userPicked"].get<bool>()));
        m_daemon.torrents[h].name = qstr(f["name"]);
        ASSERT_TRUE(finishWith(h, strings(f["files"])));

        const auto atRoot = [&](const nlohmann::json& text) {
            return qstr(text).replace("{root}", libraryRoot());
        };
        EXPECT_EQ(log().last(), atRoot(f["log"]));
        EXPECT_EQ(dark().status.detail, qstr(f["detail"]));
        EXPECT_EQ(row(h)->detail, atRoot(f["row"]));
        EXPECT_EQ(dark().downloadedEpisodes.join(','), qstr(f["downloaded"]));
        EXPECT_EQ(dark().rejectedHashes.contains(h), f["rejected"].get<bool>());
        if (f.contains("filed")) {
            EXPECT_TRUE(QFileInfo(QDir(libraryRoot()).filePath(qstr(f["filed"]))).isFile());
        }
        QStringList notices;
        for (const Notice& n : m_notifier.notices)
            notices << n.body;
        EXPECT_EQ(notices.join('|'), qstr(f["notices"]));
        if (f["leftInDaemon"].get<bool>()) { // the tidy-up removes it later
            // The daemon's client takes one request at a time and a removal is two (look, then
            // remove): after two later requests are answered, one would have been seen.
            for (int i = 0; i < 2; ++i)
                awaitTask(m_store->transmission().add(magnet(hash('e'), "Probe"), libraryRoot()));
            EXPECT_TRUE(m_daemon.torrents.contains(h));
        } else {
            EXPECT_TRUE(runEventLoopUntil([&] { return !m_daemon.torrents.contains(h); }));
        }
    }
}

TEST_F(StoreDownloads, ATorrentGoneFromTheDaemonIsForgotten) {
    start();
    const QString h = hash('3');
    grab(match("S01E05", h));
    m_daemon.torrents.remove(h);
    ASSERT_TRUE(pollUntil([&] { return m_store->activeDownloads().isEmpty(); }));
    EXPECT_EQ(row(h)->detail, "No longer tracked by the engine");
    EXPECT_EQ(dark().status, ShowStatus{});
    EXPECT_FALSE(m_store->follower().isPolling());
}

TEST_F(StoreDownloads, ADaemonThatHasNotLoadedItsTorrentsYetLosesNoDownload) {
    // Restored from the last run; the daemon, just started, answers before it has loaded it.
    const QString h = hash('6');
    seedDownload(h, m_dark.id, "S01E07");
    seed(StorageFiles::kHistory,
         QList<DownloadRecord>{
             {.id = h, .showID = m_dark.id, .showName = "Dark", .episode = "S01E07"}});
    start();
    int passes = 0;
    QObject::connect(m_store.get(), &WatchlistStore::followUpPassFinished, [&] { ++passes; });
    ASSERT_TRUE(runEventLoopUntil([&] { return passes == 1; }));
    EXPECT_TRUE(m_store->activeDownloads().contains(h));
    EXPECT_EQ(row(h)->state, DownloadRecord::State::downloading);
    EXPECT_TRUE(m_daemon.removed.isEmpty());

    m_daemon.torrents[h] = {.hash = h, .name = "Dark.S01E07", .percentDone = 0.3};
    ASSERT_TRUE(pollUntil([&] { return dark().status.progress == 0.3; }));
    EXPECT_TRUE(m_store->activeDownloads().contains(h));
}

TEST_F(StoreDownloads, RestoredDownloadsAreFollowedAtOnceAndOrphansCancelled) {
    const QUuid gone = QUuid::createUuid();
    seed(StorageFiles::kDownloads,
         QMap<QString, ActiveDownload>{
             {hash('4'), {ActiveDownload::Kind::episode, m_dark.id, "S01E06", false, "EZTV"}},
             {hash('5'), {ActiveDownload::Kind::episode, gone, "S01E01", false, "EZTV"}}});
    seed(StorageFiles::kHistory,
         QList<DownloadRecord>{{.id = hash('5'), .showID = gone, .showName = "Gone"}});
    m_daemon.torrents[hash('4')] = {.hash = hash('4'), .name = "Dark.S01E06", .percentDone = 0.5};
    m_daemon.torrents[hash('5')] = {.hash = hash('5'), .name = "Gone.S01E01"};

    start();
    EXPECT_TRUE(m_store->follower().isPolling());
    ASSERT_TRUE(runEventLoopUntil([&] { return m_store->activeDownloads().size() == 1; }));
    EXPECT_EQ(row(hash('5'))->detail, "Cancelled — series no longer in watchlist");
    EXPECT_EQ(dark().status.progress, 0.5);
    ASSERT_TRUE(runEventLoopUntil([&] { return !m_daemon.torrents.contains(hash('5')); }));
}

TEST_F(StoreDownloads, AHandPickedMovieIsStartedWithoutASearchAndFollowed) {
    m_fakeIndexes = true;
    start();
    const QString h = hash('9');
    m_store->huntMovie(m_heat.id);
    ASSERT_TRUE(following(h));
    EXPECT_EQ(m_indexes.searchCount(), 0);
    EXPECT_EQ(m_store->activeDownloads().value(h),
              (ActiveDownload{ActiveDownload::Kind::movie, m_heat.id, "", true, "hand-picked"}));
    EXPECT_EQ(heat().pendingMagnet, std::nullopt);
    EXPECT_EQ(row(h)->episode, "Movie");
    EXPECT_EQ(row(h)->showName, "Heat");
    EXPECT_EQ(row(h)->title, "Heat");
    ASSERT_TRUE(finishWith(h, {"Heat.1995/Heat.1995.1080p.mkv"}, 900));
    EXPECT_TRUE(heat().downloaded); // where it is filed: the movie journey
}

TEST_F(StoreDownloads, RemovingASeriesOrAMovieCancelsItsDownloadAndKeepsTheRow) {
    start();
    grab(match("S01E01", hash('1')));
    m_store->huntMovie(m_heat.id);
    ASSERT_TRUE(following(hash('9')));
    m_store->removeShow(m_dark.id);
    m_store->removeMovie(m_heat.id);
    EXPECT_TRUE(m_store->shows().isEmpty() && m_store->movies().isEmpty());
    EXPECT_TRUE(m_store->activeDownloads().isEmpty());
    EXPECT_EQ(row(hash('1'))->detail, "Cancelled — series removed");
    EXPECT_EQ(row(hash('9'))->detail, "Cancelled — movie removed");
    EXPECT_TRUE(stored<QList<Show>>(StorageFiles::kShows)->isEmpty());
    EXPECT_TRUE(stored<QList<Movie>>(StorageFiles::kMovies)->isEmpty());
    EXPECT_TRUE(runEventLoopUntil([&] {
        return m_daemon.removed.contains({hash('1'), true}) &&
               m_daemon.removed.contains({hash('9'), true});
    }));
}

TEST_F(StoreDownloads, LiveNumbersAreSavedAtABoundedRateAndNotLostAtTheEnd) {
    start();
    const QString h = hash('6');
    grab(match("S01E07", h));
    m_daemon.torrents[h].percentDone = 0.25;
    m_daemon.torrents[h].peersConnected = 2; // moving: nothing for the stall handling to note
    m_daemon.torrents[h].files = {"Dark.S01E07.mkv"};
    ASSERT_TRUE(pollUntil([&] { return row(h)->progress == 0.25; }));
    // A pass before the peers came may have marked the row stuck and this one cleared it, which
    // saves the row: the rate is judged from here on.
    const double savedBefore =
        stored<QList<DownloadRecord>>(StorageFiles::kHistory)->first().progress;
    m_daemon.torrents[h].percentDone = 0.5;
    ASSERT_TRUE(pollUntil([&] { return row(h)->progress == 0.5; }));
    // Not written on every pass…
    EXPECT_EQ(stored<QList<DownloadRecord>>(StorageFiles::kHistory)->first().progress, savedBefore);
    // …but never lost when the store goes away.
    m_store.reset();
    EXPECT_EQ(stored<QList<DownloadRecord>>(StorageFiles::kHistory)->first().progress, 0.5);
}
