#pragma once

#include "api/WatchlistOperations.h"
#include "model/SeriesResult.h"
#include "model/Show.h"

#include <QString>

#include <optional>

// What the add-series form holds as typed and switched, before any lookup: plain data, so the
// model compares and assigns fields and this says what the fields mean together.
struct AddShowForm {
    using PickPlan = WatchlistOperations::PickPlan;

    QString name;
    Show::Quality quality = Show::Quality::p1080;
    bool startWithLatest = true; // a movie's "keep hunting" shares this place
    bool anyQuality = false;
    bool fallbackAnyQuality = true;
    QString seasonText;
    bool pullEntireSeason = false;
    bool showAdvanced = false;
    PickPlan pickPlan = PickPlan::continueForward;

    // The typed season as a number; none while the field is empty or not a number.
    std::optional<int> season() const { return parsedSeason(seasonText); }
    // The resolution releases are asked at; none when any will do.
    std::optional<Show::Quality> wantedQuality() const;
    // A name, and for a series' pull a season to pull.
    bool canCommit(bool movie) const;
    WatchlistOperations::NewShow newShow(std::optional<SeriesResult> match,
                                         std::optional<QString> searchAlias) const;

    static std::optional<int> parsedSeason(const QString& text);
};
