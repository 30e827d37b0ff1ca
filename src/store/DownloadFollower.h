#pragma once

#include "DataGuard.h"
#include "engine/TorrentInfo.h"
#include "model/ActiveDownload.h"
#include "search/FeedChecker.h"

#include <QMap>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <qcoro/qcorotask.h>

#include <chrono>
#include <functional>
#include <optional>

class LibraryFiler;
class StallRescuer;
class StoreRecords;
class TransmissionClient;
class TransmissionEngine;
class WorkingFolder;

// The torrents the store started and follows (downloads.json): hands releases to the daemon,
// follows each torrent every two seconds until it is filed, rejects copies with no video inside,
// and cancels what is no longer wanted. Series and movies share the one path.
class DownloadFollower final : public QObject {
    Q_OBJECT

public:
    struct Parts {
        TransmissionClient& daemon;
        TransmissionEngine* engine; // the supervisor; may be null
        WorkingFolder& workingFolder;
        LibraryFiler& filer;
        StallRescuer& rescuer;
        std::function<QString()> libraryRoot;
        std::chrono::milliseconds pollInterval;
    };
    DownloadFollower(StoreRecords& records, Parts parts, QObject* parent = nullptr);

    const QMap<QString, ActiveDownload>& downloads() const { return m_downloads; }
    // The downloads read from downloads.json at start.
    void restore(QMap<QString, ActiveDownload> downloads);
    bool contains(const QString& hash) const { return m_downloads.contains(hash); }
    // Whether the torrent is followed, whatever the case of its hash.
    bool isFollowed(const QString& hash) const;
    // "<series id>|<episode code>" of every followed torrent.
    QSet<QString> followedEpisodes() const;
    static QString episodeKey(const QUuid& showID, const QString& episodeCode);
    // The hash of the movie's download, if one is followed.
    std::optional<QString> movieDownload(const QUuid& movieID) const;

    // Hands a chosen episode release (or season pack) to the daemon: logs the find, replaces any
    // other download of the same episode and marks the series found; the start runs on.
    void grab(const FeedMatch& match);
    QCoro::Task<> startEpisode(FeedMatch match, QString seriesName);
    // `match.showID` is the movie's id; its episode code is unused.
    QCoro::Task<> startMovie(FeedMatch match);

    // Forgets a followed torrent and removes it, with its data, from the daemon.
    void cancel(QString hash, ActiveDownload entry, const QString& reason);
    void cancelEpisode(const QUuid& showID, const QString& episodeCode, const QString& reason);
    void cancelAllOf(const QUuid& id, ActiveDownload::Kind kind, const QString& reason);
    // The user gives up on a download, followed or not any more.
    void removeDownload(const QString& hash);
    // Stops following everything at once (the working folder is being emptied).
    QMap<QString, ActiveDownload> takeAll();

    // Starts the follow-up if it is not running, with one pass at once.
    void startPolling();
    bool isPolling() const { return m_pollTimer != nullptr; }
    // One follow-up pass over every followed torrent.
    QCoro::Task<> poll();
    // Progress numbers of history rows are saved at a bounded rate: writes the latest now.
    void flushHistory();

Q_SIGNALS:
    void passFinished();

private:
    QCoro::Task<std::optional<QString>> addToEngine(QUrl magnet);
    void recordStart(const QString& hash, const FeedMatch& match, ActiveDownload::Kind kind,
                     const QString& name, const QString& episode);
    void drop(const QString& hash);
    void removeFromEngine(const QString& hash, DataScope scope = DataScope::workingFolder);
    void stopPolling();
    void followUp(const QStringList& asked, const QList<TorrentInfo>& torrents);
    bool rejectIfBadCopy(const TorrentInfo& info, const ActiveDownload& entry);
    void follow(const TorrentInfo& info, const ActiveDownload& entry);
    void complete(const TorrentInfo& info, const ActiveDownload& entry);
    void noteHistoryProgress();

    StoreRecords& m_records;
    TransmissionClient& m_daemon;
    QPointer<TransmissionEngine> m_engine;
    WorkingFolder& m_workingFolder;
    LibraryFiler& m_filer;
    StallRescuer& m_rescuer;
    std::function<QString()> m_libraryRoot;
    std::chrono::milliseconds m_pollInterval;

    QMap<QString, ActiveDownload> m_downloads;
    QTimer* m_pollTimer = nullptr;
    bool m_passRunning = false;                 // a follow-up pass waits for the daemon
    std::optional<QString> m_lastDaemonSession; // the daemon that answered the last pass
    QTimer* m_historyFlushTimer = nullptr;      // saves progress numbers of history rows
};
