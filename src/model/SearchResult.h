#pragma once

#include "model/Show.h"

#include <QList>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <optional>

// One scored release offered to the user.
struct SearchResult {
    QString id; // the info hash, else "source#sourceID", else the title
    QString title;
    QString quality; // qualityLabel of the title
    std::optional<QString> episodeCode;
    std::optional<int> season;
    std::optional<Timestamp> date;
    int seeders = 0;
    int leechers = 0;
    qint64 sizeBytes = 0;
    QString source;
    QUrl magnetURL;

    bool operator==(const SearchResult&) const = default;
};

// One release chosen for grabbing.
struct FeedMatch {
    QUuid showID; // the series or movie
    QString episodeCode;
    bool userPicked = false; // the user chose it from the alternates
    QString torrentTitle;
    QUrl magnetURL;
    int seeders = 0;
    QString tracker; // the index that supplied it

    bool operator==(const FeedMatch&) const = default;
};

// A pending resolution choice for one episode.
struct EpisodePick {
    QString episodeCode;
    QList<SearchResult> alternates;

    bool operator==(const EpisodePick&) const = default;
};

// What one check of one series found.
struct ShowCheckResult {
    QUuid showID;
    QList<FeedMatch> grabs;
    QList<EpisodePick> picks;

    bool operator==(const ShowCheckResult&) const = default;
};
