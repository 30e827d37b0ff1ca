// The add-series panels in each step, for the screenshot program: TMDB's matches, releases
// with ticks and the plan, no match, the fallback notice, a refused TMDB key and indexes that
// could not be reached. Each step drives the flow's model against the rig's loopback services,
// then the rig photographs the open panels in the current appearance.
//
// Expects from ShotRig: store(), theme(), images(), the loopback services it points the store
// at (tmdbMatches(query, matches), indexHits(hits), indexHitsFor(fn), refuseTmdbKey(on),
// indexesUnreachable(on)), clock().advance(seconds), settle(predicate) to run the event loop
// until a condition holds, and shoot(name, widgets) to save one picture of the given windows.

#include "ShotRig.h"

#include "AddShowModel.h"
#include "RoundedPanel.h"
#include "addshow/AddShowPresenter.h"

namespace {

ShotRig::Match darkMatch() {
    return {70523, QStringLiteral("Dark"), QStringLiteral("2017"), QStringLiteral("/dark.jpg"),
            QStringLiteral("A family saga with a supernatural twist, set in a German town where "
                           "the disappearance of two young children exposes the relationships "
                           "among four families.")};
}

QList<ShotRig::Hit> darkReleases() {
    return {{QStringLiteral("Dark.S03E08.The.Paradise.1080p.NF.WEB-DL.DDP5.1.x264"), 'a', 211,
             2'400'000'000},
            {QStringLiteral("Dark S03 1080p BluRay x265-RARBG"), 'b', 96, 14'100'000'000},
            {QStringLiteral("Dark.S02E01.720p.WEB.H264"), 'c', 40, 900'000'000},
            {QStringLiteral("Dark.S01E01.Secrets.2160p.NF.WEB-DL"), 'd', 18, 6'800'000'000},
            {QStringLiteral("Dark Complete Series 1080p"), 'e', 57, 38'000'000'000}};
}

// Opens a fresh flow, runs `drive` on its model and photographs the panels as `name`.
template <typename Drive>
void shootStep(ShotRig& rig, const QString& name, Drive drive) {
    AddShowPresenter presenter(rig.store(), rig.theme(), rig.images());
    presenter.open(nullptr);
    AddShowModel& model = *presenter.model();
    drive(model);
    rig.settle([&] { return !model.isSearching(); });
    QList<QWidget*> windows;
    for (RoundedPanel* panel :
         {presenter.posterPanel(), presenter.formPanel(), presenter.resultsPanel()}) {
        if (panel && panel->isVisible())
            windows.append(panel);
    }
    rig.shoot(name, windows);
    presenter.close();
}

void lookUp(ShotRig& rig, AddShowModel& model, const QString& name) {
    model.setName(name);
    model.find();
    rig.settle([&] { return !model.isSearching(); });
}

void confirmFirst(ShotRig& rig, AddShowModel& model) {
    rig.clock().advance(1);
    model.pickMatch(0);
    rig.settle([&] { return !model.isSearching(); });
}

} // namespace

void shootAddSeries(ShotRig& rig) {
    rig.tmdbMatches(QStringLiteral("Dark"),
                    {darkMatch(),
                     {2, QStringLiteral("Dark Matter"), QStringLiteral("2015"), QString(),
                      QStringLiteral("A spaceship crew wakes up with no memory.")}});
    shootStep(rig, QStringLiteral("add-series-matches"),
              [&](AddShowModel& m) { lookUp(rig, m, QStringLiteral("Dark")); });

    rig.tmdbMatches(QStringLiteral("Dark"), {darkMatch()});
    rig.indexHits(darkReleases());
    shootStep(rig, QStringLiteral("add-series-releases"), [&](AddShowModel& m) {
        lookUp(rig, m, QStringLiteral("Dark"));
        confirmFirst(rig, m);
        m.togglePick(m.listedResults().at(0).id);
        m.togglePick(m.listedResults().at(1).id);
        m.setPickPlan(AddShowModel::PickPlan::thisThenLatest);
    });

    shootStep(rig, QStringLiteral("add-series-no-match"),
              [&](AddShowModel& m) { lookUp(rig, m, QStringLiteral("Da Vinci's Inquest")); });

    rig.tmdbMatches(QStringLiteral("Inquest"),
                    {{5, QStringLiteral("Da Vinci's Inquest"), QStringLiteral("1998"), QString(),
                      QStringLiteral("A coroner in Vancouver.")}});
    rig.indexHitsFor([](const QString& query) {
        return query == QStringLiteral("Inquest")
                   ? QList<ShotRig::Hit>{{QStringLiteral("Inquest S01E01 720p HDTV"), 'f', 4,
                                          700'000'000}}
                   : QList<ShotRig::Hit>{};
    });
    shootStep(rig, QStringLiteral("add-series-fallback"), [&](AddShowModel& m) {
        lookUp(rig, m, QStringLiteral("Inquest"));
        confirmFirst(rig, m);
    });
    rig.indexHitsFor({});

    rig.refuseTmdbKey(true);
    shootStep(rig, QStringLiteral("add-series-tmdb-refused"),
              [&](AddShowModel& m) { lookUp(rig, m, QStringLiteral("Dark")); });
    rig.refuseTmdbKey(false);

    rig.indexesUnreachable(true);
    shootStep(rig, QStringLiteral("add-series-indexes-unreachable"), [&](AddShowModel& m) {
        lookUp(rig, m, QStringLiteral("Dark"));
        confirmFirst(rig, m);
    });
    rig.indexesUnreachable(false);
}
