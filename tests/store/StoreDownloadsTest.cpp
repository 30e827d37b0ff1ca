#include "StoreHarness.h"
#include "search/Magnet.h"
#include "store/TrackerHint.h"

namespace {

class StoreDownloads : public StoreHarness {
protected:
    void SetUp() override {
        m_dark.id = QUuid::createUuid();
        m_dark.name = "Dark";
        m_dark.firstAirYear = "2017";
        m_heat.id = QUuid::createUuid();
        m_heat.name = "Heat";
        m_heat.year = "1995";
        m_heat.pendingMagnet = magnet(hash('9'), "Heat");
        seed(StorageFiles::kShows, QList<Show>{m_dark});
        seed(StorageFiles::kMovies, QList<Movie>{m_heat});
    }

    FeedMatch match(const QString& code, const QString& h, bool userPicked = false) const {
        const QString title = QStringLiteral("Dark.%1.1080p.WEB.h264-GRP").arg(code);
        return FeedMatch{m_dark.id, code, userPicked, title, magnet(h, title), 12, "EZTV"};
    }

    // Grabs and waits until the store follows the torrent.
    void grabAndStart(const FeedMatch& m) {
        m_store->grab(m);
        const QString h = infoHash(m.magnetURL).value_or(QString());
        ASSERT_TRUE(runEventLoopUntil([&] { return m_store->activeDownloads().contains(h); }))
            << h.toStdString();
    }

    const Show& dark() const { return m_store->shows().first(); }
    const Movie& heat() const { return m_store->movies().first(); }
    std::optional<DownloadRecord> row(const QString& h) const {
        for (const auto& r : m_store->history())
            if (r.id == h)
                return r;
        return std::nullopt;
    }

    Show m_dark;
    Movie m_heat;
};

} // namespace

TEST_F(StoreDownloads, AnEpisodeTravelsFromGrabToTheLibrary) {
    start();
    const QString h = hash('a');
    grabAndStart(match("S01E02", h));

    EXPECT_EQ(m_store->activeDownloads().value(h),
              (ActiveDownload{ActiveDownload::Kind::episode, m_dark.id, "S01E02", false, "EZTV"}));
    EXPECT_EQ((stored<QMap<QString, ActiveDownload>>(StorageFiles::kDownloads)),
              m_store->activeDownloads());
    EXPECT_EQ(dark().status.state, ShowStatus::State::downloading);
    ASSERT_TRUE(row(h));
    EXPECT_EQ(row(h)->title, "Dark.S01E02.1080p.WEB.h264-GRP");
    EXPECT_EQ(row(h)->episode, "S01E02");
    EXPECT_EQ(row(h)->state, DownloadRecord::State::downloading);
    EXPECT_TRUE(m_store->isPolling());
    EXPECT_EQ(m_daemon.calls("torrent-add").first()["arguments"]["download-dir"],
              libraryRoot().toStdString());

    // Progress is followed into the status and the history row.
    auto& t = m_daemon.torrents[h];
    t.files = {"Dark.S01E02/Dark.S01E02.1080p.mkv", "Dark.S01E02/Sample/sample.mkv"};
    t.percentDone = 0.4;
    t.peersConnected = 3;
    t.rateDownload = 250000;
    ASSERT_TRUE(pollUntil([&] { return dark().status.progress == 0.4; }));
    EXPECT_EQ(row(h)->peers, 3);
    EXPECT_EQ(row(h)->rateBytes, 250000);

    writeDownloadedFile("Dark.S01E02/Dark.S01E02.1080p.mkv", 7000);
    writeDownloadedFile("Dark.S01E02/Sample/sample.mkv", 200);
    t.finish();
    ASSERT_TRUE(pollUntil([&] { return m_store->activeDownloads().isEmpty(); }));

    const QString filed =
        QDir(libraryRoot()).filePath("Series/Dark.2017/Season_01/Dark.S01E02.1080p.mkv");
    EXPECT_TRUE(QFileInfo(filed).isFile());
    EXPECT_EQ(dark().downloadedEpisodes, QStringList{"S01E02"});
    EXPECT_EQ(dark().status.state, ShowStatus::State::sorted);
    EXPECT_EQ(dark().status.episode, "S01E02");
    EXPECT_EQ(dark().airInfoRefreshedAt, Timestamp::distantPast());
    EXPECT_EQ(row(h)->state, DownloadRecord::State::sorted);
    EXPECT_EQ(row(h)->progress, 1.0);
    EXPECT_EQ(row(h)->detail, filed);
    EXPECT_EQ(log(),
              QStringList({"Found: Dark S01E02 via EZTV (12 seeders)",
                           "Started downloading Dark S01E02", "Sorted Dark S01E02 → " + filed}));
    ASSERT_EQ(m_notifier.notices.size(), 1);
    EXPECT_EQ(m_notifier.notices.first(),
              (Notice{"Dark", "S01E02 downloaded and sorted.", std::nullopt, true}));
    ASSERT_TRUE(runEventLoopUntil([&] { return !m_daemon.torrents.contains(h); }));
    EXPECT_EQ(m_daemon.removed, (QList<std::pair<QString, bool>>{{h, true}}));
    EXPECT_FALSE(m_store->isPolling());
    EXPECT_EQ(stored<QList<Show>>(StorageFiles::kShows)->first().downloadedEpisodes,
              QStringList{"S01E02"});
    EXPECT_EQ(stored<QList<DownloadRecord>>(StorageFiles::kHistory)->first().state,
              DownloadRecord::State::sorted);
}

