// The two series operations the series list adds: search one series now, clear its status.

#include "StoreHarness.h"

#include <QSignalSpy>

namespace {

class SeriesListOps : public ServicedStoreHarness {
protected:
    void SetUp() override {
        m_env.clock().set(utc(2025, 3, 13, 12));
        m_tmdb.series[70523] = {
            "Dark",
            "Returning Series",
            1,
            std::pair(1, 3),
            {"DE"},
            "tt5753856",
            {{1, {{1, QDate(2025, 2, 20)}, {2, QDate(2025, 2, 27)}, {3, QDate(2025, 3, 6)}}}}};
        // Known schedule, nothing announced, S01E02 already here: S01E03 is wanted.
        m_dark = Show{.id = QUuid::createUuid(),
                      .name = "Dark",
                      .downloadedEpisodes = {"S01E02"},
                      .tmdbID = 70523,
                      .monitorAnchor = QString("S01E02"),
                      .tmdbStatus = QString("Returning Series"),
                      .airInfoRefreshedAt = utc(2025, 3, 13, 11)};
    }

    Show m_dark;
};

} // namespace

TEST_F(SeriesListOps, SearchNowSaysWhenNothingIsOutGrabsWhatIsAndRunsOnceAtATime) {
    startWith(m_dark);
    m_store->searchNow(m_dark.id);
    ASSERT_TRUE(runEventLoopUntil([&] { return !m_store->isSearchingNow(m_dark.id); }));
    EXPECT_TRUE(log().contains("No release found yet for Dark"));
    EXPECT_EQ(dark().status, ShowStatus{});

    m_indexes.hits = {hit("Dark.S01E03.1080p.WEB-GRP", 'c')};
    m_store->searchNow(m_dark.id);
    EXPECT_EQ(dark().status.state, ShowStatus::State::found);
    EXPECT_EQ(dark().status.detail, "Searching…");
    EXPECT_TRUE(m_store->isSearchingNow(m_dark.id));
    m_store->searchNow(m_dark.id); // a second press while the first runs
    ASSERT_TRUE(runEventLoopUntil([&] { return !m_store->isSearchingNow(m_dark.id); }));
    ASSERT_TRUE(following(hash('c')));
    EXPECT_EQ(m_indexes.searchCount(), 2);
    EXPECT_EQ(m_store->activeDownloads().size(), 1);
}

TEST_F(SeriesListOps, SearchNowLeavesAloneWhatIsNotFollowedOrNotDue) {
    struct Case {
        const char* label;
        std::function<void(Show&)> change;
        const char* expectedLine; // the log line that says why, if any
    };
    const Case cases[] = {
        {"unsubscribed", [](Show& s) { s.isEnabled = false; }, nullptr},
        {"following one season", [](Show& s) { s.startWithLatest = false; }, nullptr},
        {"schedule not known", [](Show& s) { s.airInfoRefreshedAt.reset(); },
         "Dark — schedule not yet known; nothing to hunt yet"},
        {"next episode later", [](Show& s) { s.nextAirDate = utc(2025, 3, 20); },
         "Dark — next episode airs Mar 20, 2025; nothing to hunt yet"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        Show show = m_dark;
        c.change(show);
        startWith(show);
        m_store->searchNow(show.id);
        EXPECT_FALSE(m_store->isSearchingNow(show.id));
        EXPECT_EQ(dark().status, ShowStatus{});
        if (c.expectedLine) {
            EXPECT_TRUE(log().contains(c.expectedLine)) << log().join('\n').toStdString();
        }
        m_store->searchNow(QUuid::createUuid()); // no such series
        drainEvents();
        EXPECT_EQ(m_indexes.searchCount(), 0);
    }
}

TEST_F(SeriesListOps, ClearStatusGoesBackToIdleAndIsSaved) {
    Show show = m_dark;
    // (a sorted status: start-up repairs errors and downloads that nothing follows)
    show.status = {ShowStatus::State::sorted, 1.0, QString("S01E02"), {}, utc(2025, 3, 13, 11, 50)};
    startWith(show);
    QSignalSpy changed(m_store.get(), &WatchlistStore::showsChanged);

    m_store->clearStatus(show.id);
    EXPECT_EQ(dark().status, ShowStatus{});
    EXPECT_EQ(changed.count(), 1);
    const auto saved = stored<QList<Show>>(StorageFiles::kShows);
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->first().status, ShowStatus{});

    m_store->clearStatus(show.id); // already idle: nothing to publish
    m_store->clearStatus(QUuid::createUuid());
    EXPECT_EQ(changed.count(), 1);
}
