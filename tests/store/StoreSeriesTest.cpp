#include "FakeServices.h"
#include "StoreHarness.h"

namespace {

FakeIndexes::Hit hit(const QString& code, const char* quality, char h, int seeders = 10) {
    return {"Dark." + code + "." + quality + ".WEB-GRP", QString(40, QLatin1Char(h)), seeders};
}

class Series : public ServicedStoreHarness {
protected:
    void SetUp() override {
        m_env.clock().set(utc(2025, 3, 13, 12));
        m_dark = Show{.id = QUuid::createUuid(), .name = "Dark", .tmdbID = 70523};
        // Season 1: three episodes aired, the fourth to come.
        m_tmdb.series[70523] = {"Dark",
                                "Returning Series",
                                1,
                                std::pair(1, 3),
                                {"DE"},
                                "tt5753856",
                                {{1,
                                  {{1, QDate(2025, 2, 20)},
                                   {2, QDate(2025, 2, 27)},
                                   {3, QDate(2025, 3, 6)},
                                   {4, QDate(2025, 3, 20)}}}}};
    }

    void startWith(const Show& show) {
        seed(StorageFiles::kShows, QList<Show>{show});
        start();
    }

    const Show& dark() const { return m_store->shows().first(); }

    Show m_dark;
};

} // namespace

// --- seasons -----------------------------------------------------------------------------------

struct SeasonCase {
    const char* label;
    bool complete; // completeSeason rather than pullSeason
    QStringList downloaded;
    QList<FakeIndexes::Hit> hits;
    QStringList expectedLog;
    int grabs;
};

class Seasons : public Series, public testing::WithParamInterface<SeasonCase> {};

TEST_P(Seasons, SayWhatWasFound) {
    const SeasonCase& c = GetParam();
    Show show = m_dark;
    show.downloadedEpisodes = c.downloaded;
    m_indexes.hits = c.hits;
    startWith(show);
    awaitTask(c.complete ? m_store->completeSeason(m_dark.id, 1)
                         : m_store->pullSeason(m_dark.id, 1));
    QStringList seasonLines;
    for (const QString& line : log()) {
        if (!line.startsWith("Found:") && !line.startsWith("Started") &&
            !line.startsWith("Cancelled"))
            seasonLines << line;
    }
    EXPECT_EQ(seasonLines, c.expectedLog);
    ASSERT_TRUE(runEventLoopUntil([&] { return m_store->activeDownloads().size() == c.grabs; }));
}

INSTANTIATE_TEST_SUITE_P(
    Messages, Seasons,
    testing::Values(
        SeasonCase{"pullPartly",
                   false,
                   {},
                   {hit("S01E01", "1080p", 'a'), hit("S01E03", "1080p", 'b')},
                   {"Hunting Season 1 of Dark…",
                    "Dark Season 1 — found 2 of 3 episodes; the rest had no seeded release"},
                   2},
        SeasonCase{
            "pullAll",
            false,
            {},
            {hit("S01E01", "1080p", 'a'), hit("S01E02", "720p", 'c'), hit("S01E03", "1080p", 'b')},
            {"Hunting Season 1 of Dark…"},
            3},
        SeasonCase{"pullNothing",
                   false,
                   {},
                   {hit("S01E01", "1080p", 'a', 0)},
                   {"Hunting Season 1 of Dark…",
                    "Dark Season 1 — no seeded releases found for any episode"},
                   0},
        SeasonCase{"completeOneMissing",
                   true,
                   {"S01E01", "S01E03"},
                   {hit("S01E02", "1080p", 'a')},
                   {"Completing Season 1 of Dark — hunting 1 missing episode…"},
                   1},
        SeasonCase{
            "completeTwoMissingOneFound",
            true,
            {"S01E01"},
            {hit("S01E02", "1080p", 'a')},
            {"Completing Season 1 of Dark — hunting 2 missing episodes…",
             "Dark Season 1 — found 1 of 2 missing episodes; the rest had no seeded release"},
            1},
        SeasonCase{"completeNothingFound",
                   true,
                   {"S01E01"},
                   {},
                   {"Completing Season 1 of Dark — hunting 2 missing episodes…",
                    "Dark Season 1 — no seeded releases found for the missing episodes"},
                   0},
        SeasonCase{"completeNothingMissing",
                   true,
                   {"S01E01", "S01E02", "S01E03"},
                   {hit("S01E02", "1080p", 'a')},
                   {"Dark Season 1 is already complete — nothing to grab"},
                   0}),
    [](const testing::TestParamInfo<SeasonCase>& info) { return info.param.label; });

