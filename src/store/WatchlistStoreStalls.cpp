// Rescuing stalled downloads: re-announce after a short stall, switch to a healthier release
// after a long one (a bounded number of times per episode), and remind the user of downloads
// that have been stuck for days.

#include "WatchlistStore.h"
#include "engine/TransmissionClient.h"
#include "model/JsonCodec.h"
#include "search/Magnet.h"

namespace {

constexpr int kStatusDownloading = 4;

// Stall thresholds, in seconds since the stall began.
constexpr double kReannounceNoSeeds = 60;
constexpr double kReannounceOtherwise = 600;
constexpr double kSwitchNoSeeds = 300;
constexpr double kSwitchOtherwise = 1800;
constexpr int kSwitchLimitNoSeeds = 4;
constexpr int kSwitchLimitOtherwise = 2;

bool isStalled(const TorrentInfo& info) {
    return info.status == kStatusDownloading && !info.isFinished && info.peersConnected == 0 &&
           info.rateDownload == 0;
}

} // namespace

void WatchlistStore::checkStall(const TorrentInfo& info, const ActiveDownload& entry) {
    if (!isStalled(info)) {
        m_stallTrackers.remove(info.hash);
        return;
    }
    StallTracker tracker = m_stallTrackers.value(info.hash, StallTracker{now()});
    const double elapsed = now() - tracker.stalledSince;
    if (info.stallNote == StallReason::noSeeds && !tracker.exhausted) {
        if (!tracker.reannounced && elapsed >= kReannounceNoSeeds) {
            tracker.reannounced = true;
            reannounce(info, QStringLiteral("no seeders on any tracker"));
        } else if (elapsed >= kSwitchNoSeeds) {
            switchStalled(info.hash, entry, tracker, true, kSwitchLimitNoSeeds);
        }
    } else {
        if (!tracker.reannounced && elapsed >= kReannounceOtherwise) {
            tracker.reannounced = true;
            reannounce(info, QStringLiteral("no peers yet"));
        } else if (elapsed >= kSwitchOtherwise) {
            switchStalled(info.hash, entry, tracker, false, kSwitchLimitOtherwise);
        }
    }
    // A switch cancels the torrent; only a torrent still followed keeps its tracker.
    if (m_activeDownloads.contains(info.hash))
        m_stallTrackers.insert(info.hash, tracker);
}

void WatchlistStore::reannounce(const TorrentInfo& info, const QString& reason) {
    const DownloadRecord* row = findHistoryRow(info.hash);
    const QString label = row ? row->showName + QLatin1Char(' ') + row->episode : info.name;
    logActivity(label + QStringLiteral(" — ") + reason + QStringLiteral(", refreshing trackers"),
                ActivityEntry::Kind::check);
    refreshTrackersAndReannounce(info.hash);
}

QCoro::Task<> WatchlistStore::refreshTrackersAndReannounce(QString hash) {
    // Fire and forget: the next pass decides again whatever happens here.
    QPointer<TransmissionClient> client(m_transmission);
    const QStringList trackers = defaultTrackers();
    co_await client->addDefaultTrackers(hash, trackers);
    if (client)
        co_await client->reannounce(hash);
}

void WatchlistStore::switchStalled(const QString& hash, const ActiveDownload& entry,
                                   StallTracker& tracker, bool noSeeds, int limit) {
    tracker.stalledSince = now();
    // Packs are never switched: another pack rarely exists, and their episodes are not tracked.
    const QString key = uuidText(entry.showID) + QLatin1Char('|') + entry.episodeCode;
    const int count = m_autoSwitchCounts.value(key);
    if (entry.episodeCode.endsWith(QStringLiteral(".PACK")) || count >= limit) {
        tracker.exhausted = true;
        refreshTrackersAndReannounce(hash);
        return;
    }
    m_autoSwitchCounts.insert(key, count + 1);
    tracker.reannounced = false;
    releaseSwitch(hash, entry, noSeeds);
}