TEST_F(StoreDownloads, ANewGrabReplacesTheOlderTorrentOfTheSameEpisode) {
    start();
    grabAndStart(match("S01E02", hash('a')));
    grabAndStart(match("S01E02", hash('b')));

    EXPECT_EQ(m_store->activeDownloads().keys(), QStringList{hash('b')});
    EXPECT_EQ(row(hash('a'))->state, DownloadRecord::State::error);
    EXPECT_EQ(row(hash('a'))->detail, "Cancelled — replaced by a new grab");
    ASSERT_TRUE(runEventLoopUntil([&] { return !m_daemon.torrents.contains(hash('a')); }));
    EXPECT_EQ(m_daemon.removed.first(), std::pair(hash('a'), true));
}

TEST_F(StoreDownloads, ATorrentTheDaemonAlreadyHadStartsAFreshRowNotASecondOne) {
    start();
    grabAndStart(match("S01E02", hash('a')));
    grabAndStart(match("S01E02", hash('a')));
    EXPECT_EQ(std::count_if(m_store->history().cbegin(), m_store->history().cend(),
                            [&](const DownloadRecord& r) { return r.id == hash('a'); }),
              1);
    EXPECT_EQ(row(hash('a'))->state, DownloadRecord::State::downloading);
    EXPECT_EQ(m_store->activeDownloads().size(), 1);
}

TEST_F(StoreDownloads, TheHistoryKeepsItsNewest500Rows) {
    QList<DownloadRecord> old;
    for (int i = 0; i < 500; ++i)
        old.append(DownloadRecord{.id = QStringLiteral("old%1").arg(i), .showID = m_dark.id});
    seed(StorageFiles::kHistory, old);
    start();
    grabAndStart(match("S01E03", hash('c')));
    ASSERT_EQ(m_store->history().size(), 500);
    EXPECT_EQ(m_store->history().first().id, hash('c'));
    EXPECT_EQ(m_store->history().last().id, "old498");
    EXPECT_EQ(stored<QList<DownloadRecord>>(StorageFiles::kHistory)->size(), 500);
}

TEST_F(StoreDownloads, AnUnreachableDaemonRecordsNothing) {
    start();
    m_daemon.setReachable(false);
    m_store->grab(match("S01E02", hash('a')));
    ASSERT_TRUE(
        runEventLoopUntil([&] { return dark().status.state == ShowStatus::State::error; }, 15000));
    EXPECT_EQ(dark().status.detail, "engine unreachable");
    EXPECT_EQ(log().last(), "Couldn't start Dark S01E02 — engine unreachable");
    EXPECT_TRUE(m_store->activeDownloads().isEmpty());
    EXPECT_TRUE(m_store->history().isEmpty());
}

