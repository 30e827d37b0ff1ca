#include "HuntCycle.h"

#include "AirSchedule.h"
#include "DownloadFollower.h"
#include "HealthWatch.h"
#include "MovieHunter.h"
#include "PendingPicks.h"
#include "StoreRecords.h"
#include "metadata/TMDBClient.h"
#include "model/DateText.h"
#include "model/JsonCodec.h"

#include <QPointer>
#include <QSet>

#include <limits>

using Part = StoreRecords::Part;

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

HuntCycle::HuntCycle(StoreRecords& records, Parts parts, QObject* parent)
    : QObject(parent)
    , m_records(records)
    , m_checker(parts.checker)
    , m_tmdb(parts.tmdb)
    , m_follower(parts.follower)
    , m_movies(parts.movies)
    , m_picks(parts.picks)
    , m_health(parts.health)
    , m_notifier(parts.notifier)
    , m_tmdbKey(std::move(parts.tmdbKey)) {}

Timestamp HuntCycle::huntOpening(Timestamp airDate) {
    const QDateTime utcDay(airDate.toDateTime().toUTC().date(), QTime(0, 0), Qt::UTC);
    return Timestamp::fromDateTime(utcDay) - 86400.0;
}

QCoro::Task<> HuntCycle::run(bool manual) {
    QPointer<HuntCycle> self(this);
    co_await refreshAirInfo(manual);
    if (!self)
        co_return;
    m_movies.sweep(); // the hunts run on their own; the cycle does not wait for them

    const Timestamp at = m_records.now();
    QList<Show> hunted;
    for (const Show& show : m_records.shows()) {
        if (show.isEnabled && show.startWithLatest && isDueForCheck(show, at, manual) &&
            readyToHunt(show))
            hunted.append(show);
    }
    if (hunted.isEmpty())
        co_return;

    m_records.logActivity(QStringLiteral("Checking %1 series…").arg(hunted.size()),
                          ActivityEntry::Kind::check);
    const FeedChecker::CheckReport report = co_await m_checker.checkShowsReported(hunted);
    if (!self)
        co_return;
    m_health.noteIndexAnswers(report.indexes);
    applyCheckResults(report.results);
}

