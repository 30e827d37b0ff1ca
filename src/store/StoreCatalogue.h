#pragma once

#include "api/Catalogue.h"
#include "api/ReleaseFinder.h"

#include <QString>

#include <functional>

class DownloadDesk;
class FeedChecker;
class TMDBClient;

// What the views ask the engine directly: TMDB with the user's key, and the indexes' scored
// release lists. It keeps nothing of its own.
class StoreCatalogue final : public Catalogue, public ReleaseFinder {
public:
    struct Parts {
        TMDBClient& tmdb;
        FeedChecker& checker;
        DownloadDesk& downloads; // the alternates of a followed download
        std::function<QString()> tmdbKey;
    };
    explicit StoreCatalogue(Parts parts);

    bool hasKey() const override;
    QCoro::Task<Lookup<QList<SeriesResult>>> searchSeries(QString name) override;
    QCoro::Task<Lookup<std::optional<SeriesSeasons>>> seriesSeasons(int tmdbID) override;
    QCoro::Task<Lookup<QList<Episode>>> seasonEpisodes(int tmdbID, int season) override;
    QCoro::Task<Lookup<QList<MovieResult>>> searchMovies(QString title) override;

    QCoro::Task<Releases> seriesReleases(QString name,
                                         std::optional<Show::Quality> quality) override;
    QCoro::Task<Releases> movieReleases(QString title,
                                        std::optional<Show::Quality> quality) override;
    QCoro::Task<Releases> otherReleases(QString hash) override;

private:
    Parts m_parts;
};
