#pragma once

#include "metadata/TMDBClient.h"
#include "model/Show.h"

#include <optional>

// Where a subscribed series stands on its season's episode list: when the next wanted episode
// airs, and, for a series that starts with the latest aired episode, the anchor to keep.
struct AirSchedule {
    std::optional<Timestamp> nextAirDate;
    std::optional<QString> anchor; // set only when an anchor is to be stored

    bool operator==(const AirSchedule&) const = default;

    static AirSchedule of(const Show& show, QList<Episode> episodes, Timestamp now);
};
