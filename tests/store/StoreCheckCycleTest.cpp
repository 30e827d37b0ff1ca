#include "ScopedTimeZone.h"
#include "StoreHarness.h"
#include "store/AirSchedule.h"

namespace {

class CheckCycle : public ServicedStoreHarness {
protected:
    void SetUp() override { m_env.clock().set(utc(2025, 3, 13, 12)); }

    void startWith(const Show& show) {
        StoreHarness::startWith(show);
        drainEvents();
    }

    // Held back for want of the wanted resolution.
    Show strict() const {
        Show s = m_dark;
        s.fallbackAnyQuality = false;
        return s;
    }

    // A result that offers `code` only at 720p.
    ShowCheckResult onlyIn720p(const QStringList& codes) const {
        ShowCheckResult r{m_dark.id, {}, {}};
        for (const QString& code : codes) {
            SearchResult alt;
            alt.id = alt.title = "Dark." + code + ".720p.WEB";
            alt.quality = "720p";
            r.picks.append(EpisodePick{code, {alt}});
        }
        return r;
    }

    // Runs a check and waits until it has ended.
    void runCheck(bool manual = true) {
        m_store->runCheck(manual);
        ASSERT_TRUE(runEventLoopUntil([&] { return !m_store->isChecking(); }, 15000));
    }

    const Show m_dark{.id = QUuid::createUuid(), .name = "Dark"};
};

} // namespace

// --- which series are searched -----------------------------------------------------------------

TEST_F(CheckCycle, DueForCheckFollowsTheIntervalAndTheHuntOpeningInEveryZone) {
    start();
    for (const auto& c : fixtureJson("checks/store-schedule.json")["dueForCheck"]) {
        Show show = showFrom(c[1]);
        const Timestamp now = *utcOf(c[4]);
        if (!c[2].is_null())
            show.lastCheckedAt = now - c[2].get<double>();
        for (const char* tz : {"UTC", "America/Los_Angeles", "Pacific/Auckland"}) {
            const ScopedTimeZone zone(tz);
            EXPECT_EQ(m_store->isDueForCheck(show, now, c[3]), c[5].get<bool>())
                << c[0] << ' ' << tz;
        }
    }
}

TEST_F(CheckCycle, SeriesWithNothingToHuntYetAreSkippedWithAReason) {
    Show unknown = m_dark; // TMDB knows nothing of it: the schedule never arrives
    unknown.tmdbID = 1;
    Show future{.id = QUuid::createUuid(), .name = "Severance"};
    future.nextAirDate = utc(2025, 3, 15);
    seed(StorageFiles::kShows, QList<Show>{unknown, future});
    start();
    runCheck(false);
    EXPECT_EQ(log(),
              QStringList({"Dark — schedule not yet known; nothing to hunt yet",
                           "Severance — next episode airs Mar 15, 2025; nothing to hunt yet"}));
    EXPECT_EQ(m_indexes.searchCount(), 0);
    EXPECT_EQ(m_store->secondsUntilNextCheck(), 3600);
}

// --- a whole cycle -----------------------------------------------------------------------------

