#include "LibraryFiler.h"

#include "StoreRecords.h"
#include "engine/EpisodeSorter.h"
#include "model/LibraryLayout.h"

#include <QFileInfo>

#include <chrono>
#include <cmath>

using namespace std::chrono_literals;
using Part = StoreRecords::Part;

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

LibraryFiler::LibraryFiler(StoreRecords& records, std::function<QString()> libraryRoot,
                           Notifier* notifier, QObject* parent)
    : QObject(parent)
    , m_records(records)
    , m_libraryRoot(std::move(libraryRoot))
    , m_notifier(notifier) {}

bool LibraryFiler::isWaiting(const QString& hash) const {
    const auto held = m_retries.constFind(hash);
    return held != m_retries.cend() && m_records.now() < held->nextAt;
}

LibraryFiler::Outcome LibraryFiler::fileEpisode(const TorrentInfo& info,
                                                const ActiveDownload& entry,
                                                const std::function<void()>& release) {
    const QString location = dataLocation(info);
    Show* show = m_records.findShow(entry.showID);
    if (!show)
        return Outcome::held;
    const QString name = show->name;
    const QString code = entry.episodeCode;
    const QString folderName = show->firstAirYear && !show->firstAirYear->isEmpty()
                                   ? name + QLatin1Char('.') + *show->firstAirYear
                                   : name;

    const QString seriesRoot = LibraryLayout(m_libraryRoot()).seriesFolder();
    const auto markRow = [&](DownloadRecord::State state, const QString& detail) {
        markHistoryRow(info.hash, state, detail);
    };

    std::optional<SortError> failure;
    if (code.endsWith(QStringLiteral(".PACK"))) {
        const auto sorted = EpisodeSorter::sortSeasonPack(info.files, info.downloadDir, seriesRoot,
                                                          folderName, info.name);
        if (sorted.ok()) {
            m_records.logActivity(
                QStringLiteral("Downloaded %1 season pack → %2 — left as-is, episodes not "
                               "individually tracked")
                    .arg(name, sorted.value()),
                ActivityEntry::Kind::sorted);
            const auto season = EpisodeSorter::seasonNumber(code);
            show = m_records.findShow(entry.showID);
            show->status = m_records.statusNow(
                ShowStatus::State::sorted, std::nullopt,
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
            m_records.logActivity(
                QStringLiteral("Sorted %1 %2 → %3").arg(name, code, sorted.value().movedTo),
                ActivityEntry::Kind::sorted);
            show = m_records.findShow(entry.showID);
            show->markDownloaded(code);
            show->airInfoRefreshedAt = Timestamp::distantPast(); // refresh at the next cycle
            show->status = m_records.statusNow(ShowStatus::State::sorted, code);
            markRow(DownloadRecord::State::sorted, sorted.value().movedTo);
            notifyCompletion(name, code + QStringLiteral(" downloaded and sorted."));
        } else {
            failure = sorted.error();
        }
    }

    if (failure && failure->mayPass()) {
        hold(info.hash, entry, name + QLatin1Char(' ') + code, failure->description());
        return Outcome::held;
    }
    release();
    if (failure && failure->kind == SortError::Kind::noVideoFile) {
        // Archive parts, not video: keep the files for the user, never take this release again.
        m_records.logActivity(
            QStringLiteral(
                "%1 %2 is an archived release (no video file) — trying another release next "
                "sweep. Files left in %3")
                .arg(name, code, location),
            ActivityEntry::Kind::error);
        show = m_records.findShow(entry.showID);
        if (!show->rejectedHashes.contains(info.hash))
            show->rejectedHashes.append(info.hash);
        show->status = m_records.statusNow(ShowStatus::State::error, code,
                                           QStringLiteral("archived (.rar) release"));
        markRow(DownloadRecord::State::error, QStringLiteral("archived release — in ") + location);
    } else if (failure) {
        const QString description = failure->description();
        m_records.logActivity(
            QStringLiteral("Sort failed for %1 %2: %3").arg(name, code, description),
            ActivityEntry::Kind::error);
        show = m_records.findShow(entry.showID);
        show->status = m_records.statusNow(ShowStatus::State::error, code,
                                           QStringLiteral("sort failed: ") + description);
        markRow(DownloadRecord::State::error, QStringLiteral("sort failed: ") + description);
    }
    m_records.edited(Part::history);
    m_records.edited(Part::shows);
    return failure ? Outcome::failed : Outcome::filed;
}

LibraryFiler::Outcome LibraryFiler::fileMovie(const TorrentInfo& info, const ActiveDownload& entry,
                                              const std::function<void()>& release) {
    const QString location = dataLocation(info);
    Movie* movie = m_records.findMovie(entry.showID);
    if (!movie)
        return Outcome::held;
    const QString title = movie->displayTitle();

    const QString moviesRoot = LibraryLayout(m_libraryRoot()).moviesFolder();
    const auto sorted = EpisodeSorter::sortMovie(info.files, info.downloadDir, moviesRoot, title);
    if (!sorted.ok() && sorted.error().mayPass()) {
        hold(info.hash, entry, title, sorted.error().description());
        return Outcome::held;
    }
    release();
    const auto markRow = [&](DownloadRecord::State state, const QString& detail) {
        markHistoryRow(info.hash, state, detail);
    };
    // Looked up after each log line: nothing is held across a signal.
    if (sorted.ok()) {
        m_records.logActivity(
            QStringLiteral("Sorted movie %1 → %2").arg(title, sorted.value().movedTo),
            ActivityEntry::Kind::sorted);
        movie = m_records.findMovie(entry.showID);
        movie->downloaded = true;
        movie->status = m_records.statusNow(ShowStatus::State::sorted);
        markRow(DownloadRecord::State::sorted, sorted.value().movedTo);
        notifyCompletion(title, QStringLiteral("Downloaded and sorted."));
    } else if (sorted.error().kind == SortError::Kind::noVideoFile) {
        m_records.logActivity(
            QStringLiteral(
                "%1 is an archived release (no video file) — trying another release next search. "
                "Files left in %2")
                .arg(title, location),
            ActivityEntry::Kind::error);
        movie = m_records.findMovie(entry.showID);
        if (!movie->rejectedHashes.contains(info.hash))
            movie->rejectedHashes.append(info.hash);
        movie->status = m_records.statusNow(ShowStatus::State::error, std::nullopt,
                                            QStringLiteral("archived (.rar) release"));
        markRow(DownloadRecord::State::error, QStringLiteral("archived release — in ") + location);
    } else {
        const QString description = sorted.error().description();
        m_records.logActivity(QStringLiteral("Sort failed for %1: %2").arg(title, description),
                              ActivityEntry::Kind::error);
        movie = m_records.findMovie(entry.showID);
        movie->status = m_records.statusNow(ShowStatus::State::error, std::nullopt,
                                            QStringLiteral("sort failed: ") + description);
        markRow(DownloadRecord::State::error, QStringLiteral("sort failed: ") + description);
    }
    m_records.edited(Part::history);
    m_records.edited(Part::movies);
    return sorted.ok() ? Outcome::filed : Outcome::failed;
}

void LibraryFiler::markHistoryRow(const QString& hash, DownloadRecord::State state,
                                  const QString& detail) {
    DownloadRecord* row = m_records.findHistoryRow(hash);
    if (!row)
        return;
    row->state = state;
    row->detail = detail;
    if (state == DownloadRecord::State::sorted)
        row->progress = 1.0;
}

void LibraryFiler::forget(const QString& hash) {
    if (m_retries.remove(hash))
        Q_EMIT sortsWaitingChanged();
}

void LibraryFiler::hold(const QString& hash, const ActiveDownload& entry, const QString& label,
                        const QString& description) {
    // The library's folder cannot be written (a share not mounted, a full disk, a permission):
    // the download stays followed, so no check cycle grabs it again and no tidy-up deletes it,
    // and it is sorted again on its own, less often each time.
    const bool first = !m_retries.contains(hash);
    Retry& retry = m_retries[hash];
    const double wait =
        std::min(kSortRetryFirst.count() * std::pow(2.0, retry.attempts), kSortRetryMost.count());
    retry.nextAt = m_records.now() + wait;
    ++retry.attempts;
    if (!first)
        return;
    Q_EMIT sortsWaitingChanged();
    m_records.logActivity(QStringLiteral("Sort failed for %1: %2").arg(label, description),
                          ActivityEntry::Kind::error);
    const QString detail =
        QStringLiteral("sort failed: ") + description + QStringLiteral(" — trying again");
    if (entry.kind == ActiveDownload::Kind::movie) {
        if (Movie* movie = m_records.findMovie(entry.showID)) {
            movie->status = m_records.statusNow(ShowStatus::State::error, std::nullopt, detail);
            m_records.edited(Part::movies);
        }
    } else if (Show* show = m_records.findShow(entry.showID)) {
        show->status = m_records.statusNow(ShowStatus::State::error, entry.episodeCode, detail);
        m_records.edited(Part::shows);
    }
    if (DownloadRecord* row = m_records.findHistoryRow(hash)) {
        row->detail = detail;
        m_records.edited(Part::history);
    }
}

void LibraryFiler::notifyCompletion(const QString& title, const QString& body) {
    if (!m_records.settings().notificationSoundEnabled || !m_notifier)
        return;
    m_notifier->post(Notice{title, body, std::nullopt, true});
}
