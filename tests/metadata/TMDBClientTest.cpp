#include "metadata/TMDBClient.h"

#include "AwaitTask.h"
#include "FakeHttpServer.h"
#include "Fixtures.h"

#include <QNetworkAccessManager>
#include <QTcpServer>

#include <gtest/gtest.h>

namespace {

using Items = QList<std::pair<QString, QString>>;

FakeHttpServer::Response json(QByteArray body, int status = 200) {
    return {status, std::move(body), "application/json", {}, 0};
}

// A recorded TMDB answer from tests/fixtures/tmdb.
FakeHttpServer::Response answer(const char* name) {
    return json(fixtureBytes(QStringLiteral("tmdb/%1.json").arg(name)));
}

class TMDBClientTest : public ::testing::Test {
protected:
    FakeHttpServer server;
    QNetworkAccessManager nam;
    TMDBClient client{nam, server.url(QStringLiteral("/3"))};

    const FakeHttpServer::Request& onlyRequest() {
        EXPECT_EQ(server.requests().size(), 1);
        return server.requests().front();
    }
};

TEST_F(TMDBClientTest, SearchSeriesAsksWithTheQueryAndKeyAndSkipsBrokenElements) {
    server.respondWith(answer("search-tv"));

    const auto results =
        awaitTask(client.searchSeries(QStringLiteral("Tom & Jerry + Co/ü"), QStringLiteral("k3y")));

    const auto& request = onlyRequest();
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.path, "/3/search/tv");
    EXPECT_EQ(request.queryItems, (Items{{"query", "Tom & Jerry + Co/ü"}, {"api_key", "k3y"}}));
    // "+" and "&" travel encoded, so TMDB reads them as themselves.
    EXPECT_TRUE(request.rawQuery.contains("%2B"));
    EXPECT_TRUE(request.rawQuery.contains("%26"));
    EXPECT_TRUE(request.header("Authorization").isEmpty());

    ASSERT_EQ(results.size(), 2);
    EXPECT_EQ(results.at(0), (TMDBClient::SeriesResult{1399, "Game of Thrones", QString("2011"),
                                                       "Kings.", std::nullopt}));
    EXPECT_EQ(results.at(1), (TMDBClient::SeriesResult{60625, "Rick and Morty", std::nullopt, "",
                                                       QString("/p.jpg")}));
}

TEST_F(TMDBClientTest, SearchMoviesReadsYearAndReleaseDateAtMidnightUTC) {
    server.respondWith(answer("search-movie"));

    const auto results =
        awaitTask(client.searchMovies(QStringLiteral("matrix"), QStringLiteral("k")));

    EXPECT_EQ(onlyRequest().path, "/3/search/movie");
    EXPECT_EQ(onlyRequest().queryItems,
              (Items{{"query", "matrix"}, {"include_adult", "true"}, {"api_key", "k"}}));
    ASSERT_EQ(results.size(), 3);
    EXPECT_EQ(results.at(0),
              (TMDBClient::MovieResult{603, "The Matrix", QString("1999"), "Neo.",
                                       QString("/m.jpg"), Timestamp::fromUnixSeconds(922838400)}));
    EXPECT_EQ(results.at(1).year, std::nullopt);
    EXPECT_EQ(results.at(1).releaseDate, std::nullopt);
    EXPECT_EQ(results.at(2).year, QString("1999"));
    EXPECT_EQ(results.at(2).releaseDate, std::nullopt);
}

TEST_F(TMDBClientTest, SeriesSeasonsDropsSpecialsAndSortsTheRest) {
    server.respondWith(answer("tv-seasons"));

    const auto seasons = awaitTask(client.seriesSeasons(1399, QStringLiteral("k")));

    EXPECT_EQ(onlyRequest().path, "/3/tv/1399");
    EXPECT_EQ(onlyRequest().queryItems, (Items{{"api_key", "k"}}));
    EXPECT_EQ(seasons, (std::optional<SeriesSeasons>{{1399, "Game of Thrones", {1, 2}}}));

    server.respondWith(answer("tv-seasons-without-name"));
    EXPECT_EQ(awaitTask(client.seriesSeasons(1399, QStringLiteral("k"))), std::nullopt);
}

