// The records as the store's collaborators reach them, and the tables they keep for it.

#include "DownloadFollower.h"
#include "LibraryFiler.h"
#include "WatchlistStore.h"

// --- the records -------------------------------------------------------------------------------

Show* WatchlistStore::findShow(const QUuid& id) {
    const auto it =
        std::find_if(m_shows.begin(), m_shows.end(), [&](const Show& s) { return s.id == id; });
    return it == m_shows.end() ? nullptr : &*it;
}

Movie* WatchlistStore::findMovie(const QUuid& id) {
    const auto it =
        std::find_if(m_movies.begin(), m_movies.end(), [&](const Movie& m) { return m.id == id; });
    return it == m_movies.end() ? nullptr : &*it;
}

DownloadRecord* WatchlistStore::findHistoryRow(const QString& hash) {
    const auto it = std::find_if(m_history.begin(), m_history.end(),
                                 [&](const DownloadRecord& r) { return r.id == hash; });
    return it == m_history.end() ? nullptr : &*it;
}

void WatchlistStore::addHistoryRow(DownloadRecord row) {
    m_history.removeIf([&](const DownloadRecord& r) { return r.id == row.id; });
    m_history.prepend(std::move(row));
    if (m_history.size() > kMaxHistoryRows)
        m_history.resize(kMaxHistoryRows);
    edited(Part::history);
}

const QMap<QString, ActiveDownload>& WatchlistStore::activeDownloads() const {
    return m_follower->downloads();
}

int WatchlistStore::sortsWaiting() const {
    return m_filer->sortsWaiting();
}