struct BadCopyCase {
    const char* label;
    QStringList files;
    bool userPicked;
    bool rejected;
};

class BadCopies : public StoreDownloads, public testing::WithParamInterface<BadCopyCase> {};

TEST_P(BadCopies, OnlyAFileListWithoutVideoIsRejected) {
    start();
    const QString h = hash('d');
    grabAndStart(match("S01E02", h, GetParam().userPicked));
    m_daemon.torrents[h].files = GetParam().files;
    m_daemon.torrents[h].percentDone = 0.1;
    ASSERT_TRUE(pollUntil(
        [&] { return row(h)->progress == 0.1 || !m_store->activeDownloads().contains(h); }));

    EXPECT_EQ(!m_store->activeDownloads().contains(h), GetParam().rejected);
    EXPECT_EQ(dark().rejectedHashes.contains(h), GetParam().rejected);
    if (GetParam().rejected) {
        EXPECT_EQ(dark().status.state, ShowStatus::State::found);
        EXPECT_EQ(dark().status.detail, "Bad copy — finding another…");
        EXPECT_EQ(row(h)->state, DownloadRecord::State::error);
        EXPECT_EQ(row(h)->detail, "bad copy — cancelled, no video inside");
        EXPECT_EQ(log().last(),
                  "Rejected a bad copy of Dark S01E02 — no video inside (Dark.S01E02.part01.rar, "
                  "Dark.S01E02.part02.rar, Dark.S01E02.nfo). Cancelled before downloading and "
                  "looking for another release.");
        ASSERT_TRUE(runEventLoopUntil([&] { return !m_daemon.torrents.contains(h); }));
        EXPECT_EQ(m_daemon.removed.last(), std::pair(h, true));
    }
}

const QStringList kArchive{"Dark.S01E02/Dark.S01E02.part01.rar",
                           "Dark.S01E02/Dark.S01E02.part02.rar", "Dark.S01E02/Dark.S01E02.nfo",
                           "Dark.S01E02/Dark.S01E02.sfv"};

INSTANTIATE_TEST_SUITE_P(
    Cases, BadCopies,
    testing::Values(BadCopyCase{"metadataPending", {}, false, false},
                    BadCopyCase{"archiveOnly", kArchive, false, true},
                    BadCopyCase{"archiveHandPicked", kArchive, true, false},
                    BadCopyCase{
                        "videoInside", {"Dark.S01E02/x.nfo", "Dark.S01E02/x.MKV"}, false, false}),
    [](const testing::TestParamInfo<BadCopyCase>& info) { return info.param.label; });

TEST_F(StoreDownloads, AHandPickedArchiveIsFollowedToTheEndAndLeftInTheDaemon) {
    start();
    const QString h = hash('e');
    grabAndStart(match("S01E02", h, true));
    for (const QString& f : kArchive)
        writeDownloadedFile(f, 100);
    m_daemon.torrents[h].files = kArchive;
    m_daemon.torrents[h].finish();
    ASSERT_TRUE(pollUntil([&] { return m_store->activeDownloads().isEmpty(); }));

    const QString folder = QDir(libraryRoot()).filePath("Dark.S01E02");
    EXPECT_EQ(
        log().last(),
        "Dark S01E02 is an archived release (no video file) — trying another release next sweep. "
        "Files left in " +
            folder);
    EXPECT_TRUE(dark().rejectedHashes.contains(h));
    EXPECT_EQ(dark().status.detail, "archived (.rar) release");
    EXPECT_EQ(row(h)->detail, "archived release — in " + folder);
    drainEvents();
    EXPECT_TRUE(m_daemon.torrents.contains(h)); // the tidy-up removes it later
    EXPECT_TRUE(m_notifier.notices.isEmpty());
}

