#include "DownloadFollower.h"

#include "LibraryFiler.h"
#include "StallRescuer.h"
#include "StoreRecords.h"
#include "TrackerHint.h"
#include "WorkingFolder.h"
#include "engine/EpisodeSorter.h"
#include "engine/TransmissionClient.h"
#include "engine/TransmissionEngine.h"
#include "model/JsonCodec.h"
#include "search/Magnet.h"

#include <QDir>
#include <QFileInfo>
#include <qcoro/qcorosignal.h>

#include <chrono>

using namespace std::chrono_literals;
using Part = StoreRecords::Part;

namespace {

constexpr auto kHistoryFlushDelay = 30s;

// A finished torrent is sorted only once its data sits where the daemon says it goes: while it
// re-checks the data, or before it has moved it out of the working folder, a sort would find
// nothing there and report a failure for a download that is fine.
bool dataStillMoving(const TorrentInfo& info, const QString& workingFolder) {
    if (info.isBeingChecked())
        return true;
    const auto anyFileUnder = [&](const QString& folder) {
        return std::any_of(info.files.cbegin(), info.files.cend(), [&](const QString& file) {
            return QFileInfo::exists(folder + QLatin1Char('/') + file);
        });
    };
    return !workingFolder.isEmpty() && !anyFileUnder(info.downloadDir) &&
           anyFileUnder(workingFolder);
}

} // namespace

DownloadFollower::DownloadFollower(StoreRecords& records, Parts parts, QObject* parent)
    : QObject(parent)
    , m_records(records)
    , m_daemon(parts.daemon)
    , m_engine(parts.engine)
    , m_workingFolder(parts.workingFolder)
    , m_filer(parts.filer)
    , m_rescuer(parts.rescuer)
    , m_libraryRoot(std::move(parts.libraryRoot))
    , m_pollInterval(parts.pollInterval) {}

void DownloadFollower::flushHistory() {
    if (m_historyFlushTimer && m_historyFlushTimer->isActive()) {
        m_historyFlushTimer->stop();
        m_records.save(Part::history);
    }
}

// --- what is followed --------------------------------------------------------------------------

void DownloadFollower::restore(QMap<QString, ActiveDownload> downloads) {
    m_downloads = std::move(downloads);
}

