#include "KnabenIndex.h"

#include "IndexAnswer.h"
#include "Magnet.h"

#include <QSet>

#include <variant>

namespace {

using Answer = std::variant<QList<RawHit>, KnabenIndex::IndexError>;

Answer readAnswer(const HttpResponse& response, QSet<QString>& seen) {
    if (!response.isOk())
        return KnabenIndex::IndexError::badStatus;
    auto hits = KnabenIndex::answerHits(response.body, seen);
    if (!hits)
        return KnabenIndex::IndexError::badPayload;
    return *std::move(hits);
}

// The first of "id", "hash", "title" that is a string; "" when none is.
QString dedupKey(const IndexAnswer::Json& object) {
    for (const char* key : {"id", "hash", "title"}) {
        if (auto value = IndexAnswer::string(object, key))
            return *std::move(value);
    }
    return {};
}

} // namespace

QStringList apostropheVariants(const QString& text) {
    static const QList<QChar> apostrophes{u'\'', QChar(0x2019), QChar(0x2018), u'`'};
    QStringList pieces{QString()};
    for (const QChar c : text) {
        if (apostrophes.contains(c))
            pieces.append(QString());
        else
            pieces.last().append(c);
    }
    const QString spaced = pieces.join(u' ').simplified();
    const QString joined = pieces.join(QString()).simplified();
    QStringList variants;
    if (!spaced.isEmpty())
        variants.append(spaced);
    if (joined != spaced && !joined.isEmpty())
        variants.append(joined);
    return variants;
}

KnabenIndex::KnabenIndex(QNetworkAccessManager& network, QUrl apiURL)
    : m_network(network)
    , m_apiURL(std::move(apiURL)) {}

QByteArray KnabenIndex::requestBody(const QString& text, const TorrentQuery& query) {
    nlohmann::ordered_json body = nlohmann::ordered_json::object();
    body["search_type"] = "100%";
    body["search_field"] = "title";
    body["query"] = text.toStdString();
    body["order_by"] = query.order == TorrentQuery::Order::date ? "date" : "seeders";
    body["order_direction"] = "desc";
    body["size"] = query.size;
    body["hide_unsafe"] = true;
    body["hide_xxx"] = true;
    return QByteArray::fromStdString(
        body.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace));
}

QCoro::Task<QList<RawHit>> KnabenIndex::search(TorrentQuery query) const {
    Reply reply = co_await searchReported(std::move(query));
    co_return std::move(reply.hits);
}

QCoro::Task<TorrentIndex::Reply> KnabenIndex::searchReported(TorrentQuery query) const {
    const QStringList variants = apostropheVariants(query.text);
    Reply reply{{}, Reply::Outcome::failed};
    QSet<QString> seen;
    for (const QString& variant : variants) {
        const HttpResponse response = co_await httpFetch(
            m_network, IndexAnswer::postJson(m_apiURL, requestBody(variant, query)));
        Answer answer = readAnswer(response, seen);
        if (std::holds_alternative<IndexError>(answer))
            continue; // keep what the other spellings found
        reply.outcome = Reply::Outcome::answered;
        reply.hits.append(std::get<QList<RawHit>>(std::move(answer)));
    }
    co_return reply;
}

std::optional<QList<RawHit>> KnabenIndex::answerHits(const QByteArray& body, QSet<QString>& seen) {
    const auto answer = IndexAnswer::parse(body);
    if (!answer || !answer->is_object())
        return std::nullopt;
    const auto objects = answer->find("hits");
    if (objects == answer->end() || !IndexAnswer::isArrayOfObjects(*objects))
        return std::nullopt;
    QList<RawHit> hits;
    for (const auto& object : *objects) {
        const QString key = dedupKey(object);
        if (seen.contains(key))
            continue;
        seen.insert(key);
        if (auto mapped = hit(object))
            hits.append(*std::move(mapped));
    }
    return hits;
}

std::optional<RawHit> KnabenIndex::hit(const nlohmann::json& object) {
    using namespace IndexAnswer;
    const auto title = string(object, "title");
    const auto magnetText = string(object, "magnetUrl");
    if (!title || !magnetText)
        return std::nullopt;
    const QUrl magnet(*magnetText, QUrl::StrictMode);
    if (!isAcceptableIndexMagnet(magnet))
        return std::nullopt;

    RawHit hit;
    hit.title = *title;
    hit.magnetURL = addingDefaultTrackers(magnet);
    hit.seeders = intOrZero(object, "seeders");
    hit.leechers = intOrZero(object, "peers");
    hit.sizeBytes = int64OrZero(object, "bytes");
    if (const auto date = string(object, "date"))
        hit.date = parseInternetDate(*date);
    hit.source = string(object, "tracker").value_or(QStringLiteral("unknown"));
    hit.sourceID = string(object, "id");
    return hit;
}
