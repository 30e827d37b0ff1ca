#include "WorkingFolder.h"

#include "ActivityLog.h"
#include "SettingsKeeper.h"
#include "SleepUnlessGone.h"
#include "engine/TransmissionClient.h"
#include "engine/TransmissionEngine.h"
#include "model/LibraryLayout.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPromise>
#include <QScopeGuard>
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

WorkingFolder::WorkingFolder(TransmissionClient& client, TransmissionEngine* engine,
                             const SettingsKeeper& settings, ActivityLog& log,
                             std::function<bool(const QString&)> isFollowed, QObject* parent)
    : QObject(parent)
    , m_client(client)
    , m_engine(engine)
    , m_settings(settings)
    , m_log(log)
    , m_isFollowed(std::move(isFollowed)) {}

QString WorkingFolder::path() const {
    if (m_engine)
        return m_engine->incompleteDir();
    const QString root = m_settings.rootFolderPath();
    return root.isEmpty() ? QString() : LibraryLayout(root).workingFolder();
}

DataGuard WorkingFolder::guard(DataScope scope) const {
    DataGuard guard{.workingFolder = path()};
    if (scope == DataScope::workingFolder) {
        guard.allowed = {guard.workingFolder};
        return guard;
    }
    const QString root = m_settings.rootFolderPath();
    guard.allowed = {m_engine ? m_engine->downloadDir() : root};
    if (!root.isEmpty())
        guard.excluded = {LibraryLayout(root).seriesFolder(), LibraryLayout(root).moviesFolder()};
    return guard;
}

QCoro::Task<> WorkingFolder::refreshSize() {
    // Only the newest measurement publishes: an older walk may finish after a newer one.
    const quint64 measurement = ++m_sizeMeasurement;
    QPointer<WorkingFolder> self(this);
    // Named, not temporaries inside the co_await: GCC 12 destroys those twice.
    const QString folder = path();
    const QFuture<qint64> walk = offMainThread([folder] { return folderSize(folder); });
    const qint64 bytes = co_await walk;
    if (!self || measurement != m_sizeMeasurement)
        co_return;
    const QString label = QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeSIFormat);
    if (label == m_sizeLabel)
        co_return;
    m_sizeLabel = label;
    Q_EMIT sizeLabelChanged();
}

QCoro::Task<> WorkingFolder::empty(QStringList hashes) {
    // The torrents go first, so the daemon is not writing into the folder while it is emptied.
    // A removal that fails leaves a leftover for the next tidy-up.
    QPointer<WorkingFolder> self(this);
    const DataGuard onlyHere = guard(DataScope::workingFolder);
    for (const QString& hash : std::as_const(hashes)) {
        co_await removeGuarded(&m_client, hash, onlyHere);
        if (!self)
            co_return;
    }
    const QString folder = path();
    const QFuture<bool> emptied = offMainThread([folder] { return emptyFolder(folder); });
    co_await emptied;
    if (!self)
        co_return;
    co_await refreshSize();
}

QCoro::Task<bool> WorkingFolder::tidyLeftovers() {
    QPointer<WorkingFolder> self(this);
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

    const auto all = co_await m_client.allHashes();
    if (!self || !all.ok())
        co_return false;
    QStringList leftovers;
    for (const QString& hash : all.value()) {
        if (!m_isFollowed(hash))
            leftovers.append(hash);
    }

    // A leftover may be another client's torrent with data in a folder of the user's own: its
    // files go only from the working folder.
    const DataGuard onlyHere = guard(DataScope::workingFolder);
    int removed = 0;
    int filesKept = 0;
    for (const QString& hash : std::as_const(leftovers)) {
        if (m_isFollowed(hash)) // started again while we were removing the others
            continue;
        const auto done = co_await removeGuarded(&m_client, hash, onlyHere);
        if (!self)
            co_return true;
        if (done.ok()) {
            ++removed;
            filesKept += done.value() ? 1 : 0;
        }
    }
    // Only what is really gone is counted; the rest is found again next time.
    if (removed > 0)
        m_log.logActivity(tidiedUpLine(removed, filesKept), ActivityEntry::Kind::check);
    co_return true;
}

QCoro::Task<> WorkingFolder::tidyLeftoversAtStart(int attempts) {
    QPointer<WorkingFolder> self(this);
    for (int attempt = 1; attempt <= attempts; ++attempt) {
        const bool answered = co_await tidyLeftovers();
        if (!self || answered || attempt == attempts)
            co_return;
        co_await SleepUnlessGone(this, kTidyRetryDelay);
        if (!self)
            co_return;
    }
}
