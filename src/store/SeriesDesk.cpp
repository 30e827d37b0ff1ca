#include "SeriesDesk.h"

#include "CalendarKeeper.h"
#include "DownloadFollower.h"
#include "HuntCycle.h"
#include "PendingPicks.h"
#include "SeasonFetcher.h"
#include "StoreRecords.h"
#include "search/Magnet.h"

#include <QPointer>

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

SeriesDesk::SeriesDesk(StoreRecords& records, Parts parts, QObject* parent)
    : QObject(parent)
    , m_records(records)
    , m_shows(parts.shows)
    , m_follower(parts.follower)
    , m_picks(parts.picks)
    , m_seasons(parts.seasons)
    , m_cycle(parts.cycle)
    , m_calendar(parts.calendar) {}

// --- adding ------------------------------------------------------------------------------------

QUuid SeriesDesk::addShow(const NewShow& form, const QList<SearchResult>& picked, PickPlan plan) {
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
    m_records.edited(StoreRecords::Part::shows);

    if (pulling) {
        m_records.logActivity(
            QStringLiteral("Added \"%1\" — pulling Season %2").arg(show.name).arg(*season),
            ActivityEntry::Kind::check);
        pullSeason(show.id, *season);
        afterAddingShow(show.id, false);
        return show.id;
    }
    m_records.logActivity(QStringLiteral("Added \"%1\" to schedule").arg(show.name),
                          ActivityEntry::Kind::check);
    for (const SearchResult& r : picked)
        m_follower.grab(
            FeedMatch{show.id, codeOfPick(r), false, r.title, r.magnetURL, r.seeders, r.source});
    afterAddingShow(show.id, show.startWithLatest && picked.isEmpty());
    return show.id;
}

QCoro::Task<> SeriesDesk::afterAddingShow(QUuid id, bool checkNow) {
    QPointer<SeriesDesk> self(this);
    if (const Show* show = m_records.findShow(id); show && show->tmdbID) {
        // (built apart: GCC 12 rejects a braced list inside co_await)
        QList<std::pair<QUuid, int>> one;
        one.append({id, *show->tmdbID});
        co_await m_cycle.refreshAirInfoOf(one);
    }
    if (!self)
        co_return;
    // Once the refresh has anchored a new subscription, it is searched at once.
    const Show* show = m_records.findShow(id);
    if (checkNow && show && !show->monitorFromLatestPending)
        co_await m_cycle.checkNewSeries(id);
    if (self)
        m_calendar.refresh(true);
}

// --- subscription and resolution ---------------------------------------------------------------

void SeriesDesk::setSubscribed(const QUuid& id, bool on) {
    Show* show = m_records.findShow(id);
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
        m_records.edited(StoreRecords::Part::shows);
        m_records.logActivity(
            QStringLiteral("Subscribed to \"%1\" — new episodes will be grabbed as they air")
                .arg(name),
            ActivityEntry::Kind::check);
        m_calendar.refresh(true);
        return;
    }
    show->isEnabled = false;
    m_calendar.removeSeries(id);
    m_picks.take(id);
    m_records.edited(StoreRecords::Part::shows);
    m_records.logActivity(
        QStringLiteral("Unsubscribed from \"%1\" — no new episodes will be grabbed").arg(name),
        ActivityEntry::Kind::check);
}

void SeriesDesk::setShowQuality(const QUuid& id, std::optional<Show::Quality> quality) {
    Show* show = m_records.findShow(id);
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
    m_records.edited(StoreRecords::Part::shows);
    m_picks.take(id);

    // Downloads that have connected keep going; the others are searched again.
    QStringList refound;
    const auto& downloads = m_follower.downloads();
    for (auto it = downloads.cbegin(); it != downloads.cend(); ++it) {
        if (it->kind != ActiveDownload::Kind::episode || it->showID != id)
            continue;
        const DownloadRecord* row = m_records.findHistoryRow(it.key());
        if (!row || row->peers == 0)
            refound.append(it->episodeCode);
    }
    if (refound.isEmpty()) {
        m_records.logActivity(QStringLiteral("%1 — resolution set to %2").arg(name, label),
                              ActivityEntry::Kind::check);
        return;
    }
    m_records.logActivity(
        QStringLiteral("%1 — resolution set to %2, re-finding %3 that hadn't connected")
            .arg(name, label, plural(static_cast<int>(refound.size()), "episode")),
        ActivityEntry::Kind::check);
    refind(id, refound);
}

