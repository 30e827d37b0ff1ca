#pragma once

#include "Timestamp.h"

#include <QString>

#include <optional>

// One episode of a season's listing on the metadata service.
struct Episode {
    int season = 0; // as asked for, not as answered
    int number = 0;
    QString name;
    std::optional<Timestamp> airDate; // midnight UTC of the air day

    QString id() const; // "S01E05"
    bool operator==(const Episode&) const = default;
};
