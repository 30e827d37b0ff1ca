#include "TMDBClient.h"

#include "TMDBReader.h"
#include "net/HttpFetch.h"

#include <QPointer>

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

QCoro::Task<TMDBClient::Fetched> TMDBClient::fetch(QUrl url) {
    if (!url.isValid()) {
        Q_EMIT requestEnded(LookupFailure::badAnswer);
        co_return Fetched{std::nullopt, LookupFailure::badAnswer};
    }
    HttpRequest request;
    request.url = url;
    request.timeout = kTimeout;
    request.maxBytes = kMaxAnswerBytes;
    QPointer<TMDBClient> self(this);
    const HttpResponse response = co_await httpFetch(m_network, std::move(request));
    Fetched fetched;
    if (!response.answered())
        fetched.failure = response.failure == HttpResponse::Failure::tooLarge
                              ? LookupFailure::badAnswer
                              : LookupFailure::unreachable;
    else if (response.status == 401)
        fetched.failure = LookupFailure::refusedKey;
    else if (response.status != 200)
        fetched.failure = LookupFailure::badAnswer;
    else if (!(fetched.answer = TMDBReader::parseObject(response.body)))
        fetched.failure = LookupFailure::badAnswer;
    if (self)
        Q_EMIT self->requestEnded(fetched.failure);
    co_return fetched;
}

QCoro::Task<Lookup<QList<SeriesResult>>> TMDBClient::searchSeriesReported(QString query,
                                                                          QString key) {
    if (key.isEmpty())
        co_return Lookup<QList<SeriesResult>>{{}, LookupFailure::noKey};
    // Built before the co_await: GCC 12 miscompiles braced lists inside one.
    QList<std::pair<QString, QString>> items;
    items.push_back({QStringLiteral("query"), query});
    const QUrl url = requestURL(QStringLiteral("/search/tv"), items, key);
    const Fetched fetched = co_await fetch(url);
    co_return Lookup<QList<SeriesResult>>{fetched.answer ? TMDBReader::seriesSearch(*fetched.answer)
                                                         : QList<SeriesResult>{},
                                          fetched.failure};
}

QCoro::Task<QList<SeriesResult>> TMDBClient::searchSeries(QString query, QString key) {
    co_return (co_await searchSeriesReported(std::move(query), std::move(key))).value;
}

QCoro::Task<Lookup<QList<MovieResult>>> TMDBClient::searchMoviesReported(QString query,
                                                                         QString key) {
    if (key.isEmpty())
        co_return Lookup<QList<MovieResult>>{{}, LookupFailure::noKey};
    QList<std::pair<QString, QString>> items;
    items.push_back({QStringLiteral("query"), query});
    items.push_back({QStringLiteral("include_adult"), QStringLiteral("true")});
    const QUrl url = requestURL(QStringLiteral("/search/movie"), items, key);
    const Fetched fetched = co_await fetch(url);
    co_return Lookup<QList<MovieResult>>{fetched.answer ? TMDBReader::movieSearch(*fetched.answer)
                                                        : QList<MovieResult>{},
                                         fetched.failure};
}

QCoro::Task<QList<MovieResult>> TMDBClient::searchMovies(QString query, QString key) {
    co_return (co_await searchMoviesReported(std::move(query), std::move(key))).value;
}

QCoro::Task<Lookup<std::optional<SeriesSeasons>>> TMDBClient::seriesSeasonsReported(int seriesID,
                                                                                    QString key) {
    if (key.isEmpty())
        co_return Lookup<std::optional<SeriesSeasons>>{std::nullopt, LookupFailure::noKey};
    const Fetched fetched =
        co_await fetch(requestURL(QStringLiteral("/tv/%1").arg(seriesID), {}, key));
    co_return Lookup<std::optional<SeriesSeasons>>{
        fetched.answer ? TMDBReader::seasons(*fetched.answer, seriesID) : std::nullopt,
        fetched.failure};
}

QCoro::Task<std::optional<SeriesSeasons>> TMDBClient::seriesSeasons(int seriesID, QString key) {
    co_return (co_await seriesSeasonsReported(seriesID, std::move(key))).value;
}

QCoro::Task<std::optional<QString>> TMDBClient::seriesIMDbID(int seriesID, QString key) {
    if (key.isEmpty())
        co_return std::nullopt;
    const Fetched fetched =
        co_await fetch(requestURL(QStringLiteral("/tv/%1/external_ids").arg(seriesID), {}, key));
    co_return fetched.answer ? TMDBReader::imdbID(*fetched.answer) : std::nullopt;
}

QCoro::Task<std::optional<SeriesAirInfo>> TMDBClient::seriesAirInfo(int seriesID, QString key) {
    if (key.isEmpty())
        co_return std::nullopt;
    const Fetched fetched =
        co_await fetch(requestURL(QStringLiteral("/tv/%1").arg(seriesID), {}, key));
    if (!fetched.answer)
        co_return std::nullopt;
    co_return TMDBReader::airInfo(*fetched.answer);
}

QCoro::Task<Lookup<QList<Episode>>> TMDBClient::seasonEpisodesReported(int seriesID, int season,
                                                                       QString key) {
    if (key.isEmpty())
        co_return Lookup<QList<Episode>>{{}, LookupFailure::noKey};
    const Fetched fetched = co_await fetch(
        requestURL(QStringLiteral("/tv/%1/season/%2").arg(seriesID).arg(season), {}, key));
    co_return Lookup<QList<Episode>>{fetched.answer ? TMDBReader::episodes(*fetched.answer, season)
                                                    : QList<Episode>{},
                                     fetched.failure};
}

QCoro::Task<QList<Episode>> TMDBClient::seasonEpisodes(int seriesID, int season, QString key) {
    co_return (co_await seasonEpisodesReported(seriesID, season, std::move(key))).value;
}
