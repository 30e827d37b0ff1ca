#pragma once

#include "model/SearchResult.h"
#include "model/Show.h"

#include <QList>
#include <QString>
#include <qcoro/qcorotask.h>

#include <optional>

// Release searches for the views: scored release lists, and whether any index answered at all
// (with none answering, an empty list says nothing).
class ReleaseFinder {
public:
    struct Releases {
        QList<SearchResult> results;
        bool indexesUnreachable = false;
    };

    virtual ~ReleaseFinder() = default;

    // Releases of a series by name, in the wanted resolution or any.
    virtual QCoro::Task<Releases> seriesReleases(QString name,
                                                 std::optional<Show::Quality> quality) = 0;
    // Releases of a movie by title, in the wanted resolution or any.
    virtual QCoro::Task<Releases> movieReleases(QString title,
                                                std::optional<Show::Quality> quality) = 0;
    // Other releases of a download's episode that it could switch to: not itself, not rejected.
    virtual QCoro::Task<Releases> otherReleases(QString hash) = 0;
};
