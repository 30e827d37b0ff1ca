#include "AwaitTask.h"
#include "FakeServices.h"
#include "FakeTmdbCatalog.h"
#include "FakeTransmission.h"
#include "TestEnvironment.h"
#include "Theme.h"
#include "drawer/EpisodeDrawer.h"
#include "model/RecordCodecs.h"
#include "model/StorageFiles.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <memory>

namespace {

Timestamp utcAt(int y, int m, int d, int h = 0) {
    return Timestamp::fromDateTime(QDateTime(QDate(y, m, d), QTime(h, 0), QTimeZone::utc()));
}

QString hashOf(char c) {
    return QString(40, QLatin1Char(c));
}

// The drawer over a window-sized parent, on a store whose services are loopback fakes.
class DrawerWidget : public testing::Test {
protected:
    void SetUp() override {
        m_env.clock().set(utcAt(2025, 3, 13, 12));
        m_tmdb.episodes[70523] = {
            {1, {{1, "Secrets", QDate(2017, 12, 1)}, {2, "Lies", QDate(2017, 12, 1)}}},
            {2,
             {{1, "Beginnings and Endings", QDate(2025, 2, 20)},
              {2, "Dark Matter", QDate(2025, 2, 27)},
              {3, "Ghosts", QDate(2025, 3, 6)},
              {4, "Travelers", QDate(2025, 3, 6)},
              {5, "Lost and Found", QDate(2025, 3, 13)},
              {6, "An Endless Cycle", QDate(2025, 3, 20)},
              {7, "The White Devil", std::nullopt}}},
        };
        m_tmdb.matches = {{1, "Dark Matter", "2015", ""}, {70523, "Dark", "2017", "/dark.jpg"}};
    }

    void start(const Show& show, const QList<DownloadRecord>& history = {},
               const QList<Show>& others = {}) {
        m_env.writeStorageFile(StorageFiles::kShows, encodeDocument(QList<Show>{show} + others));
        if (!history.isEmpty())
            m_env.writeStorageFile(StorageFiles::kHistory, encodeDocument(history));
        StoreEnvironment env = m_env.environment();
        env.endpoints.rpcPort = m_daemon.port();
        env.endpoints.tmdbAPI = m_tmdb.apiRoot();
        env.pollInterval = std::chrono::hours(1); // no stall handling behind the test's back
        m_indexes.apply(env.endpoints);
        if (m_offline) {
            // Nothing listens on port 1: TMDB and every index refuse the connection.
            const QUrl dead(QStringLiteral("http://127.0.0.1:1/"));
            env.endpoints.tmdbAPI = QUrl(QStringLiteral("http://127.0.0.1:1/3"));
            env.endpoints.knabenAPI = env.endpoints.apibayQuery = env.endpoints.eztvPrimary =
                env.endpoints.eztvFallback = env.endpoints.torrentsCsvSearch =
                    env.endpoints.nyaaRoot = env.endpoints.ytsHost = dead;
        }
        m_store = std::make_unique<WatchlistStore>(env, nullptr, nullptr);
        m_window = std::make_unique<QWidget>();
        m_window->resize(760, 520);
        m_drawer = new EpisodeDrawer(*m_store, m_theme, m_window.get());
        m_window->show();
    }

    // The widget of that name on screen: a rebuilt row's predecessor may await deletion.
    template <typename T = QAbstractButton>
    T* find(const QString& name) const {
        const QList<T*> all = m_window->findChildren<T*>(name);
        for (T* w : all) {
            if (w->isVisibleTo(m_window.get()))
                return w;
        }
        return all.isEmpty() ? nullptr : all.first();
    }
    // Waits for a widget that the drawer builds once an answer is in.
    template <typename T = QAbstractButton>
    T* await(const QString& name) {
        runEventLoopUntil([&] {
            T* w = find<T>(name);
            return w && w->isVisibleTo(m_window.get());
        });
        return find<T>(name);
    }
    void click(QAbstractButton* button) {
        ASSERT_NE(button, nullptr);
        ASSERT_TRUE(button->isEnabled()) << button->objectName().toStdString();
        QTest::mouseClick(button, Qt::LeftButton);
    }

