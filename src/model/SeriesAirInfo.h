#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// How far a series has aired, from TMDB's series details.
struct SeriesAirInfo {
    std::optional<QString> status;        // TMDB's own words, e.g. "Returning Series", "Ended"
    std::optional<int> currentSeason;     // of the next episode to air, else of the last aired
    std::optional<QString> lastAiredCode; // "S03E10"
    QStringList originCountries;

    bool operator==(const SeriesAirInfo&) const = default;
};
