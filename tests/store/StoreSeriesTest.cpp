#include "StoreHarness.h"
#include "store/DownloadFollower.h"

#include <QRegularExpression>
#include <QSignalSpy>

namespace {

using Plan = WatchlistStore::PickPlan;

class Series : public ServicedStoreHarness {
protected:
    void SetUp() override {
        m_env.clock().set(utc(2025, 3, 13, 12));
        // Season 1: three episodes aired, the fourth to come; season 2 in June.
        m_tmdb.series[70523] = tmdbSeries("dark");
    }

    FeedMatch match(const QString& code, char h) const {
        return FeedMatch{
            m_dark.id, code, false, "Dark." + code + ".1080p", magnet(hash(h), "Dark"), 5, "EZTV"};
    }

    static SearchResult pick(const QString& title, char h) {
        return {.title = title, .source = "EZTV", .magnetURL = magnet(hash(h), "Dark")};
    }

    // Known schedule, nothing announced, S01E02 already here: S01E03 is wanted.
    Show wantingS01E03() const {
        Show s = m_dark;
        s.downloadedEpisodes = {"S01E02"};
        s.monitorAnchor = "S01E02";
        s.tmdbStatus = "Returning Series";
        s.airInfoRefreshedAt = utc(2025, 3, 13, 11);
        return s;
    }

    const Show m_dark{.id = QUuid::createUuid(), .name = "Dark", .tmdbID = 70523};
};

} // namespace

// --- seasons -----------------------------------------------------------------------------------

TEST_F(Series, SeasonPullsAndCompletionsSayWhatWasFound) {
    for (const auto& row : fixtureJson("store/seasons.json")) {
        SCOPED_TRACE(row["label"].get<std::string>());
        wipe();
        m_daemon.torrents.clear();
        Show show = m_dark;
        if (!row.value("tmdb", true))
            show.tmdbID.reset();
        for (const auto& code : row["downloaded"])
            show.downloadedEpisodes << qstr(code);
        m_indexes.hits = hits(row["hits"]);
        startWith(show);
        const int season = row.value("season", 1);
        awaitTask(row["complete"].get<bool>() ? m_store->completeSeason(m_dark.id, season)
                                              : m_store->pullSeason(m_dark.id, season));
        const QRegularExpression seasonLine("^(?!Found:|Started|Cancelled)");
        EXPECT_EQ(log().filter(seasonLine), strings(row["log"]));
        ASSERT_TRUE(runEventLoopUntil(
            [&] { return m_store->activeDownloads().size() == row["grabs"].get<int>(); }));
    }
}

// --- hand-picked episodes ----------------------------------------------------------------------

TEST_F(Series, HandPickedEpisodesAreGrabbedOfferedOrReportedMissing) {
    m_indexes.hits = {hit("Dark.S01E01.1080p.WEB-GRP", 'a'), hit("Dark.S01E02.720p.WEB-GRP", 'b'),
                      hit("Dark.S01E02.480p.WEB-GRP", 'c')};
    startWith({.id = m_dark.id, .name = "Dark", .tmdbID = 70523, .fallbackAnyQuality = false});

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
    m_indexes.hits = {hit("Dark.S01E02.480p.WEB-GRP", 'c', 90),
                      hit("Dark.S01E02.720p.WEB-GRP", 'b', 5)};
    startWith(m_dark);
    awaitTask(m_store->grabEpisodes(m_dark.id, {"S01E02"}));
    EXPECT_TRUE(log().contains("Dark S01E02 — no 1080p release exists, took 720p instead"));
    ASSERT_TRUE(following(hash('b')));
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

    off.downloadedEpisodes = {"S01E01"};
    startWith(off);
    m_store->setSubscribed(m_dark.id, true);
    EXPECT_FALSE(dark().monitorFromLatestPending);
}

