#pragma once

#include "Timestamp.h"

#include <QString>

#include <optional>

// A movie as the metadata service knows it.
struct MovieResult {
    int id = 0;
    QString title;
    std::optional<QString> year;
    QString overview;
    std::optional<QString> posterPath;
    std::optional<Timestamp> releaseDate; // midnight UTC of the release day

    bool operator==(const MovieResult&) const = default;
};
