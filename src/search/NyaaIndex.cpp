#include "NyaaIndex.h"

#include "IndexAnswer.h"
#include "Magnet.h"
#include "NyaaRSSParser.h"

NyaaIndex::NyaaIndex(QNetworkAccessManager& network, QUrl root)
    : m_network(network)
    , m_root(std::move(root)) {}

QCoro::Task<QList<RawHit>> NyaaIndex::search(TorrentQuery query) const {
    Reply reply = co_await searchReported(std::move(query));
    co_return std::move(reply.hits);
}

QCoro::Task<TorrentIndex::Reply> NyaaIndex::searchReported(TorrentQuery query) const {
    QUrl root = m_root;
    if (root.path().isEmpty())
        root.setPath(QStringLiteral("/"));
    const QUrl url = IndexAnswer::withQuery(root, {{QStringLiteral("page"), QStringLiteral("rss")},
                                                   {QStringLiteral("q"), query.text},
                                                   {QStringLiteral("c"), QStringLiteral("1_2")},
                                                   {QStringLiteral("f"), QStringLiteral("0")}});
    const HttpResponse response = co_await httpFetch(m_network, IndexAnswer::get(url));
    if (!response.isOk())
        co_return Reply{{}, Reply::Outcome::failed};
    co_return Reply{hits(response.body, query.size), Reply::Outcome::answered};
}

QList<RawHit> NyaaIndex::hits(const QByteArray& feed, int size) {
    NyaaRSSParser parser;
    if (!parser.parse(feed))
        return {};
    QList<RawHit> out;
    const qsizetype used = std::clamp<qsizetype>(size, 0, parser.items.size());
    for (qsizetype i = 0; i < used; ++i) {
        const NyaaRSSParser::Item& item = parser.items[i];
        if (!item.infoHash || item.infoHash->isEmpty())
            continue;
        auto magnet = makeMagnet(*item.infoHash, item.title);
        if (!magnet)
            continue;
        RawHit hit;
        hit.title = item.title;
        hit.magnetURL = *std::move(magnet);
        hit.seeders = item.seeders;
        hit.leechers = item.leechers;
        hit.sizeBytes = item.sizeBytes;
        hit.date = item.pubDate;
        hit.source = QStringLiteral("Nyaa");
        hit.sourceID = item.guid;
        out.append(std::move(hit));
    }
    return out;
}
