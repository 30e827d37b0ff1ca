#pragma once

#include "EnumRaw.h"

#include <QString>
#include <QUuid>

// Bookkeeping for a torrent the store started and still follows, keyed by info hash.
struct ActiveDownload {
    enum class Kind { episode, movie };

    Kind kind = Kind::episode;
    QUuid showID;
    QString episodeCode;     // empty for a movie
    bool userPicked = false; // hand-picked releases are never rejected as bad copies
    QString source;          // the index that supplied the release

    bool operator==(const ActiveDownload&) const = default;
};

template <>
struct EnumRaw<ActiveDownload::Kind> {
    static constexpr std::array cases{
        std::pair{ActiveDownload::Kind::episode, "episode"},
        std::pair{ActiveDownload::Kind::movie, "movie"},
    };
};