QCoro::Task<> WatchlistStore::releaseSwitch(QString hash, ActiveDownload entry, bool noSeeds) {
    QPointer<WatchlistStore> self(this);
    const DownloadRecord* row = findHistoryRow(hash);
    const QString label = row ? row->showName + QLatin1Char(' ') + row->episode : hash;
    const bool isMovie = entry.kind == ActiveDownload::Kind::movie;

    QList<SearchResult> results;
    if (isMovie) {
        const Movie* movie = findMovie(entry.showID);
        if (!movie)
            co_return;
        const QString text = movie->searchAlias.value_or(movie->name);
        results = co_await m_checker->searchMovieReleases(text, std::nullopt);
    } else {
        const Show* show = findShow(entry.showID);
        if (!show)
            co_return;
        results = co_await m_checker->episodeAlternates(*show, entry.episodeCode);
    }
    if (!self || !m_activeDownloads.contains(hash))
        co_return;

    const Show* show = findShow(entry.showID);
    const Movie* movie = findMovie(entry.showID);
    if (!show && !movie)
        co_return;
    const QStringList& rejected = isMovie ? movie->rejectedHashes : show->rejectedHashes;
    const QString wanted = toRaw(isMovie ? movie->quality : show->quality);

    QList<SearchResult> candidates;
    for (const SearchResult& r : results) {
        const QString h = infoHash(r.magnetURL).value_or(QString());
        if (h != hash && !rejected.contains(h) && r.seeders >= 1)
            candidates.append(r);
    }
    // Another index first (the stalled one may list dead swarms), then the wanted resolution.
    const auto preferring = [](const QList<SearchResult>& list, auto&& wantedOne) {
        QList<SearchResult> kept;
        std::copy_if(list.cbegin(), list.cend(), std::back_inserter(kept), wantedOne);
        return kept.isEmpty() ? list : kept;
    };
    candidates =
        preferring(candidates, [&](const SearchResult& r) { return r.source != entry.source; });
    candidates = preferring(candidates, [&](const SearchResult& r) { return r.quality == wanted; });

    if (candidates.isEmpty()) {
        logActivity(label +
                        QStringLiteral(" — no other release available, still waiting for seeders"),
                    ActivityEntry::Kind::check);
        co_return;
    }
    const SearchResult best =
        *std::max_element(candidates.cbegin(), candidates.cend(),
                          [](const auto& a, const auto& b) { return a.seeders < b.seeders; });
    logActivity(QStringLiteral("%1 — %2, switching to a healthier release (%3 seeders via %4)")
                    .arg(label, noSeeds ? QStringLiteral("no seeders on any tracker")
                                        : QStringLiteral("stuck with no peers"))
                    .arg(best.seeders)
                    .arg(best.source),
                ActivityEntry::Kind::found);
    if (Show* s = findShow(entry.showID)) {
        if (!s->rejectedHashes.contains(hash))
            s->rejectedHashes.append(hash);
        saveShows();
        Q_EMIT showsChanged();
    } else if (Movie* m = findMovie(entry.showID)) {
        if (!m->rejectedHashes.contains(hash))
            m->rejectedHashes.append(hash);
        saveMovies();
        Q_EMIT moviesChanged();
    }
    switchRelease(hash, best);
}

void WatchlistStore::switchRelease(const QString& hash, const SearchResult& release) {
    const auto tracked = m_activeDownloads.constFind(hash);
    if (tracked == m_activeDownloads.cend())
        return;
    const ActiveDownload entry = *tracked;
    const DownloadRecord* row = findHistoryRow(hash);
    const QString episode = row ? row->episode : entry.episodeCode;
    logActivity(QStringLiteral("Cancelled ") +
                    (row ? row->showName + QLatin1Char(' ') + row->episode : hash),
                ActivityEntry::Kind::check);
    cancelDownload(hash, entry, QStringLiteral("Cancelled"));

    if (entry.kind == ActiveDownload::Kind::movie) {
        Movie* movie = findMovie(entry.showID);
        if (!movie)
            return;
        // The hunt starts a pending magnet at once, as a hand-picked release.
        movie->pendingMagnet = release.magnetURL;
        saveMovies();
        Q_EMIT moviesChanged();
        huntMovie(entry.showID);
        return;
    }
    grab(FeedMatch{entry.showID, release.episodeCode.value_or(episode), true, release.title,
                   release.magnetURL, release.seeders, release.source});
}

// --- stuck downloads and the reminder ----------------------------------------------------------

void WatchlistStore::trackStuckSince(const QString& hash, const TorrentInfo& info) {
    DownloadRecord* row = findHistoryRow(hash);
    if (!row)
        return;
    const bool stalled = isStalled(info);
    if (stalled == row->stuckSince.has_value())
        return;
    row->stuckSince = stalled ? std::optional(now()) : std::nullopt;
    saveHistory();
    Q_EMIT historyChanged();
}

void WatchlistStore::nudgeIfStale(const QString& hash) {
    DownloadRecord* row = findHistoryRow(hash);
    if (!row || row->staleNotifiedAt || !row->isStale(settings().staleNudgeDays, now()))
        return;
    row->staleNotifiedAt = now();
    const QString label =
        row->showName + (row->episode.isEmpty() || row->episode == QStringLiteral("Movie")
                             ? QString()
                             : QLatin1Char(' ') + row->episode);
    saveHistory();
    Q_EMIT historyChanged();
    if (m_notifier)
        m_notifier->post(
            Notice{QStringLiteral("Download stuck"),
                   label + QStringLiteral(" hasn't moved in a while — check it in Lumivane.")});
}

void WatchlistStore::snoozeStale(const QString& hash) {
    snoozeStaleFor(hash, std::max(settings().staleNudgeDays, 1));
}

void WatchlistStore::snoozeStaleFor(const QString& hash, int days) {
    DownloadRecord* row = findHistoryRow(hash);
    if (!row)
        return;
    const int before = row->snoozeCount++;
    if (before < 2) {
        row->staleSnoozedUntil = now() + std::max(days, 1) * 86400.0;
        row->staleNotifiedAt.reset(); // one more reminder once the snooze has run out
    } else {
        row->staleAbandoned = true;
    }
    saveHistory();
    Q_EMIT historyChanged();
}

QCoro::Task<ReleaseFinder::Releases> WatchlistStore::otherReleases(QString hash) {
    QPointer<WatchlistStore> self(this);
    const DownloadRecord* row = findHistoryRow(hash);
    const Show* show = row ? findShow(row->showID) : nullptr;
    if (!show)
        co_return Releases{};
    const QUuid id = show->id;
    const FeedChecker::Alternates found =
        co_await m_checker->episodeAlternatesReported(*show, row->episode);
    if (!self)
        co_return Releases{};
    show = findShow(id);
    if (!show)
        co_return Releases{};
    Releases out;
    out.indexesUnreachable = found.noIndexAnswered;
    for (const SearchResult& r : found.releases) {
        const QString h = infoHash(r.magnetURL).value_or(QString());
        if (h != hash && !show->rejectedHashes.contains(h))
            out.results.append(r);
    }
    co_return out;
}