TEST_F(StoreDownloads, ASortFailureIsReportedAndTheTorrentLeftAlone) {
    start();
    const QString h = hash('f');
    grabAndStart(match("s01e02", h)); // no season number can be read from a lower-case code
    writeDownloadedFile("x/Dark.mkv", 100);
    m_daemon.torrents[h].files = {"x/Dark.mkv"};
    m_daemon.torrents[h].finish();
    ASSERT_TRUE(pollUntil([&] { return m_store->activeDownloads().isEmpty(); }));

    EXPECT_EQ(log().last(), "Sort failed for Dark s01e02: couldn't parse season number");
    EXPECT_EQ(dark().status.state, ShowStatus::State::error);
    EXPECT_EQ(dark().status.detail, "sort failed: couldn't parse season number");
    EXPECT_EQ(row(h)->state, DownloadRecord::State::error);
    EXPECT_TRUE(dark().downloadedEpisodes.isEmpty());
    drainEvents();
    EXPECT_TRUE(m_daemon.torrents.contains(h));
}

TEST_F(StoreDownloads, ASeasonPackIsMovedWholeAndItsEpisodesAreNotCounted) {
    start();
    const QString h = hash('1');
    grabAndStart(match("S02.PACK", h));
    const QStringList files{"Dark.S02.1080p/Dark.S02E01.mkv", "Dark.S02.1080p/Dark.S02E02.mkv"};
    for (const QString& f : files)
        writeDownloadedFile(f, 500);
    m_daemon.torrents[h].files = files;
    m_daemon.torrents[h].name = "Dark.S02.1080p";
    m_daemon.torrents[h].finish();
    ASSERT_TRUE(pollUntil([&] { return m_store->activeDownloads().isEmpty(); }));

    const QString folder = QDir(libraryRoot()).filePath("Series/Dark.2017/Dark.S02.1080p");
    EXPECT_TRUE(QFileInfo(folder + "/Dark.S02E02.mkv").isFile());
    EXPECT_EQ(log().last(), "Downloaded Dark season pack → " + folder +
                                " — left as-is, episodes not individually tracked");
    EXPECT_TRUE(dark().downloadedEpisodes.isEmpty());
    EXPECT_EQ(dark().status.detail, "Season 2 download complete");
    EXPECT_EQ(m_notifier.notices.first().body, "Season 2 downloaded and sorted.");
}

TEST_F(StoreDownloads, WithoutTheSoundSettingACompletionPostsNothing) {
    AppSettings quiet;
    quiet.notificationSoundEnabled = false;
    quiet.seedMigratedV1 = true;
    seed(StorageFiles::kSettings, quiet);
    start();
    const QString h = hash('2');
    grabAndStart(match("S01E04", h));
    writeDownloadedFile("Dark.S01E04.mkv", 100);
    m_daemon.torrents[h].files = {"Dark.S01E04.mkv"};
    m_daemon.torrents[h].finish();
    ASSERT_TRUE(pollUntil([&] { return m_store->activeDownloads().isEmpty(); }));
    EXPECT_EQ(dark().downloadedEpisodes, QStringList{"S01E04"});
    EXPECT_TRUE(m_notifier.notices.isEmpty());
}

TEST_F(StoreDownloads, ATorrentGoneFromTheDaemonIsForgotten) {
    start();
    const QString h = hash('3');
    grabAndStart(match("S01E05", h));
    m_daemon.torrents.remove(h);
    ASSERT_TRUE(pollUntil([&] { return m_store->activeDownloads().isEmpty(); }));
    EXPECT_EQ(row(h)->detail, "No longer tracked by the engine");
    EXPECT_EQ(dark().status, ShowStatus{});
    EXPECT_FALSE(m_store->isPolling());
}

TEST_F(StoreDownloads, ADaemonThatHasNotLoadedItsTorrentsYetLosesNoDownload) {
    // Restored from the last run; the daemon, just started, answers before it has loaded it.
    const QString h = hash('6');
    seed(StorageFiles::kDownloads,
         QMap<QString, ActiveDownload>{
             {h, {ActiveDownload::Kind::episode, m_dark.id, "S01E07", false, "EZTV"}}});
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
    EXPECT_TRUE(m_store->isPolling());
    ASSERT_TRUE(runEventLoopUntil([&] { return m_store->activeDownloads().size() == 1; }));
    EXPECT_EQ(row(hash('5'))->detail, "Cancelled — series no longer in watchlist");
    EXPECT_EQ(dark().status.progress, 0.5);
    ASSERT_TRUE(runEventLoopUntil([&] { return !m_daemon.torrents.contains(hash('5')); }));
}

