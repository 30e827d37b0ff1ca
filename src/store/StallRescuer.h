#pragma once

#include "Notifier.h"
#include "StallTracker.h"
#include "engine/TorrentInfo.h"
#include "model/ActiveDownload.h"
#include "model/SearchResult.h"

#include <QMap>
#include <QObject>
#include <QString>
#include <qcoro/qcorotask.h>

#include <functional>

class FeedChecker;
class StoreRecords;
class TransmissionClient;

// Rescues stalled downloads: re-announces after a short stall, switches to a healthier release
// after a long one (a bounded number of times per episode), and reminds the user of downloads
// that have been stuck for days.
class StallRescuer final : public QObject {
    Q_OBJECT

public:
    // How a switch reaches the followed downloads: whether a torrent is still followed, and
    // replacing it by another release.
    struct Switching {
        std::function<bool(const QString& hash)> isFollowed;
        std::function<void(const QString& hash, const SearchResult& release)> switchRelease;
    };

    StallRescuer(StoreRecords& records, TransmissionClient& daemon, FeedChecker& checker,
                 Notifier* notifier, Switching switching, QObject* parent = nullptr);

    // One follow-up pass saw the torrent: re-announce or switch when it has stalled long enough.
    void check(const TorrentInfo& info, const ActiveDownload& entry);
    // Keeps the history row's stuck-since time in step with the torrent.
    void trackStuckSince(const QString& hash, const TorrentInfo& info);
    // One reminder per stale period of a row.
    void nudgeIfStale(const QString& hash);
    // The user postpones the reminder by `days`; the third time gives it up for good.
    void snooze(const QString& hash, int days);
    // The same for the user's own reminder period.
    void snoozeStale(const QString& hash);
    // The torrent is no longer followed.
    void forget(const QString& hash) { m_trackers.remove(hash); }

    const QMap<QString, StallTracker>& trackers() const { return m_trackers; }
    const QMap<QString, int>& switchCounts() const { return m_switchCounts; }

private:
    void reannounce(const TorrentInfo& info, const QString& reason);
    void switchStalled(const QString& hash, const ActiveDownload& entry, StallTracker& tracker,
                       bool noSeeds, int limit);
    QCoro::Task<> releaseSwitch(QString hash, ActiveDownload entry, bool noSeeds);
    QCoro::Task<> refreshTrackersAndReannounce(QString hash);

    StoreRecords& m_records;
    TransmissionClient& m_daemon;
    FeedChecker& m_checker;
    Notifier* m_notifier = nullptr;
    Switching m_switching;
    QMap<QString, StallTracker> m_trackers;
    QMap<QString, int> m_switchCounts; // "<id>|<episode code>" → automatic switches so far
};
