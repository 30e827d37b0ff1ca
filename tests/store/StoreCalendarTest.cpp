#include "ScopedTimeZone.h"
#include "StoreHarness.h"
#include "store/CalendarKeeper.h"

#include <QSignalSpy>

namespace {

class Calendar : public StoreHarness {
protected:
    void SetUp() override {
        m_fakeTmdb = true;
        m_env.clock().set(utc(2025, 3, 13, 12));
        // Dark: season 2 is current; season 1 never shows, nor does an undated episode.
        // Severance is between seasons (the last one counts); Unaired has nothing yet.
        const auto answers = fixtureJson("store/calendar-tmdb.json");
        for (const auto& [id, answer] : answers.items())
            m_tmdb.series[std::stoi(id)] = tmdbSeries(answer);
        m_dark.tmdbID = 70523;
        m_dark.downloadedEpisodes = {"S02E01", "S01E01"};
    }

    static Show series(const char* name, std::optional<int> tmdbID, bool enabled = true) {
        Show s{.id = QUuid::createUuid(), .name = QString::fromUtf8(name), .isEnabled = enabled};
        s.tmdbID = tmdbID;
        return s;
    }

    using Days = QList<std::tuple<QString, Timestamp, CalEvent::EpisodeState>>;

    Days days() const {
        Days out;
        for (const CalEvent& e : m_store->calendarEvents())
            out.append({e.showName + " " + e.code, e.date, e.state});
        return out;
    }

    Show m_dark = series("Dark", std::nullopt);
};

using enum CalEvent::EpisodeState;

} // namespace

TEST_F(Calendar, LocalAirDaysAndStatesTurningAtTheUtcMidnight) {
    // Local midnight minus UTC midnight, in hours, on Mar 6 and on Mar 13 and 20 (summer time
    // starts on Mar 9 in Los Angeles and lasts until April in Auckland).
    const std::tuple<const char*, int, int> zones[] = {
        {"UTC", 0, 0}, {"America/Los_Angeles", -8, -7}, {"Pacific/Auckland", 13, 13}};
    for (const auto& [tz, early, late] : zones) {
        SCOPED_TRACE(tz);
        const ScopedTimeZone zone(tz);
        wipe();
        m_env.clock().set(utc(2025, 3, 13, 12));
        startWith(m_dark);
        m_env.clock().set(utc(2025, 3, 19, 23));
        awaitTask(m_store->calendar().refresh(true));
        EXPECT_EQ(days(), (Days{{"Dark S02E01", utc(2025, 3, 6) - early * 3600.0, gotIt},
                                {"Dark S02E02", utc(2025, 3, 13) - late * 3600.0, missing},
                                {"Dark S02E03", utc(2025, 3, 20) - late * 3600.0, upcoming}}));
        EXPECT_EQ(m_store->calendarEvents().first().showID, m_dark.id);

        m_env.clock().set(utc(2025, 3, 20));
        awaitTask(m_store->calendar().refresh(true));
        EXPECT_EQ(std::get<2>(days().value(2)), missing);
    }
}

TEST_F(Calendar, SubscribedSeriesTmdbAnswersForInWatchlistOrderAndRemovableAtOnce) {
    Show daily = series("The Daily", 1400);
    daily.downloadedEpisodes = {"2025.03.11"}; // fetched under its date code
    const Show severance = series("Severance", 100);
    seed(StorageFiles::kShows,
         QList<Show>{severance, series("Gone From TMDB", 404), series("Unaired", 200),
                     series("No Id", std::nullopt), series("Paused", 300, false), daily, m_dark});
    start();
    awaitTask(m_store->calendar().refresh(true));
    QStringList shown;
    for (const auto& [name, date, state] : days())
        shown << name + (state == gotIt ? " got" : state == upcoming ? " upcoming" : " missing");
    EXPECT_EQ(shown, QStringList({"Severance S02E10 upcoming", "The Daily S30E55 got",
                                  "The Daily S30E56 missing", "Dark S02E01 got",
                                  "Dark S02E02 missing", "Dark S02E03 upcoming"}));
    // What calendar applications subscribe to follows, a removal included, at once.
    const auto inFile = [&] {
        return m_env.readStorageFile(QString::fromLatin1(StorageFiles::kCalendar))
            .count("BEGIN:VEVENT");
    };
    EXPECT_EQ(inFile(), 6);

    QSignalSpy published(m_store.get(), &WatchlistStore::calendarEventsChanged);
    m_store->calendar().removeSeries(severance.id);
    EXPECT_EQ(published.size(), 1);
    EXPECT_EQ(days().size(), 5);
    EXPECT_EQ(inFile(), 5);

    m_tmdb.series.clear(); // TMDB stops answering
    awaitTask(m_store->calendar().refresh(true));
    EXPECT_TRUE(m_store->calendarEvents().isEmpty());
}

TEST_F(Calendar, UnforcedRebuildsWaitFiveMinutesAfterTheStartUpOne) {
    const std::tuple<double, bool, bool> cases[] = {
        {299.0, false, false}, {300.0, false, true}, {0.0, true, true}, {-3600.0, false, true}};
    for (const auto& [after, force, rebuilt] : cases) {
        SCOPED_TRACE(after);
        wipe();
        m_tmdb.series[70523].seasons[2].resize(4);
        m_env.clock().set(utc(2025, 3, 13, 12));
        const Timestamp startedAt = m_env.clock().now();
        startWith(m_dark);
        ASSERT_TRUE(runEventLoopUntil([&] { return days().size() == 3; }));
        m_tmdb.series[70523].seasons[2].append({5, QDate(2025, 3, 27)});
        m_env.clock().advance(after);
        awaitTask(m_store->calendar().refresh(force));
        EXPECT_EQ(days().size(), rebuilt ? 4 : 3);
        EXPECT_EQ(m_store->calendar().lastRefresh(), rebuilt ? startedAt + after : startedAt);
    }
}

TEST_F(Calendar, EachCheckCycleKeepsALongRunningCalendarCurrent) {
    m_tmdb.series[70523].seasons[2].resize(4);
    startWith(m_dark);
    ASSERT_TRUE(runEventLoopUntil([&] { return days().size() == 3; }));
    m_tmdb.series[70523].seasons[2].append({5, QDate(2025, 3, 27)});
    m_env.clock().advance(3600);
    QSignalSpy finished(m_store.get(), &WatchlistStore::checkCycleFinished);
    m_store->runCheck(true);
    ASSERT_TRUE(runEventLoopUntil([&] { return finished.size() == 1; }));
    EXPECT_TRUE(runEventLoopUntil([&] { return days().size() == 4; }));
}
