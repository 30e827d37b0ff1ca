// The add-series panels in each step of tests/fixtures/ui/add-series-pictures.json, light and
// dark, side by side (the offscreen screen is too small to show them where they really sit):
// TMDB's matches, releases ticked, no match, the fallback to the typed name, a refused key,
// indexes that do not answer, the season options. The panels run on the in-memory watchlist of
// the view tests; the posters come from a disk cache filled beforehand.

#include "AddShowModel.h"
#include "FakeWatchlist.h"
#include "ImageLoader.h"
#include "RoundedPanel.h"
#include "SampleReleases.h"
#include "PosterCache.h"
#include "ShotRig.h"
#include "Shots.h"
#include "Theme.h"
#include "addshow/AddShowPresenter.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <nlohmann/json.hpp>

namespace {

using json = nlohmann::json;


QString text(const json& v) {
    return v.is_string() ? QString::fromStdString(v.get<std::string>()) : QString();
}

json fixture(const char* name) {
    QFile file(QStringLiteral(LUMIVANE_TEST_FIXTURES "/") + QString::fromLatin1(name));
    return file.open(QIODevice::ReadOnly) ? json::parse(file.readAll().toStdString()) : json();
}

// TMDB's series as its search answers them.
QList<SeriesResult> seriesFrom(const json& answers) {
    QList<SeriesResult> out;
    for (const json& a : answers) {
        const QString aired = text(a["first_air_date"]);
        out.append(
            {a["id"].get<int>(), text(a["name"]),
             aired.isEmpty() ? std::nullopt : std::optional(aired.left(4)), text(a["overview"]),
             a["poster_path"].is_null() ? std::nullopt : std::optional(text(a["poster_path"]))});
    }
    return out;
}

void waitFor(const std::function<bool()>& done, int ms = 5000) {
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

// Walks the flow as the panels would: a lookup, the first match confirmed past the arming
// delay, ticks on the first listed releases, a plan, the options, a season.
void drive(AddShowModel& model, FakeWatchlist& fake, const json& step) {
    const auto settled = [&] { waitFor([&] { return !model.isSearching(); }); };
    model.setName(text(step["lookUp"]));
    model.find();
    settled();
    if (step.value("confirm", false)) {
        fake.clock.advance(1);
        model.pickMatch(0);
        settled();
    }
    const QList<SearchResult> listed = model.listedResults();
    for (int i = 0; i < std::min<int>(step.value("tick", 0), listed.size()); ++i)
        model.togglePick(listed.at(i).id);
    if (step.contains("plan"))
        model.setPickPlan(AddShowModel::PickPlan(
            QStringList{"continueForward", "onlyThis", "thisThenLatest"}.indexOf(
                text(step["plan"]))));
    model.setShowAdvanced(step.value("advanced", false));
    if (step.contains("season")) {
        model.setSeasonText(text(step["season"]));
        model.setPullEntireSeason(step.value("pull", false));
    }
}

// The open panels side by side: poster, form, results.
QPixmap composite(AddShowPresenter& presenter, const Theme& theme) {
    QList<QPixmap> shots;
    for (RoundedPanel* panel :
         {presenter.posterPanel(), presenter.formPanel(), presenter.resultsPanel()}) {
        if (panel && panel->isVisible())
            shots << panel->grab();
    }
    QSize size;
    for (const QPixmap& shot : shots)
        size = QSize(size.width() + shot.width(), std::max(size.height(), shot.height()));
    QImage out(size, QImage::Format_ARGB32_Premultiplied);
    out.fill(theme.isDark() ? QColor(0x3a, 0x38, 0x40) : QColor(0xd9, 0xd6, 0xde));
    QPainter painter(&out);
    for (int x = 0; const QPixmap& shot : shots) {
        painter.drawPixmap(x, 0, shot);
        x += shot.width();
    }
    painter.end();
    return QPixmap::fromImage(out);
}

} // namespace

void shootAddSeries(ShotRig& rig) {
    QTemporaryDir cacheFolder;
    fillPosterCache(cacheFolder.path(), {QStringLiteral("/dark.jpg")});
    const json pictures = fixture("ui/add-series-pictures.json");
    for (const AppTheme appearance : {AppTheme::light, AppTheme::dark}) {
        for (const json& step : pictures["steps"]) {
            FakeWatchlist fake;
            fake.clock.set(ManualClock().now());
            json byQuery = pictures["tmdbByQuery"];
            byQuery.update(step.value("tmdbByQuery", json::object()));
            for (const auto& [query, answers] : byQuery.items())
                fake.seriesByName[QString::fromStdString(query)] = seriesFrom(answers);
            if (step.value("tmdbRefusesKey", false))
                fake.tmdbFailure = LookupFailure::refusedKey;
            fake.indexesUnreachable = !step.value("indexesAnswer", true);
            const json releasesByQuery = step.value("releases", json::object());
            for (const auto& [query, hits] : releasesByQuery.items()) {
                QList<SearchResult>& releases = fake.releasesByName[QString::fromStdString(query)];
                for (int id = 1; const json& h : hits) {
                    if (const auto r = sampleRelease(text(h[0]), text(h[1]).front().toLatin1(),
                                                     h[2], h[3], id++))
                        releases << *r;
                }
            }
            Theme theme(appearance);
            ImageLoader images(kShotImageHost, cacheFolder.path());
            AddShowPresenter presenter(fake, theme, images);
            presenter.open(nullptr);
            drive(*presenter.model(), fake, step);
            waitFor([] { return false; }, 300); // posters and layouts settle
            rig.save(composite(presenter, theme),
                     QStringLiteral("add-series-%1-%2")
                         .arg(text(step["name"]), theme.isDark() ? "dark" : "light"));
        }
    }
}
