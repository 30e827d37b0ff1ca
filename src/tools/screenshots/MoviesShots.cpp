// The Movies tab, light and dark: empty, a movie in every status line, a flagged download with
// its alternates, the resolution popover; and the add-movie panels in each step: the form,
// TMDB's matches, releases with one picked, no match, a failed lookup, indexes that do not
// answer, the fallback to the typed title, nothing found. Both run on the in-memory watchlist
// of the view tests; the posters come from a disk cache filled beforehand.

#include "AddShowModel.h"
#include "FakeWatchlist.h"
#include "ImageLoader.h"
#include "PosterCache.h"
#include "RoundedPanel.h"
#include "SampleReleases.h"
#include "ShotRig.h"
#include "Shots.h"
#include "Theme.h"
#include "addshow/AddShowPresenter.h"
#include "movies/MoviesView.h"
#include "series/Popover.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QPainter>
#include <QTemporaryDir>

namespace {

void settle(int ms = 300, const std::function<bool()>& done = [] { return false; }) {
    QDeadlineTimer deadline(ms);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

Movie movie(const char* name, const char* year, const char* poster = nullptr) {
    Movie m;
    m.id = QUuid::createUuid();
    m.name = QString::fromUtf8(name);
    m.year = QString::fromLatin1(year);
    if (poster)
        m.posterPath = QString::fromLatin1(poster);
    return m;
}

// One movie for every line of the status table; the downloading one is stuck and flagged.
void fillEveryStatus(FakeWatchlist& fake) {
    using S = ShowStatus::State;
    const Timestamp now = fake.now();
    Movie heat = movie("Heat", "1995", "/heat.jpg");
    heat.status = {S::downloading, 0.426, {}, {}, now};
    Movie alien = movie("Alien", "1979");
    alien.downloaded = true;
    alien.status = {S::sorted, 1.0, {}, {}, now};
    Movie ronin = movie("Ronin", "1998");
    Movie thief = movie("Thief", "1981");
    thief.monitor = false;
    Movie collateral = movie("Collateral", "2004", "/heat.jpg");
    collateral.status = {S::found, 0.0, {}, QStringLiteral("searching"), now};
    Movie sicario = movie("Sicario", "2015");
    sicario.status = {S::error, 0.0, {}, QStringLiteral("no release found yet"), now};
    Movie manhunter = movie("Manhunter", "1986");
    manhunter.monitor = false;
    manhunter.status = {S::error, 0.0, {}, QStringLiteral("no release found yet"), now};
    Movie blackhat = movie("Blackhat", "2015");
    blackhat.status = {S::error, 0.0, {},
                       QStringLiteral("release pending — holding for a real copy"), now};
    Movie miami = movie("Miami Vice", "2006");
    miami.status = {S::error, 0.0, {}, {}, now};
    Movie ali = movie("Ali", "2001");
    ali.isEnabled = false;
    ali.quality = Show::Quality::p720;
    fake.movieList = {heat,    alien,   ronin,     thief, collateral, sicario,
                      manhunter, blackhat, miami, ali};

    DownloadRecord stuck;
    stuck.id = QString(40, QLatin1Char('a'));
    stuck.showID = heat.id;
    stuck.showName = heat.displayTitle();
    stuck.episode = QStringLiteral("Movie");
    stuck.state = DownloadRecord::State::downloading;
    stuck.progress = 0.426;
    stuck.peers = 0;
    stuck.stuckSince = now - 9 * 86400.0;
    fake.rows = {stuck};
    for (const auto& [title, h, seeders, size] :
         {std::tuple{"Heat.1995.1080p.BluRay.x264-AMIABLE", 'b', 48, 9'800'000'000LL},
          std::tuple{"Heat.1995.REMASTERED.1080p.WEB-DL", 'c', 17, 4'300'000'000LL}}) {
        if (const auto r = sampleRelease(QString::fromLatin1(title), h, seeders, size))
            fake.releasesByName[QStringLiteral("Heat")] << *r;
    }
}

QPixmap picture(QWidget& view, QWidget* popover = nullptr) {
    settle(200);
    QPixmap shot = view.grab();
    if (popover) {
        QPainter painter(&shot);
        painter.drawPixmap(view.mapFromGlobal(popover->mapToGlobal(QPoint(0, 0))), popover->grab());
    }
    return shot;
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

struct AddStep {
    const char* name;
    const char* typed; // nothing typed: the empty form
    bool confirm = false;
    int ticks = 0;
    LookupFailure tmdb = LookupFailure::none;
    bool indexesAnswer = true;
    bool releases = true;
};

const AddStep kAddSteps[] = {
    {"form", nullptr},
    {"matches", "Heat"},
    {"releases-picked", "Heat", true, 2},
    {"no-match", "Eraserheat"},
    {"tmdb-unreachable", "Heat", false, 0, LookupFailure::unreachable},
    {"indexes-unreachable", "Heat", true, 0, LookupFailure::none, false},
    {"nothing-found", "Heat", true, 0, LookupFailure::none, true, false},
    {"fallback", "heat 1995", true, 1},
};

void shootAddMovie(ShotRig& rig, AppTheme appearance, const QString& cache) {
    for (const AddStep& step : kAddSteps) {
        FakeWatchlist fake;
        const MovieResult heat{949, "Heat", "1995", "A group of professional bank robbers.",
                               "/heat.jpg", {}};
        const MovieResult remake{1, "Heat", "1986", "A Las Vegas bodyguard.", {}, {}};
        fake.moviesByTitle = {{"Heat", {heat, remake}}, {"heat 1995", {heat}}};
        fake.tmdbFailure = step.tmdb;
        fake.indexesUnreachable = !step.indexesAnswer;
        if (step.releases) {
            QList<SearchResult>& listed =
                fake.releasesByName[QString::fromLatin1(std::strcmp(step.name, "fallback") == 0
                                                            ? "heat 1995"
                                                            : "Heat")];
            int id = 1;
            for (const auto& [title, h, seeders, size] :
                 {std::tuple{"Heat.1995.1080p.BluRay.x264-AMIABLE", 'b', 48, 9'800'000'000LL},
                  std::tuple{"Heat.1995.REMASTERED.1080p.WEB-DL", 'c', 17, 4'300'000'000LL},
                  std::tuple{"Heat (1995) 1080p BrRip x264 - YIFY", 'd', 212, 2'100'000'000LL}}) {
                if (const auto r = sampleRelease(QString::fromLatin1(title), h, seeders, size, id++))
                    listed << *r;
            }
        }
        Theme theme(appearance);
        ImageLoader images(kShotImageHost, cache);
        AddShowPresenter presenter(fake, theme, images, nullptr, AddShowModel::Kind::movie);
        presenter.open(nullptr);
        AddShowModel& model = *presenter.model();
        if (step.typed) {
            model.setName(QString::fromUtf8(step.typed));
            model.find();
            settle(3000, [&] { return !model.isSearching(); });
            if (step.confirm) {
                fake.clock.advance(1);
                model.pickMatch(0);
                settle(3000, [&] { return !model.isSearching(); });
            }
            for (int i = 0; i < std::min<int>(step.ticks, model.listedResults().size()); ++i)
                model.togglePick(model.listedResults().at(i).id);
        }
        settle(300); // posters and layouts settle
        rig.save(composite(presenter, theme),
                 QStringLiteral("add-movie-%1-%2")
                     .arg(QString::fromLatin1(step.name), theme.isDark() ? "dark" : "light"));
    }
}

} // namespace

void shootMovies(ShotRig& rig) {
    QTemporaryDir cacheFolder;
    fillPosterCache(cacheFolder.path(), {QStringLiteral("/heat.jpg")});
    for (const AppTheme appearance : {AppTheme::light, AppTheme::dark}) {
        const QString suffix =
            appearance == AppTheme::dark ? QStringLiteral("-dark") : QStringLiteral("-light");
        Theme theme(appearance);
        ImageLoader images(kShotImageHost, cacheFolder.path());

        FakeWatchlist nothing;
        MoviesView empty(nothing, theme, images);
        empty.resize(760, 520);
        empty.show();
        rig.save(picture(empty), QStringLiteral("movies-empty") + suffix);

        FakeWatchlist fake;
        fillEveryStatus(fake);
        MoviesView view(fake, theme, images);
        view.resize(760, 1000);
        view.show();
        rig.save(picture(view), QStringLiteral("movies-rows") + suffix);

        view.findAlternates(0);
        settle(2000, [&] { return fake.answered > 0; });
        view.resize(760, 520);
        rig.save(picture(view), QStringLiteral("movies-alternates") + suffix);

        view.openQualityPopover(2);
        rig.save(picture(view, view.openPopover()), QStringLiteral("movies-quality-popover") + suffix);
        view.openPopover()->close();

        shootAddMovie(rig, appearance, cacheFolder.path());
    }
}
