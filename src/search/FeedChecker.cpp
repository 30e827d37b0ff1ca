#include "FeedChecker.h"

#include "ApibayIndex.h"
#include "CompletionOrder.h"
#include "EztvIndex.h"
#include "KnabenIndex.h"
#include "NyaaIndex.h"
#include "TitleGrammar.h"
#include "TorrentsCsvIndex.h"
#include "YtsIndex.h"
#include "model/ServiceEndpoints.h"

#include <QDateTime>
#include <QPointer>
#include <QSet>

FeedChecker::Sources FeedChecker::defaultSources(QNetworkAccessManager& network,
                                                 const ServiceEndpoints& endpoints) {
    return {
        std::make_shared<KnabenIndex>(network, endpoints.knabenAPI),
        std::make_shared<ApibayIndex>(network, endpoints.apibayQuery),
        std::make_shared<EztvIndex>(network, endpoints.eztvPrimary, endpoints.eztvFallback),
        std::make_shared<TorrentsCsvIndex>(network, endpoints.torrentsCsvSearch),
        std::make_shared<NyaaIndex>(network, endpoints.nyaaRoot),
        std::make_shared<YtsIndex>(network, endpoints.ytsHost),
    };
}

FeedChecker::FeedChecker(Sources sources, const Clock& clock, QObject* parent)
    : QObject(parent)
    , m_sources(std::move(sources))
    , m_clock(clock) {}

FeedChecker::~FeedChecker() = default;

const QRegularExpression& FeedChecker::compactEpisode() {
    static const QRegularExpression re(
        QStringLiteral(
            R"(s\d{1,2}e\d{1,2}|(?<!\d)\d{1,2}x\d{1,2}(?!\d)|(?<!\d)(?:19|20)\d{2}(?:0[1-9]|1[0-2])(?:0[1-9]|[12]\d|3[01])(?!\d))"),
        QRegularExpression::UseUnicodePropertiesOption);
    return re;
}

QCoro::Task<QList<RawHit>> FeedChecker::searchAll(TorrentQuery query) const {
    co_return (co_await searchAllReported(std::move(query))).first;
}

namespace {

// One index's reply with its name, so the tally can say who answered.
QCoro::Task<std::pair<QString, TorrentIndex::Reported>> namedReply(FeedChecker::Source source,
                                                                   TorrentQuery query) {
    TorrentIndex::Reported reply = co_await source->searchReported(std::move(query));
    co_return std::pair{source->name(), std::move(reply)};
}

void addOnce(QStringList& names, const QString& name) {
    if (!names.contains(name))
        names.append(name);
}

} // namespace

void FeedChecker::IndexTally::add(const IndexTally& other) {
    for (const QString& name : other.asked)
        addOnce(asked, name);
    for (const QString& name : other.answered)
        addOnce(answered, name);
}

QCoro::Task<std::pair<QList<RawHit>, FeedChecker::IndexTally>>
FeedChecker::searchAllReported(TorrentQuery query) const {
    const Sources sources = m_sources;
    IndexTally tally;
    if (sources.isEmpty())
        co_return std::pair{QList<RawHit>{}, tally};
    CompletionOrder<std::pair<QString, TorrentIndex::Reported>> answers;
    for (const Source& source : sources)
        answers.add(namedReply(source, query), source);
    co_await answers.finished();

    QList<QList<RawHit>> hits;
    const auto replies = answers.take();
    for (const auto& [name, reply] : replies) {
        // A task that threw leaves an empty name: it counts as asked and not answered.
        const QString shown = name.isEmpty() ? QStringLiteral("?") : name;
        if (reply.reach == TorrentIndex::Reported::Reach::skipped && !name.isEmpty())
            continue;
        addOnce(tally.asked, shown);
        if (reply.reach == TorrentIndex::Reported::Reach::answered && !name.isEmpty())
            addOnce(tally.answered, shown);
        hits.append(reply.hits);
    }
    // Source order, so the names read the same in every message.
    const auto bySource = [&](QStringList& names) {
        QStringList ordered;
        for (const Source& source : sources) {
            if (names.contains(source->name()))
                addOnce(ordered, source->name());
        }
        for (const QString& name : names)
            addOnce(ordered, name);
        names = ordered;
    };
    bySource(tally.asked);
    bySource(tally.answered);
    co_return std::pair{mergeHits(hits), tally};
}

QList<RawHit> FeedChecker::mergeHits(const QList<QList<RawHit>>& answers) {
    QList<RawHit> merged;
    QSet<QString> seen;
    for (const QList<RawHit>& hits : answers) {
        for (const RawHit& hit : hits) {
            if (isIncompleteOrDated(hit.title))
                continue;
            QString key = identityKey(hit);
            if (seen.contains(key))
                continue;
            seen.insert(std::move(key));
            merged.append(hit);
        }
    }
    return merged;
}

TorrentQuery FeedChecker::showQuery(const Show& show) {
    TorrentQuery query;
    const bool hasAlias = show.searchAlias && !show.searchAlias->trimmed().isEmpty();
    query.text = hasAlias ? *show.searchAlias : show.name;
    query.kind = TorrentQuery::Kind::tv;
    query.order = TorrentQuery::Order::date;
    query.size = 100;
    query.imdbID = show.imdbID;
    return query;
}