TEST_F(TMDBClientTest, SeriesIMDbIDNeedsANonEmptyText) {
    server.respondWith(answer("external-ids"));
    EXPECT_EQ(awaitTask(client.seriesIMDbID(1399, QStringLiteral("k"))).value_or("none"),
              "tt0944947");
    EXPECT_EQ(server.requests().back().path, "/3/tv/1399/external_ids");

    for (const QByteArray body : {R"({"imdb_id":""})", R"({"imdb_id":null})", R"({})"}) {
        server.respondWith(json(body));
        EXPECT_EQ(awaitTask(client.seriesIMDbID(1399, QStringLiteral("k"))).value_or("none"),
                  "none")
            << body.constData();
    }
}

TEST_F(TMDBClientTest, SeriesAirInfoPrefersTheNextEpisodesSeason) {
    server.respondWith(answer("air-next-missing"));
    auto info = awaitTask(client.seriesAirInfo(5, QStringLiteral("k")));
    EXPECT_EQ(onlyRequest().path, "/3/tv/5");
    EXPECT_EQ(info, (std::optional<SeriesAirInfo>{
                        {QString("Returning Series"), 3, QString("S03E10"), {"US", "GB"}}}));

    server.respondWith(answer("air-next-known"));
    info = awaitTask(client.seriesAirInfo(5, QStringLiteral("k")));
    EXPECT_EQ(info, (std::optional<SeriesAirInfo>{{std::nullopt, 4, QString("S03E10"), {}}}));

    // A next episode without a season falls back to the last one; a half-known last gives no code.
    server.respondWith(answer("air-half-known"));
    info = awaitTask(client.seriesAirInfo(5, QStringLiteral("k")));
    EXPECT_EQ(info, (std::optional<SeriesAirInfo>{{std::nullopt, 2, std::nullopt, {}}}));

    // Nothing known is still an answer.
    server.respondWith(json("{}"));
    info = awaitTask(client.seriesAirInfo(5, QStringLiteral("k")));
    EXPECT_EQ(info, std::optional<SeriesAirInfo>{SeriesAirInfo{}});
}

TEST_F(TMDBClientTest, SeasonEpisodesNameTheUnnamedAndKeepTheAnswersOrder) {
    server.respondWith(answer("season-episodes"));

    const auto episodes = awaitTask(client.seasonEpisodes(5, 2, QStringLiteral("k")));

    EXPECT_EQ(onlyRequest().path, "/3/tv/5/season/2");
    using E = TMDBClient::Episode;
    EXPECT_EQ(episodes, (QList<E>{{2, 12, "Episode 12", Timestamp::fromUnixSeconds(1710460800)},
                                  {2, 3, "", std::nullopt},
                                  {2, 100, "Centennial", std::nullopt},
                                  {2, 4, "Episode 4", std::nullopt}}));
    EXPECT_EQ(episodes.at(0).id(), "S02E12");
    EXPECT_EQ(episodes.at(2).id(), "S02E100");
    EXPECT_EQ((E{1, 5, "", std::nullopt}).id(), "S01E05");
}

TEST_F(TMDBClientTest, AnEmptyKeyIsAnsweredWithoutAsking) {
    server.respondWith(answer("results-all-kinds"));
    const QString none;
    EXPECT_TRUE(awaitTask(client.searchSeries("x", none)).isEmpty());
    EXPECT_TRUE(awaitTask(client.searchMovies("x", none)).isEmpty());
    EXPECT_FALSE(awaitTask(client.seriesSeasons(1, none)).has_value());
    EXPECT_FALSE(awaitTask(client.seriesIMDbID(1, none)).has_value());
    EXPECT_FALSE(awaitTask(client.seriesAirInfo(1, none)).has_value());
    EXPECT_TRUE(awaitTask(client.seasonEpisodes(1, 1, none)).isEmpty());
    EXPECT_EQ(awaitTask(client.searchSeriesReported("x", none)).failure, TMDBClient::Failure::noKey);
    EXPECT_TRUE(server.requests().isEmpty());
}

