// The store's face of the series operations: SeriesDesk does them.

#include "SeriesDesk.h"
#include "WatchlistStore.h"

QUuid WatchlistStore::addShow(const NewShow& form, const QList<SearchResult>& picked,
                              PickPlan plan) {
    return m_seriesDesk->addShow(form, picked, plan);
}

void WatchlistStore::setSubscribed(const QUuid& id, bool on) {
    m_seriesDesk->setSubscribed(id, on);
}

void WatchlistStore::setShowQuality(const QUuid& id, std::optional<Show::Quality> quality) {
    m_seriesDesk->setShowQuality(id, quality);
}

QCoro::Task<> WatchlistStore::pullSeason(QUuid id, int season) {
    return m_seriesDesk->pullSeason(id, season);
}

QCoro::Task<> WatchlistStore::completeSeason(QUuid id, int season) {
    return m_seriesDesk->completeSeason(id, season);
}

QCoro::Task<QMap<QString, WatchlistStore::EpisodeOutcome>>
WatchlistStore::grabEpisodes(QUuid id, QStringList codes) {
    return m_seriesDesk->grabEpisodes(id, std::move(codes));
}

void WatchlistStore::removeShow(const QUuid& id) {
    m_seriesDesk->removeShow(id);
}

void WatchlistStore::clearStatus(const QUuid& id) {
    m_seriesDesk->clearStatus(id);
}

bool WatchlistStore::linkTMDBMatch(const QUuid& id, const SeriesResult& match) {
    return m_seriesDesk->linkTMDBMatch(id, match);
}

bool WatchlistStore::grabEpisodeRelease(const QUuid& id, const QString& code,
                                        const SearchResult& release) {
    return m_seriesDesk->grabEpisodeRelease(id, code, release);
}

void WatchlistStore::pickAlternative(const SearchResult& chosen, const QUuid& showID) {
    m_seriesDesk->pickAlternative(chosen, showID);
}

void WatchlistStore::dismissQualityPick(const QUuid& showID) {
    m_seriesDesk->dismissQualityPick(showID);
}
