#include "EventLoop.h"
#include "FakeServices.h"
#include "FakeTmdbCatalog.h"
#include "FakeTransmission.h"
#include "Fixtures.h"
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

#include <gtest/gtest.h>

#include <memory>

namespace {

QString hashOf(char c) {
    return QString(40, QLatin1Char(c));
}

// The drawer over a window-sized parent, on a store whose services are loopback fakes.
class DrawerWidget : public testing::Test {
protected:
    void SetUp() override {
        m_env.clock().set(*utcOf("2025-03-13T12:00"));
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

    // `history` names the records of drawer-history.json to store, by their hash's letter.
    void start(const QList<Show>& shows, const QString& history = {}) {
        m_env.writeStorageFile(StorageFiles::kShows, encodeDocument(shows));
        nlohmann::json records = nlohmann::json::array();
        const nlohmann::json stored = fixtureJson("ui/drawer-history.json");
        for (const auto& r : stored["records"]) {
            if (history.contains(qstr(r["id"]).front()))
                records.push_back(r);
        }
        m_env.writeStorageFile(StorageFiles::kHistory, QByteArray::fromStdString(records.dump()));
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
        ASSERT_EQ(m_store->history().size(), records.size());
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
    const DownloadRecord* record(char hash) const {
        for (const DownloadRecord& r : m_store->history()) {
            if (r.id == hashOf(hash))
                return &r;
        }
        return nullptr;
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
    Show m_dark{.id = QUuid("{6F1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D}"), .name = "Dark"};
};

TEST_F(DrawerWidget, AnAmbiguousSeriesIsPickedLinkedListedAndAnEpisodeGrabbed) {
    m_indexes.hits = {{"Dark.S02E03.1080p.WEB.h264-GRP", hashOf('c'), 14}};
    start({m_dark});
    QSignalSpy closed(m_drawer, &EpisodeDrawer::closed);
    m_drawer->openFor(m_dark.id);

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
    m_dark.tmdbID = 70523;
    start({m_dark});
    SearchResult stuck;
    stuck.title = "Dark.S02E04.1080p.WEB.h264-GRP";
    stuck.magnetURL = QUrl("magnet:?xt=urn:btih:" + hashOf('a'));
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
    ASSERT_TRUE(runEventLoopUntil([&] { return m_store->activeDownloads().contains(hashOf('b')); }));
    EXPECT_FALSE(m_store->activeDownloads().contains(hashOf('a')));

    click(find("episodeDrawer.tab.episodes"));
    EXPECT_EQ(m_drawer->model().tab(), EpisodeDrawerModel::Tab::episodes);
}

TEST_F(DrawerWidget, AStuckDownloadIsSnoozedOrRemovedFromItsRow) {
    start({m_dark}, "ad");
    m_drawer->openFor(m_dark.id);

    click(await("episodeDrawer.recent." + hashOf('a') + ".snooze"));
    EXPECT_EQ(record('a')->snoozeCount, 1);
    // Snoozed, the row no longer offers the actions.
    ASSERT_TRUE(runEventLoopUntil(
        [&] { return !find("episodeDrawer.recent." + hashOf('a') + ".snooze"); }));

    click(find("episodeDrawer.recent." + hashOf('d') + ".remove"));
    EXPECT_EQ(record('d')->detail, "Cancelled — removed by you");
}

TEST_F(DrawerWidget, ARefusedKeyIsShownAndTryAgainAsksAgain) {
    m_tmdb.status = 401;
    m_dark.tmdbID = 70523;
    start({m_dark});
    m_drawer->openFor(m_dark.id);
    const QString refused = EpisodeDrawerTexts::tmdbFailureText(TMDBClient::Failure::refusedKey);
    EXPECT_TRUE(runEventLoopUntil([&] {
        auto* message = find<QLabel>("episodeDrawer.message");
        return message && message->isVisibleTo(m_window.get()) && message->text() == refused;
    }));
    m_tmdb.status = 200;
    click(find("episodeDrawer.retry"));
    EXPECT_NE(await("episodeDrawer.season.2"), nullptr);
}

// --- pictures ----------------------------------------------------------------------------------
// Walk the drawer through its phases and tabs and save each, light and dark, as a PNG into
// LUMIVANE_SHOTS_DIR (`make screenshots`); skipped without it.

class DrawerPictures : public DrawerWidget {
protected:
    void SetUp() override {
        m_folder = qEnvironmentVariable("LUMIVANE_SHOTS_DIR");
        if (m_folder.isEmpty())
            GTEST_SKIP() << "set LUMIVANE_SHOTS_DIR to write the pictures";
        QDir().mkpath(m_folder);
        DrawerWidget::SetUp();
    }
    void shoot(const QString& name) {
        for (const AppTheme appearance : {AppTheme::light, AppTheme::dark}) {
            m_theme.setAppearance(appearance);
            m_window->setPalette(m_theme.palette());
            drainEvents();
            const QString file = QStringLiteral("%1/drawer-%2-%3.png")
                                     .arg(m_folder, name,
                                          appearance == AppTheme::dark ? "dark" : "light");
            EXPECT_TRUE(m_window->grab().save(file)) << file.toStdString();
        }
        m_theme.setAppearance(AppTheme::light);
        drainEvents();
    }
    void openOn(const Show& show, EpisodeDrawerModel::Phase phase) {
        m_drawer->openFor(show.id);
        m_drawer->model().setTab(EpisodeDrawerModel::Tab::episodes);
        ASSERT_TRUE(runEventLoopUntil([&] {
            return m_drawer->model().phase() == phase && !m_drawer->model().loadingEpisodes();
        }));
    }
    QString m_folder;
};

TEST_F(DrawerPictures, EveryPhaseAndTab) {
    using Phase = EpisodeDrawerModel::Phase;
    m_dark.fallbackAnyQuality = false;
    m_dark.downloadedEpisodes = {"S02E01"};
    const Show unknown{.id = QUuid::createUuid(), .name = "Kaos"};
    start({m_dark, unknown}, "a567");

    m_drawer->openFor(m_dark.id); // the search has not answered yet
    m_drawer->model().setTab(EpisodeDrawerModel::Tab::episodes);
    shoot("loading");
    openOn(m_dark, Phase::needsPick);
    shoot("which-show");

    // Ready, with a row in every state.
    m_indexes.hits = {{"Dark.S02E03.720p.WEB.h264-GRP", hashOf('c'), 8},
                      {"Dark.S02E04.1080p.WEB.h264-GRP", hashOf('e'), 19}};
    m_drawer->model().pickCandidate(1);
    ASSERT_TRUE(runEventLoopUntil([&] {
        return m_drawer->model().phase() == Phase::ready && !m_drawer->model().loadingEpisodes();
    }));
    for (const char* code : {"S02E02", "S02E03", "S02E04"})
        m_drawer->model().pressEpisode(QString::fromLatin1(code));
    ASSERT_TRUE(runEventLoopUntil([&] {
        return m_drawer->model().offerEpisode() && m_store->activeDownloads().contains(hashOf('e'));
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
    m_tmdb.status = 401;
    openOn(m_dark, Phase::failed);
    shoot("failed-key");
    m_tmdb.status = 200;
    m_tmdb.matches.clear();
    openOn(unknown, Phase::notFound);
    shoot("not-found");
    m_tmdb.episodes[70523] = {{1, {}}};
    openOn(m_dark, Phase::ready);
    shoot("empty-season");
}

TEST_F(DrawerPictures, WithoutAConnection) {
    m_offline = true;
    start({m_dark}, "a");
    m_drawer->openFor(m_dark.id);
    m_drawer->model().findAlternates(hashOf('a'));
    ASSERT_TRUE(runEventLoopUntil([&] { return !m_drawer->model().loadingAlternates(); }));
    shoot("recent-offline");
    openOn(m_dark, EpisodeDrawerModel::Phase::failed);
    shoot("failed-offline");
}

} // namespace
