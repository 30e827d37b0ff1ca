#include "ScopedTimeZone.h"
#include "StoreHarness.h"
#include "store/AirSchedule.h"
#include "store/DownloadFollower.h"
#include "store/HuntCycle.h"

namespace {

class CheckCycle : public ServicedStoreHarness {
protected:
    void SetUp() override { m_env.clock().set(utc(2025, 3, 13, 12)); }

    void startWith(const Show& show) {
        StoreHarness::startWith(show);
        drainEvents();
    }

    // A result that offers `code` only at 720p.
    ShowCheckResult onlyIn720p(const QStringList& codes) const {
        ShowCheckResult r{m_dark.id, {}, {}};
        for (const QString& code : codes) {
            const QString title = "Dark." + code + ".720p.WEB";
            r.picks.append(EpisodePick{code, {{.id = title, .title = title, .quality = "720p"}}});
        }
        return r;
    }

    const Show m_dark{.id = QUuid::createUuid(), .name = "Dark"};
    // Held back for want of the wanted resolution.
    const Show m_strict{.id = m_dark.id, .name = "Dark", .fallbackAnyQuality = false};
};

} // namespace

// --- which series are searched -----------------------------------------------------------------

TEST_F(CheckCycle, DueForCheckFollowsTheIntervalAndTheHuntOpeningInEveryZone) {
    start();
    const auto table = fixtureJson("checks/store-schedule.json"); // outlives the loop
    for (const auto& c : table["dueForCheck"]) {
        Show show = showFrom(c[1]);
        const Timestamp now = *utcOf(c[4]);
        if (!c[2].is_null())
            show.lastCheckedAt = now - c[2].get<double>();
        for (const char* tz : {"UTC", "America/Los_Angeles", "Pacific/Auckland"}) {
            const ScopedTimeZone zone(tz);
            EXPECT_EQ(m_store->cycle().isDueForCheck(show, now, c[3]), c[5].get<bool>())
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

TEST_F(CheckCycle, ACycleRefreshesTheScheduleBeforeItSearches) {
    m_tmdb.series[70523] = tmdbSeries("darkTwoAired");
    startWith({.id = m_dark.id, .name = "Dark", .downloadedEpisodes = {"S01E01"}, .tmdbID = 70523});

    runCheck(true);
    // Which release it then grabs, and what it says: the episode journey.

    EXPECT_EQ(dark().nextAirDate, utc(2025, 3, 8));
    EXPECT_EQ(dark().imdbID, "tt5753856");
    EXPECT_EQ(dark().originCountries, QStringList{"DE"});
    EXPECT_EQ(dark().tmdbStatus, "Returning Series");
    EXPECT_EQ(dark().lastCheckedAt, utc(2025, 3, 13, 12));
}

TEST_F(CheckCycle, AnEpisodeAlreadyBeingFetchedIsNothingNew) {
    seedDownload(hash('a'), m_dark.id, "S01E02");
    startWith(m_dark);
    const FeedMatch again{
        m_dark.id, "S01E02", false, "Dark.S01E02.1080p", magnet(hash('b'), "Dark"), 5, "EZTV"};
    m_store->cycle().applyCheckResults({ShowCheckResult{m_dark.id, {again}, {}}});
    EXPECT_EQ(log(), QStringList{"No new episodes found"});
    EXPECT_EQ(dark().lastCheckedAt, utc(2025, 3, 13, 12));
    // The daemon's client takes one request at a time: once a later pass is answered, an add
    // started by the result would have reached the daemon.
    awaitTask(m_store->follower().poll());
    EXPECT_TRUE(m_daemon.calls("torrent-add").isEmpty());
}

// --- episodes only in another resolution -------------------------------------------------------

// Each row: checks at the given times that find episodes only at 720p, and what each check says
// and holds on to.
TEST_F(CheckCycle, EpisodesOnlyInAnotherResolutionWaitOutTheirGraceThenAskOnce) {
    for (const auto& row : fixtureJson("store/quality-grace.json")) {
        SCOPED_TRACE(row["label"].get<std::string>());
        wipe();
        Show show = m_strict;
        show.nextAirDate = utcOf(row.value("nextAirDate", nlohmann::json()));
        m_env.clock().set(*utcOf(row["steps"][0]["at"]));
        startWith(show);
        for (const auto& step : row["steps"]) {
            SCOPED_TRACE(step["at"].get<std::string>());
            m_env.clock().set(*utcOf(step["at"]));
            const qsizetype before = log().size();
            m_store->cycle().applyCheckResults({onlyIn720p(strings(step["offered"]))});
            if (step.contains("newLines")) {
                EXPECT_EQ(log().mid(before), strings(step["newLines"]));
            }
            const auto holds = [&](const char* key, const std::optional<QString>& actual) {
                if (step.contains(key))
                    EXPECT_EQ(actual, qstr(step[key])) << key;
            };
            holds("graceEpisode", dark().qualityGraceEpisode);
            holds("pick", m_store->pendingQualityPicks().value(m_dark.id).episodeCode);
            if (step.contains("graceSince")) {
                EXPECT_EQ(dark().qualityGraceFirstSeenAt, utcOf(step["graceSince"]));
            }
            if (step.contains("notices")) {
                ASSERT_EQ(m_notifier.notices.size(), step["notices"].get<int>());
            }
        }
        if (row.contains("notice")) {
            EXPECT_EQ(m_notifier.notices.first().title, qstr(row["notice"][0]));
            EXPECT_EQ(m_notifier.notices.first().body, qstr(row["notice"][1]));
        }
    }
}

TEST_F(CheckCycle, ADismissedChoiceComesBackSilentlyAfterARestartAndAPickIsGrabbedByHand) {
    Show show = m_strict;
    show.qualityGraceEpisode = "S01E02";
    show.qualityGraceFirstSeenAt = utc(2025, 3, 1);
    startWith(show);
    ShowCheckResult result = onlyIn720p({"S01E02"});
    result.picks[0].alternates[0].magnetURL = magnet(hash('d'), "Dark");
    m_store->cycle().applyCheckResults({result});
    ASSERT_EQ(m_notifier.notices.size(), 1);

    m_store->dismissQualityPick(m_dark.id);
    EXPECT_TRUE(m_store->pendingQualityPicks().isEmpty());
    EXPECT_EQ(dark().qualityGraceDismissedEpisode, "S01E02");

    start();
    const int lines = static_cast<int>(log().size());
    m_store->cycle().applyCheckResults({result});
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
    const QList<Episode> season{{2, 3, "c", utc(2025, 3, 15)},
                                {2, 1, "a", utc(2025, 3, 1)},
                                {2, 2, "b", utc(2025, 3, 8)},
                                {2, 4, "d", std::nullopt}};
    const auto table = fixtureJson("checks/store-schedule.json"); // outlives the loop
    for (const auto& c : table["schedule"]) {
        const AirSchedule schedule = AirSchedule::of(showFrom(c[1]), season, utc(2025, 3, 13));
        EXPECT_EQ(schedule.nextAirDate, utcOf(c[2])) << c[0];
        EXPECT_EQ(schedule.anchor, c[3].is_null() ? std::nullopt : std::optional(qstr(c[3])))
            << c[0];
    }
    // Nothing aired yet: no anchor, and the first episode is the next.
    const AirSchedule first = AirSchedule::of(
        Show{.name = "New"}, {{1, 1, "a", utc(2025, 4, 1)}, {1, 2, "b", utc(2025, 4, 8)}},
        utc(2025, 3, 13));
    EXPECT_EQ(first.anchor, std::nullopt);
    EXPECT_EQ(first.nextAirDate, utc(2025, 4, 1));
}