QCoro::Task<> SeriesDesk::refind(QUuid id, QStringList codes) {
    if (Show* show = m_records.findShow(id)) {
        if (show->qualityGraceEpisode && codes.contains(*show->qualityGraceEpisode)) {
            show->qualityGraceEpisode.reset();
            show->qualityGraceFirstSeenAt.reset();
        }
        if (show->qualityGraceDismissedEpisode &&
            codes.contains(*show->qualityGraceDismissedEpisode))
            show->qualityGraceDismissedEpisode.reset();
        m_records.edited(StoreRecords::Part::shows);
    }
    co_await grabEpisodes(id, codes);
}

// --- seasons and hand-picked episodes ----------------------------------------------------------

QCoro::Task<> SeriesDesk::pullSeason(QUuid id, int season) {
    return m_seasons.fetchEpisodes(id, season, false);
}

QCoro::Task<> SeriesDesk::completeSeason(QUuid id, int season) {
    return m_seasons.fetchEpisodes(id, season, true);
}

QCoro::Task<QMap<QString, SeriesDesk::EpisodeOutcome>> SeriesDesk::grabEpisodes(QUuid id,
                                                                                QStringList codes) {
    return m_seasons.grabEpisodes(id, std::move(codes));
}

// --- removing ----------------------------------------------------------------------------------

void SeriesDesk::removeShow(const QUuid& id) {
    m_follower.cancelAllOf(id, ActiveDownload::Kind::episode,
                           QStringLiteral("Cancelled — series removed"));
    m_picks.take(id);
    m_shows.removeIf([&](const Show& s) { return s.id == id; });
    m_calendar.removeSeries(id);
    m_records.edited(StoreRecords::Part::shows);
}

// --- from the series list ----------------------------------------------------------------------

void SeriesDesk::clearStatus(const QUuid& id) {
    Show* show = m_records.findShow(id);
    if (!show || show->status == ShowStatus{})
        return;
    show->status = ShowStatus{};
    m_records.edited(StoreRecords::Part::shows);
}

// --- from the episode drawer -------------------------------------------------------------------

bool SeriesDesk::linkTMDBMatch(const QUuid& id, const SeriesResult& match) {
    Show* show = m_records.findShow(id);
    if (!show)
        return false;
    show->tmdbID = match.id;
    show->posterPath = match.posterPath;
    m_records.edited(StoreRecords::Part::shows);
    return true;
}

bool SeriesDesk::grabEpisodeRelease(const QUuid& id, const QString& code,
                                    const SearchResult& release) {
    const Show* show = m_records.findShow(id);
    if (!show || show->hasDownloaded(code))
        return false;
    // The choice answers an open resolution question about this episode, if there is one.
    if (m_picks.asks(id, code))
        m_picks.take(id);
    m_follower.grab(FeedMatch{id, code, true, release.title, release.magnetURL, release.seeders,
                              release.source});
    return true;
}

// --- resolution questions ----------------------------------------------------------------------

void SeriesDesk::pickAlternative(const SearchResult& chosen, const QUuid& showID) {
    const std::optional<EpisodePick> pending = m_picks.take(showID);
    if (!pending)
        return;
    m_follower.grab(FeedMatch{showID, pending->episodeCode, true, chosen.title, chosen.magnetURL,
                              chosen.seeders, chosen.source});
}

void SeriesDesk::dismissQualityPick(const QUuid& showID) {
    const std::optional<EpisodePick> pick = m_picks.take(showID);
    if (!pick)
        return;
    if (Show* show = m_records.findShow(showID)) {
        show->qualityGraceDismissedEpisode = pick->episodeCode;
        m_records.edited(StoreRecords::Part::shows);
    }
}
