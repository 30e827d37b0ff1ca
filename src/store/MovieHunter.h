#pragma once

#include "model/Timestamp.h"
#include "search/FeedChecker.h"

#include <QObject>
#include <QString>
#include <QUuid>
#include <qcoro/qcorotask.h>

#include <optional>

class DownloadFollower;
class StoreRecords;

// Hunts movies: searches the indexes, chooses a release, holds off on early copies in another
// resolution, and hands the choice (or a hand-picked magnet) to the followed downloads.
class MovieHunter final : public QObject {
    Q_OBJECT

public:
    MovieHunter(StoreRecords& records, FeedChecker& checker, DownloadFollower& follower,
                QObject* parent = nullptr);

    // Searches for the movie now; the status says "searching" until the hunt ends.
    void hunt(const QUuid& id);
    // The check cycle's hunt of every monitored movie that still lacks a copy.
    void sweep();

private:
    QCoro::Task<> huntTask(QUuid id, QString detailBefore);
    void decide(const QUuid& id, const std::optional<FeedChecker::MovieChoice>& choice,
                std::optional<Timestamp> releaseDate, int bufferHours, bool wasHolding);

    StoreRecords& m_records;
    FeedChecker& m_checker;
    DownloadFollower& m_follower;
};
