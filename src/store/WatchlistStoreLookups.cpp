// The catalogue and the release finder the views ask: the TMDB client with the user's key, and
// the feed checker's scored release lists.

#include "WatchlistStore.h"
#include "engine/TransmissionEngine.h"

std::optional<QString> WatchlistStore::daemonVersion() const {
    return m_engine ? m_engine->daemonVersion() : std::nullopt;
}

QCoro::Task<Lookup<QList<SeriesResult>>> WatchlistStore::searchSeries(QString name) {
    co_return co_await m_tmdb->searchSeriesReported(std::move(name), effectiveTMDBKey());
}

QCoro::Task<Lookup<std::optional<SeriesSeasons>>> WatchlistStore::seriesSeasons(int tmdbID) {
    co_return co_await m_tmdb->seriesSeasonsReported(tmdbID, effectiveTMDBKey());
}

QCoro::Task<Lookup<QList<Episode>>> WatchlistStore::seasonEpisodes(int tmdbID, int season) {
    co_return co_await m_tmdb->seasonEpisodesReported(tmdbID, season, effectiveTMDBKey());
}

QCoro::Task<Lookup<QList<MovieResult>>> WatchlistStore::searchMovies(QString title) {
    co_return co_await m_tmdb->searchMoviesReported(std::move(title), effectiveTMDBKey());
}

QCoro::Task<ReleaseFinder::Releases>
WatchlistStore::seriesReleases(QString name, std::optional<Show::Quality> quality) {
    const FeedChecker::ReleaseSearch found =
        co_await m_checker->searchShowReleasesReported(std::move(name), quality);
    co_return Releases{found.results, found.noIndexAnswered()};
}