TEST_F(CheckCycle, ACycleRefreshesTheScheduleAndGrabsTheNextEpisode) {
    m_tmdb.series[70523] = {
        "Dark",
        "Returning Series",
        1,
        std::pair(1, 2),
        {"DE"},
        "tt5753856",
        {{1, {{1, QDate(2025, 3, 1)}, {2, QDate(2025, 3, 8)}, {3, QDate(2025, 3, 15)}}}}};
    m_indexes.hits = {hit("Dark.S01E01.1080p.WEB.h264-GRP", 'a', 50),
                      hit("Dark.S01E02.720p.WEB.h264-GRP", 'b', 90),
                      hit("Dark.S01E02.1080p.WEB.h264-GRP", 'c', 20)};
    Show show = m_dark;
    show.tmdbID = 70523;
    show.downloadedEpisodes = {"S01E01"};
    startWith(show);

    runCheck(true);
    ASSERT_TRUE(runEventLoopUntil([&] { return !m_store->activeDownloads().isEmpty(); }));

    EXPECT_EQ(dark().nextAirDate, utc(2025, 3, 8));
    EXPECT_EQ(dark().imdbID, "tt5753856");
    EXPECT_EQ(dark().originCountries, QStringList{"DE"});
    EXPECT_EQ(dark().tmdbStatus, "Returning Series");
    EXPECT_EQ(dark().lastCheckedAt, utc(2025, 3, 13, 12));
    EXPECT_EQ(m_store->activeDownloads().keys(), QStringList{hash('c')});
    EXPECT_EQ(log(),
              QStringList({"Checking 1 series…", "Found: Dark S01E02 via Torrents-CSV (20 seeders)",
                           "Started downloading Dark S01E02"}));
    EXPECT_FALSE(m_store->isChecking());
    EXPECT_EQ(m_store->secondsUntilNextCheck(), 3600);
}

TEST_F(CheckCycle, AnEpisodeAlreadyBeingFetchedIsNothingNew) {
    seed(StorageFiles::kDownloads,
         QMap<QString, ActiveDownload>{
             {hash('a'), {ActiveDownload::Kind::episode, m_dark.id, "S01E02", false, ""}}});
    startWith(m_dark);
    const FeedMatch again{
        m_dark.id, "S01E02", false, "Dark.S01E02.1080p", magnet(hash('b'), "Dark"), 5, "EZTV"};
    m_store->applyCheckResults({ShowCheckResult{m_dark.id, {again}, {}}});
    EXPECT_EQ(log(), QStringList{"No new episodes found"});
    EXPECT_EQ(dark().lastCheckedAt, utc(2025, 3, 13, 12));
    drainEvents();
    EXPECT_TRUE(m_daemon.calls("torrent-add").isEmpty());
}

// --- episodes only in another resolution -------------------------------------------------------

TEST_F(CheckCycle, WithoutALaterAirDateTheGraceRunsThreeDaysThenAsksOnce) {
    m_env.clock().set(utc(2025, 3, 1, 10));
    startWith(strict());

    m_store->applyCheckResults({onlyIn720p({"S01E02"})});
    EXPECT_EQ(
        log(),
        QStringList(
            {"Dark S01E02: found a copy, but not in 1080p — holding off until Mar 4, 2025 in case "
             "the real release is just late",
             "No new episodes found"}));
    EXPECT_EQ(dark().qualityGraceEpisode, "S01E02");
    EXPECT_EQ(dark().qualityGraceFirstSeenAt, utc(2025, 3, 1, 10));

    m_env.clock().set(utc(2025, 3, 4, 9, 59));
    m_store->applyCheckResults({onlyIn720p({"S01E02"})});
    EXPECT_EQ(log().size(), 3); // one more "No new episodes found", nothing else
    EXPECT_TRUE(m_store->pendingQualityPicks().isEmpty());

    m_env.clock().set(utc(2025, 3, 4, 10));
    m_store->applyCheckResults({onlyIn720p({"S01E02"})});
    EXPECT_EQ(log().last(), "Dark S01E02: no 1080p release available — choose another resolution");
    EXPECT_EQ(m_store->pendingQualityPicks().value(m_dark.id).episodeCode, "S01E02");
    ASSERT_EQ(m_notifier.notices.size(), 1);
    EXPECT_EQ(
        m_notifier.notices.first(),
        (Notice{"Dark — no 1080p release",
                "S01E02 isn't available in 1080p. Open Lumivane to pick another resolution."}));

    m_env.clock().advance(3600);
    m_store->applyCheckResults({onlyIn720p({"S01E02"})});
    EXPECT_EQ(log().size(), 4);
    EXPECT_EQ(m_notifier.notices.size(), 1);
}

