// Grabbing releases, following the torrents the store started, rejecting bad copies and
// cancelling what is no longer wanted. Filing what finished: WatchlistStoreCompletion.cpp.

#include "DataGuard.h"
#include "TrackerHint.h"
#include "WatchlistStore.h"
#include "engine/EpisodeSorter.h"
#include "engine/TransmissionClient.h"
#include "search/Magnet.h"

#include <QDir>
#include <QFileInfo>
#include <qcoro/qcorosignal.h>

#include <chrono>

using namespace std::chrono_literals;

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

// --- lookups -----------------------------------------------------------------------------------

Show* WatchlistStore::findShow(const QUuid& id) {
    const auto it =
        std::find_if(m_shows.begin(), m_shows.end(), [&](const Show& s) { return s.id == id; });
    return it == m_shows.end() ? nullptr : &*it;
}

Movie* WatchlistStore::findMovie(const QUuid& id) {
    const auto it =
        std::find_if(m_movies.begin(), m_movies.end(), [&](const Movie& m) { return m.id == id; });
    return it == m_movies.end() ? nullptr : &*it;
}

DownloadRecord* WatchlistStore::findHistoryRow(const QString& hash) {
    const auto it = std::find_if(m_history.begin(), m_history.end(),
                                 [&](const DownloadRecord& r) { return r.id == hash; });
    return it == m_history.end() ? nullptr : &*it;
}

ShowStatus WatchlistStore::statusNow(ShowStatus::State state, std::optional<QString> episode,
                                     std::optional<QString> detail) const {
    return ShowStatus{state, 0.0, std::move(episode), std::move(detail), now()};
}

// --- grab and start ----------------------------------------------------------------------------

void WatchlistStore::grab(const FeedMatch& match) {
    Show* show = findShow(match.showID);
    if (!show)
        return;
    const QString name = show->name;
    cancelDownloads(match.showID, match.episodeCode,
                    QStringLiteral("Cancelled — replaced by a new grab"));
    logActivity(QStringLiteral("Found: %1 %2 via %3 (%4 seeders)")
                    .arg(name, match.episodeCode, match.tracker)
                    .arg(match.seeders),
                ActivityEntry::Kind::found);
    if ((show = findShow(match.showID))) {
        show->status = statusNow(ShowStatus::State::found, match.episodeCode);
        saveShows();
        Q_EMIT showsChanged();
    }
    startDownload(match, name);
}

QCoro::Task<std::optional<QString>> WatchlistStore::addToEngine(QUrl magnet) {
    // Only locals after the suspension: the store may be gone by then.
    const QString folder = m_engine ? m_engine->downloadDir() : rootFolderPath();
    const auto added = co_await m_transmission->add(magnet, folder);
    if (!added.ok())
        co_return std::nullopt;
    co_return added.value() ? added.value() : infoHash(magnet);
}

QCoro::Task<> WatchlistStore::startDownload(FeedMatch match, QString seriesName) {
    QPointer<WatchlistStore> self(this);
    const std::optional<QString> hash = co_await addToEngine(match.magnetURL);
    if (!self)
        co_return;

    Show* show = findShow(match.showID);
    if (!show)
        co_return;
    if (!hash) {
        logActivity(QStringLiteral("Couldn't start %1 %2 — engine unreachable")
                        .arg(seriesName, match.episodeCode),
                    ActivityEntry::Kind::error);
        if ((show = findShow(match.showID)))
            show->status = statusNow(ShowStatus::State::error, match.episodeCode,
                                     QStringLiteral("engine unreachable"));
        saveShows();
        Q_EMIT showsChanged();
        co_return;
    }
    logActivity(QStringLiteral("Started downloading %1 %2").arg(seriesName, match.episodeCode),
                ActivityEntry::Kind::downloaded);
    recordStart(*hash, match, ActiveDownload::Kind::episode, seriesName, match.episodeCode);
    if ((show = findShow(match.showID)))
        show->status = statusNow(ShowStatus::State::downloading, match.episodeCode);
    saveShows();
    Q_EMIT showsChanged();
}