    DownloadRecord stuckRecord() const {
        DownloadRecord row;
        row.id = hashOf('a');
        row.showID = m_dark.id;
        row.showName = "Dark";
        row.episode = "S02E04";
        row.title = "Dark.S02E04.1080p.WEB.h264-GRP";
        row.addedAt = utcAt(2025, 3, 6);
        row.progress = 0.12;
        row.stuckSince = utcAt(2025, 3, 5);
        row.trackerHint = "No seeds - likely abandoned";
        return row;
    }

    TestEnvironment m_env;
    FakeTransmission m_daemon;
    FakeTmdbCatalog m_tmdb;
    FakeIndexes m_indexes;
    Theme m_theme{AppTheme::light};
    bool m_offline = false;
    std::unique_ptr<WatchlistStore> m_store;
    std::unique_ptr<QWidget> m_window;
    EpisodeDrawer* m_drawer = nullptr;
    Show m_dark{.id = QUuid::createUuid(), .name = "Dark"};
};

TEST_F(DrawerWidget, AnAmbiguousSeriesIsPickedLinkedListedAndAnEpisodeGrabbed) {
    m_indexes.hits = {{"Dark.S02E03.1080p.WEB.h264-GRP", hashOf('c'), 14}};
    start(m_dark);
    QSignalSpy closed(m_drawer, &EpisodeDrawer::closed);
    m_drawer->openFor(m_dark.id);
    EXPECT_EQ(m_drawer->geometry(), m_window->rect()); // it covers the window's content

    click(await("episodeDrawer.candidate.1"));
    QAbstractButton* season2 = await("episodeDrawer.season.2");
    ASSERT_NE(season2, nullptr);
    EXPECT_TRUE(season2->isChecked());
    EXPECT_EQ(m_store->shows().first().tmdbID, 70523);

    QAbstractButton* grab = await("episodeDrawer.episode.S02E03");
    ASSERT_NE(grab, nullptr);
    EXPECT_EQ(grab->text(), "Grab");
    click(grab);
    ASSERT_TRUE(runEventLoopUntil(
        [&] { return m_store->activeDownloads().contains(hashOf('c')); }));
    EXPECT_EQ(m_store->activeDownloads().value(hashOf('c')).episodeCode, "S02E03");
    ASSERT_TRUE(runEventLoopUntil([&] {
        auto* b = find("episodeDrawer.episode.S02E03");
        return b && b->text() == "Grabbing" && !b->isEnabled();
    }));

    click(find("episodeDrawer.completeSeason"));
    ASSERT_TRUE(runEventLoopUntil([&] {
        return m_store->activity().first().message.startsWith("Completing Season 2 of Dark");
    }));

    // Another season through its pill, then back to the list.
    click(find("episodeDrawer.season.1"));
    EXPECT_NE(await<QWidget>("episodeDrawer.row.S01E01"), nullptr);
    click(find("episodeDrawer.close"));
    EXPECT_FALSE(m_drawer->isVisible());
    EXPECT_EQ(closed.count(), 1);
}

TEST_F(DrawerWidget, AStuckDownloadIsSwitchedToTheReleaseChosenFromItsAlternates) {
    Show show = m_dark;
    show.tmdbID = 70523;
    start(show);
    SearchResult stuck;
    stuck.title = "Dark.S02E04.1080p.WEB.h264-GRP";
    stuck.magnetURL = QUrl("magnet:?xt=urn:btih:" + hashOf('a'));
    stuck.seeders = 2;
    stuck.source = "Knaben";
    ASSERT_TRUE(m_store->grabEpisodeRelease(m_dark.id, "S02E04", stuck));
    ASSERT_TRUE(runEventLoopUntil([&] { return !m_store->history().isEmpty(); }));
    TorrentInfo stalled;
    stalled.status = 4;
    m_store->trackStuckSince(hashOf('a'), stalled);
    m_env.clock().advance(8 * 86400.0);
    m_indexes.hits = {{"Dark.S02E04.1080p.WEB.h264-GRP", hashOf('a'), 2},
                      {"Dark.S02E04.720p.WEB.h264-NEW", hashOf('b'), 31}};

    m_drawer->openFor(m_dark.id);
    ASSERT_TRUE(find("episodeDrawer.tab.recent")->isChecked()); // what needs the user comes first
    click(find("episodeDrawer.recent." + hashOf('a') + ".alternate"));
    click(await("episodeDrawer.alternates.0.choose"));
    ASSERT_TRUE(runEventLoopUntil(
        [&] { return m_store->activeDownloads().contains(hashOf('b')); }));
    EXPECT_FALSE(m_store->activeDownloads().contains(hashOf('a')));

    click(find("episodeDrawer.tab.episodes"));
    EXPECT_EQ(m_drawer->model().tab(), EpisodeDrawerModel::Tab::episodes);
}

TEST_F(DrawerWidget, AStuckDownloadIsSnoozedOrRemovedFromItsRow) {
    DownloadRecord second = stuckRecord();
    second.id = hashOf('d');
    second.episode = "S02E05";
    start(m_dark, {stuckRecord(), second});
    m_drawer->openFor(m_dark.id);

    click(await("episodeDrawer.recent." + hashOf('a') + ".snooze"));
    EXPECT_EQ(m_store->history().first().snoozeCount, 1);
    EXPECT_EQ(m_store->history().first().staleSnoozedUntil, m_store->now() + 7 * 86400.0);
    // Snoozed, the row no longer offers the actions.
    ASSERT_TRUE(runEventLoopUntil(
        [&] { return !find("episodeDrawer.recent." + hashOf('a') + ".snooze"); }));

    click(find("episodeDrawer.recent." + hashOf('d') + ".remove"));
    EXPECT_EQ(m_store->history().last().detail, "Cancelled — removed by you");
    ASSERT_TRUE(runEventLoopUntil([&] { return !m_daemon.calls("torrent-remove").isEmpty(); }));
}

// --- pictures ----------------------------------------------------------------------------------
// Walks the drawer through its phases and tabs; with LUMIVANE_SHOTS_DIR set, each one is saved
// light and dark as a PNG to look at. Without it, this only checks that every state is reached.

class DrawerPictures : public DrawerWidget {
protected:
    void shoot(const QString& name) {
        ASSERT_TRUE(m_drawer->isVisible()) << name.toStdString();
        const QString folder = qEnvironmentVariable("LUMIVANE_SHOTS_DIR");
        if (folder.isEmpty())
            return;
        QDir().mkpath(folder);
        for (const AppTheme appearance : {AppTheme::light, AppTheme::dark}) {
            m_theme.setAppearance(appearance);
            m_window->setPalette(m_theme.palette());
            drainEvents();
            const QString file = QStringLiteral("%1/drawer-%2-%3.png")
                                     .arg(folder, name,
                                          appearance == AppTheme::dark ? "dark" : "light");
            EXPECT_TRUE(m_window->grab().save(file)) << file.toStdString();
        }
        m_theme.setAppearance(AppTheme::light);
        drainEvents();
    }
    bool phaseIs(EpisodeDrawerModel::Phase phase) {
        return runEventLoopUntil([&] {
            return m_drawer->model().phase() == phase && !m_drawer->model().loadingEpisodes();
        });
    }
};

TEST_F(DrawerPictures, EveryPhaseAndTab) {
    using Phase = EpisodeDrawerModel::Phase;
    Show show = m_dark;
    show.name = "Dark";
    show.fallbackAnyQuality = false;
    show.downloadedEpisodes = {"S02E01"};
    DownloadRecord saved = stuckRecord();
    saved.id = hashOf('5');
    saved.episode = "S02E01";
    saved.title = "Dark.S02E01.1080p.NF.WEB-DL.DDP5.1.x264-NTb";
    saved.state = DownloadRecord::State::sorted;
    saved.progress = 1.0;
    saved.stuckSince.reset();
    DownloadRecord cancelled = saved;
    cancelled.id = hashOf('6');
    cancelled.title = "Dark.S02E01.720p.WEB.x264-ION10";
    cancelled.state = DownloadRecord::State::error;
    cancelled.detail = "Cancelled — replaced by a new grab";
    DownloadRecord failed = cancelled;
    failed.id = hashOf('7');
    failed.episode = "S01E02";
    failed.title = "Dark.S01E02.GERMAN.1080p.WEBRip.x265-RARBG";
    failed.detail = "engine unreachable";
    const Show unknown{.id = QUuid::createUuid(), .name = "Kaos"};
    start(show, {stuckRecord(), saved, cancelled, failed}, {unknown});

    // Loading: the search has not answered yet.
    m_drawer->openFor(m_dark.id);
    m_drawer->model().setTab(EpisodeDrawerModel::Tab::episodes);
    ASSERT_EQ(m_drawer->model().phase(), Phase::loading);
    shoot("loading");

    ASSERT_TRUE(phaseIs(Phase::needsPick));
    shoot("which-show");

    // Ready, with a row in every state.
    m_indexes.hits = {{"Dark.S02E03.720p.WEB.h264-GRP", hashOf('c'), 8},
                      {"Dark.S02E04.1080p.WEB.h264-GRP", hashOf('e'), 19}};
    m_drawer->model().pickCandidate(1);
    ASSERT_TRUE(phaseIs(Phase::ready));
    for (const char* code : {"S02E02", "S02E03", "S02E04"})
        m_drawer->model().pressEpisode(QString::fromLatin1(code));
    ASSERT_TRUE(runEventLoopUntil([&] {
        QStringList states;
        for (const auto& row : m_drawer->model().episodeRows())
            states << row.label;
        return states == QStringList{"Got it", "None found", "Choose a copy", "Grabbing", "Grab",
                                     "Upcoming", "Upcoming"} &&
               m_store->activeDownloads().contains(hashOf('e'));
    }));
    shoot("ready-offer");
    m_drawer->model().closeOffer();
    shoot("ready");

    // Recent, with a flagged download, then its alternates.
    m_drawer->model().setTab(EpisodeDrawerModel::Tab::recent);
    shoot("recent");
    m_indexes.hits = {{"Dark.S02E04.1080p.WEB.h264-GRP", hashOf('a'), 2},
                      {"Dark.S02E04.1080p.NF.WEB-DL.DDP5.1.H.264-NTb", hashOf('8'), 42},
                      {"Dark.S02E04.720p.WEB.x264-ION10", hashOf('9'), 17}};
    m_drawer->model().findAlternates(hashOf('a'));
    shoot("recent-searching");
    ASSERT_TRUE(runEventLoopUntil([&] { return !m_drawer->model().loadingAlternates(); }));
    shoot("recent-switch");
    m_drawer->model().closeAlternates();

    // A TMDB failure, then a series TMDB does not know, then a season with nothing listed.
    m_drawer->model().setTab(EpisodeDrawerModel::Tab::episodes);
    m_tmdb.status = 401;
    m_drawer->openFor(m_dark.id);
    m_drawer->model().setTab(EpisodeDrawerModel::Tab::episodes);
    ASSERT_TRUE(phaseIs(Phase::failed));
    shoot("failed-key");

    m_tmdb.status = 200;
    m_tmdb.matches.clear();
    m_drawer->openFor(unknown.id);
    ASSERT_TRUE(phaseIs(Phase::notFound));
    shoot("not-found");

    m_tmdb.episodes[70523] = {{1, {}}};
    m_drawer->openFor(m_dark.id);
    m_drawer->model().setTab(EpisodeDrawerModel::Tab::episodes);
    ASSERT_TRUE(phaseIs(Phase::ready));
    shoot("empty-season");
}

TEST_F(DrawerPictures, WithoutAConnection) {
    m_offline = true;
    start(m_dark, {stuckRecord()});
    m_drawer->openFor(m_dark.id);
    m_drawer->model().findAlternates(hashOf('a'));
    ASSERT_TRUE(runEventLoopUntil([&] { return !m_drawer->model().loadingAlternates(); }));
    drainEvents(); // new rows show once the event loop has run
    EXPECT_EQ(find<QLabel>("episodeDrawer.alternates.note")->text(),
              EpisodeDrawerTexts::indexesUnreachableText());
    shoot("recent-offline");

    m_drawer->model().setTab(EpisodeDrawerModel::Tab::episodes);
    ASSERT_TRUE(phaseIs(EpisodeDrawerModel::Phase::failed));
    drainEvents();
    EXPECT_EQ(find<QLabel>("episodeDrawer.message")->text(),
              EpisodeDrawerTexts::tmdbFailureText(TMDBClient::Failure::unreachable));
    EXPECT_TRUE(find("episodeDrawer.retry")->isVisible());
    shoot("failed-offline");
}

} // namespace