bool HuntCycle::isDueForCheck(const Show& show, Timestamp now, bool manual) const {
    const double interval = m_records.settings().checkIntervalMinutes * 60.0;
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

bool HuntCycle::readyToHunt(const Show& show) {
    if (show.tmdbID && !show.airInfoRefreshedAt) {
        m_records.logActivity(show.name +
                                  QStringLiteral(" — schedule not yet known; nothing to hunt yet"),
                              ActivityEntry::Kind::check);
        return false;
    }
    if (show.nextAirDate && huntOpening(*show.nextAirDate) > m_records.now()) {
        m_records.logActivity(show.name + QStringLiteral(" — next episode airs ") +
                                  localDayText(*show.nextAirDate) +
                                  QStringLiteral("; nothing to hunt yet"),
                              ActivityEntry::Kind::check);
        return false;
    }
    return true;
}

void HuntCycle::applyCheckResults(const QList<ShowCheckResult>& results) {
    const Timestamp at = m_records.now();
    for (const ShowCheckResult& result : results) {
        if (Show* show = m_records.findShow(result.showID))
            show->lastCheckedAt = at;
    }

    // Torrents started meanwhile by other paths count as already followed.
    const QSet<QString> followed = m_follower.followedEpisodes();

    bool found = false;
    for (const ShowCheckResult& result : results) {
        if (applyCheckResult(result, followed))
            found = true;
    }
    // With no index answering, "nothing new" would be a guess; the outage line says why.
    if (!found && !m_health.searchHealth().indexesDown())
        m_records.logActivity(QStringLiteral("No new episodes found"), ActivityEntry::Kind::check);
    m_records.edited(Part::shows);
}

// New grabs go to the grab path; otherwise the latest episode waiting for a resolution goes to
// the grace. True when something was found (or asked).
bool HuntCycle::applyCheckResult(const ShowCheckResult& result, const QSet<QString>& followed) {
    QList<FeedMatch> fresh;
    for (const FeedMatch& m : result.grabs) {
        if (!followed.contains(DownloadFollower::episodeKey(m.showID, m.episodeCode)))
            fresh.append(m);
    }
    if (!fresh.isEmpty()) {
        for (const FeedMatch& m : fresh)
            m_follower.grab(m);
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

bool HuntCycle::holdOrAskForResolution(const QString& code, const QList<SearchResult>& alternates,
                                       const QUuid& showID) {
    Show* show = m_records.findShow(showID);
    if (!show)
        return false;
    const Timestamp at = m_records.now();
    const bool newGrace = show->qualityGraceEpisode != code;
    if (newGrace) {
        show->qualityGraceEpisode = code;
        show->qualityGraceFirstSeenAt = at;
    }
    const Timestamp firstSeen = show->qualityGraceFirstSeenAt.value_or(at);
    const Timestamp deadline =
        show->nextAirDate && *show->nextAirDate > firstSeen
            ? *show->nextAirDate + m_records.settings().qualityGraceBufferHours * 3600.0
            : firstSeen + m_records.settings().qualityGraceFallbackDays * 86400.0;
    const QString name = show->name;
    const QString label = toRaw(show->quality);

    if (at < deadline) {
        if (newGrace) {
            m_records.logActivity(
                QStringLiteral(
                    "%1 %2: found a copy, but not in %3 — holding off until %4 in case the real "
                    "release is just late")
                    .arg(name, code, label, localDayText(deadline)),
                ActivityEntry::Kind::check);
            m_records.save(Part::shows);
        }
        return false;
    }

    const bool alreadyAsked = m_picks.asks(showID, code);
    const bool dismissed = show->qualityGraceDismissedEpisode == code;
    m_picks.offer(showID, EpisodePick{code, alternates});

    if (show->status.state == ShowStatus::State::found &&
        show->status.detail == QStringLiteral("Searching…"))
        show->status = ShowStatus{};
    else if (alreadyAsked)
        return true;
    m_records.edited(Part::shows);

    if (!alreadyAsked && !dismissed) {
        m_records.logActivity(
            QStringLiteral("%1 %2: no %3 release available — choose another resolution")
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

QCoro::Task<> HuntCycle::checkNewSeries(QUuid id) {
    QPointer<HuntCycle> self(this);
    Show* show = m_records.findShow(id);
    if (!show)
        co_return;
    const QString searching = QStringLiteral("Searching…");
    show->status = m_records.statusNow(ShowStatus::State::found, std::nullopt, searching);
    m_records.edited(Part::shows);

    const ShowCheckResult result = co_await m_checker.checkShow(*show, 3);
    if (!self || !m_records.findShow(id))
        co_return;
    if (applyCheckResult(result, m_follower.followedEpisodes()))
        co_return;
    show = m_records.findShow(id);
    if (show->status.state == ShowStatus::State::found && show->status.detail == searching)
        show->status = ShowStatus{};
    m_records.logActivity(QStringLiteral("No release found yet for ") + show->name,
                          ActivityEntry::Kind::check);
    m_records.edited(Part::shows);
}

void HuntCycle::searchNow(const QUuid& id) {
    const Show* show = m_records.findShow(id);
    if (!show || !show->isEnabled || !show->startWithLatest || m_searchingNow.contains(id))
        return;
    // Like any manual check: an episode that is not out yet is not hunted early.
    if (!readyToHunt(*show))
        return;
    m_searchingNow.insert(id);
    searchNowTask(id);
}

QCoro::Task<> HuntCycle::searchNowTask(QUuid id) {
    QPointer<HuntCycle> self(this);
    co_await checkNewSeries(id);
    if (self)
        m_searchingNow.remove(id);
}

// --- air information ---------------------------------------------------------------------------

QCoro::Task<> HuntCycle::refreshAirInfo(bool force) {
    const Timestamp at = m_records.now();
    QList<std::pair<QUuid, int>> selected;
    for (const Show& show : m_records.shows()) {
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

QCoro::Task<> HuntCycle::refreshAirInfoOf(QList<std::pair<QUuid, int>> series) {
    QPointer<HuntCycle> self(this);
    const QString key = m_tmdbKey();
    for (const auto& [id, tmdbID] : series) {
        const auto info = co_await m_tmdb.seriesAirInfo(tmdbID, key);
        if (!self)
            co_return;
        if (!info)
            continue; // nothing learnt: the series keeps what it had
        const auto imdbID = co_await m_tmdb.seriesIMDbID(tmdbID, key);
        if (!self)
            co_return;
        QList<Episode> episodes;
        if (info->currentSeason) {
            episodes = co_await m_tmdb.seasonEpisodes(tmdbID, *info->currentSeason, key);
            if (!self)
                co_return;
        }
        applyAirInfo(id, *info, imdbID, episodes);
    }
}

void HuntCycle::applyAirInfo(const QUuid& id, const SeriesAirInfo& info,
                             const std::optional<QString>& imdbID, const QList<Episode>& episodes) {
    Show* show = m_records.findShow(id);
    if (!show)
        return;
    const AirSchedule schedule = AirSchedule::of(*show, episodes, m_records.now());
    show->nextAirDate = schedule.nextAirDate;
    show->tmdbStatus = info.status;
    show->airInfoRefreshedAt = m_records.now();
    if (imdbID)
        show->imdbID = imdbID;
    if (!info.originCountries.isEmpty())
        show->originCountries = info.originCountries;
    if (schedule.anchor) {
        show->monitorAnchor = schedule.anchor;
        show->monitorFromLatestPending = false;
    }
    m_records.edited(Part::shows);
}