QCoro::Task<> WatchlistStore::startMovieDownload(FeedMatch match) {
    QPointer<WatchlistStore> self(this);
    const std::optional<QString> hash = co_await addToEngine(match.magnetURL);
    if (!self)
        co_return;

    Movie* movie = findMovie(match.showID);
    if (!movie)
        co_return;
    const QString title = movie->displayTitle();
    if (!hash) {
        logActivity(QStringLiteral("Couldn't start %1 — engine unreachable").arg(title),
                    ActivityEntry::Kind::error);
        if ((movie = findMovie(match.showID)))
            movie->status = statusNow(ShowStatus::State::error, std::nullopt,
                                      QStringLiteral("engine unreachable"));
        saveMovies();
        Q_EMIT moviesChanged();
        co_return;
    }
    logActivity(QStringLiteral("Started downloading %1").arg(title),
                ActivityEntry::Kind::downloaded);
    recordStart(*hash, match, ActiveDownload::Kind::movie, movie->name, QStringLiteral("Movie"));
    if ((movie = findMovie(match.showID))) {
        movie->status = statusNow(ShowStatus::State::downloading);
        movie->pendingMagnet.reset();
    }
    saveMovies();
    Q_EMIT moviesChanged();
}

void WatchlistStore::recordStart(const QString& hash, const FeedMatch& match,
                                 ActiveDownload::Kind kind, const QString& name,
                                 const QString& episode) {
    const QString code = kind == ActiveDownload::Kind::movie ? QString() : match.episodeCode;
    m_activeDownloads.insert(
        hash, ActiveDownload{kind, match.showID, code, match.userPicked, match.tracker});

    // A torrent added again (the daemon already had it) starts a fresh row, never a second one.
    m_history.removeIf([&](const DownloadRecord& r) { return r.id == hash; });
    m_history.prepend(DownloadRecord{.id = hash,
                                     .showID = match.showID,
                                     .showName = name,
                                     .episode = episode,
                                     .title = match.torrentTitle,
                                     .addedAt = now()});
    if (m_history.size() > kMaxHistoryRows)
        m_history.resize(kMaxHistoryRows);
    saveHistory();
    saveDownloads();
    Q_EMIT historyChanged();
    startPollTimer();
}

// --- cancelling --------------------------------------------------------------------------------

// Both by value: callers pass a key or an entry of m_activeDownloads, which this removes first.
void WatchlistStore::cancelDownload(QString hash, ActiveDownload entry, const QString& reason) {
    m_activeDownloads.remove(hash);
    m_stallTrackers.remove(hash);
    saveDownloads();

    if (entry.kind == ActiveDownload::Kind::episode) {
        Show* show = findShow(entry.showID);
        if (show && show->status.episode == entry.episodeCode) {
            show->status = ShowStatus{};
            saveShows();
            Q_EMIT showsChanged();
        }
    } else if (Movie* movie = findMovie(entry.showID)) {
        movie->status = ShowStatus{};
        saveMovies();
        Q_EMIT moviesChanged();
    }

    if (DownloadRecord* row = findHistoryRow(hash)) {
        row->state = DownloadRecord::State::error;
        row->detail = reason;
        saveHistory();
        Q_EMIT historyChanged();
    }
    removeFromEngine(hash);
}

void WatchlistStore::cancelDownloads(const QUuid& showID, const QString& episodeCode,
                                     const QString& reason) {
    const auto downloads = m_activeDownloads; // cancelling changes the map
    for (auto it = downloads.cbegin(); it != downloads.cend(); ++it) {
        if (it->showID == showID && it->episodeCode == episodeCode)
            cancelDownload(it.key(), it.value(), reason);
    }
}

void WatchlistStore::removeFromEngine(const QString& hash, DataScope scope) {
    // Fire and forget: a failure leaves a leftover that the start-up tidy-up removes.
    [](QPointer<TransmissionClient> client, QString h, DataGuard guard) -> QCoro::Task<> {
        co_await removeGuarded(client, h, guard);
    }(m_transmission, hash, dataGuard(scope));
}