// Every failure gives the plain forms nothing; the reported forms and the health signal say why.
void expectEverythingEmpty(TMDBClient& client, const char* what, TMDBClient::Failure why) {
    const QString key = QStringLiteral("k");
    QList<TMDBClient::Failure> ended;
    const auto watch = QObject::connect(&client, &TMDBClient::requestEnded,
                                        [&ended](TMDBClient::Failure f) { ended << f; });
    const auto series = awaitTask(client.searchSeriesReported("x", key));
    EXPECT_TRUE(series.value.isEmpty()) << what;
    EXPECT_EQ(series.failure, why) << what;
    EXPECT_EQ(awaitTask(client.searchMoviesReported("x", key)).failure, why) << what;
    EXPECT_EQ(awaitTask(client.seriesSeasonsReported(1, key)).failure, why) << what;
    EXPECT_EQ(awaitTask(client.seasonEpisodesReported(1, 1, key)).failure, why) << what;
    EXPECT_EQ(ended, QList<TMDBClient::Failure>(4, why)) << what;
    QObject::disconnect(watch);
    EXPECT_TRUE(awaitTask(client.searchSeries("x", key)).isEmpty()) << what;
    EXPECT_TRUE(awaitTask(client.searchMovies("x", key)).isEmpty()) << what;
    EXPECT_FALSE(awaitTask(client.seriesSeasons(1, key)).has_value()) << what;
    EXPECT_FALSE(awaitTask(client.seriesIMDbID(1, key)).has_value()) << what;
    EXPECT_FALSE(awaitTask(client.seriesAirInfo(1, key)).has_value()) << what;
    EXPECT_TRUE(awaitTask(client.seasonEpisodes(1, 1, key)).isEmpty()) << what;
}

TEST_F(TMDBClientTest, FailedRequestsGiveEmptyResults) {
    // Bodies that would be read fine with status 200.
    const QByteArray good = R"({"results":[{"id":1,"name":"x","title":"x"}],"name":"x",
        "imdb_id":"tt1","episodes":[{"episode_number":1}]})";
    using F = TMDBClient::Failure;
    const struct {
        const char* what;
        FakeHttpServer::Response response;
        F why;
    } cases[] = {
        {"401 rejected key", json(R"({"status_code":7,"status_message":"Invalid API key"})", 401),
         F::refusedKey},
        {"404", json(good, 404), F::badAnswer},
        {"500", json(good, 500), F::badAnswer},
        {"not JSON", json("<html>maintenance</html>"), F::badAnswer},
        {"array at the top", json(R"([{"results":[]}])"), F::badAnswer},
    };
    for (const auto& c : cases) {
        server.respondWith(c.response);
        expectEverythingEmpty(client, c.what, c.why);
    }
    EXPECT_EQ(server.requests().size(), 50);
}

TEST(TMDBClientNetwork, UnreachableHostAndBadBaseGiveEmptyResults) {
    QNetworkAccessManager nam;
    quint16 closedPort = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        closedPort = probe.serverPort();
    }
    TMDBClient unreachable(nam, QUrl(QStringLiteral("http://127.0.0.1:%1/3").arg(closedPort)));
    expectEverythingEmpty(unreachable, "connection refused", TMDBClient::Failure::unreachable);

    TMDBClient relative(nam, QUrl(QStringLiteral("api/3")));
    EXPECT_FALSE(relative.requestURL("/tv/1", {}, "k").isValid());
    expectEverythingEmpty(relative, "relative base", TMDBClient::Failure::badAnswer);
}

TEST(TMDBClientAddress, JoinsBaseAndPathWhateverTheTrailingSlash) {
    QNetworkAccessManager nam;
    TMDBClient slash(nam, QUrl(QStringLiteral("https://api.example.org/3/")));
    EXPECT_EQ(slash.requestURL("/tv/7/season/1", {}, "abc").toString(),
              "https://api.example.org/3/tv/7/season/1?api_key=abc");
    TMDBClient plain(nam, QUrl(QStringLiteral("https://api.example.org/3")));
    EXPECT_EQ(
        plain.requestURL("/search/tv", {{"query", "a b"}}, "abc").toString(QUrl::FullyEncoded),
        "https://api.example.org/3/search/tv?query=a%20b&api_key=abc");
}

} // namespace
