// Filing finished downloads into the library, and waiting for a library folder that cannot be
// written yet.

#include "WatchlistStore.h"
#include "engine/EpisodeSorter.h"
#include "model/LibraryLayout.h"

#include <QFileInfo>

#include <chrono>
#include <cmath>

using namespace std::chrono_literals;

namespace {

// A sort that failed because of the library's folder is tried again after 15 s, then twice as
// long each time, at most every ten minutes.
constexpr std::chrono::duration<double> kSortRetryFirst = 15s;
constexpr std::chrono::duration<double> kSortRetryMost = 10min;

// The folder that holds the first file of the torrent that exists on disk, else its folder.
QString dataLocation(const TorrentInfo& info) {
    for (const QString& file : info.files) {
        const QString path = info.downloadDir + QLatin1Char('/') + file;
        if (QFileInfo::exists(path))
            return QFileInfo(path).absolutePath();
    }
    return info.downloadDir;
}

} // namespace

// --- completion --------------------------------------------------------------------------------

void WatchlistStore::completeEpisode(const TorrentInfo& info, const ActiveDownload& entry) {
    const QString location = dataLocation(info);
    Show* show = findShow(entry.showID);
    if (!show)
        return;
    const QString name = show->name;
    const QString code = entry.episodeCode;
    const QString folderName = show->firstAirYear && !show->firstAirYear->isEmpty()
                                   ? name + QLatin1Char('.') + *show->firstAirYear
                                   : name;

    const QString seriesRoot = LibraryLayout(rootFolderPath()).seriesFolder();
    const auto markRow = [&](DownloadRecord::State state, const QString& detail) {
        DownloadRecord* row = findHistoryRow(info.hash);
        if (!row)
            return;
        row->state = state;
        row->detail = detail;
        if (state == DownloadRecord::State::sorted)
            row->progress = 1.0;
    };

    std::optional<SortError> failure;
    if (code.endsWith(QStringLiteral(".PACK"))) {
        const auto sorted = EpisodeSorter::sortSeasonPack(info.files, info.downloadDir, seriesRoot,
                                                          folderName, info.name);
        if (sorted.ok()) {
            logActivity(QStringLiteral("Downloaded %1 season pack → %2 — left as-is, episodes not "
                                       "individually tracked")
                            .arg(name, sorted.value()),
                        ActivityEntry::Kind::sorted);
            const auto season = EpisodeSorter::seasonNumber(code);
            show = findShow(entry.showID);
            show->status =
                statusNow(ShowStatus::State::sorted, std::nullopt,
                          season ? QStringLiteral("Season %1 download complete").arg(*season)
                                 : QStringLiteral("Download complete"));
            markRow(DownloadRecord::State::sorted, sorted.value());
            notifyCompletion(
                name, season ? QStringLiteral("Season %1 downloaded and sorted.").arg(*season)
                             : QStringLiteral("Season pack downloaded and sorted."));
        } else {
            failure = sorted.error();
        }
    } else {
        const auto sorted =
            EpisodeSorter::sortEpisode(info.files, info.downloadDir, seriesRoot, folderName, code);
        if (sorted.ok()) {
            logActivity(QStringLiteral("Sorted %1 %2 → %3").arg(name, code, sorted.value().movedTo),
                        ActivityEntry::Kind::sorted);
            show = findShow(entry.showID);
            show->markDownloaded(code);
            show->airInfoRefreshedAt = Timestamp::distantPast(); // refresh at the next cycle
            show->status = statusNow(ShowStatus::State::sorted, code);
            markRow(DownloadRecord::State::sorted, sorted.value().movedTo);
            notifyCompletion(name, code + QStringLiteral(" downloaded and sorted."));
        } else {
            failure = sorted.error();
        }
    }

    if (failure && failure->mayPass()) {
        holdForAnotherSort(info.hash, name + QLatin1Char(' ') + code, failure->description());
        return;
    }
    letGo(info.hash);
    if (!failure) {
        // The video moved out; what is left goes with the torrent.
        removeFromEngine(info.hash, DataScope::downloadArea);
    } else if (failure->kind == SortError::Kind::noVideoFile) {
        // Archive parts, not video: keep the files for the user, never take this release again.
        logActivity(
            QStringLiteral(
                "%1 %2 is an archived release (no video file) — trying another release next "
                "sweep. Files left in %3")
                .arg(name, code, location),
            ActivityEntry::Kind::error);
        show = findShow(entry.showID);
        if (!show->rejectedHashes.contains(info.hash))
            show->rejectedHashes.append(info.hash);
        show->status =
            statusNow(ShowStatus::State::error, code, QStringLiteral("archived (.rar) release"));
        markRow(DownloadRecord::State::error, QStringLiteral("archived release — in ") + location);
    } else {
        const QString description = failure->description();
        logActivity(QStringLiteral("Sort failed for %1 %2: %3").arg(name, code, description),
                    ActivityEntry::Kind::error);
        show = findShow(entry.showID);
        show->status = statusNow(ShowStatus::State::error, code,
                                 QStringLiteral("sort failed: ") + description);
        markRow(DownloadRecord::State::error, QStringLiteral("sort failed: ") + description);
    }
    saveHistory();
    saveShows();
    Q_EMIT historyChanged();
    Q_EMIT showsChanged();
}

