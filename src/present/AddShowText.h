#pragma once

#include "ReleasePicks.h"
#include "api/WatchlistOperations.h"
#include "model/Lookup.h"
#include "model/SearchResult.h"
#include "model/SeriesResult.h"
#include "model/Show.h"

#include <QString>

#include <optional>

// What the add-series and add-movie panels say that depends on one thing only: a sort field,
// a plan, a release, a match, why a lookup failed.
namespace AddShowText {

// "series" or "movie"
QString noun(bool movie);

QString sortLabel(ReleasePicks::SortField sort);
QString seasonLabel(std::optional<int> season);
QString planTitle(WatchlistOperations::PickPlan plan);
QString planDescription(WatchlistOperations::PickPlan plan);
QString planCommitLabel(WatchlistOperations::PickPlan plan);
// One release row's second line: quality, size, seeders, date and index.
QString releaseDetail(const SearchResult& result);
// "The Expanse (2015)"
QString matchTitle(const SeriesResult& match);

// The line under the name after a lookup that offered nothing.
QString lookupNotice(LookupFailure failure, const QString& typed);
// The results panel's title and note over a lookup that offered nothing.
QString lookupEmptyTitle(LookupFailure failure, bool movie);
QString lookupEmptyNote(LookupFailure failure, bool movie);
// Over releases found under the typed name because the official one found none.
QString fallbackNotice(const QString& alias, bool movie);

QString qualityNote(Show::Quality quality);
QString pullTitle(std::optional<int> season);
QString pullNote(std::optional<int> season);

} // namespace AddShowText
