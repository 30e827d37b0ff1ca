#include "MovieDesk.h"

#include "DownloadFollower.h"
#include "MovieHunter.h"
#include "StoreRecords.h"

MovieDesk::MovieDesk(StoreRecords& records, Parts parts, QObject* parent)
    : QObject(parent)
    , m_records(records)
    , m_movies(parts.movies)
    , m_follower(parts.follower)
    , m_hunter(parts.hunter) {}

QUuid MovieDesk::addMovie(const QString& name, const std::optional<MovieResult>& match,
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
    m_records.edited(StoreRecords::Part::movies);
    m_records.logActivity(QStringLiteral("Added \"%1\" to Movies").arg(movie.displayTitle()),
                          ActivityEntry::Kind::check);
    m_hunter.hunt(movie.id);
    return movie.id;
}

void MovieDesk::setMovieQuality(const QUuid& id, Show::Quality quality) {
    Movie* movie = m_records.findMovie(id);
    if (!movie)
        return;
    movie->quality = quality;
    const QString title = movie->displayTitle();
    const QString label = toRaw(quality);
    m_records.edited(StoreRecords::Part::movies);

    const QString hash = m_follower.movieDownload(id).value_or(QString());
    // Having connected means the history row saw a peer.
    const DownloadRecord* row = hash.isEmpty() ? nullptr : m_records.findHistoryRow(hash);
    if (row && row->peers > 0) {
        m_records.logActivity(
            QStringLiteral(
                "%1 — resolution set to %2; its download is live, so it was left running")
                .arg(title, label),
            ActivityEntry::Kind::check);
        return;
    }
    if (!hash.isEmpty()) {
        m_records.logActivity(
            QStringLiteral(
                "%1 — resolution set to %2, stalled download discontinued, searching again")
                .arg(title, label),
            ActivityEntry::Kind::check);
        m_follower.cancel(hash, m_follower.downloads().value(hash), QStringLiteral("Cancelled"));
    } else {
        m_records.logActivity(
            QStringLiteral("%1 — resolution set to %2, searching again").arg(title, label),
            ActivityEntry::Kind::check);
    }
    m_hunter.hunt(id);
}

void MovieDesk::switchMovieRelease(const DownloadRecord& row, const SearchResult& release) {
    m_records.logActivity(QStringLiteral("Cancelled ") + row.showName + QLatin1Char(' ') +
                              row.episode,
                          ActivityEntry::Kind::check);
    if (const auto it = m_follower.downloads().constFind(row.id);
        it != m_follower.downloads().cend())
        m_follower.cancel(row.id, *it, QStringLiteral("Cancelled"));
    Movie* movie = m_records.findMovie(row.showID);
    if (!movie)
        return;
    movie->pendingMagnet = release.magnetURL;
    m_records.edited(StoreRecords::Part::movies);
    m_hunter.hunt(row.showID);
}

void MovieDesk::removeMovie(const QUuid& id) {
    m_follower.cancelAllOf(id, ActiveDownload::Kind::movie,
                           QStringLiteral("Cancelled — movie removed"));
    m_movies.removeIf([&](const Movie& m) { return m.id == id; });
    m_records.edited(StoreRecords::Part::movies);
}

void MovieDesk::setMovieEnabled(const QUuid& id, bool on) {
    Movie* movie = m_records.findMovie(id);
    if (!movie || movie->isEnabled == on)
        return;
    movie->isEnabled = on;
    m_records.edited(StoreRecords::Part::movies);
}

void MovieDesk::clearMovieStatus(const QUuid& id) {
    Movie* movie = m_records.findMovie(id);
    if (!movie || movie->status == ShowStatus{})
        return;
    movie->status = ShowStatus{};
    m_records.edited(StoreRecords::Part::movies);
}
