#include "FakeWatchlist.h"

#include "model/EnumRaw.h"


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
    QMetaObject::invokeMethod(this, [this] { wake(); }, Qt::QueuedConnection);
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
    record(call);
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
    record(QStringLiteral("addShow %1 plan %2 picked %3")
               .arg(form.name)
               .arg(int(plan))
               .arg(picked.size()));
    addedShow = form;
    addedPicks = picked;
    return addedID;
}

void FakeWatchlist::setSubscribed(const QUuid& id, bool on) {
    record(QStringLiteral("setSubscribed %1 %2").arg(nameOf(id), on ? "true" : "false"));
}

void FakeWatchlist::setShowQuality(const QUuid& id, std::optional<Show::Quality> quality) {
    record(QStringLiteral("setShowQuality %1 %2")
               .arg(nameOf(id), quality ? toRaw(*quality) : QStringLiteral("any")));
}

void FakeWatchlist::removeShow(const QUuid& id) {
    record(QStringLiteral("removeShow ") + nameOf(id));
}

void FakeWatchlist::searchNow(const QUuid& id) {
    record(QStringLiteral("searchNow ") + nameOf(id));
}

void FakeWatchlist::clearStatus(const QUuid& id) {
    record(QStringLiteral("clearStatus ") + nameOf(id));
}

void FakeWatchlist::pickAlternative(const SearchResult& chosen, const QUuid& showID) {
    record(QStringLiteral("pickAlternative %1 %2").arg(nameOf(showID), chosen.title));
}

void FakeWatchlist::dismissQualityPick(const QUuid& showID) {
    record(QStringLiteral("dismissQualityPick ") + nameOf(showID));
}

bool FakeWatchlist::linkTMDBMatch(const QUuid& id, const SeriesResult& match) {
    record(QStringLiteral("linkTMDBMatch %1 %2").arg(nameOf(id)).arg(match.id));
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

bool FakeWatchlist::grabEpisodeRelease(const QUuid& id, const QString& code,
                                       const SearchResult& release) {
    record(QStringLiteral("grabEpisodeRelease %1 %2 %3").arg(nameOf(id), code, release.title));
    return true;
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

QUuid FakeWatchlist::addMovie(const QString& name, const std::optional<MovieResult>& match,
                              Show::Quality quality, bool monitor, bool anyQuality,
                              const std::optional<SearchResult>& picked) {
    record(QStringLiteral("addMovie %1 %2 %3 monitor %4 any %5 picked %6")
               .arg(name)
               .arg(match ? match->id : 0)
               .arg(toRaw(quality))
               .arg(monitor)
               .arg(anyQuality)
               .arg(picked ? picked->title : QString()));
    return addedID;
}

void FakeWatchlist::huntMovie(const QUuid& id) {
    record(QStringLiteral("huntMovie ") + nameOf(id));
}

void FakeWatchlist::setMovieQuality(const QUuid& id, Show::Quality quality) {
    record(QStringLiteral("setMovieQuality %1 %2").arg(nameOf(id), toRaw(quality)));
}

void FakeWatchlist::switchMovieRelease(const DownloadRecord& row, const SearchResult& release) {
    record(QStringLiteral("switchMovieRelease %1 %2").arg(row.id, release.title));
}

void FakeWatchlist::removeMovie(const QUuid& id) {
    record(QStringLiteral("removeMovie ") + nameOf(id));
}

void FakeWatchlist::removeDownload(const QString& hash) {
    record(QStringLiteral("removeDownload ") + hash);
}

void FakeWatchlist::switchRelease(const QString& hash, const SearchResult& release) {
    record(QStringLiteral("switchRelease %1 %2").arg(hash, release.title));
}

void FakeWatchlist::snoozeStaleFor(const QString& hash, int days) {
    record(QStringLiteral("snoozeStaleFor %1 %2").arg(hash).arg(days));
}

QCoro::Task<> FakeWatchlist::clearWorkingFolder() {
    const QString call = QStringLiteral("clearWorkingFolder");
    co_await answerLater(call);
}

QCoro::Task<> FakeWatchlist::refreshWorkingFolderSize() {
    const QString call = QStringLiteral("refreshWorkingFolderSize");
    co_await answerLater(call);
}

void FakeWatchlist::runCheck(bool manual) {
    record(QStringLiteral("runCheck ") + (manual ? "manual" : "scheduled"));
}

void FakeWatchlist::clearActivity() {
    record(QStringLiteral("clearActivity"));
}

void FakeWatchlist::updateSettings(const std::function<void(AppSettings&)>& change) {
    record(QStringLiteral("updateSettings"));
    change(appSettings);
    Q_EMIT settingsChanged();
}
