#include "FakeWatchlist.h"

FakeWatchlist::FakeWatchlist()
    : clock(Timestamp::fromDateTime(QDateTime(QDate(2025, 3, 13), QTime(12, 0), Qt::UTC))) {}

FakeWatchlist::~FakeWatchlist() {
    // Answers still waiting end now, so no question outlives the fake.
    held.clear();
    wake();
}

QStringList FakeWatchlist::callsTo(const QString& prefix) const {
    QStringList out;
    for (const QString& c : calls) {
        if (c.startsWith(prefix))
            out.append(c);
    }
    return out;
}

Show& FakeWatchlist::showNamed(const QString& name) {
    for (Show& s : showList) {
        if (s.name == name)
            return s;
    }
    return showList.emplaceBack(Show{.id = QUuid::createUuid(), .name = name});
}

QString FakeWatchlist::note(const char* operation, std::initializer_list<QString> args) {
    QStringList parts{QString::fromLatin1(operation)};
    parts.append(QStringList(args));
    calls.append(parts.join(QLatin1Char(' ')));
    return calls.last();
}

QString FakeWatchlist::nameOf(const QUuid& id) const {
    if (const Show* s = show(id))
        return s->name;
    if (const Movie* m = movie(id))
        return m->name;
    return id.toString(QUuid::WithoutBraces);
}

void FakeWatchlist::release(const QString& call) {
    held.remove(call);
    wakeLater();
}

namespace {

// Parks the asking coroutine until the fake wakes it. Trivially destructible on purpose (see
// answerLater).
struct Parked {
    FakeWatchlist::Waiting* waiting;
    const QString* call;
    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> handle) { waiting->append({*call, handle}); }
    void await_resume() const noexcept {}
};

} // namespace

void FakeWatchlist::wakeLater() {
    // Queued on the fake: a wake-up dies with it.
    QMetaObject::invokeMethod(
        this, [this] { wake(); }, Qt::QueuedConnection);
}

void FakeWatchlist::wake() {
    Waiting ready;
    for (auto it = m_waiting.begin(); it != m_waiting.end();) {
        if (held.contains(it->first)) {
            ++it;
        } else {
            ready.append(*it);
            it = m_waiting.erase(it);
        }
    }
    for (const auto& [call, handle] : ready)
        handle.resume();
}

// (Callers build the line first: GCC 12 destroys temporaries in a co_await expression twice.)
QCoro::Task<> FakeWatchlist::answerLater(QString call) {
    calls.append(call);
    wakeLater();
    co_await Parked{&m_waiting, &call};
    ++answered;
}

SearchResult fakeRelease(const QString& title, char h, const QString& quality, int seeders,
                         qint64 size) {
    SearchResult r;
    r.id = QString(40, QLatin1Char(h));
    r.title = title;
    r.quality = quality;
    r.seeders = seeders;
    r.sizeBytes = size;
    r.source = QStringLiteral("Torrents-CSV");
    r.magnetURL = QUrl(QStringLiteral("magnet:?xt=urn:btih:") + r.id);
    return r;
}

// --- Catalogue ---------------------------------------------------------------------------------

QCoro::Task<Lookup<QList<SeriesResult>>> FakeWatchlist::searchSeries(QString name) {
    const QString call = QStringLiteral("searchSeries ") + name;
    co_await answerLater(call);
    co_return {tmdbFailure == LookupFailure::none ? seriesByName.value(name)
                                                  : QList<SeriesResult>{},
               tmdbFailure};
}

QCoro::Task<Lookup<std::optional<SeriesSeasons>>> FakeWatchlist::seriesSeasons(int tmdbID) {
    const QString call = QStringLiteral("seriesSeasons %1").arg(tmdbID);
    co_await answerLater(call);
    if (tmdbFailure != LookupFailure::none || !seasonsOf.contains(tmdbID))
        co_return {std::nullopt, tmdbFailure};
    co_return {SeriesSeasons{tmdbID, QString(), seasonsOf.value(tmdbID)}, LookupFailure::none};
}

QCoro::Task<Lookup<QList<Episode>>> FakeWatchlist::seasonEpisodes(int tmdbID, int season) {
    const QString call = QStringLiteral("seasonEpisodes %1 %2").arg(tmdbID).arg(season);
    co_await answerLater(call);
    if (tmdbFailure != LookupFailure::none)
        co_return {{}, tmdbFailure};
    co_return {episodesOf.value({tmdbID, season}), LookupFailure::none};
}

