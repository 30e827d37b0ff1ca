#pragma once

#include "EnumRaw.h"
#include "Timestamp.h"

#include <QString>
#include <QUuid>

#include <optional>

// One row of the download history: one per torrent handed to the daemon.
struct DownloadRecord {
    enum class State { downloading, sorted, error };

    QString id; // the torrent's info hash
    QUuid showID;
    QString showName;
    QString episode; // "Movie" for a movie
    QString title;
    Timestamp addedAt;
    State state = State::downloading;
    double progress = 0.0;
    qint64 rateBytes = 0;
    std::optional<QString> detail;
    int peers = 0;
    std::optional<QString> trackerHint;
    int seedsSeen = 0;
    std::optional<Timestamp> stuckSince;
    std::optional<Timestamp> staleSnoozedUntil;
    std::optional<Timestamp> staleNotifiedAt;
    int snoozeCount = 0;
    bool staleAbandoned = false;

    bool operator==(const DownloadRecord&) const = default;

    // Ended by a cancel, not a failure: the history stores no flag for it, only a reason that
    // starts with the word ("Cancelled — removed by you").
    bool wasCancelled() const {
        return state == State::error && detail && detail->startsWith(QLatin1String("Cancelled"));
    }

    // Stuck for at least `days` days, not snoozed and not given up: worth telling the user.
    bool isStale(int days, Timestamp now) const {
        if (staleAbandoned || days < 1 || state != State::downloading || !stuckSince)
            return false;
        return now - *stuckSince >= days * 86400.0 && (!staleSnoozedUntil || now >= *staleSnoozedUntil);
    }
};

template <>
struct EnumRaw<DownloadRecord::State> {
    static constexpr std::array cases{
        std::pair{DownloadRecord::State::downloading, "downloading"},
        std::pair{DownloadRecord::State::sorted, "sorted"},
        std::pair{DownloadRecord::State::error, "error"},
    };
};
