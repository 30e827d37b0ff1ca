// Clearing the working folder: the bookkeeping of every cancelled download is the store's; the
// torrents and the files are the working folder's.

#include "DownloadFollower.h"
#include "WatchlistStore.h"
#include "WorkingFolder.h"

#include <utility>

QString WatchlistStore::workingFolderPath() const {
    return m_workingFolder->path();
}

const QString& WatchlistStore::workingFolderSizeLabel() const {
    return m_workingFolder->sizeLabel();
}

QCoro::Task<> WatchlistStore::refreshWorkingFolderSize() {
    return m_workingFolder->refreshSize();
}

QCoro::Task<bool> WatchlistStore::tidyLeftoverTorrents() {
    return m_workingFolder->tidyLeftovers();
}

QCoro::Task<> WatchlistStore::clearWorkingFolder() {
    const QMap<QString, ActiveDownload> taken = m_follower->takeAll();

    const QString reason = QStringLiteral("Cancelled — working folder cleared");
    bool historyTouched = false;
    bool showsTouched = false;
    bool moviesTouched = false;
    for (auto it = taken.cbegin(); it != taken.cend(); ++it) {
        if (DownloadRecord* row = findHistoryRow(it.key())) {
            row->state = DownloadRecord::State::error;
            row->detail = reason;
            historyTouched = true;
        }
        if (it->kind == ActiveDownload::Kind::episode) {
            Show* show = findShow(it->showID);
            if (show && show->status.episode == it->episodeCode) {
                show->status = ShowStatus{};
                showsTouched = true;
            }
        } else if (Movie* movie = findMovie(it->showID)) {
            movie->status = ShowStatus{};
            moviesTouched = true;
        }
    }
    saveHistory();
    saveShows();
    saveMovies();
    if (historyTouched)
        Q_EMIT historyChanged();
    if (showsTouched)
        Q_EMIT showsChanged();
    if (moviesTouched)
        Q_EMIT moviesChanged();

    const qsizetype n = taken.size();
    logActivity(QStringLiteral("Clearing working folder — %1 in-progress download%2 cancelled")
                    .arg(n)
                    .arg(n == 1 ? QString() : QStringLiteral("s")),
                ActivityEntry::Kind::check);

    return m_workingFolder->empty(taken.keys());
}
