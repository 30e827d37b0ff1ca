#include "StoreHarness.h"
#include "store/DownloadFollower.h"

namespace {

class Movies : public StoreHarness {
protected:
    void SetUp() override {
        m_fakeIndexes = true;
        m_env.clock().set(utc(2025, 3, 13, 12));
    }

    void startWith(const Movie& movie) {
        seed(StorageFiles::kMovies, QList<Movie>{movie});
        start();
    }

    const Movie& heat() const { return m_store->movies().first(); }

    // Hunts and waits for the outcome.
    void hunt() {
        m_store->huntMovie(m_heat.id);
        ASSERT_TRUE(runEventLoopUntil([&] {
            return heat().status.state != ShowStatus::State::found ||
                   !m_store->activeDownloads().isEmpty();
        }));
    }

    Movie m_heat{.id = QUuid::createUuid(), .name = "Heat", .year = "1995"};
};

} // namespace

TEST_F(Movies, AnEarlyCopyInAnotherResolutionIsHeldOnceEvenThroughAnOutageThenTaken) {
    m_indexes.hits = {hit("Heat.1995.720p.WEB", '7', 90)};
    m_heat.releaseDate = utc(2025, 3, 13); // out today: a 720p copy may be a fake
    startWith(m_heat);
    hunt();
    hunt();
    EXPECT_EQ(
        log(),
        QStringList{
            "Heat (1995) — found a copy, but not in 1080p — holding off until Mar 14, 2025 in case "
            "the real release is just late"});
    EXPECT_EQ(heat().status.detail, "release pending — holding for a real copy");
    EXPECT_TRUE(m_store->activeDownloads().isEmpty());
    // It stays held through an outage of the indexes, without a new line.
    m_indexes.answering = false;
    hunt();
    EXPECT_EQ(log().size(), 1) << log().join('\n').toStdString();
    EXPECT_EQ(heat().status.detail, "release pending — holding for a real copy");

    m_indexes.answering = true;
    m_env.clock().set(utc(2025, 3, 14));
    hunt();
    EXPECT_EQ(m_store->activeDownloads().keys(), QStringList{hash('7')});
    EXPECT_TRUE(log().contains("Heat (1995) — no 1080p release exists, took 720p instead"));
}

TEST_F(Movies, WithoutAReleaseDateAnotherResolutionIsTakenAtOnceAndNothingFoundIsSaid) {
    m_indexes.hits = {hit("Heat.1995.WEB", 'e', 5)};
    startWith(m_heat);
    hunt();
    EXPECT_EQ(m_store->activeDownloads().keys(), QStringList{hash('e')});
    EXPECT_TRUE(log().contains(
        "Heat (1995) — no 1080p release exists, took an unlabelled resolution instead"));

    m_store->removeMovie(m_heat.id);
    m_indexes.hits = {hit("Heat.2019.1080p", 'f', 5)}; // the wrong year
    m_heat.id = m_store->addMovie("  Heat ", MovieResult{949, "Heat", "1995"}, Show::Quality::p1080,
                                  true, false, std::nullopt);
    ASSERT_TRUE(runEventLoopUntil([&] { return heat().status.state == ShowStatus::State::error; }));
    EXPECT_EQ(heat().status.detail, "no release found yet");
    EXPECT_EQ(heat().tmdbID, 949);
    EXPECT_EQ(log().mid(log().size() - 2), QStringList({"Added \"Heat (1995)\" to Movies",
                                                        "Heat (1995) — no release found yet"}));
}

TEST_F(Movies, ChangingTheResolutionSparesALiveDownloadOnly) {
    char h = 'a';
    for (const auto& c : fixtureJson("store/movie-resolution.json")) {
        SCOPED_TRACE(c.dump());
        wipe();
        startWith(m_heat);
        const QString torrent = hash(h++);
        const bool downloading = c["downloading"], hunted = c["hunted"];
        const int peers = c["peers"];
        if (downloading) {
            m_store->follower().startMovie(FeedMatch{
                m_heat.id, {}, false, "Heat.1995.720p", magnet(torrent, "Heat"), 5, "YTS"});
            ASSERT_TRUE(following(torrent));
            m_daemon.torrents[torrent].peersConnected = peers;
            m_daemon.torrents[torrent].files = {"Heat.mkv"};
            ASSERT_TRUE(pollUntil([&] {
                return m_store->history().first().peers == peers &&
                       heat().status.state == ShowStatus::State::downloading;
            }));
        }
        const int searches = m_indexes.searchCount();
        m_store->setMovieQuality(m_heat.id, Show::Quality::p720);
        EXPECT_EQ(heat().quality, Show::Quality::p720);
        EXPECT_TRUE(log().contains(qstr(c["line"])));
        EXPECT_EQ(m_store->activeDownloads().contains(torrent), downloading && !hunted);
        if (hunted) {
            ASSERT_TRUE(runEventLoopUntil([&] { return m_indexes.searchCount() > searches; }));
        }
    }
}