void WatchlistStore::completeMovie(const TorrentInfo& info, const ActiveDownload& entry) {
    const QString location = dataLocation(info);
    Movie* movie = findMovie(entry.showID);
    if (!movie)
        return;
    const QString title = movie->displayTitle();

    const QString moviesRoot = LibraryLayout(rootFolderPath()).moviesFolder();
    const auto sorted = EpisodeSorter::sortMovie(info.files, info.downloadDir, moviesRoot, title);
    if (!sorted.ok() && sorted.error().mayPass()) {
        holdForAnotherSort(info.hash, title, sorted.error().description());
        return;
    }
    letGo(info.hash);
    // Looked up after each log line: nothing is held across a signal.
    DownloadRecord* row = nullptr;
    if (sorted.ok()) {
        logActivity(QStringLiteral("Sorted movie %1 → %2").arg(title, sorted.value().movedTo),
                    ActivityEntry::Kind::sorted);
        movie = findMovie(entry.showID);
        row = findHistoryRow(info.hash);
        movie->downloaded = true;
        movie->status = statusNow(ShowStatus::State::sorted);
        if (row) {
            row->state = DownloadRecord::State::sorted;
            row->progress = 1.0;
            row->detail = sorted.value().movedTo;
        }
        notifyCompletion(title, QStringLiteral("Downloaded and sorted."));
        removeFromEngine(info.hash, DataScope::downloadArea);
    } else if (sorted.error().kind == SortError::Kind::noVideoFile) {
        logActivity(
            QStringLiteral(
                "%1 is an archived release (no video file) — trying another release next search. "
                "Files left in %2")
                .arg(title, location),
            ActivityEntry::Kind::error);
        movie = findMovie(entry.showID);
        row = findHistoryRow(info.hash);
        if (!movie->rejectedHashes.contains(info.hash))
            movie->rejectedHashes.append(info.hash);
        movie->status = statusNow(ShowStatus::State::error, std::nullopt,
                                  QStringLiteral("archived (.rar) release"));
        if (row) {
            row->state = DownloadRecord::State::error;
            row->detail = QStringLiteral("archived release — in ") + location;
        }
    } else {
        const QString description = sorted.error().description();
        logActivity(QStringLiteral("Sort failed for %1: %2").arg(title, description),
                    ActivityEntry::Kind::error);
        movie = findMovie(entry.showID);
        row = findHistoryRow(info.hash);
        movie->status = statusNow(ShowStatus::State::error, std::nullopt,
                                  QStringLiteral("sort failed: ") + description);
        if (row) {
            row->state = DownloadRecord::State::error;
            row->detail = QStringLiteral("sort failed: ") + description;
        }
    }
    saveHistory();
    saveMovies();
    Q_EMIT historyChanged();
    Q_EMIT moviesChanged();
}

void WatchlistStore::letGo(const QString& hash) {
    m_activeDownloads.remove(hash);
    m_stallTrackers.remove(hash);
    saveDownloads();
    if (m_sortRetries.remove(hash))
        Q_EMIT sortsWaitingChanged();
}

void WatchlistStore::holdForAnotherSort(const QString& hash, const QString& label,
                                        const QString& description) {
    // The library's folder cannot be written (a share not mounted, a full disk, a permission):
    // the download stays followed, so no check cycle grabs it again and no tidy-up deletes it,
    // and it is sorted again on its own, less often each time.
    const bool first = !m_sortRetries.contains(hash);
    SortRetry& retry = m_sortRetries[hash];
    const double wait =
        std::min(kSortRetryFirst.count() * std::pow(2.0, retry.attempts), kSortRetryMost.count());
    retry.nextAt = now() + wait;
    ++retry.attempts;
    if (!first)
        return;
    Q_EMIT sortsWaitingChanged();
    logActivity(QStringLiteral("Sort failed for %1: %2").arg(label, description),
                ActivityEntry::Kind::error);
    const QString detail =
        QStringLiteral("sort failed: ") + description + QStringLiteral(" — trying again");
    if (const auto entry = m_activeDownloads.constFind(hash); entry != m_activeDownloads.cend()) {
        if (entry->kind == ActiveDownload::Kind::movie) {
            if (Movie* movie = findMovie(entry->showID)) {
                movie->status = statusNow(ShowStatus::State::error, std::nullopt, detail);
                saveMovies();
                Q_EMIT moviesChanged();
            }
        } else if (Show* show = findShow(entry->showID)) {
            show->status = statusNow(ShowStatus::State::error, entry->episodeCode, detail);
            saveShows();
            Q_EMIT showsChanged();
        }
    }
    if (DownloadRecord* row = findHistoryRow(hash)) {
        row->detail = detail;
        saveHistory();
        Q_EMIT historyChanged();
    }
}

void WatchlistStore::notifyCompletion(const QString& title, const QString& body) {
    if (!settings().notificationSoundEnabled || !m_notifier)
        return;
    m_notifier->post(Notice{title, body, std::nullopt, true});
}
