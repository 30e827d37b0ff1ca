#pragma once

#include "model/Timestamp.h"

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

// One hit as an index gives it, before any analysis.
struct RawHit {
    QString title;
    QUrl magnetURL; // always carries the default trackers
    int seeders = 0;
    int leechers = 0;
    qint64 sizeBytes = 0;
    std::optional<Timestamp> date;
    QString source; // shown to the user; for Knaben the index it found the hit on
    std::optional<QString> sourceID;
    std::optional<QString> imdbID; // "tt" and digits

    bool operator==(const RawHit&) const = default;
};

// The key under which a hit is de-duplicated and a release is known: the magnet's info hash,
// else "source#sourceID", else the title.
QString identityKey(const RawHit& hit);
