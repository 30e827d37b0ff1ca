#include "YtsIndex.h"

#include "IndexAnswer.h"
#include "Magnet.h"

#include <algorithm>

YtsIndex::YtsIndex(QNetworkAccessManager& network, QUrl host)
    : m_network(network)
    , m_host(std::move(host)) {}

QCoro::Task<QList<RawHit>> YtsIndex::search(TorrentQuery query) const {
    Reply reply = co_await searchReported(std::move(query));
    co_return std::move(reply.hits);
}

QCoro::Task<TorrentIndex::Reply> YtsIndex::searchReported(TorrentQuery query) const {
    if (query.kind != TorrentQuery::Kind::movie)
        co_return Reply{{}, Reply::Outcome::notAsked}; // movies only
    QUrl endpoint = m_host;
    QString path = endpoint.path();
    while (path.endsWith(u'/'))
        path.chop(1);
    endpoint.setPath(path + QStringLiteral("/api/v2/list_movies.json"));
    const QUrl url = IndexAnswer::withQuery(
        endpoint, {{QStringLiteral("query_term"), query.text},
                   {QStringLiteral("limit"), QString::number(std::min(query.size, 50))},
                   {QStringLiteral("sort_by"), query.order == TorrentQuery::Order::date
                                                   ? QStringLiteral("date_added")
                                                   : QStringLiteral("seeds")}});

    const HttpResponse response = co_await httpFetch(m_network, IndexAnswer::get(url));
    auto hits = response.isOk() ? answerHits(response.body, query.text) : std::nullopt;
    if (!hits)
        co_return Reply{{}, Reply::Outcome::failed};
    co_return Reply{*std::move(hits), Reply::Outcome::answered};
}

std::optional<QList<RawHit>> YtsIndex::answerHits(const QByteArray& body,
                                                  const QString& queryText) {
    const auto answer = IndexAnswer::parse(body);
    if (!answer || !answer->is_object() ||
        IndexAnswer::string(*answer, "status") != QLatin1String("ok"))
        return std::nullopt;
    const auto data = answer->find("data");
    if (data == answer->end() || !data->is_object())
        return std::nullopt;
    const auto movies = data->find("movies");
    if (movies == data->end() || !IndexAnswer::isArrayOfObjects(*movies))
        return std::nullopt;

    QList<RawHit> all;
    for (const auto& movie : *movies)
        all.append(hits(movie, queryText));
    return all;
}

QList<RawHit> YtsIndex::hits(const nlohmann::json& movie, const QString& queryText) {
    using namespace IndexAnswer;
    const QString displayTitle =
        string(movie, "title_long").value_or(string(movie, "title").value_or(queryText));
    std::optional<QString> imdbID;
    if (auto code = string(movie, "imdb_code"); code && !code->isEmpty())
        imdbID = code->startsWith(QLatin1String("tt")) ? *code : QStringLiteral("tt") + *code;

    QList<RawHit> out;
    const auto torrents = movie.find("torrents");
    if (torrents == movie.end() || !torrents->is_array())
        return out;
    for (const auto& torrent : *torrents) {
        const auto hash = string(torrent, "hash");
        if (!hash)
            continue;
        QString title = displayTitle;
        if (auto quality = string(torrent, "quality"); quality && !quality->isEmpty())
            title += QStringLiteral(" [") + *quality + u']';
        if (auto type = string(torrent, "type"); type && !type->isEmpty())
            title += QStringLiteral(" [") + type->toUpper() + u']';
        title += QStringLiteral(" [YTS]");
        auto magnet = makeMagnet(*hash, title);
        if (!magnet)
            continue;

        RawHit hit;
        hit.title = title;
        hit.magnetURL = *std::move(magnet);
        hit.date = unixDate(torrent, "date_uploaded_unix");
        hit.seeders = intOrZero(torrent, "seeds");
        hit.leechers = intOrZero(torrent, "peers");
        hit.sizeBytes = int64OrZero(torrent, "size_bytes");
        hit.source = QStringLiteral("YTS");
        hit.sourceID = *hash;
        hit.imdbID = imdbID;
        out.append(std::move(hit));
    }
    return out;
}
