#include "StallRescuer.h"

#include "StoreRecords.h"
#include "engine/TransmissionClient.h"
#include "model/JsonCodec.h"
#include "search/FeedChecker.h"
#include "search/Magnet.h"

#include <QPointer>

using Part = StoreRecords::Part;

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

StallRescuer::StallRescuer(StoreRecords& records, TransmissionClient& daemon, FeedChecker& checker,
                           Notifier* notifier, Switching switching, QObject* parent)
    : QObject(parent)
    , m_records(records)
    , m_daemon(daemon)
    , m_checker(checker)
    , m_notifier(notifier)
    , m_switching(std::move(switching)) {}

void StallRescuer::check(const TorrentInfo& info, const ActiveDownload& entry) {
    if (!isStalled(info)) {
        m_trackers.remove(info.hash);
        return;
    }
    StallTracker tracker = m_trackers.value(info.hash, StallTracker{m_records.now()});
    const double elapsed = m_records.now() - tracker.stalledSince;
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
    if (m_switching.isFollowed(info.hash))
        m_trackers.insert(info.hash, tracker);
}

void StallRescuer::reannounce(const TorrentInfo& info, const QString& reason) {
    const DownloadRecord* row = m_records.findHistoryRow(info.hash);
    const QString label = row ? row->showName + QLatin1Char(' ') + row->episode : info.name;
    m_records.logActivity(label + QStringLiteral(" — ") + reason +
                              QStringLiteral(", refreshing trackers"),
                          ActivityEntry::Kind::check);
    refreshTrackersAndReannounce(info.hash);
}

QCoro::Task<> StallRescuer::refreshTrackersAndReannounce(QString hash) {
    // Fire and forget: the next pass decides again whatever happens here.
    QPointer<TransmissionClient> client(&m_daemon);
    const QStringList trackers = defaultTrackers();
    co_await client->addDefaultTrackers(hash, trackers);
    if (client)
        co_await client->reannounce(hash);
}

void StallRescuer::switchStalled(const QString& hash, const ActiveDownload& entry,
                                 StallTracker& tracker, bool noSeeds, int limit) {
    tracker.stalledSince = m_records.now();
    // Packs are never switched: another pack rarely exists, and their episodes are not tracked.
    const QString key = uuidText(entry.showID) + QLatin1Char('|') + entry.episodeCode;
    const int count = m_switchCounts.value(key);
    if (entry.episodeCode.endsWith(QStringLiteral(".PACK")) || count >= limit) {
        tracker.exhausted = true;
        refreshTrackersAndReannounce(hash);
        return;
    }
    m_switchCounts.insert(key, count + 1);
    tracker.reannounced = false;
    releaseSwitch(hash, entry, noSeeds);
}

QCoro::Task<> StallRescuer::releaseSwitch(QString hash, ActiveDownload entry, bool noSeeds) {
    QPointer<StallRescuer> self(this);
    const DownloadRecord* row = m_records.findHistoryRow(hash);
    const QString label = row ? row->showName + QLatin1Char(' ') + row->episode : hash;
    const bool isMovie = entry.kind == ActiveDownload::Kind::movie;

    QList<SearchResult> results;
    if (isMovie) {
        const Movie* movie = m_records.findMovie(entry.showID);
        if (!movie)
            co_return;
        const QString text = movie->searchAlias.value_or(movie->name);
        results = co_await m_checker.searchMovieReleases(text, std::nullopt);
    } else {
        const Show* show = m_records.findShow(entry.showID);
        if (!show)
            co_return;
        results = co_await m_checker.episodeAlternates(*show, entry.episodeCode);
    }
    if (!self || !m_switching.isFollowed(hash))
        co_return;

    const Show* show = m_records.findShow(entry.showID);
    const Movie* movie = m_records.findMovie(entry.showID);
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
        m_records.logActivity(
            label + QStringLiteral(" — no other release available, still waiting for seeders"),
            ActivityEntry::Kind::check);
        co_return;
    }
    const SearchResult best =
        *std::max_element(candidates.cbegin(), candidates.cend(),
                          [](const auto& a, const auto& b) { return a.seeders < b.seeders; });
    m_records.logActivity(
        QStringLiteral("%1 — %2, switching to a healthier release (%3 seeders via %4)")
            .arg(label, noSeeds ? QStringLiteral("no seeders on any tracker")
                                : QStringLiteral("stuck with no peers"))
            .arg(best.seeders)
            .arg(best.source),
        ActivityEntry::Kind::found);
    if (Show* s = m_records.findShow(entry.showID)) {
        if (!s->rejectedHashes.contains(hash))
            s->rejectedHashes.append(hash);
        m_records.edited(Part::shows);
    } else if (Movie* m = m_records.findMovie(entry.showID)) {
        if (!m->rejectedHashes.contains(hash))
            m->rejectedHashes.append(hash);
        m_records.edited(Part::movies);
    }
    m_switching.switchRelease(hash, best);
}

// --- stuck downloads and the reminder ----------------------------------------------------------

void StallRescuer::trackStuckSince(const QString& hash, const TorrentInfo& info) {
    DownloadRecord* row = m_records.findHistoryRow(hash);
    if (!row)
        return;
    const bool stalled = isStalled(info);
    if (stalled == row->stuckSince.has_value())
        return;
    row->stuckSince = stalled ? std::optional(m_records.now()) : std::nullopt;
    m_records.edited(Part::history);
}

void StallRescuer::nudgeIfStale(const QString& hash) {
    DownloadRecord* row = m_records.findHistoryRow(hash);
    if (!row || row->staleNotifiedAt ||
        !row->isStale(m_records.settings().staleNudgeDays, m_records.now()))
        return;
    row->staleNotifiedAt = m_records.now();
    const QString label =
        row->showName + (row->episode.isEmpty() || row->episode == QStringLiteral("Movie")
                             ? QString()
                             : QLatin1Char(' ') + row->episode);
    m_records.edited(Part::history);
    if (m_notifier)
        m_notifier->post(
            Notice{QStringLiteral("Download stuck"),
                   label + QStringLiteral(" hasn't moved in a while — check it in Lumivane.")});
}

void StallRescuer::snooze(const QString& hash, int days) {
    DownloadRecord* row = m_records.findHistoryRow(hash);
    if (!row)
        return;
    const int before = row->snoozeCount++;
    if (before < 2) {
        row->staleSnoozedUntil = m_records.now() + std::max(days, 1) * 86400.0;
        row->staleNotifiedAt.reset(); // one more reminder once the snooze has run out
    } else {
        row->staleAbandoned = true;
    }
    m_records.edited(Part::history);
}

void StallRescuer::snoozeStale(const QString& hash) {
    snooze(hash, m_records.settings().staleNudgeDays);
}
