#include "ApibayIndex.h"

#include "CompletionOrder.h"
#include "IndexAnswer.h"
#include "Magnet.h"

#include <QSet>

#include <cmath>

namespace {

// None when the category gave no usable answer.
QCoro::Task<std::optional<QList<RawHit>>> searchCategory(QNetworkAccessManager& network, QUrl url) {
    const HttpResponse response = co_await httpFetch(network, IndexAnswer::get(url));
    if (!response.isOk())
        co_return std::nullopt;
    co_return ApibayIndex::answerHits(response.body);
}

// apibay writes every number as a string.
qint64 integerOrZero(const std::optional<QString>& text) {
    return text ? IndexAnswer::parseDecimalInteger(*text).value_or(0) : 0;
}

std::optional<Timestamp> secondsSince1970(const std::optional<QString>& text) {
    if (!text || text->isEmpty() || text->size() > 32)
        return std::nullopt;
    if (const auto whole = IndexAnswer::parseDecimalInteger(*text))
        return Timestamp::fromUnixSeconds(static_cast<double>(*whole));
    for (const QChar c : *text) {
        if (!c.isDigit() && c != u'.' && c != u'-' && c != u'+')
            return std::nullopt;
    }
    bool ok = false;
    const double seconds = text->toDouble(&ok);
    if (!ok || !std::isfinite(seconds))
        return std::nullopt;
    return Timestamp::fromUnixSeconds(seconds);
}

} // namespace

ApibayIndex::ApibayIndex(QNetworkAccessManager& network, QUrl base)
    : m_network(network)
    , m_base(std::move(base)) {}

QStringList ApibayIndex::categories(TorrentQuery::Kind kind) {
    if (kind == TorrentQuery::Kind::tv)
        return {QStringLiteral("205"), QStringLiteral("208")};
    return {QStringLiteral("201"), QStringLiteral("207")};
}

QCoro::Task<QList<RawHit>> ApibayIndex::search(TorrentQuery query) const {
    Reply reply = co_await searchReported(std::move(query));
    co_return std::move(reply.hits);
}

QCoro::Task<TorrentIndex::Reply> ApibayIndex::searchReported(TorrentQuery query) const {
    CompletionOrder<std::optional<QList<RawHit>>> answers;
    for (const QString& category : categories(query.kind)) {
        const QUrl url = IndexAnswer::withQuery(
            m_base, {{QStringLiteral("q"), query.text}, {QStringLiteral("cat"), category}});
        answers.add(searchCategory(m_network, url));
    }
    co_await answers.finished();

    Reply reply{{}, Reply::Outcome::failed};
    QSet<QString> seen;
    for (std::optional<QList<RawHit>>& hits : answers.take()) {
        if (!hits)
            continue;
        reply.outcome = Reply::Outcome::answered;
        for (RawHit& hit : *hits) {
            const QString key = identityKey(hit);
            if (seen.contains(key))
                continue;
            seen.insert(key);
            reply.hits.append(std::move(hit));
        }
    }
    co_return reply;
}

std::optional<QList<RawHit>> ApibayIndex::answerHits(const QByteArray& body) {
    const auto answer = IndexAnswer::parse(body);
    if (!answer)
        return std::nullopt;
    return IndexAnswer::hitsOf(*answer, &ApibayIndex::hit);
}

std::optional<RawHit> ApibayIndex::hit(const nlohmann::json& object) {
    using namespace IndexAnswer;
    const auto name = string(object, "name");
    const auto hash = string(object, "info_hash");
    if (!name || !hash || hash->isEmpty() || *hash == QString(40, u'0') ||
        *name == QLatin1String("No results returned"))
        return std::nullopt;
    auto magnet = makeMagnet(*hash, *name);
    if (!magnet)
        return std::nullopt;

    RawHit hit;
    hit.title = *name;
    hit.magnetURL = *std::move(magnet);
    if (auto imdb = string(object, "imdb"); imdb && !imdb->isEmpty())
        hit.imdbID = *std::move(imdb);
    hit.date = secondsSince1970(string(object, "added"));
    hit.seeders = clampedToInt(integerOrZero(string(object, "seeders")));
    hit.leechers = clampedToInt(integerOrZero(string(object, "leechers")));
    hit.sizeBytes = integerOrZero(string(object, "size"));
    hit.source = QStringLiteral("The Pirate Bay");
    hit.sourceID = string(object, "id");
    return hit;
}