TEST_F(Series, ANewResolutionRefindsOnlyTheDownloadThatNeverConnected) {
    startWith(m_dark);
    m_store->follower().grab(match("S01E01", '1'));
    m_store->follower().grab(match("S01E02", '2'));
    ASSERT_TRUE(runEventLoopUntil([&] { return m_store->activeDownloads().size() == 2; }));
    m_daemon.torrents[hash('1')].peersConnected = 4;
    m_daemon.torrents[hash('1')].percentDone = 0.4;
    ASSERT_TRUE(pollUntil([&] { return m_store->historyRows(m_dark.id).last().peers == 4; }));

    m_indexes.hits = {hit("Dark.S01E02.720p.WEB-GRP", '3')};
    m_store->setShowQuality(m_dark.id, Show::Quality::p720);
    EXPECT_EQ(dark().quality, Show::Quality::p720);
    EXPECT_TRUE(log().contains(
        "Dark — resolution set to 720p, re-finding 1 episode that hadn't connected"));
    ASSERT_TRUE(following(hash('3')));
    EXPECT_TRUE(m_store->activeDownloads().contains(hash('1')));
    EXPECT_FALSE(m_store->activeDownloads().contains(hash('2')));

    m_store->setShowQuality(m_dark.id, std::nullopt);
    EXPECT_TRUE(dark().anyQuality);
}

// --- adding a series ---------------------------------------------------------------------------

TEST_F(Series, AddPlansSetTheSubscriptionFlags) {
    start();
    char h = 'a';
    const auto rows = fixtureJson("store/add-plans.json");
    for (auto c = rows.begin() + 1; c != rows.end(); ++c) { // after the heading row
        const QString name = qstr((*c)[0]);
        SCOPED_TRACE(name.toStdString());
        QList<SearchResult> picks;
        if ((*c)[2].get<bool>()) {
            picks << pick("Dark.S01E01.1080p", h++);
            picks.last().episodeCode = "S01E01";
        }
        const auto plan = Plan(
            QStringList{"continueForward", "onlyThis", "thisThenLatest"}.indexOf(qstr((*c)[3])));
        const QUuid id = m_store->addShow(
            {.name = " " + name + " ", .startWithLatest = (*c)[1].get<bool>()}, picks, plan);
        const auto added = std::ranges::find(m_store->shows(), id, &Show::id);
        ASSERT_NE(added, m_store->shows().cend());
        EXPECT_EQ(added->name, name);
        EXPECT_EQ(added->startWithLatest, (*c)[4].get<bool>());
        EXPECT_EQ(added->isEnabled, (*c)[4].get<bool>());
        EXPECT_EQ(added->monitorFromLatestPending, (*c)[5].get<bool>());
        EXPECT_TRUE(log().contains("Added \"" + name + "\" to schedule"));
    }
}

// (A season pack's code: the season-pack journey.)
TEST_F(Series, APickedCompleteSeriesGetsAPackCodeAndNoSearchFollows) {
    start();
    SearchResult series = pick("Dark.Complete.Series", 'x');
    series.magnetURL = magnet("ABCDEF0123456789abcdef0123456789abcdef01", "Dark");
    m_store->addShow({.name = "Dark", .startWithLatest = false}, {series}, Plan::onlyThis);
    ASSERT_TRUE(runEventLoopUntil([&] { return m_store->activeDownloads().size() == 1; }));
    EXPECT_EQ(m_store->activeDownloads().first().episodeCode, "SERIES-abcdef01.PACK");
    // Picks without a subscription: no search follows. Searches go through the feed checker
    // one at a time, so once a later one is answered, an earlier one would have been counted.
    awaitTask(m_store->watchlist().releases.seriesReleases("Probe", std::nullopt));
    EXPECT_EQ(m_indexes.searchCount(), 1);
}

