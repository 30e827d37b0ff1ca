#include "SeasonFetcher.h"

#include "DownloadFollower.h"
#include "PendingPicks.h"
#include "StoreRecords.h"
#include "metadata/TMDBClient.h"
#include "model/EpisodeCode.h"
#include "search/FeedChecker.h"
#include "search/TitleGrammar.h"

#include <QPointer>

namespace {

QString plural(int n, const char* word) {
    return QStringLiteral("%1 %2%3").arg(n).arg(QLatin1StringView(word)).arg(n == 1 ? "" : "s");
}

QString episodeCode(int season, int episode) {
    return EpisodeCode::episode(season, episode).text();
}

} // namespace

SeasonFetcher::SeasonFetcher(StoreRecords& records, Parts parts, QObject* parent)
    : QObject(parent)
    , m_records(records)
    , m_checker(parts.checker)
    , m_tmdb(parts.tmdb)
    , m_follower(parts.follower)
    , m_picks(parts.picks)
    , m_tmdbKey(std::move(parts.tmdbKey)) {}

QCoro::Task<std::optional<SearchResult>> SeasonFetcher::bestRelease(Show show, QString code) {
    const QList<SearchResult> found = co_await m_checker.episodeAlternates(show, code);
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

QCoro::Task<> SeasonFetcher::fetchEpisodes(QUuid id, int season, bool onlyMissing) {
    QPointer<SeasonFetcher> self(this);
    const Show* show = m_records.findShow(id);
    if (!show)
        co_return;
    const QString name = show->name;
    const QString seasonText = QStringLiteral("%1 Season %2").arg(name).arg(season);
    const auto noMatch = [&] {
        m_records.logActivity(
            onlyMissing ? QStringLiteral(
                              "%1 — can't complete Season %2: no TMDB match for the episode list")
                              .arg(name)
                              .arg(season)
                        : seasonText + QStringLiteral(
                                           " — can't pull it: no TMDB match for the episode list"),
            ActivityEntry::Kind::error);
    };
    if (!onlyMissing)
        m_records.logActivity(QStringLiteral("Hunting Season %1 of %2…").arg(season).arg(name),
                              ActivityEntry::Kind::check);
    if (!show->tmdbID) {
        noMatch();
        co_return;
    }
    const int tmdbID = *show->tmdbID;
    const QString key = m_tmdbKey();
    const QList<Episode> episodes = co_await m_tmdb.seasonEpisodes(tmdbID, season, key);
    if (!self)
        co_return;
    if (episodes.isEmpty()) {
        noMatch();
        co_return;
    }
    show = m_records.findShow(id);
    if (!show)
        co_return;

    QList<Episode> wanted;
    bool anyAired = false;
    for (const auto& e : episodes) {
        if (!e.airDate || *e.airDate > m_records.now())
            continue;
        anyAired = true;
        if (!onlyMissing || !show->hasDownloaded(e.id(), e.airDate))
            wanted.append(e);
    }
    if (!anyAired) {
        m_records.logActivity(seasonText + QStringLiteral(" — no aired episodes listed on TMDB"),
                              ActivityEntry::Kind::error);
        co_return;
    }
    if (wanted.isEmpty()) {
        m_records.logActivity(seasonText + QStringLiteral(" is already complete — nothing to grab"),
                              ActivityEntry::Kind::check);
        co_return;
    }
    const int total = static_cast<int>(wanted.size());
    if (onlyMissing) {
        m_records.logActivity(QStringLiteral("Completing Season %1 of %2 — hunting %3…")
                                  .arg(season)
                                  .arg(name, plural(total, "missing episode")),
                              ActivityEntry::Kind::check);
    }

    int found = 0;
    for (const auto& e : wanted) {
        show = m_records.findShow(id);
        if (!show)
            co_return; // removed meanwhile: the rest is dropped
        const QString code = episodeCode(e.season, e.number);
        const auto release = co_await bestRelease(*show, code);
        if (!self || !m_records.findShow(id))
            co_return;
        if (release) {
            ++found;
            m_follower.grab(FeedMatch{id, code, false, release->title, release->magnetURL,
                                      release->seeders, release->source});
        }
    }
    const QString episodesWord =
        onlyMissing ? QStringLiteral("missing episodes") : QStringLiteral("episodes");
    if (found == 0) {
        m_records.logActivity(
            seasonText +
                (onlyMissing
                     ? QStringLiteral(" — no seeded releases found for the missing episodes")
                     : QStringLiteral(" — no seeded releases found for any episode")),
            ActivityEntry::Kind::error);
    } else if (found < total) {
        m_records.logActivity(
            QStringLiteral("%1 — found %2 of %3 %4; the rest had no seeded release")
                .arg(seasonText)
                .arg(found)
                .arg(total)
                .arg(episodesWord),
            ActivityEntry::Kind::check);
    }
}

QCoro::Task<QMap<QString, SeasonFetcher::EpisodeOutcome>>
SeasonFetcher::grabEpisodes(QUuid id, QStringList codes) {
    QPointer<SeasonFetcher> self(this);
    QMap<QString, EpisodeOutcome> outcomes;
    for (const QString& code : codes) {
        const Show* show = m_records.findShow(id);
        if (!show)
            break;
        const QString name = show->name;
        const QString label = toRaw(show->quality);
        m_records.logActivity(QStringLiteral("Searching for %1 %2…").arg(name, code),
                              ActivityEntry::Kind::check);
        const FeedChecker::Alternates alternates =
            co_await m_checker.episodeAlternatesReported(*show, code);
        if (!self)
            co_return outcomes;
        show = m_records.findShow(id);
        if (!show)
            break;
        if (alternates.noIndexAnswered) {
            m_records.logActivity(
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
                m_records.logActivity(
                    QStringLiteral("%1 %2 — no %3 release exists, took %4 instead")
                        .arg(name, code, label, takenLabel),
                    ActivityEntry::Kind::check);
            } else {
                m_records.logActivity(
                    QStringLiteral("%1 %2 — no %3 release; found %4 at other qualities")
                        .arg(name, code, label)
                        .arg(others.size()),
                    ActivityEntry::Kind::check);
                m_picks.offer(id, EpisodePick{code, others});
                outcome = EpisodeOutcome::offered;
            }
        }
        if (take) {
            m_follower.grab(FeedMatch{id, code, false, take->title, take->magnetURL, take->seeders,
                                      take->source});
            outcome = EpisodeOutcome::grabbed;
        } else if (outcome == EpisodeOutcome::notFound) {
            m_records.logActivity(
                QStringLiteral("%1 %2 — no seeded release found at any quality").arg(name, code),
                ActivityEntry::Kind::error);
        }
        outcomes.insert(code, outcome);
        Q_EMIT episodeSearchFinished(id, code, outcome);
    }
    co_return outcomes;
}