QCoro::Task<Lookup<QList<MovieResult>>> FakeWatchlist::searchMovies(QString title) {
    const QString call = QStringLiteral("searchMovies ") + title;
    co_await answerLater(call);
    co_return {tmdbFailure == LookupFailure::none ? moviesByTitle.value(title)
                                                  : QList<MovieResult>{},
               tmdbFailure};
}

// --- ReleaseFinder -----------------------------------------------------------------------------

QCoro::Task<ReleaseFinder::Releases>
FakeWatchlist::seriesReleases(QString name, std::optional<Show::Quality> quality) {
    const QString call = QStringLiteral("seriesReleases %1 %2")
                             .arg(name, quality ? toRaw(*quality) : QStringLiteral("any"));
    co_await answerLater(call);
    if (indexesUnreachable)
        co_return Releases{{}, true};
    co_return Releases{releasesByName.value(name), false};
}

QCoro::Task<ReleaseFinder::Releases>
FakeWatchlist::movieReleases(QString title, std::optional<Show::Quality> quality) {
    const QString call = QStringLiteral("movieReleases %1 %2")
                             .arg(title, quality ? toRaw(*quality) : QStringLiteral("any"));
    co_await answerLater(call);
    if (indexesUnreachable)
        co_return Releases{{}, true};
    co_return Releases{releasesByName.value(title), false};
}

QCoro::Task<ReleaseFinder::Releases> FakeWatchlist::otherReleases(QString hash) {
    const QString call = QStringLiteral("otherReleases ") + hash;
    co_await answerLater(call);
    if (indexesUnreachable)
        co_return Releases{{}, true};
    co_return Releases{alternatesOf.value(hash), false};
}

// --- WatchlistOperations -----------------------------------------------------------------------

QUuid FakeWatchlist::addShow(const NewShow& form, const QList<SearchResult>& picked,
                             PickPlan plan) {
    note("addShow",
         {form.name, "plan", QString::number(int(plan)), "picked", QString::number(picked.size())});
    addedShow = form;
    addedPicks = picked;
    return addedID;
}

bool FakeWatchlist::linkTMDBMatch(const QUuid& id, const SeriesResult& match) {
    note("linkTMDBMatch", {nameOf(id), QString::number(match.id)});
    for (Show& s : showList) {
        if (s.id == id) {
            s.tmdbID = match.id;
            s.posterPath = match.posterPath;
            Q_EMIT showsChanged();
            return true;
        }
    }
    return false;
}

QCoro::Task<QMap<QString, WatchlistOperations::EpisodeOutcome>>
FakeWatchlist::grabEpisodes(QUuid id, QStringList codes) {
    const QString call = QStringLiteral("grabEpisodes %1 %2").arg(nameOf(id), codes.join(','));
    co_await answerLater(call);
    QMap<QString, EpisodeOutcome> result;
    for (const QString& code : codes) {
        const EpisodeOutcome outcome = outcomes.value(code, EpisodeOutcome::grabbed);
        result.insert(code, outcome);
        Q_EMIT episodeSearchFinished(id, code, outcome);
    }
    co_return result;
}

QCoro::Task<> FakeWatchlist::pullSeason(QUuid id, int season) {
    const QString call = QStringLiteral("pullSeason %1 %2").arg(nameOf(id)).arg(season);
    co_await answerLater(call);
}

QCoro::Task<> FakeWatchlist::completeSeason(QUuid id, int season) {
    const QString call = QStringLiteral("completeSeason %1 %2").arg(nameOf(id)).arg(season);
    co_await answerLater(call);
}

QCoro::Task<> FakeWatchlist::clearWorkingFolder() {
    const QString call = QStringLiteral("clearWorkingFolder");
    co_await answerLater(call);
}

QCoro::Task<> FakeWatchlist::refreshWorkingFolderSize() {
    const QString call = QStringLiteral("refreshWorkingFolderSize");
    co_await answerLater(call);
}

QUuid FakeWatchlist::addMovie(const QString& name, const std::optional<MovieResult>& match,
                              Show::Quality quality, bool monitor, bool anyQuality,
                              const std::optional<SearchResult>& picked,
                              const std::optional<QString>& searchAlias) {
    QStringList args{name, QString::number(match ? match->id : 0), toRaw(quality),
                     monitor ? "monitor" : "", anyQuality ? "any" : "",
                     picked ? picked->title : ""};
    if (searchAlias)
        args << "alias " + *searchAlias;
    calls.append("addMovie " + args.join(QLatin1Char(' ')));
    return addedID;
}

void FakeWatchlist::updateSettings(const std::function<void(AppSettings&)>& change) {
    note("updateSettings", {});
    change(appSettings);
    Q_EMIT settingsChanged();
}
