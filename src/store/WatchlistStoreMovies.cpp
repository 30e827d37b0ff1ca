// Hunting movies: search, choose a release, hold off on early copies in another resolution,
// change the wanted resolution, remove a movie.

#include "DownloadFollower.h"
#include "WatchlistStore.h"
#include "model/DateText.h"
#include "search/TitleGrammar.h"

#include <QUrlQuery>

namespace {

const QString kHolding = QStringLiteral("release pending — holding for a real copy");
const QString kUnreachable = QStringLiteral("could not reach the torrent indexes");

QString unreachableLine(const QString& title) {
    return title + QStringLiteral(" — ") + kUnreachable;
}

// The title a hand-picked magnet names, else the movie's own.
QString magnetTitle(const QUrl& magnet, const QString& fallback) {
    const QString dn =
        QUrlQuery(magnet.query()).queryItemValue(QStringLiteral("dn"), QUrl::FullyDecoded);
    return dn.isEmpty() ? fallback : dn;
}

} // namespace

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

void WatchlistStore::sweepMovies() {
    for (const Movie& movie : std::as_const(m_movies)) {
        const bool busy = movie.status.state == ShowStatus::State::found ||
                          movie.status.state == ShowStatus::State::downloading;
        const bool followed = m_follower->movieDownload(movie.id).has_value();
        if (movie.isEnabled && movie.monitor && !movie.downloaded && !busy && !followed)
            huntMovie(movie.id);
    }
}

void WatchlistStore::huntMovie(const QUuid& id) {
    Movie* movie = findMovie(id);
    if (!movie)
        return;
    // A hold or an outage is announced once: remember it across the "searching" status.
    const QString before = movie->status.detail.value_or(QString());
    movie->status = statusNow(ShowStatus::State::found, std::nullopt, QStringLiteral("searching"));
    saveMovies();
    Q_EMIT moviesChanged();
    huntMovieTask(id, before);
}

QCoro::Task<> WatchlistStore::huntMovieTask(QUuid id, QString detailBefore) {
    const bool wasHolding = detailBefore == kHolding;
    QPointer<WatchlistStore> self(this);
    const Movie* movie = findMovie(id);
    if (!movie)
        co_return;
    if (movie->pendingMagnet) {
        // A release the user picked by hand starts without a search.
        const FeedMatch picked{id,
                               QString(),
                               true,
                               magnetTitle(*movie->pendingMagnet, movie->displayTitle()),
                               *movie->pendingMagnet,
                               0,
                               QStringLiteral("hand-picked")};
        co_await m_follower->startMovie(picked);
        co_return;
    }
    const Movie wanted = *movie;
    const int bufferHours = settings().qualityGraceBufferHours;
    const TorrentQuery query =
        FeedChecker::movieQuery(wanted.searchAlias.value_or(wanted.name), std::nullopt);
    const auto [hits, tally] = co_await m_checker->searchAllReported(query);
    if (!self)
        co_return;
    if (tally.noneAnswered()) {
        // Not "no release found": nobody could be asked. A hold stays a hold.
        Movie* hunted = findMovie(id);
        if (!hunted)
            co_return;
        if (detailBefore != kUnreachable && !wasHolding)
            logActivity(unreachableLine(hunted->displayTitle()), ActivityEntry::Kind::error);
        hunted->status =
            statusNow(ShowStatus::State::error, std::nullopt, wasHolding ? kHolding : kUnreachable);
        saveMovies();
        Q_EMIT moviesChanged();
        co_return;
    }
    const auto choice =
        FeedChecker::chooseMovieRelease(hits, wanted.name, wanted.year, wanted.quality,
                                        wanted.qualityMode(), wanted.rejectedHashes);
    decideOnMovie(id, choice, wanted.releaseDate, bufferHours, wasHolding);
}

void WatchlistStore::decideOnMovie(const QUuid& id,
                                   const std::optional<FeedChecker::MovieChoice>& choice,
                                   std::optional<Timestamp> releaseDate, int bufferHours,
                                   bool wasHolding) {
    Movie* movie = findMovie(id);
    if (!movie)
        return;
    const QString title = movie->displayTitle();
    const QString label = toRaw(movie->quality);

    if (!choice) {
        logActivity(title + QStringLiteral(" — no release found yet"), ActivityEntry::Kind::check);
        if ((movie = findMovie(id))) {
            movie->status = statusNow(ShowStatus::State::error, std::nullopt,
                                      QStringLiteral("no release found yet"));
            saveMovies();
            Q_EMIT moviesChanged();
        }
        return;
    }

    const SearchResult& release = choice->result;
    if (choice->atOtherResolution && releaseDate) {
        // A copy in another resolution this close to the release is often an early fake.
        const Timestamp holdEnd = *releaseDate + bufferHours * 3600.0;
        if (now() < holdEnd) {
            if (!wasHolding) {
                logActivity(
                    QStringLiteral(
                        "%1 — found a copy, but not in %2 — holding off until %3 in case the real "
                        "release is just late")
                        .arg(title, label,
                             abbreviatedDate(holdEnd.toDateTime().toLocalTime().date())),
                    ActivityEntry::Kind::check);
            }
            if ((movie = findMovie(id))) {
                movie->status = statusNow(ShowStatus::State::error, std::nullopt, kHolding);
                saveMovies();
                Q_EMIT moviesChanged();
            }
            return;
        }
    }

    logActivity(QStringLiteral("Found: %1 via %2 (%3 seeders)")
                    .arg(title, release.source)
                    .arg(release.seeders),
                ActivityEntry::Kind::found);
    if (choice->atOtherResolution) {
        const QString taken = release.quality == QStringLiteral("—")
                                  ? QStringLiteral("an unlabelled resolution")
                                  : release.quality;
        logActivity(
            QStringLiteral("%1 — no %2 release exists, took %3 instead").arg(title, label, taken),
            ActivityEntry::Kind::check);
    }
    m_follower->startMovie(FeedMatch{id, QString(), false, release.title, release.magnetURL,
                                     release.seeders, release.source});
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

QCoro::Task<ReleaseFinder::Releases>
WatchlistStore::movieReleases(QString title, std::optional<Show::Quality> quality) {
    const FeedChecker::ReleaseSearch found =
        co_await m_checker->searchMovieReleasesReported(std::move(title), quality);
    co_return Releases{found.results, found.noIndexAnswered()};
}
