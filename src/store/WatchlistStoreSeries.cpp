// What the user does with one series: add it, subscribe or not, change its resolution, pull
// or complete a season, grab hand-picked episodes, remove it.

#include "HuntCycle.h"
#include "DownloadFollower.h"
#include "PendingPicks.h"
#include "SeasonFetcher.h"
#include "WatchlistStore.h"
#include "model/EpisodeCode.h"
#include "search/Magnet.h"
#include "search/TitleGrammar.h"

namespace {

QString plural(int n, const char* word) {
    return QStringLiteral("%1 %2%3").arg(n).arg(QLatin1StringView(word)).arg(n == 1 ? "" : "s");
}

std::optional<int> parseSeason(const QString& text) {
    bool ok = false;
    const int n = text.trimmed().toInt(&ok);
    return ok ? std::optional(n) : std::nullopt;
}

// A picked release's episode code; packs get codes ending in ".PACK".
QString codeOfPick(const SearchResult& r) {
    if (r.episodeCode)
        return *r.episodeCode;
    if (r.season)
        return QStringLiteral("S%1.PACK").arg(*r.season, 2, 10, QLatin1Char('0'));
    const QString hash =
        infoHash(r.magnetURL).value_or(QUuid::createUuid().toString(QUuid::WithoutBraces));
    return QStringLiteral("SERIES-") + hash.left(8) + QStringLiteral(".PACK");
}

} // namespace

// --- adding ------------------------------------------------------------------------------------

QUuid WatchlistStore::addShow(const NewShow& form, const QList<SearchResult>& picked,
                              PickPlan plan) {
    const QString typed = form.name.trimmed();
    const std::optional<int> season = parseSeason(form.seasonText);
    if (typed.isEmpty() || (form.pullEntireSeason && !season))
        return {};

    Show show;
    show.id = QUuid::createUuid();
    show.name = form.match ? form.match->name : typed;
    if (form.match) {
        show.tmdbID = form.match->id;
        show.posterPath = form.match->posterPath;
        show.firstAirYear = form.match->firstAirYear;
    }
    show.searchAlias = form.searchAlias;
    show.quality = form.quality;
    show.anyQuality = form.anyQuality;

    const bool pulling = picked.isEmpty() && form.pullEntireSeason;
    if (pulling) {
        show.isEnabled = show.startWithLatest = show.monitorFromLatestPending =
            form.startWithLatest;
        show.fallbackAnyQuality = true; // a pull takes what it finds
        show.seasonFilter = form.startWithLatest ? std::nullopt : season;
    } else {
        // S: follow new episodes; P: start from the latest aired one rather than the picks.
        bool follow = picked.isEmpty() ? form.startWithLatest : plan != PickPlan::onlyThis;
        bool fromLatest =
            picked.isEmpty() ? form.startWithLatest : plan == PickPlan::thisThenLatest;
        if (form.startWithLatest) {
            fromLatest = !follow || fromLatest;
            follow = true;
        }
        show.isEnabled = show.startWithLatest = follow;
        show.monitorFromLatestPending = follow && fromLatest;
        show.fallbackAnyQuality = form.fallbackAnyQuality;
        show.seasonFilter = season;
    }
    m_shows.append(show);
    saveShows();
    Q_EMIT showsChanged();

    if (pulling) {
        logActivity(QStringLiteral("Added \"%1\" — pulling Season %2").arg(show.name).arg(*season),
                    ActivityEntry::Kind::check);
        pullSeason(show.id, *season);
        afterAddingShow(show.id, false);
        return show.id;
    }
    logActivity(QStringLiteral("Added \"%1\" to schedule").arg(show.name),
                ActivityEntry::Kind::check);
    for (const SearchResult& r : picked)
        grab(FeedMatch{show.id, codeOfPick(r), false, r.title, r.magnetURL, r.seeders, r.source});
    afterAddingShow(show.id, show.startWithLatest && picked.isEmpty());
    return show.id;
}

QCoro::Task<> WatchlistStore::afterAddingShow(QUuid id, bool checkNow) {
    QPointer<WatchlistStore> self(this);
    if (const Show* show = findShow(id); show && show->tmdbID) {
        // (built apart: GCC 12 rejects a braced list inside co_await)
        QList<std::pair<QUuid, int>> one;
        one.append({id, *show->tmdbID});
        co_await m_cycle->refreshAirInfoOf(one);
    }
    if (!self)
        co_return;
    // Once the refresh has anchored a new subscription, it is searched at once.
    const Show* show = findShow(id);
    if (checkNow && show && !show->monitorFromLatestPending)
        co_await m_cycle->checkNewSeries(id);
    if (self)
        refreshCalendar(true);
}

// --- subscription and resolution ---------------------------------------------------------------

