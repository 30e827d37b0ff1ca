// The store's face of the movie operations: MovieDesk does them, MovieHunter hunts.

#include "MovieDesk.h"
#include "MovieHunter.h"
#include "WatchlistStore.h"

QUuid WatchlistStore::addMovie(const QString& name, const std::optional<MovieResult>& match,
                               Show::Quality quality, bool monitor, bool anyQuality,
                               const std::optional<SearchResult>& picked,
                               const std::optional<QString>& searchAlias) {
    return m_movieDesk->addMovie(name, match, quality, monitor, anyQuality, picked, searchAlias);
}

void WatchlistStore::setMovieQuality(const QUuid& id, Show::Quality quality) {
    m_movieDesk->setMovieQuality(id, quality);
}

void WatchlistStore::switchMovieRelease(const DownloadRecord& row, const SearchResult& release) {
    m_movieDesk->switchMovieRelease(row, release);
}

void WatchlistStore::removeMovie(const QUuid& id) {
    m_movieDesk->removeMovie(id);
}

void WatchlistStore::setMovieEnabled(const QUuid& id, bool on) {
    m_movieDesk->setMovieEnabled(id, on);
}

void WatchlistStore::clearMovieStatus(const QUuid& id) {
    m_movieDesk->clearMovieStatus(id);
}

void WatchlistStore::huntMovie(const QUuid& id) {
    m_hunter->hunt(id);
}