// --- following ---------------------------------------------------------------------------------

void WatchlistStore::startPollTimer() {
    if (m_pollTimer)
        return;
    m_pollTimer = new QTimer(this);
    m_pollTimer->setInterval(m_env.pollInterval);
    connect(m_pollTimer, &QTimer::timeout, this, [this] { pollDownloads(); });
    m_pollTimer->start();
    pollDownloads();
}

void WatchlistStore::stopPollTimer() {
    if (!m_pollTimer)
        return;
    // Possibly called from the timer's own tick: let the event loop delete it.
    m_pollTimer->stop();
    m_pollTimer->deleteLater();
    m_pollTimer = nullptr;
}

QCoro::Task<> WatchlistStore::pollDownloads() {
    if (m_activeDownloads.isEmpty()) {
        stopPollTimer();
        co_return;
    }
    // One pass at a time: a daemon slower than the timer would otherwise pile passes up.
    // A call during a pass waits for that pass to end.
    if (m_passRunning) {
        co_await qCoro(this, &WatchlistStore::followUpPassFinished);
        co_return;
    }
    m_passRunning = true;
    QPointer<WatchlistStore> self(this);
    const QStringList hashes = m_activeDownloads.keys(); // no temporaries inside co_await (GCC 12)
    const auto answer = co_await m_transmission->torrents(hashes);
    if (!self)
        co_return;
    if (answer.ok()) {
        // A daemon that has just started answers before it has loaded its torrents. Only a
        // daemon that answered before (the same session) can say that a torrent is gone.
        const std::optional<QString> daemon = m_transmission->sessionID();
        const bool answeredBefore = daemon && daemon == m_lastDaemonSession;
        m_lastDaemonSession = daemon;
        followUp(answeredBefore ? hashes : QStringList{}, answer.value());
    }
    // A failed answer ends the pass; the next tick asks again.
    m_passRunning = false;
    Q_EMIT followUpPassFinished();
}

void WatchlistStore::followUp(const QStringList& asked, const QList<TorrentInfo>& torrents) {
    QSet<QString> returned;
    for (const TorrentInfo& info : torrents)
        returned.insert(info.hash);
    // Only what the pass asked about: a torrent started while the answer was on its way is
    // not in it, and must not be taken for one the daemon lost.
    for (const QString& hash : asked) {
        if (!returned.contains(hash) && m_activeDownloads.contains(hash))
            cancelDownload(hash, m_activeDownloads.value(hash),
                           QStringLiteral("No longer tracked by the engine"));
    }

    for (const TorrentInfo& info : torrents) {
        if (!m_activeDownloads.contains(info.hash))
            continue;
        const ActiveDownload entry = m_activeDownloads.value(info.hash);
        if (rejectIfBadCopy(info, entry))
            continue;
        follow(info, entry);
        if (m_activeDownloads.contains(info.hash))
            checkStall(info, m_activeDownloads.value(info.hash));
    }
    if (m_activeDownloads.isEmpty())
        stopPollTimer();
}