bool DownloadFollower::isFollowed(const QString& hash) const {
    // The daemon answers in lower case; a followed torrent must never be taken for a leftover.
    for (auto it = m_downloads.cbegin(); it != m_downloads.cend(); ++it) {
        if (it.key().compare(hash, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QString DownloadFollower::episodeKey(const QUuid& showID, const QString& episodeCode) {
    return uuidText(showID) + QLatin1Char('|') + episodeCode;
}

QSet<QString> DownloadFollower::followedEpisodes() const {
    QSet<QString> keys;
    for (const ActiveDownload& d : m_downloads)
        keys.insert(episodeKey(d.showID, d.episodeCode));
    return keys;
}

std::optional<QString> DownloadFollower::movieDownload(const QUuid& movieID) const {
    std::optional<QString> hash;
    for (auto it = m_downloads.cbegin(); it != m_downloads.cend(); ++it) {
        if (it->kind == ActiveDownload::Kind::movie && it->showID == movieID)
            hash = it.key();
    }
    return hash;
}

// --- grab and start ----------------------------------------------------------------------------

void DownloadFollower::grab(const FeedMatch& match) {
    Show* show = m_records.findShow(match.showID);
    if (!show)
        return;
    const QString name = show->name;
    cancelEpisode(match.showID, match.episodeCode,
                  QStringLiteral("Cancelled — replaced by a new grab"));
    m_records.logActivity(QStringLiteral("Found: %1 %2 via %3 (%4 seeders)")
                              .arg(name, match.episodeCode, match.tracker)
                              .arg(match.seeders),
                          ActivityEntry::Kind::found);
    if ((show = m_records.findShow(match.showID))) {
        show->status = m_records.statusNow(ShowStatus::State::found, match.episodeCode);
        m_records.edited(Part::shows);
    }
    startEpisode(match, name);
}

QCoro::Task<std::optional<QString>> DownloadFollower::addToEngine(QUrl magnet) {
    // Only locals after the suspension: the follower may be gone by then.
    const QString folder = m_engine ? m_engine->downloadDir() : m_libraryRoot();
    const auto added = co_await m_daemon.add(magnet, folder);
    if (!added.ok())
        co_return std::nullopt;
    co_return added.value() ? added.value() : infoHash(magnet);
}

QCoro::Task<> DownloadFollower::startEpisode(FeedMatch match, QString seriesName) {
    QPointer<DownloadFollower> self(this);
    const std::optional<QString> hash = co_await addToEngine(match.magnetURL);
    if (!self)
        co_return;

    Show* show = m_records.findShow(match.showID);
    if (!show)
        co_return;
    if (!hash) {
        m_records.logActivity(QStringLiteral("Couldn't start %1 %2 — engine unreachable")
                                  .arg(seriesName, match.episodeCode),
                              ActivityEntry::Kind::error);
        if ((show = m_records.findShow(match.showID)))
            show->status = m_records.statusNow(ShowStatus::State::error, match.episodeCode,
                                               QStringLiteral("engine unreachable"));
        m_records.edited(Part::shows);
        co_return;
    }
    m_records.logActivity(
        QStringLiteral("Started downloading %1 %2").arg(seriesName, match.episodeCode),
        ActivityEntry::Kind::downloaded);
    recordStart(*hash, match, ActiveDownload::Kind::episode, seriesName, match.episodeCode);
    if ((show = m_records.findShow(match.showID)))
        show->status = m_records.statusNow(ShowStatus::State::downloading, match.episodeCode);
    m_records.edited(Part::shows);
}

QCoro::Task<> DownloadFollower::startMovie(FeedMatch match) {
    QPointer<DownloadFollower> self(this);
    const std::optional<QString> hash = co_await addToEngine(match.magnetURL);
    if (!self)
        co_return;

    Movie* movie = m_records.findMovie(match.showID);
    if (!movie)
        co_return;
    const QString title = movie->displayTitle();
    if (!hash) {
        m_records.logActivity(QStringLiteral("Couldn't start %1 — engine unreachable").arg(title),
                              ActivityEntry::Kind::error);
        if ((movie = m_records.findMovie(match.showID)))
            movie->status = m_records.statusNow(ShowStatus::State::error, std::nullopt,
                                                QStringLiteral("engine unreachable"));
        m_records.edited(Part::movies);
        co_return;
    }
    m_records.logActivity(QStringLiteral("Started downloading %1").arg(title),
                          ActivityEntry::Kind::downloaded);
    recordStart(*hash, match, ActiveDownload::Kind::movie, movie->name, QStringLiteral("Movie"));
    if ((movie = m_records.findMovie(match.showID))) {
        movie->status = m_records.statusNow(ShowStatus::State::downloading);
        movie->pendingMagnet.reset();
    }
    m_records.edited(Part::movies);
}

void DownloadFollower::recordStart(const QString& hash, const FeedMatch& match,
                                   ActiveDownload::Kind kind, const QString& name,
                                   const QString& episode) {
    const QString code = kind == ActiveDownload::Kind::movie ? QString() : match.episodeCode;
    m_downloads.insert(hash,
                       ActiveDownload{kind, match.showID, code, match.userPicked, match.tracker});

    m_records.save(Part::downloads);
    // A torrent added again (the daemon already had it) starts a fresh row, never a second one.
    m_records.addHistoryRow(DownloadRecord{.id = hash,
                                           .showID = match.showID,
                                           .showName = name,
                                           .episode = episode,
                                           .title = match.torrentTitle,
                                           .addedAt = m_records.now()});
    startPolling();
}

// --- cancelling --------------------------------------------------------------------------------

// Both by value: callers pass a key or an entry of m_downloads, which this removes first.
void DownloadFollower::cancel(QString hash, ActiveDownload entry, const QString& reason) {
    drop(hash);

    if (entry.kind == ActiveDownload::Kind::episode) {
        Show* show = m_records.findShow(entry.showID);
        if (show && show->status.episode == entry.episodeCode) {
            show->status = ShowStatus{};
            m_records.edited(Part::shows);
        }
    } else if (Movie* movie = m_records.findMovie(entry.showID)) {
        movie->status = ShowStatus{};
        m_records.edited(Part::movies);
    }

    if (DownloadRecord* row = m_records.findHistoryRow(hash)) {
        row->state = DownloadRecord::State::error;
        row->detail = reason;
        m_records.edited(Part::history);
    }
    removeFromEngine(hash);
}

void DownloadFollower::cancelEpisode(const QUuid& showID, const QString& episodeCode,
                                     const QString& reason) {
    const auto downloads = m_downloads; // cancelling changes the map
    for (auto it = downloads.cbegin(); it != downloads.cend(); ++it) {
        if (it->showID == showID && it->episodeCode == episodeCode)
            cancel(it.key(), it.value(), reason);
    }
}

void DownloadFollower::cancelAllOf(const QUuid& id, ActiveDownload::Kind kind,
                                   const QString& reason) {
    const auto downloads = m_downloads; // cancelling changes the map
    for (auto it = downloads.cbegin(); it != downloads.cend(); ++it) {
        if (it->kind == kind && it->showID == id)
            cancel(it.key(), it.value(), reason);
    }
}

QMap<QString, ActiveDownload> DownloadFollower::takeAll() {
    QMap<QString, ActiveDownload> taken = std::exchange(m_downloads, {});
    for (auto it = taken.cbegin(); it != taken.cend(); ++it) {
        m_rescuer.forget(it.key());
        m_filer.forget(it.key());
    }
    m_records.save(Part::downloads);
    stopPolling();
    return taken;
}

// Stops following the torrent; what the daemon does with it is the caller's.
void DownloadFollower::drop(const QString& hash) {
    m_downloads.remove(hash);
    m_rescuer.forget(hash);
    m_records.save(Part::downloads);
    m_filer.forget(hash);
}

void DownloadFollower::removeFromEngine(const QString& hash, DataScope scope) {
    // Fire and forget: a failure leaves a leftover that the start-up tidy-up removes.
    [](QPointer<TransmissionClient> client, QString h, DataGuard guard) -> QCoro::Task<> {
        co_await removeGuarded(client, h, guard);
    }(&m_daemon, hash, m_workingFolder.guard(scope));
}

// --- following ---------------------------------------------------------------------------------

void DownloadFollower::startPolling() {
    if (m_pollTimer)
        return;
    m_pollTimer = new QTimer(this);
    m_pollTimer->setInterval(m_pollInterval);
    connect(m_pollTimer, &QTimer::timeout, this, [this] { poll(); });
    m_pollTimer->start();
    poll();
}

void DownloadFollower::stopPolling() {
    if (!m_pollTimer)
        return;
    // Possibly called from the timer's own tick: let the event loop delete it.
    m_pollTimer->stop();
    m_pollTimer->deleteLater();
    m_pollTimer = nullptr;
}

QCoro::Task<> DownloadFollower::poll() {
    if (m_downloads.isEmpty()) {
        stopPolling();
        co_return;
    }
    // One pass at a time: a daemon slower than the timer would otherwise pile passes up.
    // A call during a pass waits for that pass to end.
    if (m_passRunning) {
        co_await qCoro(this, &DownloadFollower::passFinished);
        co_return;
    }
    m_passRunning = true;
    QPointer<DownloadFollower> self(this);
    const QStringList hashes = m_downloads.keys(); // no temporaries inside co_await (GCC 12)
    const auto answer = co_await m_daemon.torrents(hashes);
    if (!self)
        co_return;
    if (answer.ok()) {
        // A daemon that has just started answers before it has loaded its torrents. Only a
        // daemon that answered before (the same session) can say that a torrent is gone.
        const std::optional<QString> daemon = m_daemon.sessionID();
        const bool answeredBefore = daemon && daemon == m_lastDaemonSession;
        m_lastDaemonSession = daemon;
        followUp(answeredBefore ? hashes : QStringList{}, answer.value());
    }
    // A failed answer ends the pass; the next tick asks again.
    m_passRunning = false;
    Q_EMIT passFinished();
}

void DownloadFollower::followUp(const QStringList& asked, const QList<TorrentInfo>& torrents) {
    QSet<QString> returned;
    for (const TorrentInfo& info : torrents)
        returned.insert(info.hash);
    // Only what the pass asked about: a torrent started while the answer was on its way is
    // not in it, and must not be taken for one the daemon lost.
    for (const QString& hash : asked) {
        if (!returned.contains(hash) && m_downloads.contains(hash))
            cancel(hash, m_downloads.value(hash),
                   QStringLiteral("No longer tracked by the engine"));
    }

    for (const TorrentInfo& info : torrents) {
        if (!m_downloads.contains(info.hash))
            continue;
        const ActiveDownload entry = m_downloads.value(info.hash);
        if (rejectIfBadCopy(info, entry))
            continue;
        follow(info, entry);
        if (m_downloads.contains(info.hash))
            m_rescuer.check(info, m_downloads.value(info.hash));
    }
    if (m_downloads.isEmpty())
        stopPolling();
}

bool DownloadFollower::rejectIfBadCopy(const TorrentInfo& info, const ActiveDownload& entry) {
    if (entry.userPicked || info.files.isEmpty())
        return false;
    if (std::any_of(info.files.cbegin(), info.files.cend(), &EpisodeSorter::isVideo))
        return false;

    const QString badCopy = QStringLiteral("Bad copy — finding another…");
    QString name = entry.episodeCode;
    if (entry.kind == ActiveDownload::Kind::movie) {
        if (Movie* movie = m_records.findMovie(entry.showID)) {
            if (!movie->rejectedHashes.contains(info.hash))
                movie->rejectedHashes.append(info.hash);
            movie->status = m_records.statusNow(ShowStatus::State::found, std::nullopt, badCopy);
            name = movie->displayTitle();
            m_records.edited(Part::movies);
        }
    } else if (Show* show = m_records.findShow(entry.showID)) {
        if (!show->rejectedHashes.contains(info.hash))
            show->rejectedHashes.append(info.hash);
        show->status = m_records.statusNow(ShowStatus::State::found, entry.episodeCode, badCopy);
        name = show->name + QLatin1Char(' ') + entry.episodeCode;
        m_records.edited(Part::shows);
    }

    QStringList shown;
    for (const QString& file : info.files.first(std::min<qsizetype>(3, info.files.size())))
        shown << QFileInfo(file).fileName();
    m_records.logActivity(
        QStringLiteral("Rejected a bad copy of %1 — no video inside (%2). Cancelled before "
                       "downloading and looking for another release.")
            .arg(name, shown.join(QStringLiteral(", "))),
        ActivityEntry::Kind::error);

    drop(info.hash);
    if (DownloadRecord* row = m_records.findHistoryRow(info.hash)) {
        row->state = DownloadRecord::State::error;
        row->detail = QStringLiteral("bad copy — cancelled, no video inside");
        m_records.edited(Part::history);
    }
    removeFromEngine(info.hash);
    return true;
}

void DownloadFollower::follow(const TorrentInfo& info, const ActiveDownload& entry) {
    const bool isMovie = entry.kind == ActiveDownload::Kind::movie;
    ShowStatus* status = nullptr;
    if (isMovie) {
        if (Movie* movie = m_records.findMovie(entry.showID))
            status = &movie->status;
    } else if (Show* show = m_records.findShow(entry.showID)) {
        status = &show->status;
    }
    if (!status) {
        cancel(info.hash, entry,
               isMovie ? QStringLiteral("Cancelled — movie no longer in list")
                       : QStringLiteral("Cancelled — series no longer in watchlist"));
        return;
    }
    if (info.isFinished && !dataStillMoving(info, m_workingFolder.path())) {
        if (!m_filer.isWaiting(info.hash))
            complete(info, entry);
        return;
    }

    *status = m_records.statusNow(ShowStatus::State::downloading,
                                  isMovie ? std::nullopt : std::optional(entry.episodeCode));
    status->progress = info.percentDone;
    m_records.publish(isMovie ? Part::movies : Part::shows);

    DownloadRecord* row = m_records.findHistoryRow(info.hash);
    if (!row)
        return;
    row->progress = info.percentDone;
    row->rateBytes = info.rateDownload;
    row->peers = info.peersConnected;
    row->trackerHint = trackerHintFor(info.stallNote);
    row->seedsSeen = info.seedsSeen.value_or(0);
    noteHistoryProgress();
    m_rescuer.trackStuckSince(info.hash, info);
    m_rescuer.nudgeIfStale(info.hash);
}

void DownloadFollower::complete(const TorrentInfo& info, const ActiveDownload& entry) {
    const auto release = [&] { drop(info.hash); };
    const LibraryFiler::Outcome outcome = entry.kind == ActiveDownload::Kind::movie
                                              ? m_filer.fileMovie(info, entry, release)
                                              : m_filer.fileEpisode(info, entry, release);
    // The video moved out; what is left goes with the torrent.
    if (outcome == LibraryFiler::Outcome::filed)
        removeFromEngine(info.hash, DataScope::downloadArea);
}

void DownloadFollower::noteHistoryProgress() {
    m_records.publish(Part::history);
    if (!m_historyFlushTimer) {
        m_historyFlushTimer = new QTimer(this);
        m_historyFlushTimer->setSingleShot(true);
        m_historyFlushTimer->setInterval(kHistoryFlushDelay);
        connect(m_historyFlushTimer, &QTimer::timeout, this,
                [this] { m_records.save(Part::history); });
    }
    if (!m_historyFlushTimer->isActive())
        m_historyFlushTimer->start();
}

void DownloadFollower::removeDownload(const QString& hash) {
    if (const auto tracked = m_downloads.constFind(hash); tracked != m_downloads.cend()) {
        cancel(hash, *tracked, QStringLiteral("Cancelled — removed by you"));
        return;
    }
    // Not followed any more (a restart lost it): the row still says downloading, and the
    // daemon may still hold the torrent.
    DownloadRecord* row = m_records.findHistoryRow(hash);
    if (!row || row->state != DownloadRecord::State::downloading)
        return;
    row->state = DownloadRecord::State::error;
    row->detail = QStringLiteral("Cancelled — removed by you");
    m_records.edited(Part::history);
    removeFromEngine(hash);
}