void WatchlistStore::setSubscribed(const QUuid& id, bool on) {
    Show* show = findShow(id);
    if (!show)
        return;
    const QString name = show->name;
    if (on) {
        if (!show->startWithLatest) {
            show->seasonFilter.reset();
            show->startWithLatest = true;
        }
        // Nothing to go on: the next refresh anchors on the latest aired episode.
        if (show->downloadedEpisodes.isEmpty() && !show->monitorAnchor)
            show->monitorFromLatestPending = true;
        show->isEnabled = true;
        saveShows();
        Q_EMIT showsChanged();
        logActivity(
            QStringLiteral("Subscribed to \"%1\" — new episodes will be grabbed as they air")
                .arg(name),
            ActivityEntry::Kind::check);
        refreshCalendar(true);
        return;
    }
    show->isEnabled = false;
    removeCalendarEvents(id);
    m_picks->take(id);
    saveShows();
    Q_EMIT showsChanged();
    logActivity(
        QStringLiteral("Unsubscribed from \"%1\" — no new episodes will be grabbed").arg(name),
        ActivityEntry::Kind::check);
}

void WatchlistStore::setShowQuality(const QUuid& id, std::optional<Show::Quality> quality) {
    Show* show = findShow(id);
    if (!show)
        return;
    if (quality) {
        show->quality = *quality;
        show->anyQuality = false;
    } else {
        show->anyQuality = true;
    }
    const QString name = show->name;
    const QString label = quality ? toRaw(*quality) : QStringLiteral("Any");
    saveShows();
    Q_EMIT showsChanged();
    m_picks->take(id);

    // Downloads that have connected keep going; the others are searched again.
    QStringList refound;
    const auto& downloads = m_follower->downloads();
    for (auto it = downloads.cbegin(); it != downloads.cend(); ++it) {
        if (it->kind != ActiveDownload::Kind::episode || it->showID != id)
            continue;
        const DownloadRecord* row = findHistoryRow(it.key());
        if (!row || row->peers == 0)
            refound.append(it->episodeCode);
    }
    if (refound.isEmpty()) {
        logActivity(QStringLiteral("%1 — resolution set to %2").arg(name, label),
                    ActivityEntry::Kind::check);
        return;
    }
    logActivity(QStringLiteral("%1 — resolution set to %2, re-finding %3 that hadn't connected")
                    .arg(name, label, plural(static_cast<int>(refound.size()), "episode")),
                ActivityEntry::Kind::check);
    refind(id, refound);
}

QCoro::Task<> WatchlistStore::refind(QUuid id, QStringList codes) {
    if (Show* show = findShow(id)) {
        if (show->qualityGraceEpisode && codes.contains(*show->qualityGraceEpisode)) {
            show->qualityGraceEpisode.reset();
            show->qualityGraceFirstSeenAt.reset();
        }
        if (show->qualityGraceDismissedEpisode &&
            codes.contains(*show->qualityGraceDismissedEpisode))
            show->qualityGraceDismissedEpisode.reset();
        saveShows();
        Q_EMIT showsChanged();
    }
    co_await grabEpisodes(id, codes);
}

// --- seasons and hand-picked episodes ----------------------------------------------------------

QCoro::Task<> WatchlistStore::pullSeason(QUuid id, int season) {
    return m_seasons->fetchEpisodes(id, season, false);
}

QCoro::Task<> WatchlistStore::completeSeason(QUuid id, int season) {
    return m_seasons->fetchEpisodes(id, season, true);
}

QCoro::Task<QMap<QString, WatchlistStore::EpisodeOutcome>>
WatchlistStore::grabEpisodes(QUuid id, QStringList codes) {
    return m_seasons->grabEpisodes(id, std::move(codes));
}

// --- removing ----------------------------------------------------------------------------------

void WatchlistStore::removeShow(const QUuid& id) {
    m_follower->cancelAllOf(id, ActiveDownload::Kind::episode,
                            QStringLiteral("Cancelled — series removed"));
    m_picks->take(id);
    m_shows.removeIf([&](const Show& s) { return s.id == id; });
    removeCalendarEvents(id);
    saveShows();
    Q_EMIT showsChanged();
}

// --- from the series list ----------------------------------------------------------------------

void WatchlistStore::clearStatus(const QUuid& id) {
    Show* show = findShow(id);
    if (!show || show->status == ShowStatus{})
        return;
    show->status = ShowStatus{};
    saveShows();
    Q_EMIT showsChanged();
}

// --- from the episode drawer -------------------------------------------------------------------

bool WatchlistStore::linkTMDBMatch(const QUuid& id, const SeriesResult& match) {
    Show* show = findShow(id);
    if (!show)
        return false;
    show->tmdbID = match.id;
    show->posterPath = match.posterPath;
    saveShows();
    Q_EMIT showsChanged();
    return true;
}

bool WatchlistStore::grabEpisodeRelease(const QUuid& id, const QString& code,
                                        const SearchResult& release) {
    const Show* show = findShow(id);
    if (!show || show->hasDownloaded(code))
        return false;
    // The choice answers an open resolution question about this episode, if there is one.
    if (m_picks->asks(id, code))
        m_picks->take(id);
    grab(FeedMatch{id, code, true, release.title, release.magnetURL, release.seeders,
                   release.source});
    return true;
}
