#include "StoreCatalogue.h"

#include "DownloadDesk.h"
#include "metadata/TMDBClient.h"
#include "search/FeedChecker.h"

StoreCatalogue::StoreCatalogue(Parts parts)
    : m_parts(std::move(parts)) {}

bool StoreCatalogue::hasKey() const {
    return !m_parts.tmdbKey().isEmpty();
}

QCoro::Task<Lookup<QList<SeriesResult>>> StoreCatalogue::searchSeries(QString name) {
    const QString key = m_parts.tmdbKey();
    co_return co_await m_parts.tmdb.searchSeriesReported(std::move(name), key);
}

QCoro::Task<Lookup<std::optional<SeriesSeasons>>> StoreCatalogue::seriesSeasons(int tmdbID) {
    const QString key = m_parts.tmdbKey();
    co_return co_await m_parts.tmdb.seriesSeasonsReported(tmdbID, key);
}

QCoro::Task<Lookup<QList<Episode>>> StoreCatalogue::seasonEpisodes(int tmdbID, int season) {
    const QString key = m_parts.tmdbKey();
    co_return co_await m_parts.tmdb.seasonEpisodesReported(tmdbID, season, key);
}

QCoro::Task<Lookup<QList<MovieResult>>> StoreCatalogue::searchMovies(QString title) {
    const QString key = m_parts.tmdbKey();
    co_return co_await m_parts.tmdb.searchMoviesReported(std::move(title), key);
}

QCoro::Task<ReleaseFinder::Releases>
StoreCatalogue::seriesReleases(QString name, std::optional<Show::Quality> quality) {
    const FeedChecker::ReleaseSearch found =
        co_await m_parts.checker.searchShowReleasesReported(std::move(name), quality);
    co_return Releases{found.results, found.noIndexAnswered()};
}

QCoro::Task<ReleaseFinder::Releases>
StoreCatalogue::movieReleases(QString title, std::optional<Show::Quality> quality) {
    const FeedChecker::ReleaseSearch found =
        co_await m_parts.checker.searchMovieReleasesReported(std::move(title), quality);
    co_return Releases{found.results, found.noIndexAnswered()};
}

QCoro::Task<ReleaseFinder::Releases> StoreCatalogue::otherReleases(QString hash) {
    return m_parts.downloads.otherReleases(std::move(hash));
}
