// The periodic hunt: refresh air information, pick the series that are due, ask the feed
// checker, grab what is new, and wait out or ask about episodes found only in another
// resolution.

#include "AirSchedule.h"
#include "DownloadFollower.h"
#include "HealthWatch.h"
#include "WatchlistStore.h"
#include "model/DateText.h"
#include "model/JsonCodec.h"
#include "search/FeedChecker.h"

#include <QSet>

#include <limits>

namespace {

constexpr double kAirInfoMaxAge = 6 * 3600;
constexpr double kUndatedRecheck = 7 * 86400; // a TMDB series with no next date

bool hasEnded(const Show& show) {
    return show.tmdbStatus == QStringLiteral("Ended") ||
           show.tmdbStatus == QStringLiteral("Canceled");
}

QString localDayText(Timestamp date) {
    return abbreviatedDate(Show::airDayInLocalTime(date).toDateTime().toLocalTime().date());
}

} // namespace

Timestamp WatchlistStore::huntOpening(Timestamp airDate) {
    const QDateTime utcDay(airDate.toDateTime().toUTC().date(), QTime(0, 0), Qt::UTC);
    return Timestamp::fromDateTime(utcDay) - 86400.0;
}

QCoro::Task<> WatchlistStore::checkCycle(bool manual) {
    QPointer<WatchlistStore> self(this);
    co_await refreshAirInfo(manual);
    if (!self)
        co_return;
    sweepMovies(); // the hunts run on their own; the cycle does not wait for them

    const Timestamp at = now();
    QList<Show> hunted;
    for (const Show& show : std::as_const(m_shows)) {
        if (show.isEnabled && show.startWithLatest && isDueForCheck(show, at, manual) &&
            readyToHunt(show))
            hunted.append(show);
    }
    if (hunted.isEmpty())
        co_return;

    logActivity(QStringLiteral("Checking %1 series…").arg(hunted.size()),
                ActivityEntry::Kind::check);
    const FeedChecker::CheckReport report = co_await m_checker->checkShowsReported(hunted);
    if (!self)
        co_return;
    m_health->noteIndexAnswers(report.indexes);
    applyCheckResults(report.results);
}

bool WatchlistStore::isDueForCheck(const Show& show, Timestamp now, bool manual) const {
    const double interval = settings().checkIntervalMinutes * 60.0;
    const double elapsed = manual || !show.lastCheckedAt ? std::numeric_limits<double>::infinity()
                                                         : now - *show.lastCheckedAt;
    if (!show.tmdbID)
        return elapsed >= interval;
    if (show.nextAirDate) // a manual check does not bring the hunt forward
        return elapsed >= interval && now >= huntOpening(*show.nextAirDate);
    if (hasEnded(show))
        return false;
    return elapsed >= kUndatedRecheck;
}

bool WatchlistStore::readyToHunt(const Show& show) {
    if (show.tmdbID && !show.airInfoRefreshedAt) {
        logActivity(show.name + QStringLiteral(" — schedule not yet known; nothing to hunt yet"),
                    ActivityEntry::Kind::check);
        return false;
    }
    if (show.nextAirDate && huntOpening(*show.nextAirDate) > now()) {
        logActivity(show.name + QStringLiteral(" — next episode airs ") +
                        localDayText(*show.nextAirDate) + QStringLiteral("; nothing to hunt yet"),
                    ActivityEntry::Kind::check);
        return false;
    }
    return true;
}

void WatchlistStore::applyCheckResults(const QList<ShowCheckResult>& results) {
    const Timestamp at = now();
    for (const ShowCheckResult& result : results) {
        if (Show* show = findShow(result.showID))
            show->lastCheckedAt = at;
    }

    // Torrents started meanwhile by other paths count as already followed.
    const QSet<QString> followed = m_follower->followedEpisodes();

    bool found = false;
    for (const ShowCheckResult& result : results) {
        if (applyCheckResult(result, followed))
            found = true;
    }
    // With no index answering, "nothing new" would be a guess; the outage line says why.
    if (!found && !searchHealth().indexesDown())
        logActivity(QStringLiteral("No new episodes found"), ActivityEntry::Kind::check);
    saveShows();
    Q_EMIT showsChanged();
}

// New grabs go to the grab path; otherwise the latest episode waiting for a resolution goes to
// the grace. True when something was found (or asked).
bool WatchlistStore::applyCheckResult(const ShowCheckResult& result,
                                      const QSet<QString>& followed) {
    QList<FeedMatch> fresh;
    for (const FeedMatch& m : result.grabs) {
        if (!followed.contains(DownloadFollower::episodeKey(m.showID, m.episodeCode)))
            fresh.append(m);
    }
    if (!fresh.isEmpty()) {
        for (const FeedMatch& m : fresh)
            grab(m);
        return true;
    }
    if (result.picks.isEmpty())
        return false;
    // Only the latest episode waiting for a resolution is handled in one cycle.
    const auto numberOf = [](const EpisodePick& p) {
        return Show::parseEpisodeCode(p.episodeCode).value_or(EpisodeNumber{0, 0});
    };
    const EpisodePick* latest = &result.picks.first();
    for (const EpisodePick& p : result.picks) {
        if (numberOf(p) > numberOf(*latest))
            latest = &p;
    }
    return holdOrAskForResolution(latest->episodeCode, latest->alternates, result.showID);
}

