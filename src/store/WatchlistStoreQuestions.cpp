// The store's face of the check cycle and of the resolution questions it asks.

#include "HuntCycle.h"
#include "PendingPicks.h"
#include "WatchlistStore.h"

QCoro::Task<> WatchlistStore::refreshAirInfo(bool force) {
    return m_cycle->refreshAirInfo(force);
}

bool WatchlistStore::isDueForCheck(const Show& show, Timestamp now, bool manual) const {
    return m_cycle->isDueForCheck(show, now, manual);
}

void WatchlistStore::applyCheckResults(const QList<ShowCheckResult>& results) {
    m_cycle->applyCheckResults(results);
}

void WatchlistStore::searchNow(const QUuid& id) {
    m_cycle->searchNow(id);
}

bool WatchlistStore::isSearchingNow(const QUuid& id) const {
    return m_cycle->isSearchingNow(id);
}

const QMap<QUuid, EpisodePick>& WatchlistStore::pendingQualityPicks() const {
    return m_picks->all();
}

void WatchlistStore::pickAlternative(const SearchResult& chosen, const QUuid& showID) {
    const std::optional<EpisodePick> pending = m_picks->take(showID);
    if (!pending)
        return;
    grab(FeedMatch{showID, pending->episodeCode, true, chosen.title, chosen.magnetURL,
                   chosen.seeders, chosen.source});
}

void WatchlistStore::dismissQualityPick(const QUuid& showID) {
    const std::optional<EpisodePick> pick = m_picks->take(showID);
    if (!pick)
        return;
    if (Show* show = findShow(showID)) {
        show->qualityGraceDismissedEpisode = pick->episodeCode;
        edited(Part::shows);
    }
}
