#pragma once

#include "model/Show.h"

#include <QString>

#include <optional>

// One question to an index.
struct TorrentQuery {
    enum class Kind { tv, movie };
    enum class Order { seeders, date };

    QString text;
    Kind kind = Kind::tv;
    std::optional<Show::Quality> quality; // for the caller; no index reads it
    Order order = Order::seeders;
    int size = 100;                // hits asked for; each index clamps it its own way
    std::optional<QString> imdbID; // "tt" and digits, when known

    bool operator==(const TorrentQuery&) const = default;
};
