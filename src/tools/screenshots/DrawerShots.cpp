// The episode drawer in each phase and tab, light and dark, over a window-sized parent: loading,
// the choice of series, the episode list with a row in every state and its offer, the Recent tab
// with a stuck download and its alternates, TMDB failures, an unknown series, an empty season,
// and the same without a connection. The drawer runs on the in-memory watchlist the view tests
// use, scripted the way the engine answers.

#include "DarkSeries.h"
#include "SampleReleases.h"
#include "ShotRig.h"
#include "Shots.h"
#include "Theme.h"
#include "drawer/EpisodeDrawer.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCoreApplication>
#include <QDeadlineTimer>

namespace {

using Phase = EpisodeDrawerModel::Phase;
using Outcome = WatchlistOperations::EpisodeOutcome;

class DrawerScene {
public:
    DrawerScene(ShotRig& rig, const QString& history)
        : m_rig(rig) {
        m_fake.rows = darkHistory(history);
        m_window.resize(760, 520);
        m_drawer = new EpisodeDrawer(m_fake, m_theme, &m_window);
        m_window.show();
    }

    FakeWatchlist& fake() { return m_fake; }
    Show& dark() { return m_dark; }
    EpisodeDrawerModel& model() { return m_drawer->model(); }

    // Until `done` holds or a few seconds passed.
    static void waitFor(const std::function<bool()>& done) {
        QDeadlineTimer deadline(5000);
        while (!done() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }

    void openOn(const Show& show, Phase phase) {
        m_drawer->openFor(show.id);
        model().setTab(EpisodeDrawerModel::Tab::episodes);
        waitFor([&] { return model().phase() == phase && !model().loadingEpisodes(); });
    }

    void focusEpisode(int row) {
        auto* list =
            m_window.findChild<QAbstractItemView*>(QStringLiteral("episodeDrawer.episodes"));
        QApplication::setActiveWindow(&m_window);
        list->setFocus(Qt::TabFocusReason);
        list->setCurrentIndex(list->model()->index(row, 0));
    }

    void clearFocus() {
        if (QWidget* focused = QApplication::focusWidget())
            focused->clearFocus();
    }

    void shoot(const QString& name) {
        for (const AppTheme appearance : {AppTheme::light, AppTheme::dark}) {
            m_theme.setAppearance(appearance);
            m_window.setPalette(m_theme.palette());
            settle();
            m_rig.save(m_window.grab(),
                       QStringLiteral("drawer-%1-%2")
                           .arg(name, appearance == AppTheme::dark ? "dark" : "light"));
        }
        m_theme.setAppearance(AppTheme::light);
        settle();
    }

    EpisodeDrawer* m_drawer = nullptr;

private:
    static void settle() {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents(QEventLoop::AllEvents);
    }

    ShotRig& m_rig;
    FakeWatchlist m_fake;
    Show& m_dark = scriptDark(m_fake);
    Theme m_theme{AppTheme::light};
    QWidget m_window;
};

void everyPhaseAndTab(ShotRig& rig) {
    DrawerScene scene(rig, "a567");
    FakeWatchlist& fake = scene.fake();
    Show& dark = scene.dark();
    dark.tmdbID.reset();
    dark.fallbackAnyQuality = false;
    dark.downloadedEpisodes = {"S02E01"};
    const Show unknown = fake.showNamed("Kaos");

    fake.held = {"searchSeries Dark"}; // the search has not answered yet
    scene.m_drawer->openFor(dark.id);
    scene.model().setTab(EpisodeDrawerModel::Tab::episodes);
    scene.shoot("loading");
    fake.release("searchSeries Dark");
    scene.openOn(dark, Phase::needsPick);
    scene.shoot("which-show");

    // Ready, with a row in every state: nothing seeded, only another resolution, on its way.
    fake.outcomes = {{"S02E02", Outcome::notFound}, {"S02E03", Outcome::offered}};
    fake.picks.insert(dark.id,
                      {"S02E03", {*sampleRelease("Dark.S02E03.720p.WEB.h264-GRP", 'c', 8)}});
    scene.model().pickCandidate(1);
    scene.waitFor(
        [&] { return scene.model().phase() == Phase::ready && !scene.model().loadingEpisodes(); });
    for (const char* code : {"S02E02", "S02E03", "S02E04"})
        scene.model().pressEpisode(QString::fromLatin1(code));
    const SearchResult grabbed =
        *sampleRelease("Dark.S02E04.1080p.WEB.h264-GRP", 'e', 19, 1'500'000'000, 2);
    fake.downloads.insert(grabbed.id,
                          {ActiveDownload::Kind::episode, dark.id, "S02E04", true, "Torrents-CSV"});
    fake.rows.prepend({.id = grabbed.id,
                       .showID = dark.id,
                       .showName = "Dark",
                       .episode = "S02E04",
                       .title = grabbed.title,
                       .addedAt = fake.now()});
    scene.waitFor([&] { return scene.model().offerEpisode().has_value() && fake.answered >= 5; });
    Q_EMIT fake.historyChanged();
    scene.shoot("ready-offer");
    scene.model().closeOffer();
    scene.shoot("ready");
    scene.focusEpisode(2); // the keyboard on a painted row: its focus ring
    scene.shoot("ready-focus");
    scene.clearFocus();

    // Recent, with a flagged download, then its alternates.
    scene.model().setTab(EpisodeDrawerModel::Tab::recent);
    scene.shoot("recent");
    fake.alternatesOf[QString(40, 'a')] = {
        *sampleRelease("Dark.S02E04.1080p.NF.WEB-DL.DDP5.1.H.264-NTb", '8', 42, 1'500'000'000, 2),
        *sampleRelease("Dark.S02E04.720p.WEB.x264-ION10", '9', 17, 1'500'000'000, 3)};
    const QString search = "otherReleases " + QString(40, 'a');
    fake.held = {search};
    scene.model().findAlternates(QString(40, 'a'));
    scene.shoot("recent-searching");
    fake.release(search);
    scene.waitFor([&] { return !scene.model().loadingAlternates(); });
    scene.shoot("recent-switch");
    scene.model().closeAlternates();

    // A TMDB failure, then a series TMDB does not know, then a season with nothing listed.
    fake.tmdbFailure = LookupFailure::refusedKey;
    scene.openOn(dark, Phase::failed);
    scene.shoot("failed-key");
    fake.tmdbFailure = LookupFailure::none;
    fake.seriesByName.clear();
    scene.openOn(unknown, Phase::notFound);
    scene.shoot("not-found");
    fake.seasonsOf[70523] = {1};
    fake.episodesOf[{70523, 1}] = {};
    scene.openOn(dark, Phase::ready);
    scene.shoot("empty-season");
}

void withoutAConnection(ShotRig& rig) {
    DrawerScene scene(rig, "a");
    FakeWatchlist& fake = scene.fake();
    fake.tmdbFailure = LookupFailure::unreachable;
    fake.indexesUnreachable = true;
    scene.dark().tmdbID.reset();
    scene.m_drawer->openFor(scene.dark().id);
    scene.model().findAlternates(QString(40, 'a'));
    scene.waitFor([&] { return !scene.model().loadingAlternates(); });
    scene.shoot("recent-offline");
    scene.openOn(scene.dark(), Phase::failed);
    scene.shoot("failed-offline");
}

} // namespace

void shootEpisodeDrawer(ShotRig& rig) {
    everyPhaseAndTab(rig);
    withoutAConnection(rig);
}
