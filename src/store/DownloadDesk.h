#pragma once

#include "api/ReleaseFinder.h"
#include "model/SearchResult.h"

#include <QObject>
#include <QString>
#include <qcoro/qcorotask.h>

class DownloadFollower;
class FeedChecker;
class MovieHunter;
class StoreRecords;
class WorkingFolder;

// What the user does with running downloads: switch one to another release, ask for its
// alternates, or clear the working folder of all of them.
class DownloadDesk final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DownloadDesk)

public:
    using Releases = ReleaseFinder::Releases;
    struct Parts {
        DownloadFollower& follower;
        FeedChecker& checker;
        MovieHunter& hunter;
        WorkingFolder& workingFolder;
    };
    DownloadDesk(StoreRecords& records, Parts parts, QObject* parent = nullptr);

    // Replaces a running download by another release of the same episode or movie.
    void switchRelease(const QString& hash, const SearchResult& release);
    // Other releases of a followed episode, without the running one and those the series refused.
    QCoro::Task<Releases> otherReleases(QString hash);
    // Cancels every followed download, with its bookkeeping done before this returns; the task
    // goes on with the daemon and the files.
    QCoro::Task<> clearWorkingFolder();

private:
    StoreRecords& m_records;
    DownloadFollower& m_follower;
    FeedChecker& m_checker;
    MovieHunter& m_hunter;
    WorkingFolder& m_workingFolder;
};
