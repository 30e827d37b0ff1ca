#include "FakeServices.h"
#include "StoreHarness.h"

namespace {

class Movies : public StoreHarness {
protected:
    StoreEnvironment environment() override {
        StoreEnvironment env = StoreHarness::environment();
        m_indexes.apply(env.endpoints);
        return env;
    }

    void SetUp() override {
        m_env.clock().set(utc(2025, 3, 13, 12));
        m_heat = Movie{.id = QUuid::createUuid(), .name = "Heat", .year = "1995"};
    }

    void startWith(const Movie& movie) {
        seed(StorageFiles::kMovies, QList<Movie>{movie});
        start();
    }

    const Movie& heat() const { return m_store->movies().first(); }

    bool settled() const {
        return heat().status.state != ShowStatus::State::found ||
               !m_store->activeDownloads().isEmpty();
    }

    // Hunts and waits for the outcome.
    void hunt() {
        m_store->huntMovie(m_heat.id);
        ASSERT_TRUE(runEventLoopUntil([&] { return settled(); }));
    }

    FakeIndexes m_indexes;
    Movie m_heat;
};

} // namespace

TEST_F(Movies, AHandPickedReleaseStartsWithoutASearch) {
    m_heat.pendingMagnet = magnet(hash('h'), "Heat.1995.2160p.UHD");
    startWith(m_heat);
    hunt();
    ASSERT_TRUE(runEventLoopUntil([&] { return m_store->activeDownloads().contains(hash('h')); }));
    EXPECT_EQ(m_store->activeDownloads().value(hash('h')).source, "hand-picked");
    EXPECT_TRUE(m_store->activeDownloads().value(hash('h')).userPicked);
    EXPECT_EQ(m_store->history().first().title, "Heat.1995.2160p.UHD");
    EXPECT_EQ(heat().pendingMagnet, std::nullopt);
    EXPECT_EQ(m_indexes.searchCount(), 0);
    EXPECT_EQ(log(), QStringList{"Started downloading Heat (1995)"});
}

TEST_F(Movies, TheWantedResolutionIsTakenAtOnce) {
    m_indexes.hits = {{"Heat.1995.720p.BluRay", hash('7'), 90},
                      {"Heat.1995.1080p.BluRay", hash('8'), 30}};
    startWith(m_heat);
    hunt();
    EXPECT_EQ(m_store->activeDownloads().keys(), QStringList{hash('8')});
    EXPECT_EQ(log(), QStringList({"Found: Heat (1995) via Torrents-CSV (30 seeders)",
                                  "Started downloading Heat (1995)"}));
}

TEST_F(Movies, AnEarlyCopyInAnotherResolutionIsHeldOnceThenTaken) {
    m_indexes.hits = {{"Heat.1995.720p.WEB", hash('7'), 90}};
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

    m_env.clock().set(utc(2025, 3, 14));
    hunt();
    EXPECT_EQ(m_store->activeDownloads().keys(), QStringList{hash('7')});
    EXPECT_TRUE(log().contains("Heat (1995) — no 1080p release exists, took 720p instead"));
}

TEST_F(Movies, WithoutAReleaseDateAnotherResolutionIsTakenAtOnceAndNothingFoundIsSaid) {
    m_indexes.hits = {{"Heat.1995.WEB", hash('e'), 5}};
    startWith(m_heat);
    hunt();
    EXPECT_EQ(m_store->activeDownloads().keys(), QStringList{hash('e')});
    EXPECT_TRUE(log().contains(
        "Heat (1995) — no 1080p release exists, took an unlabelled resolution instead"));

    m_store->removeMovie(m_heat.id);
    m_indexes.hits = {{"Heat.2019.1080p", hash('f'), 5}}; // the wrong year
    m_heat.id = m_store->addMovie("  Heat ", TMDBClient::MovieResult{949, "Heat", "1995"},
                                  Show::Quality::p1080, true, false, std::nullopt);
    ASSERT_TRUE(runEventLoopUntil([&] { return heat().status.state == ShowStatus::State::error; }));
    EXPECT_EQ(heat().status.detail, "no release found yet");
    EXPECT_EQ(heat().tmdbID, 949);
    EXPECT_EQ(log().mid(log().size() - 2), QStringList({"Added \"Heat (1995)\" to Movies",
                                                        "Heat (1995) — no release found yet"}));
}

struct QualityChange {
    const char* label;
    bool downloading;
    int peers;
    const char* message;
    bool hunted;
};

class MovieQuality : public Movies, public testing::WithParamInterface<QualityChange> {};

TEST_P(MovieQuality, ChangingTheResolutionSparesALiveDownloadOnly) {
    startWith(m_heat);
    if (GetParam().downloading) {
        m_store->startMovieDownload(
            FeedMatch{m_heat.id, {}, false, "Heat.1995.720p", magnet(hash('d'), "Heat"), 5, "YTS"});
        ASSERT_TRUE(runEventLoopUntil([&] { return !m_store->activeDownloads().isEmpty(); }));
        m_daemon.torrents[hash('d')].peersConnected = GetParam().peers;
        m_daemon.torrents[hash('d')].files = {"Heat.mkv"};
        ASSERT_TRUE(pollUntil([&] {
            return m_store->history().first().peers == GetParam().peers &&
                   heat().status.state == ShowStatus::State::downloading;
        }));
    }
    const int searches = m_indexes.searchCount();
    m_store->setMovieQuality(m_heat.id, Show::Quality::p720);
    EXPECT_EQ(heat().quality, Show::Quality::p720);
    EXPECT_TRUE(log().contains(QString::fromUtf8(GetParam().message)));
    EXPECT_EQ(m_store->activeDownloads().contains(hash('d')),
              GetParam().downloading && !GetParam().hunted);
    if (GetParam().hunted) {
        ASSERT_TRUE(runEventLoopUntil([&] { return m_indexes.searchCount() > searches; }));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MovieQuality,
    testing::Values(
        QualityChange{
            "live", true, 3,
            "Heat (1995) — resolution set to 720p; its download is live, so it was left running",
            false},
        QualityChange{
            "stalled", true, 0,
            "Heat (1995) — resolution set to 720p, stalled download discontinued, searching again",
            true},
        QualityChange{"idle", false, 0, "Heat (1995) — resolution set to 720p, searching again",
                      true}),
    [](const testing::TestParamInfo<QualityChange>& info) { return info.param.label; });

TEST_F(Movies, RemovingAMovieWhileItDownloadsCancelsAndKeepsTheRow) {
    startWith(m_heat);
    m_store->startMovieDownload(
        FeedMatch{m_heat.id, {}, false, "Heat.1995.1080p", magnet(hash('r'), "Heat"), 5, "YTS"});
    ASSERT_TRUE(runEventLoopUntil([&] { return !m_store->activeDownloads().isEmpty(); }));
    m_store->removeMovie(m_heat.id);
    EXPECT_TRUE(m_store->movies().isEmpty());
    EXPECT_TRUE(m_store->activeDownloads().isEmpty());
    EXPECT_EQ(m_store->history().first().detail, "Cancelled — movie removed");
    ASSERT_TRUE(runEventLoopUntil([&] { return m_daemon.removed.contains({hash('r'), true}); }));
    EXPECT_TRUE(stored<QList<Movie>>(StorageFiles::kMovies)->isEmpty());
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
