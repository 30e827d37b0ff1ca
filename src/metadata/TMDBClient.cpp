#include "TMDBClient.h"

#include "TMDBReader.h"
#include "net/HttpFetch.h"

#include <QPointer>

QString TMDBClient::Episode::id() const {
    return QStringLiteral("S%1E%2")
        .arg(season, 2, 10, QLatin1Char('0'))
        .arg(number, 2, 10, QLatin1Char('0'));
}

TMDBClient::TMDBClient(QNetworkAccessManager& network, QUrl base, QObject* parent)
    : QObject(parent)
    , m_network(network)
    , m_base(std::move(base)) {}

TMDBClient::~TMDBClient() = default;

QUrl TMDBClient::requestURL(const QString& path, const QList<std::pair<QString, QString>>& items,
                            const QString& key) const {
    if (!m_base.isValid() || m_base.isRelative())
        return {};
    QUrl url = m_base;
    QString basePath = url.path();
    while (basePath.endsWith(QLatin1Char('/')))
        basePath.chop(1);
    url.setPath(basePath + path);

    // Every value fully encoded: a "+" or "&" in a title must reach TMDB as itself.
    QByteArray query;
    auto append = [&query](const QString& name, const QString& value) {
        if (!query.isEmpty())
            query += '&';
        query += QUrl::toPercentEncoding(name) + '=' + QUrl::toPercentEncoding(value);
    };
    for (const auto& [name, value] : items)
        append(name, value);
    append(QStringLiteral("api_key"), key);
    url.setQuery(QString::fromLatin1(query), QUrl::StrictMode);
    return url.isValid() ? url : QUrl();
}

QCoro::Task<std::optional<QByteArray>> TMDBClient::fetch(QUrl url) {
    if (!url.isValid())
        co_return std::nullopt;
    HttpRequest request;
    request.url = url;
    request.timeout = kTimeout;
    request.maxBytes = kMaxAnswerBytes;
    const HttpResponse response = co_await httpFetch(m_network, std::move(request));
    if (!response.isOk())
        co_return std::nullopt;
    co_return response.body;
}

QCoro::Task<QList<TMDBClient::SeriesResult>> TMDBClient::searchSeries(QString query, QString key) {
    if (key.isEmpty())
        co_return QList<SeriesResult>{};
    // Built before the co_await: GCC 12 miscompiles braced lists inside one.
    QList<std::pair<QString, QString>> items;
    items.push_back({QStringLiteral("query"), query});
    const QUrl url = requestURL(QStringLiteral("/search/tv"), items, key);
    const auto body = co_await fetch(url);
    const auto answer = body ? TMDBReader::parseObject(*body) : std::nullopt;
    co_return answer ? TMDBReader::seriesSearch(*answer) : QList<SeriesResult>{};
}

QCoro::Task<QList<TMDBClient::MovieResult>> TMDBClient::searchMovies(QString query, QString key) {
    if (key.isEmpty())
        co_return QList<MovieResult>{};
    QList<std::pair<QString, QString>> items;
    items.push_back({QStringLiteral("query"), query});
    items.push_back({QStringLiteral("include_adult"), QStringLiteral("true")});
    const QUrl url = requestURL(QStringLiteral("/search/movie"), items, key);
    const auto body = co_await fetch(url);
    const auto answer = body ? TMDBReader::parseObject(*body) : std::nullopt;
    co_return answer ? TMDBReader::movieSearch(*answer) : QList<MovieResult>{};
}

QCoro::Task<std::optional<SeriesSeasons>> TMDBClient::seriesSeasons(int seriesID, QString key) {
    if (key.isEmpty())
        co_return std::nullopt;
    const auto body = co_await fetch(requestURL(QStringLiteral("/tv/%1").arg(seriesID), {}, key));
    const auto answer = body ? TMDBReader::parseObject(*body) : std::nullopt;
    co_return answer ? TMDBReader::seasons(*answer, seriesID) : std::nullopt;
}

QCoro::Task<std::optional<QString>> TMDBClient::seriesIMDbID(int seriesID, QString key) {
    if (key.isEmpty())
        co_return std::nullopt;
    const auto body =
        co_await fetch(requestURL(QStringLiteral("/tv/%1/external_ids").arg(seriesID), {}, key));
    const auto answer = body ? TMDBReader::parseObject(*body) : std::nullopt;
    co_return answer ? TMDBReader::imdbID(*answer) : std::nullopt;
}

QCoro::Task<std::optional<SeriesAirInfo>> TMDBClient::seriesAirInfo(int seriesID, QString key) {
    if (key.isEmpty())
        co_return std::nullopt;
    const auto body = co_await fetch(requestURL(QStringLiteral("/tv/%1").arg(seriesID), {}, key));
    const auto answer = body ? TMDBReader::parseObject(*body) : std::nullopt;
    if (!answer)
        co_return std::nullopt;
    co_return TMDBReader::airInfo(*answer);
}

QCoro::Task<QList<TMDBClient::Episode>> TMDBClient::seasonEpisodes(int seriesID, int season,
                                                                   QString key) {
    if (key.isEmpty())
        co_return QList<Episode>{};
    const auto body = co_await fetch(
        requestURL(QStringLiteral("/tv/%1/season/%2").arg(seriesID).arg(season), {}, key));
    const auto answer = body ? TMDBReader::parseObject(*body) : std::nullopt;
    co_return answer ? TMDBReader::episodes(*answer, season) : QList<Episode>{};
}