TEST_F(StoreDownloads, AMovieIsStartedFollowedAndFiledUnderMovies) {
    start();
    const QString h = hash('9');
    m_store->startMovieDownload(FeedMatch{
        m_heat.id, {}, true, "Heat.1995.1080p", *m_heat.pendingMagnet, 40, "hand-picked"});
    ASSERT_TRUE(runEventLoopUntil([&] { return m_store->activeDownloads().contains(h); }));
    EXPECT_EQ(m_store->activeDownloads().value(h),
              (ActiveDownload{ActiveDownload::Kind::movie, m_heat.id, "", true, "hand-picked"}));
    EXPECT_EQ(heat().pendingMagnet, std::nullopt);
    EXPECT_EQ(row(h)->episode, "Movie");
    EXPECT_EQ(row(h)->showName, "Heat");

    writeDownloadedFile("Heat.1995/Heat.1995.1080p.mkv", 900);
    m_daemon.torrents[h].files = {"Heat.1995/Heat.1995.1080p.mkv"};
    m_daemon.torrents[h].finish();
    ASSERT_TRUE(pollUntil([&] { return m_store->activeDownloads().isEmpty(); }));

    const QString filed = QDir(libraryRoot()).filePath("Movies/Heat (1995)/Heat.1995.1080p.mkv");
    EXPECT_TRUE(QFileInfo(filed).isFile());
    EXPECT_TRUE(heat().downloaded);
    EXPECT_EQ(heat().status.state, ShowStatus::State::sorted);
    EXPECT_EQ(log(), QStringList({"Started downloading Heat (1995)",
                                  "Sorted movie Heat (1995) → " + filed}));
    EXPECT_EQ(m_notifier.notices.first(),
              (Notice{"Heat (1995)", "Downloaded and sorted.", std::nullopt, true}));
}

struct HintCase {
    std::optional<StallReason> note;
    int seeds;
    const char* shown;
};

class TrackerHints : public testing::TestWithParam<HintCase> {};

TEST_P(TrackerHints, TheStoredHintAndWhatTheViewsShow) {
    DownloadRecord row;
    row.trackerHint = trackerHintFor(GetParam().note);
    row.seedsSeen = GetParam().seeds;
    EXPECT_EQ(trackerHintText(row), QString::fromUtf8(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(
    Notes, TrackerHints,
    testing::Values(HintCase{StallReason::foundSeeds, 1, "Found 1 seed. Waiting for handshake"},
                    HintCase{StallReason::foundSeeds, 7, "Found 7 seeds. Waiting for handshake"},
                    HintCase{StallReason::foundSeeds, 0, "Found seeds"},
                    HintCase{StallReason::noSeeds, 3, "No seeds - likely abandoned"},
                    HintCase{StallReason::noTracker, 0, "No tracker connection"},
                    HintCase{StallReason::queued, 0, "Queued - waiting its turn"},
                    HintCase{std::nullopt, 4, ""}));

TEST_F(StoreDownloads, LiveNumbersAreSavedAtABoundedRateAndNotLostAtTheEnd) {
    start();
    const QString h = hash('6');
    grabAndStart(match("S01E07", h));
    m_daemon.torrents[h].percentDone = 0.25;
    m_daemon.torrents[h].peersConnected = 2; // moving: nothing for the stall handling to note
    m_daemon.torrents[h].files = {"Dark.S01E07.mkv"};
    ASSERT_TRUE(pollUntil([&] { return row(h)->progress == 0.25; }));
    // Not written on every pass…
    EXPECT_EQ(stored<QList<DownloadRecord>>(StorageFiles::kHistory)->first().progress, 0.0);
    // …but never lost when the store goes away.
    m_store.reset();
    EXPECT_EQ(stored<QList<DownloadRecord>>(StorageFiles::kHistory)->first().progress, 0.25);
}
