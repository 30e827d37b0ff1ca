#pragma once

#include <QString>

#include <optional>

// A series as the metadata service knows it: what a lookup by name offers to pick from.
struct SeriesResult {
    int id = 0;
    QString name;
    std::optional<QString> firstAirYear; // "2011"
    QString overview;
    std::optional<QString> posterPath;

    bool operator==(const SeriesResult&) const = default;
};