TEST_F(Series, SeasonsNeedTmdbAndAiredEpisodes) {
    Show untracked = m_dark;
    untracked.tmdbID.reset();
    startWith(untracked);
    awaitTask(m_store->pullSeason(m_dark.id, 1));
    awaitTask(m_store->completeSeason(m_dark.id, 1));
    EXPECT_EQ(log(),
              QStringList({"Hunting Season 1 of Dark…",
                           "Dark Season 1 — can't pull it: no TMDB match for the episode list",
                           "Dark — can't complete Season 1: no TMDB match for the episode list"}));

    m_store.reset();
    m_tmdb.series[70523].seasons[2] = {{1, QDate(2025, 6, 1)}};
    startWith(m_dark);
    awaitTask(m_store->completeSeason(m_dark.id, 2));
    EXPECT_EQ(log().last(), "Dark Season 2 — no aired episodes listed on TMDB");
}

// --- hand-picked episodes ----------------------------------------------------------------------

TEST_F(Series, HandPickedEpisodesAreGrabbedOfferedOrReportedMissing) {
    Show strict = m_dark;
    strict.fallbackAnyQuality = false;
    m_indexes.hits = {hit("S01E01", "1080p", 'a'), hit("S01E02", "720p", 'b'),
                      hit("S01E02", "480p", 'c')};
    startWith(strict);

    const auto outcomes =
        awaitTask(m_store->grabEpisodes(m_dark.id, {"S01E01", "S01E02", "S01E03"}));
    using O = WatchlistStore::EpisodeOutcome;
    EXPECT_EQ(outcomes,
              (QMap<QString, O>{
                  {"S01E01", O::grabbed}, {"S01E02", O::offered}, {"S01E03", O::notFound}}));
    EXPECT_TRUE(log().contains("Dark S01E02 — no 1080p release; found 2 at other qualities"));
    EXPECT_TRUE(log().contains("Dark S01E03 — no seeded release found at any quality"));
    EXPECT_EQ(m_store->pendingQualityPicks().value(m_dark.id).episodeCode, "S01E02");
    EXPECT_EQ(m_store->pendingQualityPicks().value(m_dark.id).alternates.size(), 2);
    ASSERT_TRUE(runEventLoopUntil([&] { return m_store->activeDownloads().size() == 1; }));
}

TEST_F(Series, WithFallbackTheNearestOtherResolutionIsTaken) {
    m_indexes.hits = {hit("S01E02", "480p", 'c', 90), hit("S01E02", "720p", 'b', 5)};
    startWith(m_dark);
    awaitTask(m_store->grabEpisodes(m_dark.id, {"S01E02"}));
    EXPECT_TRUE(log().contains("Dark S01E02 — no 1080p release exists, took 720p instead"));
    ASSERT_TRUE(
        runEventLoopUntil([&] { return m_store->activeDownloads().contains(QString(40, 'b')); }));
}

// --- subscription, resolution, removal ---------------------------------------------------------

TEST_F(Series, SubscribingAnchorsOnTheLatestEpisodeOnlyWithoutHistory) {
    Show off = m_dark;
    off.isEnabled = off.startWithLatest = false;
    off.seasonFilter = 2;
    startWith(off);
    m_store->setSubscribed(m_dark.id, true);
    EXPECT_TRUE(dark().isEnabled && dark().startWithLatest && dark().monitorFromLatestPending);
    EXPECT_EQ(dark().seasonFilter, std::nullopt);
    EXPECT_EQ(log().last(), "Subscribed to \"Dark\" — new episodes will be grabbed as they air");

    m_store->setSubscribed(m_dark.id, false);
    EXPECT_FALSE(dark().isEnabled);
    EXPECT_EQ(log().last(), "Unsubscribed from \"Dark\" — no new episodes will be grabbed");

    m_store.reset();
    Show withHistory = off;
    withHistory.downloadedEpisodes = {"S01E01"};
    startWith(withHistory);
    m_store->setSubscribed(m_dark.id, true);
    EXPECT_FALSE(dark().monitorFromLatestPending);
}

