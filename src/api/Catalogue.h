#pragma once

#include "model/Episode.h"
#include "model/Lookup.h"
#include "model/MovieResult.h"
#include "model/SeriesResult.h"
#include "model/SeriesSeasons.h"

#include <QList>
#include <QString>
#include <qcoro/qcorotask.h>

#include <optional>

// Series and movies as the metadata service knows them, with the user's key applied. Every
// answer says why it is empty when it failed, so a view never shows a failure as "nothing".
class Catalogue {
public:
    virtual ~Catalogue() = default;

    // Whether there is a key to ask with at all.
    virtual bool hasKey() const = 0;
    virtual QCoro::Task<Lookup<QList<SeriesResult>>> searchSeries(QString name) = 0;
    virtual QCoro::Task<Lookup<std::optional<SeriesSeasons>>> seriesSeasons(int tmdbID) = 0;
    virtual QCoro::Task<Lookup<QList<Episode>>> seasonEpisodes(int tmdbID, int season) = 0;
    virtual QCoro::Task<Lookup<QList<MovieResult>>> searchMovies(QString title) = 0;
};
