#pragma once

#include "Show.h"

#include <QUrl>

// A wanted movie.
struct Movie {
    QUuid id;
    QString name;
    std::optional<QString> year;
    Show::Quality quality = Show::Quality::p1080;
    bool isEnabled = true;
    bool monitor = true; // hunted by every check cycle until downloaded
    bool anyQuality = false;
    bool fallbackAnyQuality = true;
    std::optional<int> tmdbID;
    std::optional<QString> posterPath;
    std::optional<Timestamp> releaseDate;
    QStringList rejectedHashes;
    ShowStatus status;
    bool downloaded = false;
    std::optional<QString> searchAlias;
    std::optional<QUrl> pendingMagnet; // a hand-picked release waiting to start

    bool operator==(const Movie&) const = default;

    Show::QualityMode qualityMode() const { return qualityModeOf(anyQuality, fallbackAnyQuality); }
    // "Name (Year)", or the name alone when the year is empty.
    QString displayTitle() const;
};