bool FeedChecker::nothingAiredYet(const Show& show, Timestamp now) {
    if (!show.nextAirDate)
        return false;
    const QDate day = show.nextAirDate->toDateTime().toUTC().date();
    if (!day.isValid())
        return false;
    const Timestamp dayStart = Timestamp::fromDateTime(QDateTime(day, QTime(0, 0), Qt::UTC));
    return now < dayStart - 86400.0;
}

QCoro::Task<QList<ShowCheckResult>> FeedChecker::checkShows(QList<Show> shows) {
    QPointer<FeedChecker> self(this);
    QList<ShowCheckResult> results;
    for (const Show& show : shows) {
        if (!show.isEnabled)
            continue;
        results.append(co_await checkShow(show, 3));
        if (!self)
            break;
    }
    co_return results;
}

QCoro::Task<FeedChecker::CheckReport> FeedChecker::checkShowsReported(QList<Show> shows) {
    QPointer<FeedChecker> self(this);
    CheckReport report;
    for (const Show& show : shows) {
        if (!show.isEnabled)
            continue;
        auto [result, tally] = co_await checkShowReported(show, 3);
        report.results.append(std::move(result));
        report.indexes.add(tally);
        if (!self)
            break;
    }
    co_return report;
}

QCoro::Task<std::pair<ShowCheckResult, FeedChecker::IndexTally>>
FeedChecker::checkShowReported(Show show, int limit) {
    if (nothingAiredYet(show, m_clock.now()))
        co_return std::pair{ShowCheckResult{show.id, {}, {}}, IndexTally{}};
    auto [hits, tally] = co_await searchAllReported(showQuery(show));
    co_return std::pair{selectShowReleases(show, hits, limit), tally};
}

QCoro::Task<ShowCheckResult> FeedChecker::checkShow(Show show, int limit) {
    if (nothingAiredYet(show, m_clock.now()))
        co_return ShowCheckResult{show.id, {}, {}};
    const QList<RawHit> hits = co_await searchAll(showQuery(show));
    co_return selectShowReleases(show, hits, limit);
}

QCoro::Task<QList<SearchResult>> FeedChecker::searchReleases(TorrentQuery query) {
    const QList<RawHit> hits = co_await searchAll(std::move(query));
    QList<SearchResult> results;
    results.reserve(hits.size());
    for (const RawHit& hit : hits)
        results.append(searchResult(hit));
    co_return results;
}

TorrentQuery FeedChecker::showReleasesQuery(QString text, std::optional<Show::Quality> quality) {
    TorrentQuery query;
    query.text = std::move(text);
    query.kind = TorrentQuery::Kind::tv;
    query.quality = quality;
    query.order = TorrentQuery::Order::date;
    query.size = 150;
    return query;
}

QCoro::Task<QList<SearchResult>>
FeedChecker::searchShowReleases(QString text, std::optional<Show::Quality> quality) {
    return searchReleases(showReleasesQuery(std::move(text), quality));
}

QCoro::Task<FeedChecker::ReleaseSearch> FeedChecker::searchReleasesReported(TorrentQuery query) {
    const auto [hits, tally] = co_await searchAllReported(std::move(query));
    ReleaseSearch search;
    search.results.reserve(hits.size());
    for (const RawHit& hit : hits)
        search.results.append(searchResult(hit));
    search.indexesAsked = int(tally.asked.size());
    search.indexesAnswered = int(tally.answered.size());
    co_return search;
}

QCoro::Task<FeedChecker::ReleaseSearch>
FeedChecker::searchShowReleasesReported(QString text, std::optional<Show::Quality> quality) {
    return searchReleasesReported(showReleasesQuery(std::move(text), quality));
}

TorrentQuery FeedChecker::movieQuery(QString text, std::optional<Show::Quality> quality) {
    TorrentQuery query;
    query.text = std::move(text);
    query.kind = TorrentQuery::Kind::movie;
    query.quality = quality;
    query.order = TorrentQuery::Order::seeders;
    query.size = 150;
    return query;
}

QCoro::Task<QList<SearchResult>>
FeedChecker::searchMovieReleases(QString text, std::optional<Show::Quality> quality) {
    return searchReleases(movieQuery(std::move(text), quality));
}

QCoro::Task<FeedChecker::ReleaseSearch>
FeedChecker::searchMovieReleasesReported(QString text, std::optional<Show::Quality> quality) {
    return searchReleasesReported(movieQuery(std::move(text), quality));
}

QCoro::Task<QList<SearchResult>> FeedChecker::episodeAlternates(Show show, QString episodeCode) {
    const QList<RawHit> hits = co_await searchAll(showQuery(show));
    co_return selectEpisodeAlternates(show, hits, episodeCode);
}

QCoro::Task<FeedChecker::Alternates> FeedChecker::episodeAlternatesReported(Show show,
                                                                           QString episodeCode) {
    const auto [hits, tally] = co_await searchAllReported(showQuery(show));
    Alternates out;
    out.releases = selectEpisodeAlternates(show, hits, episodeCode);
    out.noIndexAnswered = tally.noneAnswered();
    co_return out;
}