bool WatchlistStore::rejectIfBadCopy(const TorrentInfo& info, const ActiveDownload& entry) {
    if (entry.userPicked || info.files.isEmpty())
        return false;
    if (std::any_of(info.files.cbegin(), info.files.cend(), &EpisodeSorter::isVideo))
        return false;

    const QString badCopy = QStringLiteral("Bad copy — finding another…");
    QString name = entry.episodeCode;
    if (entry.kind == ActiveDownload::Kind::movie) {
        if (Movie* movie = findMovie(entry.showID)) {
            if (!movie->rejectedHashes.contains(info.hash))
                movie->rejectedHashes.append(info.hash);
            movie->status = statusNow(ShowStatus::State::found, std::nullopt, badCopy);
            name = movie->displayTitle();
            saveMovies();
            Q_EMIT moviesChanged();
        }
    } else if (Show* show = findShow(entry.showID)) {
        if (!show->rejectedHashes.contains(info.hash))
            show->rejectedHashes.append(info.hash);
        show->status = statusNow(ShowStatus::State::found, entry.episodeCode, badCopy);
        name = show->name + QLatin1Char(' ') + entry.episodeCode;
        saveShows();
        Q_EMIT showsChanged();
    }

    QStringList shown;
    for (const QString& file : info.files.first(std::min<qsizetype>(3, info.files.size())))
        shown << QFileInfo(file).fileName();
    logActivity(QStringLiteral("Rejected a bad copy of %1 — no video inside (%2). Cancelled before "
                               "downloading and looking for another release.")
                    .arg(name, shown.join(QStringLiteral(", "))),
                ActivityEntry::Kind::error);

    m_activeDownloads.remove(info.hash);
    m_stallTrackers.remove(info.hash);
    saveDownloads();
    if (DownloadRecord* row = findHistoryRow(info.hash)) {
        row->state = DownloadRecord::State::error;
        row->detail = QStringLiteral("bad copy — cancelled, no video inside");
        saveHistory();
        Q_EMIT historyChanged();
    }
    removeFromEngine(info.hash);
    return true;
}

void WatchlistStore::follow(const TorrentInfo& info, const ActiveDownload& entry) {
    const bool isMovie = entry.kind == ActiveDownload::Kind::movie;
    ShowStatus* status = nullptr;
    if (isMovie) {
        if (Movie* movie = findMovie(entry.showID))
            status = &movie->status;
    } else if (Show* show = findShow(entry.showID)) {
        status = &show->status;
    }
    if (!status) {
        cancelDownload(info.hash, entry,
                       isMovie ? QStringLiteral("Cancelled — movie no longer in list")
                               : QStringLiteral("Cancelled — series no longer in watchlist"));
        return;
    }
    if (info.isFinished && !dataStillMoving(info, workingFolderPath())) {
        if (const auto held = m_sortRetries.constFind(info.hash);
            held != m_sortRetries.cend() && now() < held->nextAt)
            return;
        if (isMovie)
            completeMovie(info, entry);
        else
            completeEpisode(info, entry);
        return;
    }

    *status = statusNow(ShowStatus::State::downloading,
                        isMovie ? std::nullopt : std::optional(entry.episodeCode));
    status->progress = info.percentDone;
    if (isMovie)
        Q_EMIT moviesChanged();
    else
        Q_EMIT showsChanged();

    DownloadRecord* row = findHistoryRow(info.hash);
    if (!row)
        return;
    row->progress = info.percentDone;
    row->rateBytes = info.rateDownload;
    row->peers = info.peersConnected;
    row->trackerHint = trackerHintFor(info.stallNote);
    row->seedsSeen = info.seedsSeen.value_or(0);
    noteHistoryProgress();
    trackStuckSince(info.hash, info);
    nudgeIfStale(info.hash);
}

void WatchlistStore::noteHistoryProgress() {
    Q_EMIT historyChanged();
    if (!m_historyFlushTimer) {
        m_historyFlushTimer = new QTimer(this);
        m_historyFlushTimer->setSingleShot(true);
        m_historyFlushTimer->setInterval(kHistoryFlushDelay);
        connect(m_historyFlushTimer, &QTimer::timeout, this, &WatchlistStore::saveHistory);
    }
    if (!m_historyFlushTimer->isActive())
        m_historyFlushTimer->start();
}

void WatchlistStore::removeDownload(const QString& hash) {
    if (const auto tracked = m_activeDownloads.constFind(hash);
        tracked != m_activeDownloads.cend()) {
        cancelDownload(hash, *tracked, QStringLiteral("Cancelled — removed by you"));
        return;
    }
    // Not followed any more (a restart lost it): the row still says downloading, and the
    // daemon may still hold the torrent.
    DownloadRecord* row = findHistoryRow(hash);
    if (!row || row->state != DownloadRecord::State::downloading)
        return;
    row->state = DownloadRecord::State::error;
    row->detail = QStringLiteral("Cancelled — removed by you");
    saveHistory();
    Q_EMIT historyChanged();
    removeFromEngine(hash);
}
