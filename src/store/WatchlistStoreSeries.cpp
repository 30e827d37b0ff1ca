// What the user does with one series: add it, subscribe or not, change its resolution, pull
// or complete a season, grab hand-picked episodes, remove it.

#include "DownloadFollower.h"
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

QString episodeCode(int season, int episode) {
    return EpisodeCode::episode(season, episode).text();
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
        co_await refreshAirInfoOf(one);
    }
    if (!self)
        co_return;
    // Once the refresh has anchored a new subscription, it is searched at once.
    const Show* show = findShow(id);
    if (checkNow && show && !show->monitorFromLatestPending)
        co_await checkNewSeries(id);
    if (self)
        refreshCalendar(true);
}

QCoro::Task<> WatchlistStore::checkNewSeries(QUuid id) {
    QPointer<WatchlistStore> self(this);
    Show* show = findShow(id);
    if (!show)
        co_return;
    const QString searching = QStringLiteral("Searching…");
    show->status = statusNow(ShowStatus::State::found, std::nullopt, searching);
    saveShows();
    Q_EMIT showsChanged();

    const ShowCheckResult result = co_await m_checker->checkShow(*show, 3);
    if (!self || !findShow(id))
        co_return;
    if (applyCheckResult(result, m_follower->followedEpisodes()))
        co_return;
    show = findShow(id);
    if (show->status.state == ShowStatus::State::found && show->status.detail == searching)
        show->status = ShowStatus{};
    logActivity(QStringLiteral("No release found yet for ") + show->name,
                ActivityEntry::Kind::check);
    saveShows();
    Q_EMIT showsChanged();
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
    if (m_pendingQualityPicks.remove(id))
        Q_EMIT pendingQualityPicksChanged();
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
    if (m_pendingQualityPicks.remove(id))
        Q_EMIT pendingQualityPicksChanged();

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

QCoro::Task<std::optional<SearchResult>> WatchlistStore::bestRelease(Show show, QString code) {
    const QList<SearchResult> found = co_await m_checker->episodeAlternates(show, code);
    QList<SearchResult> wanted;
    QList<SearchResult> others;
    for (const SearchResult& r : found) {
        if (r.seeders < 1)
            continue;
        (show.anyQuality || titleMatchesQuality(r.title, show.quality) ? wanted : others).append(r);
    }
    // Alternates come best first.
    if (!wanted.isEmpty())
        co_return wanted.first();
    if (show.qualityMode() != Show::QualityMode::strict)
        co_return FeedChecker::closestQuality(others, show.quality);
    co_return std::nullopt;
}

QCoro::Task<> WatchlistStore::pullSeason(QUuid id, int season) {
    co_await fetchEpisodes(id, season, false);
}

QCoro::Task<> WatchlistStore::completeSeason(QUuid id, int season) {
    co_await fetchEpisodes(id, season, true);
}

QCoro::Task<> WatchlistStore::fetchEpisodes(QUuid id, int season, bool onlyMissing) {
    QPointer<WatchlistStore> self(this);
    const Show* show = findShow(id);
    if (!show)
        co_return;
    const QString name = show->name;
    const QString seasonText = QStringLiteral("%1 Season %2").arg(name).arg(season);
    const auto noMatch = [&] {
        logActivity(onlyMissing
                        ? QStringLiteral(
                              "%1 — can't complete Season %2: no TMDB match for the episode list")
                              .arg(name)
                              .arg(season)
                        : seasonText + QStringLiteral(
                                           " — can't pull it: no TMDB match for the episode list"),
                    ActivityEntry::Kind::error);
    };
    if (!onlyMissing)
        logActivity(QStringLiteral("Hunting Season %1 of %2…").arg(season).arg(name),
                    ActivityEntry::Kind::check);
    if (!show->tmdbID) {
        noMatch();
        co_return;
    }
    const int tmdbID = *show->tmdbID;
    const QString key = effectiveTMDBKey();
    const QList<Episode> episodes = co_await m_tmdb->seasonEpisodes(tmdbID, season, key);
    if (!self)
        co_return;
    if (episodes.isEmpty()) {
        noMatch();
        co_return;
    }
    show = findShow(id);
    if (!show)
        co_return;

    QList<Episode> wanted;
    bool anyAired = false;
    for (const auto& e : episodes) {
        if (!e.airDate || *e.airDate > now())
            continue;
        anyAired = true;
        if (!onlyMissing || !show->hasDownloaded(e.id(), e.airDate))
            wanted.append(e);
    }
    if (!anyAired) {
        logActivity(seasonText + QStringLiteral(" — no aired episodes listed on TMDB"),
                    ActivityEntry::Kind::error);
        co_return;
    }
    if (wanted.isEmpty()) {
        logActivity(seasonText + QStringLiteral(" is already complete — nothing to grab"),
                    ActivityEntry::Kind::check);
        co_return;
    }
    const int total = static_cast<int>(wanted.size());
    if (onlyMissing) {
        logActivity(QStringLiteral("Completing Season %1 of %2 — hunting %3…")
                        .arg(season)
                        .arg(name, plural(total, "missing episode")),
                    ActivityEntry::Kind::check);
    }

    int found = 0;
    for (const auto& e : wanted) {
        show = findShow(id);
        if (!show)
            co_return; // removed meanwhile: the rest is dropped
        const QString code = episodeCode(e.season, e.number);
        const auto release = co_await bestRelease(*show, code);
        if (!self || !findShow(id))
            co_return;
        if (release) {
            ++found;
            grab(FeedMatch{id, code, false, release->title, release->magnetURL, release->seeders,
                           release->source});
        }
    }
    const QString episodesWord =
        onlyMissing ? QStringLiteral("missing episodes") : QStringLiteral("episodes");
    if (found == 0) {
        logActivity(
            seasonText +
                (onlyMissing
                     ? QStringLiteral(" — no seeded releases found for the missing episodes")
                     : QStringLiteral(" — no seeded releases found for any episode")),
            ActivityEntry::Kind::error);
    } else if (found < total) {
        logActivity(QStringLiteral("%1 — found %2 of %3 %4; the rest had no seeded release")
                        .arg(seasonText)
                        .arg(found)
                        .arg(total)
                        .arg(episodesWord),
                    ActivityEntry::Kind::check);
    }
}

QCoro::Task<QMap<QString, WatchlistStore::EpisodeOutcome>>
WatchlistStore::grabEpisodes(QUuid id, QStringList codes) {
    QPointer<WatchlistStore> self(this);
    QMap<QString, EpisodeOutcome> outcomes;
    for (const QString& code : codes) {
        const Show* show = findShow(id);
        if (!show)
            break;
        const QString name = show->name;
        const QString label = toRaw(show->quality);
        logActivity(QStringLiteral("Searching for %1 %2…").arg(name, code),
                    ActivityEntry::Kind::check);
        const FeedChecker::Alternates alternates =
            co_await m_checker->episodeAlternatesReported(*show, code);
        if (!self)
            co_return outcomes;
        show = findShow(id);
        if (!show)
            break;
        if (alternates.noIndexAnswered) {
            logActivity(
                QStringLiteral("%1 %2 — could not reach the torrent indexes").arg(name, code),
                ActivityEntry::Kind::error);
            outcomes.insert(code, EpisodeOutcome::indexesUnreachable);
            Q_EMIT episodeSearchFinished(id, code, EpisodeOutcome::indexesUnreachable);
            continue;
        }
        const QList<SearchResult>& found = alternates.releases;

        QList<SearchResult> wanted;
        QList<SearchResult> others;
        for (const SearchResult& r : found) {
            if (r.seeders >= 1)
                (show->anyQuality || titleMatchesQuality(r.title, show->quality) ? wanted : others)
                    .append(r);
        }
        EpisodeOutcome outcome = EpisodeOutcome::notFound;
        std::optional<SearchResult> take =
            wanted.isEmpty() ? std::nullopt : std::optional(wanted.first());
        if (!take && !others.isEmpty()) {
            if (show->fallbackAnyQuality) {
                take = FeedChecker::closestQuality(others, show->quality);
                const QString takenLabel = take->quality == QStringLiteral("—")
                                               ? QStringLiteral("an unlabelled resolution")
                                               : take->quality;
                logActivity(QStringLiteral("%1 %2 — no %3 release exists, took %4 instead")
                                .arg(name, code, label, takenLabel),
                            ActivityEntry::Kind::check);
            } else {
                logActivity(QStringLiteral("%1 %2 — no %3 release; found %4 at other qualities")
                                .arg(name, code, label)
                                .arg(others.size()),
                            ActivityEntry::Kind::check);
                m_pendingQualityPicks.insert(id, EpisodePick{code, others});
                Q_EMIT pendingQualityPicksChanged();
                outcome = EpisodeOutcome::offered;
            }
        }
        if (take) {
            grab(FeedMatch{id, code, false, take->title, take->magnetURL, take->seeders,
                           take->source});
            outcome = EpisodeOutcome::grabbed;
        } else if (outcome == EpisodeOutcome::notFound) {
            logActivity(
                QStringLiteral("%1 %2 — no seeded release found at any quality").arg(name, code),
                ActivityEntry::Kind::error);
        }
        outcomes.insert(code, outcome);
        Q_EMIT episodeSearchFinished(id, code, outcome);
    }
    co_return outcomes;
}

// --- removing ----------------------------------------------------------------------------------

void WatchlistStore::removeShow(const QUuid& id) {
    m_follower->cancelAllOf(id, ActiveDownload::Kind::episode,
                            QStringLiteral("Cancelled — series removed"));
    if (m_pendingQualityPicks.remove(id))
        Q_EMIT pendingQualityPicksChanged();
    m_shows.removeIf([&](const Show& s) { return s.id == id; });
    removeCalendarEvents(id);
    saveShows();
    Q_EMIT showsChanged();
}

// --- from the series list ----------------------------------------------------------------------

void WatchlistStore::searchNow(const QUuid& id) {
    const Show* show = findShow(id);
    if (!show || !show->isEnabled || !show->startWithLatest || m_searchingNow.contains(id))
        return;
    // Like any manual check: an episode that is not out yet is not hunted early.
    if (!readyToHunt(*show))
        return;
    m_searchingNow.insert(id);
    searchNowTask(id);
}

QCoro::Task<> WatchlistStore::searchNowTask(QUuid id) {
    QPointer<WatchlistStore> self(this);
    co_await checkNewSeries(id);
    if (self)
        m_searchingNow.remove(id);
}

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
    if (const auto pick = m_pendingQualityPicks.constFind(id);
        pick != m_pendingQualityPicks.cend() && pick->episodeCode == code) {
        m_pendingQualityPicks.remove(id);
        Q_EMIT pendingQualityPicksChanged();
    }
    grab(FeedMatch{id, code, true, release.title, release.magnetURL, release.seeders,
                   release.source});
    return true;
}
