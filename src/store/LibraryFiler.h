#pragma once

#include "Notifier.h"
#include "engine/TorrentInfo.h"
#include "model/ActiveDownload.h"
#include "model/DownloadRecord.h"
#include "model/Timestamp.h"

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

class StoreRecords;

// Files a finished download into the library and tells the user; a library folder that cannot
// be written yet holds the download for another try, less often each time.
class LibraryFiler final : public QObject {
    Q_OBJECT

public:
    enum class Outcome : quint8 { held, filed, failed };

    // `libraryRoot` is read at each filing: the root may change while downloads run.
    LibraryFiler(StoreRecords& records, std::function<QString()> libraryRoot, Notifier* notifier,
                 QObject* parent = nullptr);

    // Whether the torrent waits for its next attempt after a sort that may pass.
    bool isWaiting(const QString& hash) const;
    // Sorts the torrent's video into the library. Unless the outcome is `held`, `release` has
    // stopped following the torrent before the records say how it ended.
    Outcome fileEpisode(const TorrentInfo& info, const ActiveDownload& entry,
                        const std::function<void()>& release);
    Outcome fileMovie(const TorrentInfo& info, const ActiveDownload& entry,
                      const std::function<void()>& release);
    // The torrent is no longer followed: nothing waits for it.
    void forget(const QString& hash);
    int sortsWaiting() const { return static_cast<int>(m_retries.size()); }

Q_SIGNALS:
    void sortsWaitingChanged();

private:
    struct Retry {
        Timestamp nextAt;
        int attempts = 0;
    };
    void hold(const QString& hash, const ActiveDownload& entry, const QString& label,
              const QString& description);
    void notifyCompletion(const QString& title, const QString& body);
    void markHistoryRow(const QString& hash, DownloadRecord::State state, const QString& detail);

    StoreRecords& m_records;
    std::function<QString()> m_libraryRoot;
    Notifier* m_notifier = nullptr;
    QHash<QString, Retry> m_retries; // finished downloads waiting for the library folder
};
