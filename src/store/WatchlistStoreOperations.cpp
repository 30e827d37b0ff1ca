// The store's face of its operations: the desks do them (SeriesDesk, MovieDesk, DownloadDesk),
// with the hunt cycle, the movie hunter, the stall rescuer and the working folder.

#include "DownloadDesk.h"
#include "DownloadFollower.h"
#include "HuntCycle.h"
#include "MovieDesk.h"
#include "MovieHunter.h"
#include "PendingPicks.h"
#include "SeriesDesk.h"
#include "StallRescuer.h"
#include "WatchlistStore.h"
#include "WorkingFolder.h"

// --- series ------------------------------------------------------------------------------------

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

void WatchlistStore::searchNow(const QUuid& id) {
    m_cycle->searchNow(id);
}

bool WatchlistStore::isSearchingNow(const QUuid& id) const {
    return m_cycle->isSearchingNow(id);
}

const QMap<QUuid, EpisodePick>& WatchlistStore::pendingQualityPicks() const {
    return m_picks->all();
}

// --- movies ------------------------------------------------------------------------------------

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

// --- downloads and the working folder ---------------------------------------------------------

void WatchlistStore::removeDownload(const QString& hash) {
    m_follower->removeDownload(hash);
}

void WatchlistStore::snoozeStaleFor(const QString& hash, int days) {
    m_rescuer->snooze(hash, days);
}

void WatchlistStore::switchRelease(const QString& hash, const SearchResult& release) {
    m_downloadDesk->switchRelease(hash, release);
}

const QString& WatchlistStore::workingFolderSizeLabel() const {
    return m_workingFolder->sizeLabel();
}

QCoro::Task<> WatchlistStore::refreshWorkingFolderSize() {
    return m_workingFolder->refreshSize();
}

QCoro::Task<> WatchlistStore::clearWorkingFolder() {
    return m_downloadDesk->clearWorkingFolder();
}