TEST_F(Movies, TheCycleHuntsMonitoredMoviesWithoutACopyOnly) {
    Movie done{.id = QUuid::createUuid(), .name = "Alien", .downloaded = true};
    Movie unmonitored{.id = QUuid::createUuid(), .name = "Ronin", .monitor = false};
    seed(StorageFiles::kMovies, QList<Movie>{m_heat, done, unmonitored});
    start();
    m_store->runCheck(true);
    ASSERT_TRUE(runEventLoopUntil([&] { return heat().status.state == ShowStatus::State::error; }));
    EXPECT_EQ(m_store->movies()[1].status, ShowStatus{});
    EXPECT_EQ(m_store->movies()[2].status, ShowStatus{});
    EXPECT_EQ(m_indexes.searchCount(), 1);
}

TEST_F(Movies, ADisabledMovieSitsOutTheCycleUntilEnabledAndEachChangeIsSaved) {
    startWith(m_heat);
    m_store->setMovieEnabled(m_heat.id, false);
    EXPECT_FALSE(stored<QList<Movie>>(StorageFiles::kMovies)->first().isEnabled);
    m_store->runCheck(true);
    ASSERT_TRUE(runEventLoopUntil([&] { return !m_store->isChecking(); }));
    EXPECT_EQ(heat().status, ShowStatus{});
    EXPECT_EQ(m_indexes.searchCount(), 0);

    m_store->setMovieEnabled(m_heat.id, true);
    m_store->runCheck(true);
    ASSERT_TRUE(runEventLoopUntil([&] { return heat().status.state == ShowStatus::State::error; }));
    EXPECT_EQ(m_indexes.searchCount(), 1);

    m_store->clearMovieStatus(m_heat.id);
    EXPECT_EQ(heat().status, ShowStatus{});
    EXPECT_EQ(stored<QList<Movie>>(StorageFiles::kMovies)->first().status, ShowStatus{});
}

TEST_F(Movies, AReleaseSearchByTitleListsMovieReleasesAndSaysWhenNoIndexAnswered) {
    m_indexes.hits = {hit("Heat.1995.1080p.BluRay", '8', 30)};
    startWith(m_heat);
    const auto found =
        awaitTask(m_store->watchlist().releases.movieReleases("Heat", Show::Quality::p1080));
    ASSERT_EQ(found.results.size(), 1);
    EXPECT_EQ(found.results.first().title, "Heat.1995.1080p.BluRay");
    EXPECT_FALSE(found.indexesUnreachable);

    m_indexes.answering = false;
    const auto unreached =
        awaitTask(m_store->watchlist().releases.movieReleases("Heat", std::nullopt));
    EXPECT_TRUE(unreached.results.isEmpty());
    EXPECT_TRUE(unreached.indexesUnreachable);
}

TEST_F(Movies, AMovieAddedUnderAFallbackTitleIsHuntedUnderIt) {
    QStringList asked;
    m_indexes.hitsFor = [&](const QString& query) {
        asked << query;
        return QList<FakeIndexes::Hit>{};
    };
    seed(StorageFiles::kMovies, QList<Movie>{});
    start();
    m_store->addMovie("Heat Redux", MovieResult{949, "Heat", "1995"}, Show::Quality::p1080, true,
                      false, std::nullopt, QString("Heat Redux"));
    ASSERT_TRUE(runEventLoopUntil([&] { return heat().status.state == ShowStatus::State::error; }));
    EXPECT_EQ(stored<QList<Movie>>(StorageFiles::kMovies)->first().searchAlias, "Heat Redux");
    ASSERT_FALSE(asked.isEmpty());
    for (const QString& query : asked)
        EXPECT_TRUE(query.contains("Redux")) << query.toStdString();
}

// With no index answering, a hunt must not read as "nothing released yet".
TEST_F(Movies, AHuntNoIndexAnsweredIsToldOnce) {
    m_indexes.answering = false;
    startWith(m_heat);
    hunt();
    hunt();
    EXPECT_EQ(log(), QStringList{"Heat (1995) — could not reach the torrent indexes"});
    EXPECT_EQ(heat().status.state, ShowStatus::State::error);
    EXPECT_EQ(heat().status.detail, "could not reach the torrent indexes");
    EXPECT_EQ(stored<QList<Movie>>(StorageFiles::kMovies)->first().status, heat().status);
}
