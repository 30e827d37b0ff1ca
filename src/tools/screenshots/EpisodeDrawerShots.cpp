// The episode drawer in each phase and tab, light and dark, for `make screenshots`.
//
// Written against the screenshot rig as it is planned: `rig.store()`, `rig.theme()`,
// `rig.content()` (the main window's content area), `rig.tmdb()` / `rig.indexes()` (the
// loopback services the rig's store talks to), `rig.clock()`, `rig.settle(predicate)` (runs the
// event loop until it holds) and `rig.shoot(name, widget)` (saves the picture in both
// appearances). Adjust the calls if the rig ends up spelled differently.

#include "ShotRig.h"
#include "drawer/EpisodeDrawer.h"

namespace {

QString hashOf(char c) {
    return QString(40, QLatin1Char(c));
}

} // namespace

void shootEpisodeDrawer(ShotRig& rig) {
    using Phase = EpisodeDrawerModel::Phase;
    using Tab = EpisodeDrawerModel::Tab;
    WatchlistStore& store = rig.store();

    rig.tmdb().matches = {{1, "Dark Matter", "2015", ""}, {70523, "Dark", "2017", "/dark.jpg"}};
    rig.tmdb().episodes[70523] = {
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
    const QUuid id = rig.addSeries(QStringLiteral("Dark"), /*fallbackAnyQuality=*/false,
                                   QStringList{QStringLiteral("S02E01")});

    auto* drawer = new EpisodeDrawer(store, rig.theme(), rig.content());
    EpisodeDrawerModel& model = drawer->model();
    const auto settledOn = [&](Phase phase) {
        rig.settle([&] { return model.phase() == phase && !model.loadingEpisodes(); });
    };

    drawer->openFor(id);
    model.setTab(Tab::episodes);
    rig.shoot(QStringLiteral("drawer-loading"), rig.content());
    settledOn(Phase::needsPick);
    rig.shoot(QStringLiteral("drawer-which-show"), rig.content());

    rig.indexes().hits = {{"Dark.S02E03.720p.WEB.h264-GRP", hashOf('c'), 8},
                          {"Dark.S02E04.1080p.WEB.h264-GRP", hashOf('e'), 19}};
    model.pickCandidate(1);
    settledOn(Phase::ready);
    for (const char* code : {"S02E02", "S02E03", "S02E04"})
        model.pressEpisode(QString::fromLatin1(code));
    rig.settle([&] {
        return model.offerEpisode() && store.activeDownloads().contains(hashOf('e'));
    });
    rig.shoot(QStringLiteral("drawer-ready-offer"), rig.content());
    model.closeOffer();
    rig.shoot(QStringLiteral("drawer-ready"), rig.content());

    // A download stuck for eight days, flagged on the Recent tab, then its alternates.
    TorrentInfo stalled;
    stalled.status = 4;
    store.trackStuckSince(hashOf('e'), stalled);
    rig.clock().advance(8 * 86400.0);
    model.setTab(Tab::recent);
    rig.shoot(QStringLiteral("drawer-recent"), rig.content());
    rig.indexes().hits = {{"Dark.S02E04.1080p.NF.WEB-DL.DDP5.1.H.264-NTb", hashOf('8'), 42},
                          {"Dark.S02E04.720p.WEB.x264-ION10", hashOf('9'), 17}};
    model.findAlternates(hashOf('e'));
    rig.settle([&] { return !model.loadingAlternates(); });
    rig.shoot(QStringLiteral("drawer-recent-switch"), rig.content());
    model.closeAlternates();

    // A refused key, a series TMDB does not know.
    rig.tmdb().status = 401;
    drawer->openFor(id);
    model.setTab(Tab::episodes);
    settledOn(Phase::failed);
    rig.shoot(QStringLiteral("drawer-failed-key"), rig.content());
    rig.tmdb().status = 200;
    rig.tmdb().episodes.remove(70523);
    drawer->openFor(id);
    model.setTab(Tab::episodes);
    settledOn(Phase::notFound);
    rig.shoot(QStringLiteral("drawer-not-found"), rig.content());

    delete drawer;
}
