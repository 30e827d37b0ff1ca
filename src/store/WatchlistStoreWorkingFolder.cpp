// Upkeep of the daemon's staging folder: its size for the settings view, clearing it, and
// removing torrents the daemon still holds that the store no longer follows.
//
// The staging folder is the working folder below the library root. The root itself also holds
// the sorted library, so nothing here ever measures or deletes the root.

#include "DataGuard.h"
#include "SleepUnlessGone.h"
#include "WatchlistStore.h"
#include "engine/TransmissionClient.h"
#include "model/LibraryLayout.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPromise>
#include <QScopeGuard>
#include <QSet>
#include <QThreadPool>
#include <qcoro/qcorofuture.h>

#include <chrono>
#include <memory>
#include <type_traits>

using namespace std::chrono_literals;

namespace {

// Long enough for a daemon that is still starting: five attempts cover about eight seconds.
constexpr auto kTidyRetryDelay = 2s;
constexpr auto kTidyTurnWait = 100ms;

// Runs `work` on the shared thread pool. The future is watched from the main thread, so the
// awaiting coroutine resumes there. `work` must capture values only: the store may be gone
// by the time it runs.
template <typename Work>
QFuture<std::invoke_result_t<Work>> offMainThread(Work work) {
    using Result = std::invoke_result_t<Work>;
    auto promise = std::make_shared<QPromise<Result>>();
    QFuture<Result> future = promise->future();
    promise->start();
    QThreadPool::globalInstance()->start([promise, work = std::move(work)]() mutable {
        promise->addResult(work());
        promise->finish();
    });
    return future;
}

// A relative or empty path would be taken from the current directory: never walk or empty it.
bool isUsableFolder(const QString& folder) {
    return !folder.isEmpty() && QDir::isAbsolutePath(folder);
}

// Regular files below `folder`, hidden ones included; links are not followed, so nothing
// outside the folder is counted. Unreadable entries count as nothing.
qint64 folderSize(const QString& folder) {
    if (!isUsableFolder(folder))
        return 0;
    qint64 total = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoSymLinks,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        total += std::max<qint64>(0, it.fileInfo().size());
    }
    return total;
}

// Deletes everything inside `folder` and keeps (or recreates) the folder. A link is removed,
// never what it points to. Items that cannot be deleted stay.
bool emptyFolder(const QString& folder) {
    if (!isUsableFolder(folder))
        return false;
    const QFileInfoList items = QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                           QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo& item : items) {
        if (item.isDir() && !item.isSymLink())
            QDir(item.filePath()).removeRecursively();
        else
            QFile::remove(item.filePath());
    }
    return QDir().mkpath(folder);
}

QString tidiedUpLine(int removed, int filesKept) {
    QString line = QStringLiteral("Tidied up %1 leftover torrent%2 in the engine")
                       .arg(removed)
                       .arg(removed == 1 ? QString() : QStringLiteral("s"));
    if (filesKept == 0)
        return line;
    if (removed == 1)
        return line + QStringLiteral(", its files left where they are");
    if (filesKept == removed)
        return line + QStringLiteral(", their files left where they are");
    return line + QStringLiteral(", the files of %1 left where they are").arg(filesKept);
}

} // namespace

DataGuard WatchlistStore::dataGuard(DataScope scope) const {
    DataGuard guard{.workingFolder = workingFolderPath()};
    if (scope == DataScope::workingFolder) {
        guard.allowed = {guard.workingFolder};
        return guard;
    }
    const QString root = rootFolderPath();
    guard.allowed = {m_engine ? m_engine->downloadDir() : root};
    if (!root.isEmpty())
        guard.excluded = {LibraryLayout(root).seriesFolder(), LibraryLayout(root).moviesFolder()};
    return guard;
}

QString WatchlistStore::workingFolderPath() const {
    if (m_engine)
        return m_engine->incompleteDir();
    const QString root = rootFolderPath();
    return root.isEmpty() ? QString() : LibraryLayout(root).workingFolder();
}