TEST_F(CheckCycle, WithALaterAirDateTheGraceEndsAfterTheBufferAndOnlyTheLatestPickCounts) {
    Show show = strict();
    show.nextAirDate = utc(2025, 3, 14);
    startWith(show);

    m_store->applyCheckResults({onlyIn720p({"S02E10", "S02E03"})});
    EXPECT_EQ(dark().qualityGraceEpisode, "S02E10");
    EXPECT_TRUE(log().first().endsWith(
        "holding off until Mar 15, 2025 in case the real release is just late"));

    m_env.clock().set(utc(2025, 3, 15));
    m_store->applyCheckResults({onlyIn720p({"S02E03", "S02E10"})});
    EXPECT_EQ(m_store->pendingQualityPicks().value(m_dark.id).episodeCode, "S02E10");
}

TEST_F(CheckCycle, ADismissedChoiceComesBackSilentlyAfterARestartAndAPickIsGrabbedByHand) {
    Show show = strict();
    show.qualityGraceEpisode = "S01E02";
    show.qualityGraceFirstSeenAt = utc(2025, 3, 1);
    startWith(show);
    ShowCheckResult result = onlyIn720p({"S01E02"});
    result.picks[0].alternates[0].magnetURL = magnet(hash('d'), "Dark");
    m_store->applyCheckResults({result});
    ASSERT_EQ(m_notifier.notices.size(), 1);

    m_store->dismissQualityPick(m_dark.id);
    EXPECT_TRUE(m_store->pendingQualityPicks().isEmpty());
    EXPECT_EQ(dark().qualityGraceDismissedEpisode, "S01E02");

    start();
    const int lines = static_cast<int>(log().size());
    m_store->applyCheckResults({result});
    EXPECT_EQ(m_store->pendingQualityPicks().value(m_dark.id).episodeCode, "S01E02");
    EXPECT_EQ(log().size(), lines);
    EXPECT_EQ(m_notifier.notices.size(), 1);

    m_store->pickAlternative(result.picks[0].alternates[0], m_dark.id);
    EXPECT_TRUE(m_store->pendingQualityPicks().isEmpty());
    ASSERT_TRUE(following(hash('d')));
    EXPECT_TRUE(m_store->activeDownloads().value(hash('d')).userPicked);
    EXPECT_EQ(m_store->activeDownloads().value(hash('d')).episodeCode, "S01E02");
}

// --- next air date and anchor ------------------------------------------------------------------

TEST(Schedule, PicksTheNextWantedEpisode) {
    // Season 2: E01 Mar 1, E02 Mar 8, E03 Mar 15 (not aired at "now", Mar 13), E04 undated.
    const QList<TMDBClient::Episode> season{{2, 3, "c", utc(2025, 3, 15)},
                                            {2, 1, "a", utc(2025, 3, 1)},
                                            {2, 2, "b", utc(2025, 3, 8)},
                                            {2, 4, "d", std::nullopt}};
    for (const auto& c : fixtureJson("checks/store-schedule.json")["schedule"]) {
        const AirSchedule schedule = AirSchedule::of(showFrom(c[1]), season, utc(2025, 3, 13));
        EXPECT_EQ(schedule.nextAirDate, utcOf(c[2])) << c[0];
        EXPECT_EQ(schedule.anchor, c[3].is_null() ? std::nullopt : std::optional(qstr(c[3])))
            << c[0];
    }
}

TEST(ScheduleBeforeAnything, NothingAiredYetStoresNoAnchorAndWaitsForTheFirst) {
    const QList<TMDBClient::Episode> season{{1, 1, "a", utc(2025, 4, 1)},
                                            {1, 2, "b", utc(2025, 4, 8)}};
    Show show{.id = QUuid::createUuid(), .name = "New"};
    const AirSchedule schedule = AirSchedule::of(show, season, utc(2025, 3, 13));
    EXPECT_EQ(schedule.anchor, std::nullopt);
    EXPECT_EQ(schedule.nextAirDate, utc(2025, 4, 1));
}
