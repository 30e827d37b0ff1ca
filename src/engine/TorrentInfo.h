#pragma once

#include "StallReason.h"

#include <QString>
#include <QStringList>

#include <optional>

// The daemon's view of one torrent.
struct TorrentInfo {
    QString hash; // lower-cased info hash
    QString name;
    double percentDone = 0.0; // 0.0 to 1.0
    // Complete and real: all data present, some data at all, and at least one file. A magnet
    // whose metadata has not arrived yet reports percentDone 1 with nothing in it.
    bool isFinished = false;
    QString downloadDir;
    QStringList files;       // relative to downloadDir, in the torrent's order
    qint64 rateDownload = 0; // bytes per second
    int peersConnected = 0;
    std::optional<StallReason> stallNote;
    std::optional<int> seedsSeen; // the most seeders any tracker scrape reported
    int status = 0;               // the daemon's torrent status code

    static constexpr int kStatusCheckWait = 1;
    static constexpr int kStatusChecking = 2;
    // The daemon is verifying the data; percentDone is what the check has confirmed so far,
    // and the data may still sit in the working folder.
    bool isBeingChecked() const { return status == kStatusCheckWait || status == kStatusChecking; }

    bool operator==(const TorrentInfo&) const = default;
};
