// The store's face of its downloads: the operations the views call and the records its
// collaborators reach. Following: DownloadFollower; filing: LibraryFiler; stalls: StallRescuer.

#include "DownloadDesk.h"
#include "DownloadFollower.h"
#include "LibraryFiler.h"
#include "StallRescuer.h"
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

const QMap<QString, StallTracker>& WatchlistStore::stallTrackers() const {
    return m_rescuer->trackers();
}

const QMap<QString, int>& WatchlistStore::autoSwitchCounts() const {
    return m_rescuer->switchCounts();
}

int WatchlistStore::sortsWaiting() const {
    return m_filer->sortsWaiting();
}

// --- operations --------------------------------------------------------------------------------

void WatchlistStore::grab(const FeedMatch& match) {
    m_follower->grab(match);
}

QCoro::Task<> WatchlistStore::startMovieDownload(FeedMatch match) {
    return m_follower->startMovie(std::move(match));
}

QCoro::Task<> WatchlistStore::pollDownloads() {
    return m_follower->poll();
}

bool WatchlistStore::isPolling() const {
    return m_follower->isPolling();
}

void WatchlistStore::removeDownload(const QString& hash) {
    m_follower->removeDownload(hash);
}

void WatchlistStore::snoozeStale(const QString& hash) {
    snoozeStaleFor(hash, std::max(settings().staleNudgeDays, 1));
}

void WatchlistStore::snoozeStaleFor(const QString& hash, int days) {
    m_rescuer->snooze(hash, days);
}

void WatchlistStore::switchRelease(const QString& hash, const SearchResult& release) {
    m_downloadDesk->switchRelease(hash, release);
}
