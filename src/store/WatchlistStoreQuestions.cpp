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
