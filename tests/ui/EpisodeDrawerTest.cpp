#include "drawer/EpisodeDrawer.h"

#include "DrawerServices.h"
#include "Theme.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// The drawer over a window-sized parent, on a store whose services are loopback fakes.
class DrawerWidget : public testing::Test {
protected:
    void start(const QList<Show>& shows, const QString& history = {}) {
        m_store = &m_services.start(shows, history);
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

    DrawerServices m_services;
    FakeTmdbCatalog& m_tmdb = m_services.tmdb;
    FakeIndexes& m_indexes = m_services.indexes;
    Theme m_theme{AppTheme::light};
    WatchlistStore* m_store = nullptr;
    std::unique_ptr<QWidget> m_window;
    EpisodeDrawer* m_drawer = nullptr;
    Show m_dark = m_services.dark;
};

TEST_F(DrawerWidget, ARefusedKeyIsRetriedThenASeriesIsPickedLinkedListedAndAnEpisodeGrabbed) {
    m_indexes.hits = {{"Dark.S02E03.1080p.WEB.h264-GRP", hashOf('c'), 14}};
    m_dark.tmdbID.reset();
    m_tmdb.status = 401;
    start({m_dark});
    QSignalSpy closed(m_drawer, &EpisodeDrawer::closed);
    m_drawer->openFor(m_dark.id);
    const QString refused = EpisodeDrawerTexts::tmdbFailureText(LookupFailure::refusedKey);
    EXPECT_TRUE(runEventLoopUntil([&] {
        auto* message = find<QLabel>("episodeDrawer.message");
        return message && message->isVisibleTo(m_window.get()) && message->text() == refused;
    }));
    m_tmdb.status = 200;
    click(find("episodeDrawer.retry"));

    click(await("episodeDrawer.candidate.1"));
    click(await("episodeDrawer.episode.S02E03"));
    EXPECT_EQ(m_store->shows().first().tmdbID, 70523);
    ASSERT_TRUE(
        runEventLoopUntil([&] { return m_store->activeDownloads().contains(hashOf('c')); }));
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
    start({m_dark});
    m_services.grabStuck(m_dark);
    m_indexes.hits = {{"Dark.S02E04.1080p.WEB.h264-GRP", hashOf('a'), 2},
                      {"Dark.S02E04.720p.WEB.h264-NEW", hashOf('b'), 31}};
    m_drawer->openFor(m_dark.id);
    ASSERT_TRUE(find("episodeDrawer.tab.recent")->isChecked()); // what needs the user comes first
    click(find("episodeDrawer.recent." + hashOf('a') + ".alternate"));
    click(await("episodeDrawer.alternates.0.choose"));
    ASSERT_TRUE(
        runEventLoopUntil([&] { return m_store->activeDownloads().contains(hashOf('b')); }));
    EXPECT_FALSE(m_store->activeDownloads().contains(hashOf('a')));

    click(find("episodeDrawer.tab.episodes"));
    EXPECT_EQ(m_drawer->model().tab(), EpisodeDrawerModel::Tab::episodes);
}

TEST_F(DrawerWidget, AStuckDownloadIsSnoozedOrRemovedFromItsRow) {
    start({m_dark}, "ad");
    m_drawer->openFor(m_dark.id);

    click(await("episodeDrawer.recent." + hashOf('a') + ".snooze"));
    EXPECT_EQ(m_store->history().first().snoozeCount, 1);
    // Snoozed, the row no longer offers the actions.
    ASSERT_TRUE(runEventLoopUntil(
        [&] { return !find("episodeDrawer.recent." + hashOf('a') + ".snooze"); }));

    click(find("episodeDrawer.recent." + hashOf('d') + ".remove"));
    EXPECT_EQ(m_store->history().last().detail, "Cancelled — removed by you");
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
            const QString file =
                QStringLiteral("%1/drawer-%2-%3.png")
                    .arg(m_folder, name, appearance == AppTheme::dark ? "dark" : "light");
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
    m_dark.tmdbID.reset();
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
    m_services.tmdbDown = m_services.indexesDown = true;
    m_dark.tmdbID.reset();
    start({m_dark}, "a");
    m_drawer->openFor(m_dark.id);
    m_drawer->model().findAlternates(hashOf('a'));
    ASSERT_TRUE(runEventLoopUntil([&] { return !m_drawer->model().loadingAlternates(); }));
    shoot("recent-offline");
    openOn(m_dark, EpisodeDrawerModel::Phase::failed);
    shoot("failed-offline");
}

} // namespace
