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
    co_return (co_await sweep(std::move(query))).hits;
}

QCoro::Task<FeedChecker::Sweep> FeedChecker::sweep(TorrentQuery query) const {
    // A copy: the sources stay alive for this search whatever happens to the checker.
    const Sources sources = m_sources;
    if (sources.isEmpty())
        co_return Sweep{};
    CompletionOrder<TorrentIndex::Reported> answers;
    for (const Source& source : sources)
        answers.add(source->searchReported(query), source);
    co_await answers.finished();
    Sweep sweep;
    QList<QList<RawHit>> hits;
    for (TorrentIndex::Reported& reply : answers.take()) {
        if (reply.reach != TorrentIndex::Reported::Reach::skipped)
            ++sweep.asked;
        if (reply.reach == TorrentIndex::Reported::Reach::answered)
            ++sweep.answered;
        hits.append(std::move(reply.hits));
    }
    sweep.hits = mergeHits(hits);
    co_return sweep;
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

QCoro::Task<FeedChecker::ReleaseSearch>
FeedChecker::searchShowReleasesReported(QString text, std::optional<Show::Quality> quality) {
    const Sweep found = co_await sweep(showReleasesQuery(std::move(text), quality));
    ReleaseSearch search;
    search.results.reserve(found.hits.size());
    for (const RawHit& hit : found.hits)
        search.results.append(searchResult(hit));
    search.indexesAsked = found.asked;
    search.indexesAnswered = found.answered;
    co_return search;
}

QCoro::Task<QList<SearchResult>>
FeedChecker::searchMovieReleases(QString text, std::optional<Show::Quality> quality) {
    TorrentQuery query;
    query.text = std::move(text);
    query.kind = TorrentQuery::Kind::movie;
    query.quality = quality;
    query.order = TorrentQuery::Order::seeders;
    query.size = 150;
    return searchReleases(std::move(query));
}

QCoro::Task<QList<SearchResult>> FeedChecker::episodeAlternates(Show show, QString episodeCode) {
    const QList<RawHit> hits = co_await searchAll(showQuery(show));
    co_return selectEpisodeAlternates(show, hits, episodeCode);
}

QCoro::Task<FeedChecker::Alternates> FeedChecker::episodeAlternatesReported(Show show,
                                                                           QString episodeCode) {
    const Sweep found = co_await sweep(showQuery(show));
    Alternates out;
    out.releases = selectEpisodeAlternates(show, found.hits, episodeCode);
    out.noIndexAnswered = found.asked > 0 && found.answered == 0;
    co_return out;
}