TEST_F(Series, ANewResolutionRefindsOnlyTheDownloadThatNeverConnected) {
    startWith(m_dark);
    m_store->grab(FeedMatch{m_dark.id, "S01E01", false, "Dark.S01E01.1080p",
                            magnet(hash('1'), "Dark.S01E01"), 5, "EZTV"});
    m_store->grab(FeedMatch{m_dark.id, "S01E02", false, "Dark.S01E02.1080p",
                            magnet(hash('2'), "Dark.S01E02"), 5, "EZTV"});
    ASSERT_TRUE(runEventLoopUntil([&] { return m_store->activeDownloads().size() == 2; }));
    m_daemon.torrents[hash('1')].peersConnected = 4;
    m_daemon.torrents[hash('1')].percentDone = 0.4;
    ASSERT_TRUE(pollUntil([&] { return m_store->historyRows(m_dark.id).last().peers == 4; }));

    m_indexes.hits = {hit("S01E02", "720p", '3')};
    m_store->setShowQuality(m_dark.id, Show::Quality::p720);
    EXPECT_EQ(dark().quality, Show::Quality::p720);
    EXPECT_TRUE(log().contains(
        "Dark — resolution set to 720p, re-finding 1 episode that hadn't connected"));
    ASSERT_TRUE(
        runEventLoopUntil([&] { return m_store->activeDownloads().contains(QString(40, '3')); }));
    EXPECT_TRUE(m_store->activeDownloads().contains(hash('1')));
    EXPECT_FALSE(m_store->activeDownloads().contains(hash('2')));

    m_store->setShowQuality(m_dark.id, std::nullopt);
    EXPECT_TRUE(dark().anyQuality);
}

TEST_F(Series, RemovingASeriesCancelsItsDownloads) {
    startWith(m_dark);
    m_store->grab(FeedMatch{m_dark.id, "S01E01", false, "Dark.S01E01.1080p",
                            magnet(hash('1'), "Dark.S01E01"), 5, "EZTV"});
    ASSERT_TRUE(runEventLoopUntil([&] { return !m_store->activeDownloads().isEmpty(); }));
    m_store->removeShow(m_dark.id);
    EXPECT_TRUE(m_store->shows().isEmpty());
    EXPECT_TRUE(m_store->activeDownloads().isEmpty());
    EXPECT_EQ(m_store->history().first().detail, "Cancelled — series removed");
    EXPECT_TRUE(stored<QList<Show>>(StorageFiles::kShows)->isEmpty());
    ASSERT_TRUE(runEventLoopUntil([&] { return m_daemon.removed.contains({hash('1'), true}); }));
}

// --- adding a series ---------------------------------------------------------------------------

struct PlanCase {
    const char* label;
    bool subscribe;
    bool picked;
    WatchlistStore::PickPlan plan;
    bool follows;
    bool fromLatest;
};

class AddPlans : public Series, public testing::WithParamInterface<PlanCase> {};

TEST_P(AddPlans, SetTheSubscriptionFlags) {
    const PlanCase& c = GetParam();
    start();
    WatchlistStore::NewShow form{.name = " Dark ", .startWithLatest = c.subscribe};
    QList<SearchResult> picks;
    if (c.picked) {
        SearchResult r;
        r.title = "Dark.S01E01.1080p";
        r.episodeCode = "S01E01";
        r.magnetURL = magnet(hash('p'), "Dark");
        r.source = "EZTV";
        picks << r;
    }
    m_store->addShow(form, picks, c.plan);
    ASSERT_EQ(m_store->shows().size(), 1);
    EXPECT_EQ(dark().name, "Dark");
    EXPECT_EQ(dark().startWithLatest, c.follows);
    EXPECT_EQ(dark().isEnabled, c.follows);
    EXPECT_EQ(dark().monitorFromLatestPending, c.fromLatest);
    EXPECT_EQ(log().first(), "Added \"Dark\" to schedule");
}

using Plan = WatchlistStore::PickPlan;
INSTANTIATE_TEST_SUITE_P(
    Cases, AddPlans,
    testing::Values(
        PlanCase{"subscribeNoPicks", true, false, Plan::continueForward, true, true},
        PlanCase{"noSubscriptionNoPicks", false, false, Plan::continueForward, false, false},
        PlanCase{"continueForward", false, true, Plan::continueForward, true, false},
        PlanCase{"onlyThis", false, true, Plan::onlyThis, false, false},
        PlanCase{"thisThenLatest", false, true, Plan::thisThenLatest, true, true},
        PlanCase{"onlyThisWhileSubscribed", true, true, Plan::onlyThis, true, true},
        PlanCase{"continueForwardWhileSubscribed", true, true, Plan::continueForward, true, false}),
    [](const testing::TestParamInfo<PlanCase>& info) { return info.param.label; });

