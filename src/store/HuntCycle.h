#pragma once

#include "Notifier.h"
#include "model/Episode.h"
#include "model/SeriesAirInfo.h"
#include "model/Show.h"
#include "model/Timestamp.h"
#include "search/FeedChecker.h"

#include <QObject>
#include <QSet>
#include <QUuid>
#include <qcoro/qcorotask.h>

#include <functional>

class DownloadFollower;
class HealthWatch;
class MovieHunter;
class PendingPicks;
class StoreRecords;
class TMDBClient;

// The periodic hunt: refresh air information, pick the series that are due, ask the feed
// checker, grab what is new, and wait out or ask about episodes found only in another
// resolution. Also the search of one series at once, when it is added or asked for.
class HuntCycle final : public QObject {
    Q_OBJECT

public:
    struct Parts {
        FeedChecker& checker;
        TMDBClient& tmdb;
        DownloadFollower& follower;
        MovieHunter& movies;
        PendingPicks& picks;
        HealthWatch& health;
        Notifier* notifier;
        std::function<QString()> tmdbKey;
    };
    HuntCycle(StoreRecords& records, Parts parts, QObject* parent = nullptr);

    // One cycle; the movie hunts it starts run on.
    QCoro::Task<> run(bool manual);

    // Refreshes the series' air information from TMDB: with `force` every subscribed series,
    // otherwise those whose information is old or whose expected episode has aired since.
    QCoro::Task<> refreshAirInfo(bool force);
    QCoro::Task<> refreshAirInfoOf(QList<std::pair<QUuid, int>> series);
    bool isDueForCheck(const Show& show, Timestamp now, bool manual) const;
    // Whether a due series has something to hunt yet; logs why not.
    bool readyToHunt(const Show& show);
    void applyCheckResults(const QList<ShowCheckResult>& results);
    // Searches one series at once, as a new subscription is searched.
    QCoro::Task<> checkNewSeries(QUuid id);
    // The series list's "Search now"; nothing happens while this series' own search runs.
    void searchNow(const QUuid& id);
    bool isSearchingNow(const QUuid& id) const { return m_searchingNow.contains(id); }

    // The day from which an episode dated `airDate` may be hunted: its UTC day, minus one.
    static Timestamp huntOpening(Timestamp airDate);

private:
    bool applyCheckResult(const ShowCheckResult& result, const QSet<QString>& followed);
    // An episode found only in other resolutions: wait out the grace, then ask the user.
    // True when the user has been (or already was) asked.
    bool holdOrAskForResolution(const QString& code, const QList<SearchResult>& alternates,
                                const QUuid& showID);
    void applyAirInfo(const QUuid& id, const SeriesAirInfo& info,
                      const std::optional<QString>& imdbID, const QList<Episode>& episodes);
    QCoro::Task<> searchNowTask(QUuid id);

    StoreRecords& m_records;
    FeedChecker& m_checker;
    TMDBClient& m_tmdb;
    DownloadFollower& m_follower;
    MovieHunter& m_movies;
    PendingPicks& m_picks;
    HealthWatch& m_health;
    Notifier* m_notifier = nullptr;
    std::function<QString()> m_tmdbKey;
    QSet<QUuid> m_searchingNow; // series whose "Search now" runs
};
