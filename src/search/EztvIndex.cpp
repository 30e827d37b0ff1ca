#include "EztvIndex.h"

#include "IndexAnswer.h"
#include "Magnet.h"

namespace {

bool isUsable(const QUrl& url) {
    return url.isValid() && !url.isRelative() && !url.host().isEmpty();
}

// The torrents of an answer, or none when the answer is unusable.
std::optional<QList<RawHit>> readAnswer(const HttpResponse& response) {
    if (!response.isOk())
        return std::nullopt;
    return EztvIndex::answerHits(response.body);
}

} // namespace

EztvIndex::EztvIndex(QNetworkAccessManager& network, QUrl primary, QUrl fallback)
    : m_network(network)
    , m_primary(std::move(primary))
    , m_fallback(std::move(fallback)) {}

QUrl EztvIndex::requestURL(const QUrl& base, const QString& imdbDigits) {
    if (!isUsable(base))
        return {};
    QString root = base.toString(QUrl::FullyEncoded | QUrl::RemoveQuery | QUrl::RemoveFragment);
    while (root.endsWith(u'/'))
        root.chop(1);
    // The id comes from TMDB; encode it so it can only ever be the one query value.
    const QUrl url(root + QStringLiteral("/api/get-torrents?imdb_id=") +
                       QString::fromLatin1(QUrl::toPercentEncoding(imdbDigits)) +
                       QStringLiteral("&limit=100&page=1"),
                   QUrl::StrictMode);
    return isUsable(url) ? url : QUrl();
}

QCoro::Task<QList<RawHit>> EztvIndex::search(TorrentQuery query) const {
    Reply reply = co_await searchReported(std::move(query));
    co_return std::move(reply.hits);
}

QCoro::Task<TorrentIndex::Reply> EztvIndex::searchReported(TorrentQuery query) const {
    // EZTV is searched by IMDb id only; without one there is nothing to ask.
    if (query.kind != TorrentQuery::Kind::tv || !query.imdbID || query.imdbID->isEmpty())
        co_return Reply{{}, Reply::Outcome::notAsked};
    QString digits = *query.imdbID;
    if (digits.startsWith(QLatin1String("tt")))
        digits.remove(0, 2);
    if (digits.isEmpty())
        co_return Reply{{}, Reply::Outcome::notAsked};

    QUrl url = requestURL(m_primary, digits);
    bool onFallback = false;
    if (!url.isValid()) {
        url = requestURL(m_fallback, digits);
        onFallback = true;
    }
    for (;;) {
        const HttpResponse response = co_await httpFetch(m_network, IndexAnswer::get(url));
        if (auto hits = readAnswer(response))
            co_return Reply{*std::move(hits), Reply::Outcome::answered};
        if (onFallback)
            co_return Reply{{}, Reply::Outcome::failed};
        url = requestURL(m_fallback, digits);
        onFallback = true;
    }
}

std::optional<QList<RawHit>> EztvIndex::answerHits(const QByteArray& body) {
    return IndexAnswer::hitsOfArray(body, "torrents", hit);
}

std::optional<RawHit> EztvIndex::hit(const nlohmann::json& object) {
    using namespace IndexAnswer;
    const auto title = string(object, "title");
    const auto magnetText = string(object, "magnet_url");
    if (!title || !magnetText)
        return std::nullopt;
    const QUrl magnet(*magnetText, QUrl::StrictMode);
    if (!isAcceptableIndexMagnet(magnet))
        return std::nullopt;

    RawHit hit;
    hit.title = *title;
    hit.magnetURL = addingDefaultTrackers(magnet);
    if (auto imdb = string(object, "imdb_id"); imdb && !imdb->isEmpty())
        hit.imdbID = QStringLiteral("tt") + *imdb;
    hit.date = unixDate(object, "date_released_unix");
    hit.seeders = intOrZero(object, "seeds");
    hit.leechers = intOrZero(object, "peers");
    if (const auto size = string(object, "size_bytes"))
        hit.sizeBytes = parseDecimalInteger(*size).value_or(0);
    hit.source = QStringLiteral("EZTV");
    hit.sourceID = integerText(object, "id");
    return hit;
}