TEST_F(Series, PickedPacksGetPackCodes) {
    start();
    SearchResult season;
    season.title = "Dark.S03.1080p";
    season.season = 3;
    season.magnetURL = magnet(hash('s'), "Dark.S03");
    SearchResult series;
    series.title = "Dark.Complete.Series";
    series.magnetURL = magnet("ABCDEF0123456789abcdef0123456789abcdef01", "Dark");
    m_store->addShow({.name = "Dark", .startWithLatest = false}, {season, series}, Plan::onlyThis);
    ASSERT_TRUE(runEventLoopUntil([&] { return m_store->activeDownloads().size() == 2; }));
    QStringList codes;
    for (const auto& d : m_store->activeDownloads())
        codes << d.episodeCode;
    codes.sort();
    EXPECT_EQ(codes, QStringList({"S03.PACK", "SERIES-abcdef01.PACK"}));
}

TEST_F(Series, ASeasonPullAddsFollowsAndPulls) {
    m_indexes.hits = {hit("S01E01", "1080p", 'a')};
    start();
    const auto match = TMDBClient::SeriesResult{70523, "Dark", "2017", "", "/p.jpg"};
    const QUuid id = m_store->addShow({.name = "dark",
                                       .match = match,
                                       .fallbackAnyQuality = false,
                                       .startWithLatest = false,
                                       .seasonText = " 1 ",
                                       .pullEntireSeason = true});
    ASSERT_FALSE(id.isNull());
    EXPECT_EQ(dark().name, "Dark");
    EXPECT_EQ(dark().firstAirYear, "2017");
    EXPECT_EQ(dark().seasonFilter, 1);
    EXPECT_TRUE(dark().fallbackAnyQuality);
    EXPECT_FALSE(dark().isEnabled);
    EXPECT_EQ(log().first(), "Added \"Dark\" — pulling Season 1");
    ASSERT_TRUE(runEventLoopUntil([&] { return m_store->activeDownloads().size() == 1; }));

    EXPECT_TRUE(m_store->addShow({.name = "Other", .seasonText = "two", .pullEntireSeason = true})
                    .isNull());
    EXPECT_TRUE(m_store->addShow({.name = "   "}).isNull());
}

TEST_F(Series, ANewSubscriptionIsAnchoredThenSearchedAtOnce) {
    m_tmdb.series[70523].seasons[1][3].airDate = QDate(2025, 3, 14); // hunted from today
    m_indexes.hits = {hit("S01E03", "1080p", 'c'), hit("S01E04", "1080p", 'd')};
    start();
    m_store->addShow({.name = "Dark",
                      .match = TMDBClient::SeriesResult{70523, "Dark"},
                      .startWithLatest = true});
    ASSERT_TRUE(
        runEventLoopUntil([&] { return m_store->activeDownloads().contains(QString(40, 'd')); }));
    EXPECT_EQ(dark().monitorAnchor, "S01E03");
    EXPECT_FALSE(dark().monitorFromLatestPending);
    EXPECT_EQ(m_store->activeDownloads().size(), 1);
}

TEST_F(Series, ANewSubscriptionWithNothingOutYetSaysSoAndGoesIdle) {
    m_tmdb.series[70523].seasons[1][3].airDate = QDate(2025, 3, 14);
    start();
    m_store->addShow({.name = "Dark",
                      .match = TMDBClient::SeriesResult{70523, "Dark"},
                      .startWithLatest = true});
    ASSERT_TRUE(runEventLoopUntil([&] { return log().contains("No release found yet for Dark"); }));
    EXPECT_EQ(dark().status, ShowStatus{});
    EXPECT_EQ(m_indexes.searchCount(), 1);
}

TEST_F(Series, PicksWithoutASubscriptionAreNotFollowedBySearching) {
    start();
    SearchResult r;
    r.title = "Dark.S01E01.1080p";
    r.episodeCode = "S01E01";
    r.magnetURL = magnet(hash('q'), "Dark");
    m_store->addShow({.name = "Dark", .startWithLatest = false}, {r}, Plan::onlyThis);
    ASSERT_TRUE(runEventLoopUntil([&] { return !m_store->activeDownloads().isEmpty(); }));
    drainEvents();
    EXPECT_EQ(m_indexes.searchCount(), 0);
}
