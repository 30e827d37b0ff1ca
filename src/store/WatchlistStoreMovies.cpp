// What the user does with one movie: add it, change its resolution or release, enable it,
// clear its status, remove it. The hunt itself: MovieHunter.

#include "DownloadFollower.h"
#include "MovieHunter.h"
#include "WatchlistStore.h"

QUuid WatchlistStore::addMovie(const QString& name, const std::optional<MovieResult>& match,
                               Show::Quality quality, bool monitor, bool anyQuality,
                               const std::optional<SearchResult>& picked,
                               const std::optional<QString>& searchAlias) {
    Movie movie;
    movie.id = QUuid::createUuid();
    movie.name = match ? match->title : name.trimmed();
    if (match) {
        movie.year = match->year;
        movie.tmdbID = match->id;
        movie.posterPath = match->posterPath;
        movie.releaseDate = match->releaseDate;
    }
    movie.quality = quality;
    movie.monitor = monitor;
    movie.anyQuality = anyQuality;
    movie.searchAlias = searchAlias;
    if (picked)
        movie.pendingMagnet = picked->magnetURL;
    m_movies.append(movie);
    saveMovies();
    Q_EMIT moviesChanged();
    logActivity(QStringLiteral("Added \"%1\" to Movies").arg(movie.displayTitle()),
                ActivityEntry::Kind::check);
    huntMovie(movie.id);
    return movie.id;
}

void WatchlistStore::setMovieQuality(const QUuid& id, Show::Quality quality) {
    Movie* movie = findMovie(id);
    if (!movie)
        return;
    movie->quality = quality;
    const QString title = movie->displayTitle();
    const QString label = toRaw(quality);
    saveMovies();
    Q_EMIT moviesChanged();

    const QString hash = m_follower->movieDownload(id).value_or(QString());
    // Having connected means the history row saw a peer.
    const DownloadRecord* row = hash.isEmpty() ? nullptr : findHistoryRow(hash);
    if (row && row->peers > 0) {
        logActivity(QStringLiteral(
                        "%1 — resolution set to %2; its download is live, so it was left running")
                        .arg(title, label),
                    ActivityEntry::Kind::check);
        return;
    }
    if (!hash.isEmpty()) {
        logActivity(QStringLiteral(
                        "%1 — resolution set to %2, stalled download discontinued, searching again")
                        .arg(title, label),
                    ActivityEntry::Kind::check);
        m_follower->cancel(hash, m_follower->downloads().value(hash), QStringLiteral("Cancelled"));
    } else {
        logActivity(QStringLiteral("%1 — resolution set to %2, searching again").arg(title, label),
                    ActivityEntry::Kind::check);
    }
    huntMovie(id);
}

void WatchlistStore::switchMovieRelease(const DownloadRecord& row, const SearchResult& release) {
    logActivity(QStringLiteral("Cancelled ") + row.showName + QLatin1Char(' ') + row.episode,
                ActivityEntry::Kind::check);
    if (const auto it = m_follower->downloads().constFind(row.id);
        it != m_follower->downloads().cend())
        m_follower->cancel(row.id, *it, QStringLiteral("Cancelled"));
    Movie* movie = findMovie(row.showID);
    if (!movie)
        return;
    movie->pendingMagnet = release.magnetURL;
    saveMovies();
    Q_EMIT moviesChanged();
    huntMovie(row.showID);
}

void WatchlistStore::removeMovie(const QUuid& id) {
    m_follower->cancelAllOf(id, ActiveDownload::Kind::movie,
                            QStringLiteral("Cancelled — movie removed"));
    m_movies.removeIf([&](const Movie& m) { return m.id == id; });
    saveMovies();
    Q_EMIT moviesChanged();
}

void WatchlistStore::setMovieEnabled(const QUuid& id, bool on) {
    Movie* movie = findMovie(id);
    if (!movie || movie->isEnabled == on)
        return;
    movie->isEnabled = on;
    saveMovies();
    Q_EMIT moviesChanged();
}

void WatchlistStore::clearMovieStatus(const QUuid& id) {
    Movie* movie = findMovie(id);
    if (!movie || movie->status == ShowStatus{})
        return;
    movie->status = ShowStatus{};
    saveMovies();
    Q_EMIT moviesChanged();
}

void WatchlistStore::huntMovie(const QUuid& id) {
    m_hunter->hunt(id);
}

QCoro::Task<ReleaseFinder::Releases>
WatchlistStore::movieReleases(QString title, std::optional<Show::Quality> quality) {
    const FeedChecker::ReleaseSearch found =
        co_await m_checker->searchMovieReleasesReported(std::move(title), quality);
    co_return Releases{found.results, found.noIndexAnswered()};
}