TEST_F(Series, ASeasonPullAddsFollowsAndPulls) {
    m_indexes.hits = {hit("Dark.S01E01.1080p.WEB-GRP", 'a')};
    start();
    const auto match = SeriesResult{70523, "Dark", "2017", "", "/p.jpg"};
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

TEST_F(Series, ANewSubscriptionIsAnchoredThenSearchedAtOnceOrSaysNothingIsOut) {
    m_tmdb.series[70523].seasons[1][3].airDate = QDate(2025, 3, 14); // hunted from today
    start();
    m_store->addShow(
        {.name = "Dark", .match = SeriesResult{70523, "Dark"}, .startWithLatest = true});
    ASSERT_TRUE(runEventLoopUntil([&] { return log().contains("No release found yet for Dark"); }));
    EXPECT_EQ(dark().status, ShowStatus{});
    EXPECT_EQ(m_indexes.searchCount(), 1);

    wipe();
    m_indexes.hits = {hit("Dark.S01E03.1080p.WEB-GRP", 'c'), hit("Dark.S01E04.1080p.WEB-GRP", 'd')};
    start();
    m_store->addShow(
        {.name = "Dark", .match = SeriesResult{70523, "Dark"}, .startWithLatest = true});
    ASSERT_TRUE(following(hash('d')));
    EXPECT_EQ(dark().monitorAnchor, "S01E03");
    EXPECT_FALSE(dark().monitorFromLatestPending);
    EXPECT_EQ(m_store->activeDownloads().size(), 1);
}

// --- the series list: search one series now, clear its status --------------------------------

TEST_F(Series, SearchNowSaysWhenNothingIsOutGrabsWhatIsAndRunsOnceAtATime) {
    const Show listed = wantingS01E03();
    startWith(listed);
    m_store->searchNow(listed.id);
    ASSERT_TRUE(runEventLoopUntil([&] { return !m_store->isSearchingNow(listed.id); }));
    EXPECT_TRUE(log().contains("No release found yet for Dark"));
    EXPECT_EQ(dark().status, ShowStatus{});

    m_indexes.hits = {hit("Dark.S01E03.1080p.WEB-GRP", 'c')};
    m_store->searchNow(listed.id);
    EXPECT_EQ(dark().status.state, ShowStatus::State::found);
    EXPECT_EQ(dark().status.detail, "Searching…");
    EXPECT_TRUE(m_store->isSearchingNow(listed.id));
    m_store->searchNow(listed.id); // a second press while the first runs
    ASSERT_TRUE(runEventLoopUntil([&] { return !m_store->isSearchingNow(listed.id); }));
    ASSERT_TRUE(following(hash('c')));
    EXPECT_EQ(m_indexes.searchCount(), 2);
    EXPECT_EQ(m_store->activeDownloads().size(), 1);
}

// Each row: what keeps a series that wants S01E03 from being searched now, and the line saying so.
TEST_F(Series, SearchNowLeavesAloneWhatIsNotFollowedOrNotDue) {
    for (const auto& row : fixtureJson("store/search-now-skips.json")) {
        SCOPED_TRACE(row["label"].get<std::string>());
        auto record =
            nlohmann::json::parse(encodeDocument(QList<Show>{wantingS01E03()}).toStdString())[0];
        record.merge_patch(row["change"]);
        const Show show = showFrom(record);
        startWith(show);
        const int searchesBefore = m_indexes.searchCount();
        m_store->searchNow(show.id);
        EXPECT_FALSE(m_store->isSearchingNow(show.id));
        EXPECT_EQ(dark().status, ShowStatus{});
        if (row.contains("line")) {
            EXPECT_TRUE(log().contains(qstr(row["line"]))) << log().join('\n').toStdString();
        }
        m_store->searchNow(QUuid::createUuid()); // no such series
        // Searches go through the feed checker one at a time: once a later one is answered,
        // one started above would have been counted.
        awaitTask(m_store->watchlist().releases.seriesReleases("Probe", std::nullopt));
        EXPECT_EQ(m_indexes.searchCount(), searchesBefore + 1);
    }
}

TEST_F(Series, ClearStatusGoesBackToIdleAndIsSaved) {
    Show show = wantingS01E03();
    // (a sorted status: start-up repairs errors and downloads that nothing follows)
    show.status = {ShowStatus::State::sorted, 1.0, QString("S01E02"), {}, utc(2025, 3, 13, 11, 50)};
    startWith(show);
    QSignalSpy changed(m_store.get(), &WatchlistStore::showsChanged);

    m_store->clearStatus(show.id);
    EXPECT_EQ(dark().status, ShowStatus{});
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(stored<QList<Show>>(StorageFiles::kShows)->first().status, ShowStatus{});

    m_store->clearStatus(show.id); // already idle: nothing to publish
    m_store->clearStatus(QUuid::createUuid());
    EXPECT_EQ(changed.count(), 1);
}
