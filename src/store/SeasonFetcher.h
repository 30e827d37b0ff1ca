#pragma once

#include "api/WatchlistOperations.h"
#include "model/SearchResult.h"
#include "model/Show.h"

#include <QMap>
#include <QObject>
#include <QStringList>
#include <QUuid>
#include <qcoro/qcorotask.h>

#include <functional>
#include <optional>

class DownloadFollower;
class FeedChecker;
class PendingPicks;
class StoreRecords;
class TMDBClient;

// What the user fetches by hand: a whole season, the missing episodes of one, or chosen
// episodes, each with the best seeded release the series' resolution rules allow.
class SeasonFetcher final : public QObject {
    Q_OBJECT

public:
    using EpisodeOutcome = WatchlistOperations::EpisodeOutcome;
    struct Parts {
        FeedChecker& checker;
        TMDBClient& tmdb;
        DownloadFollower& follower;
        PendingPicks& picks;
        std::function<QString()> tmdbKey;
    };
    SeasonFetcher(StoreRecords& records, Parts parts, QObject* parent = nullptr);

    // Every aired episode of the season, or only those not downloaded yet.
    QCoro::Task<> fetchEpisodes(QUuid id, int season, bool onlyMissing);
    QCoro::Task<QMap<QString, EpisodeOutcome>> grabEpisodes(QUuid id, QStringList codes);

Q_SIGNALS:
    void episodeSearchFinished(const QUuid& showID, const QString& code, EpisodeOutcome outcome);

private:
    // The release a season operation takes for one episode, by the series' resolution rules.
    QCoro::Task<std::optional<SearchResult>> bestRelease(Show show, QString code);

    StoreRecords& m_records;
    FeedChecker& m_checker;
    TMDBClient& m_tmdb;
    DownloadFollower& m_follower;
    PendingPicks& m_picks;
    std::function<QString()> m_tmdbKey;
};