QCoro::Task<> WatchlistStore::refreshWorkingFolderSize() {
    // Only the newest measurement publishes: an older walk may finish after a newer one.
    const quint64 measurement = ++m_sizeMeasurement;
    QPointer<WatchlistStore> self(this);
    // Named, not temporaries inside the co_await: GCC 12 destroys those twice.
    const QString folder = workingFolderPath();
    const QFuture<qint64> walk = offMainThread([folder] { return folderSize(folder); });
    const qint64 bytes = co_await walk;
    if (!self || measurement != m_sizeMeasurement)
        co_return;
    const QString label = QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
    if (label == m_workingFolderSizeLabel)
        co_return;
    m_workingFolderSizeLabel = label;
    Q_EMIT workingFolderSizeLabelChanged();
}

QCoro::Task<> WatchlistStore::clearWorkingFolder() {
    const QMap<QString, ActiveDownload> taken = std::exchange(m_activeDownloads, {});
    for (auto it = taken.cbegin(); it != taken.cend(); ++it)
        m_stallTrackers.remove(it.key());
    saveDownloads();
    stopPollTimer();

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

    // The torrents go first, so the daemon is not writing into the folder while it is emptied.
    // A removal that fails leaves a leftover for the next tidy-up.
    QPointer<WatchlistStore> self(this);
    const DataGuard guard = dataGuard(DataScope::workingFolder);
    for (auto it = taken.cbegin(); it != taken.cend(); ++it) {
        co_await removeGuarded(m_transmission, it.key(), guard);
        if (!self)
            co_return;
    }
    const QString folder = workingFolderPath();
    const QFuture<bool> emptied = offMainThread([folder] { return emptyFolder(folder); });
    co_await emptied;
    if (!self)
        co_return;
    co_await refreshWorkingFolderSize();
}

QCoro::Task<bool> WatchlistStore::tidyLeftoverTorrents() {
    QPointer<WatchlistStore> self(this);
    // Calls from the start-up and the main window may meet; the later one waits its turn.
    while (m_tidying) {
        co_await SleepUnlessGone(this, kTidyTurnWait);
        if (!self)
            co_return false;
    }
    m_tidying = true;
    const auto endTurn = qScopeGuard([self] {
        if (self)
            self->m_tidying = false;
    });

    const auto all = co_await m_transmission->allHashes();
    if (!self || !all.ok())
        co_return false;

    // Hashes are compared without regard to case: the daemon answers in lower case, and a
    // followed torrent must never be taken for a leftover.
    const auto isFollowed = [this](const QString& hash) {
        for (auto it = m_activeDownloads.cbegin(); it != m_activeDownloads.cend(); ++it) {
            if (it.key().compare(hash, Qt::CaseInsensitive) == 0)
                return true;
        }
        return false;
    };
    QStringList leftovers;
    for (const QString& hash : all.value()) {
        if (!isFollowed(hash))
            leftovers.append(hash);
    }

    // A leftover may be another client's torrent with data in a folder of the user's own: its
    // files go only from the working folder.
    const DataGuard guard = dataGuard(DataScope::workingFolder);
    int removed = 0;
    int filesKept = 0;
    for (const QString& hash : std::as_const(leftovers)) {
        if (isFollowed(hash)) // started again while we were removing the others
            continue;
        const auto done = co_await removeGuarded(m_transmission, hash, guard);
        if (!self)
            co_return true;
        if (done.ok()) {
            ++removed;
            filesKept += done.value() ? 1 : 0;
        }
    }
    // Only what is really gone is counted; the rest is found again next time.
    if (removed > 0)
        logActivity(tidiedUpLine(removed, filesKept), ActivityEntry::Kind::check);
    co_return true;
}

QCoro::Task<> WatchlistStore::tidyLeftoversAtStart(int attempts) {
    QPointer<WatchlistStore> self(this);
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        const bool answered = co_await tidyLeftoverTorrents();
        if (!self || answered || attempt == attempts)
            co_return;
        co_await SleepUnlessGone(this, kTidyRetryDelay);
        if (!self)
            co_return;
    }
}
