#include "TorrentsCsvIndex.h"

#include "IndexAnswer.h"
#include "Magnet.h"

#include <algorithm>

TorrentsCsvIndex::TorrentsCsvIndex(QNetworkAccessManager& network, QUrl base)
    : m_network(network)
    , m_base(std::move(base)) {}

QCoro::Task<QList<RawHit>> TorrentsCsvIndex::search(TorrentQuery query) const {
    Reply reply = co_await searchReported(std::move(query));
    co_return std::move(reply.hits);
}

QCoro::Task<TorrentIndex::Reply> TorrentsCsvIndex::searchReported(TorrentQuery query) const {
    const QUrl url = IndexAnswer::withQuery(
        m_base, {{QStringLiteral("q"), query.text},
                 {QStringLiteral("size"), QString::number(std::min(query.size, 100))}});
    const HttpResponse response = co_await httpFetch(m_network, IndexAnswer::get(url));
    auto hits = response.isOk() ? answerHits(response.body) : std::nullopt;
    if (!hits)
        co_return Reply{{}, Reply::Outcome::failed};
    co_return Reply{*std::move(hits), Reply::Outcome::answered};
}

std::optional<QList<RawHit>> TorrentsCsvIndex::answerHits(const QByteArray& body) {
    return IndexAnswer::hitsOfArray(body, "torrents", hit);
}

std::optional<RawHit> TorrentsCsvIndex::hit(const nlohmann::json& object) {
    using namespace IndexAnswer;
    const auto name = string(object, "name");
    const auto hash = string(object, "infohash");
    if (!name || !hash)
        return std::nullopt;
    auto magnet = makeMagnet(*hash, *name);
    if (!magnet)
        return std::nullopt;

    RawHit hit;
    hit.title = *name;
    hit.magnetURL = *std::move(magnet);
    hit.date = unixDate(object, "created_unix");
    hit.seeders = intOrZero(object, "seeders");
    hit.leechers = intOrZero(object, "leechers");
    hit.sizeBytes = int64OrZero(object, "size_bytes");
    hit.source = QStringLiteral("Torrents-CSV");
    hit.sourceID = integerText(object, "id");
    return hit;
}
