#pragma once

#include "model/ActiveDownload.h"
#include "model/ActivityEntry.h"
#include "model/AppSettings.h"
#include "model/DownloadRecord.h"
#include "model/Movie.h"
#include "model/Show.h"
#include "model/StorageFiles.h"

#include <QList>
#include <QMap>
#include <QString>

#include <functional>

// The records as the last run left them: reads the six files at start, and puts back to idle
// the statuses a crash can leave claiming a download that nobody follows.
class RecordLoader final {
public:
    struct Records {
        QList<Show>& shows;
        QList<Movie>& movies;
        QList<ActivityEntry>& activity;
        QList<DownloadRecord>& history;
        // The settings read (the defaults when the file did not read) and the downloads read.
        std::function<void(AppSettings)> takeSettings;
        std::function<void(QMap<QString, ActiveDownload>)> takeDownloads;
    };
    RecordLoader(const StorageFiles& files, Records records);

    // Each file that reads replaces its records; a file that does not keeps them. Returns the
    // files set aside, in the order they were read.
    QList<StorageFiles::SetAside> load();

    // True when a status was put back to idle.
    static bool resetUnfollowed(QList<Show>& shows, const QMap<QString, ActiveDownload>& followed);
    static bool resetUnfollowed(QList<Movie>& movies,
                                const QMap<QString, ActiveDownload>& followed);

private:
    const StorageFiles& m_files;
    Records m_records;
};
