#pragma once

#include <QMetaType>
#include <QStringList>

// Whether the release search and the metadata service work, as the last check cycle and the
// last TMDB request found them.
struct SearchHealth {
    // Every index the last check asked, when not one of them answered; empty otherwise.
    QStringList silentIndexes;
    // TMDB answered the last request that reached it by refusing the API key.
    bool tmdbKeyRefused = false;
    // The last TMDB request could not reach it at all.
    bool tmdbUnreachable = false;

    bool indexesDown() const { return !silentIndexes.isEmpty(); }
    bool isHealthy() const { return !indexesDown() && !tmdbKeyRefused && !tmdbUnreachable; }
    bool operator==(const SearchHealth&) const = default;
};

Q_DECLARE_METATYPE(SearchHealth)
