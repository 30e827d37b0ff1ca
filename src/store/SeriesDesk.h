#pragma once

#include "api/WatchlistOperations.h"
#include "model/SearchResult.h"
#include "model/SeriesResult.h"
#include "model/Show.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QStringList>
#include <QUuid>
#include <qcoro/qcorotask.h>

#include <optional>

class CalendarKeeper;
class DownloadFollower;
class HuntCycle;
class PendingPicks;
class SeasonFetcher;
class StoreRecords;

// What the user does with one series: add it, subscribe or not, change its resolution, pull
// or complete a season, grab hand-picked episodes, answer a resolution question, remove it.
class SeriesDesk final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SeriesDesk)

public:
    using NewShow = WatchlistOperations::NewShow;
    using PickPlan = WatchlistOperations::PickPlan;
    using EpisodeOutcome = WatchlistOperations::EpisodeOutcome;
    struct Parts {
        QList<Show>& shows; // the list a new series joins and a removed one leaves
        DownloadFollower& follower;
        PendingPicks& picks;
        SeasonFetcher& seasons;
        HuntCycle& cycle;
        CalendarKeeper& calendar;
    };
    SeriesDesk(StoreRecords& records, Parts parts, QObject* parent = nullptr);

    QUuid addShow(const NewShow& form, const QList<SearchResult>& picked, PickPlan plan);
    void setSubscribed(const QUuid& id, bool on);
    void setShowQuality(const QUuid& id, std::optional<Show::Quality> quality);
    QCoro::Task<> pullSeason(QUuid id, int season);
    QCoro::Task<> completeSeason(QUuid id, int season);
    QCoro::Task<QMap<QString, EpisodeOutcome>> grabEpisodes(QUuid id, QStringList codes);
    void removeShow(const QUuid& id);
    void clearStatus(const QUuid& id);
    bool linkTMDBMatch(const QUuid& id, const SeriesResult& match);
    bool grabEpisodeRelease(const QUuid& id, const QString& code, const SearchResult& release);
    void pickAlternative(const SearchResult& chosen, const QUuid& showID);
    void dismissQualityPick(const QUuid& showID);

private:
    QCoro::Task<> afterAddingShow(QUuid id, bool checkNow);
    QCoro::Task<> refind(QUuid id, QStringList codes);

    StoreRecords& m_records;
    QList<Show>& m_shows;
    DownloadFollower& m_follower;
    PendingPicks& m_picks;
    SeasonFetcher& m_seasons;
    HuntCycle& m_cycle;
    CalendarKeeper& m_calendar;
};