bool WatchlistStore::holdOrAskForResolution(const QString& code,
                                            const QList<SearchResult>& alternates,
                                            const QUuid& showID) {
    Show* show = findShow(showID);
    if (!show)
        return false;
    const Timestamp at = now();
    const bool newGrace = show->qualityGraceEpisode != code;
    if (newGrace) {
        show->qualityGraceEpisode = code;
        show->qualityGraceFirstSeenAt = at;
    }
    const Timestamp firstSeen = show->qualityGraceFirstSeenAt.value_or(at);
    const Timestamp deadline =
        show->nextAirDate && *show->nextAirDate > firstSeen
            ? *show->nextAirDate + settings().qualityGraceBufferHours * 3600.0
            : firstSeen + settings().qualityGraceFallbackDays * 86400.0;
    const QString name = show->name;
    const QString label = toRaw(show->quality);

    if (at < deadline) {
        if (newGrace) {
            logActivity(
                QStringLiteral(
                    "%1 %2: found a copy, but not in %3 — holding off until %4 in case the real "
                    "release is just late")
                    .arg(name, code, label, localDayText(deadline)),
                ActivityEntry::Kind::check);
            saveShows();
        }
        return false;
    }

    const auto pending = m_pendingQualityPicks.constFind(showID);
    const bool alreadyAsked =
        pending != m_pendingQualityPicks.cend() && pending->episodeCode == code;
    const bool dismissed = show->qualityGraceDismissedEpisode == code;
    m_pendingQualityPicks.insert(showID, EpisodePick{code, alternates});
    Q_EMIT pendingQualityPicksChanged();

    if (show->status.state == ShowStatus::State::found &&
        show->status.detail == QStringLiteral("Searching…"))
        show->status = ShowStatus{};
    else if (alreadyAsked)
        return true;
    saveShows();
    Q_EMIT showsChanged();

    if (!alreadyAsked && !dismissed) {
        logActivity(QStringLiteral("%1 %2: no %3 release available — choose another resolution")
                        .arg(name, code, label),
                    ActivityEntry::Kind::check);
        if (m_notifier) {
            m_notifier->post(
                Notice{name + QStringLiteral(" — no ") + label + QStringLiteral(" release"),
                       code + QStringLiteral(" isn't available in ") + label +
                           QStringLiteral(". Open Lumivane to pick another resolution.")});
        }
    }
    return true;
}

void WatchlistStore::pickAlternative(const SearchResult& chosen, const QUuid& showID) {
    const auto pending = m_pendingQualityPicks.constFind(showID);
    if (pending == m_pendingQualityPicks.cend())
        return;
    const FeedMatch match{showID,           pending->episodeCode, true,         chosen.title,
                          chosen.magnetURL, chosen.seeders,       chosen.source};
    m_pendingQualityPicks.remove(showID);
    Q_EMIT pendingQualityPicksChanged();
    grab(match);
}

void WatchlistStore::dismissQualityPick(const QUuid& showID) {
    const auto pick = m_pendingQualityPicks.take(showID);
    if (pick.episodeCode.isEmpty())
        return;
    Q_EMIT pendingQualityPicksChanged();
    if (Show* show = findShow(showID)) {
        show->qualityGraceDismissedEpisode = pick.episodeCode;
        saveShows();
        Q_EMIT showsChanged();
    }
}

// --- air information ---------------------------------------------------------------------------

QCoro::Task<> WatchlistStore::refreshAirInfo(bool force) {
    const Timestamp at = now();
    QList<std::pair<QUuid, int>> selected;
    for (const Show& show : std::as_const(m_shows)) {
        if (!show.isEnabled || !show.startWithLatest || !show.tmdbID)
            continue;
        const bool stale = !show.airInfoRefreshedAt ||
                           at - *show.airInfoRefreshedAt > kAirInfoMaxAge ||
                           (show.nextAirDate &&
                            *show.nextAirDate<at&& * show.nextAirDate> * show.airInfoRefreshedAt);
        if (force || stale)
            selected.append({show.id, *show.tmdbID});
    }
    co_await refreshAirInfoOf(selected);
}

QCoro::Task<> WatchlistStore::refreshAirInfoOf(QList<std::pair<QUuid, int>> series) {
    QPointer<WatchlistStore> self(this);
    const QString key = effectiveTMDBKey();
    for (const auto& [id, tmdbID] : series) {
        const auto info = co_await m_tmdb->seriesAirInfo(tmdbID, key);
        if (!self)
            co_return;
        if (!info)
            continue; // nothing learnt: the series keeps what it had
        const auto imdbID = co_await m_tmdb->seriesIMDbID(tmdbID, key);
        if (!self)
            co_return;
        QList<Episode> episodes;
        if (info->currentSeason) {
            episodes = co_await m_tmdb->seasonEpisodes(tmdbID, *info->currentSeason, key);
            if (!self)
                co_return;
        }
        applyAirInfo(id, *info, imdbID, episodes);
    }
}

void WatchlistStore::applyAirInfo(const QUuid& id, const SeriesAirInfo& info,
                                  const std::optional<QString>& imdbID,
                                  const QList<Episode>& episodes) {
    Show* show = findShow(id);
    if (!show)
        return;
    const AirSchedule schedule = AirSchedule::of(*show, episodes, now());
    show->nextAirDate = schedule.nextAirDate;
    show->tmdbStatus = info.status;
    show->airInfoRefreshedAt = now();
    if (imdbID)
        show->imdbID = imdbID;
    if (!info.originCountries.isEmpty())
        show->originCountries = info.originCountries;
    if (schedule.anchor) {
        show->monitorAnchor = schedule.anchor;
        show->monitorFromLatestPending = false;
    }
    saveShows();
    Q_EMIT showsChanged();
}
