#include "metadata/TMDBClient.h"

#include "AwaitTask.h"
#include "DaemonSupport.h"
#include "FakeHttpServer.h"
#include "Fixtures.h"

#include <QNetworkAccessManager>

#include <gtest/gtest.h>

namespace {

using nlohmann::json;
using F = LookupFailure;

json text(const std::optional<QString>& v) {
    return v ? json(v->toStdString()) : json();
}

json seconds(const std::optional<Timestamp>& t) {
    return t ? json(t->toUnixSeconds()) : json();
}

// What one call hands back, written as the rows of tests/fixtures/tmdb/cases.json write it.
json callAndDescribe(TMDBClient& client, const std::string& call) {
    const QString key = "k3y";
    json out = json::array();
    if (call == "searchSeries") {
        for (const auto& r : awaitTask(client.searchSeries("Tom & Jerry + Co/ü", key)))
            out.push_back({r.id, r.name.toStdString(), text(r.firstAirYear),
                           r.overview.toStdString(), text(r.posterPath)});
    } else if (call == "searchMovies") {
        for (const auto& r : awaitTask(client.searchMovies("Tom & Jerry + Co/ü", key)))
            out.push_back({r.id, r.title.toStdString(), text(r.year), r.overview.toStdString(),
                           text(r.posterPath), seconds(r.releaseDate)});
    } else if (call == "seriesSeasons") {
        const auto s = awaitTask(client.seriesSeasons(1399, key));
        return s ? json{s->id, s->name.toStdString(),
                        json(std::vector<int>(s->seasons.begin(), s->seasons.end()))}
                 : json();
    } else if (call == "seriesIMDbID") {
        return text(awaitTask(client.seriesIMDbID(1399, key)));
    } else if (call == "seriesAirInfo") {
        const auto a = awaitTask(client.seriesAirInfo(1399, key));
        if (!a)
            return json();
        json origin = json::array();
        for (const QString& c : a->originCountries)
            origin.push_back(c.toStdString());
        return {text(a->status), a->currentSeason ? json(*a->currentSeason) : json(),
                text(a->lastAiredCode), origin};
    } else {
        for (const auto& e : awaitTask(client.seasonEpisodes(1399, 2, key)))
            out.push_back({e.season, e.number, e.name.toStdString(), seconds(e.airDate),
                           e.id().toStdString()});
    }
    return out;
}

class TMDBClientTest : public ::testing::Test {
protected:
    FakeHttpServer server;
    QNetworkAccessManager nam;
    TMDBClient client{nam, server.url("/3")};
};

TEST_F(TMDBClientTest, AsksEachEndpointAndReadsItsAnswer) {
    for (const json& c : fixtureJson("tmdb/cases.json")) {
        SCOPED_TRACE(c.dump().substr(0, 120));
        server.clearRequests();
        server.respondWith({200, c.contains("answer")
                                     ? fixtureBytes(qstr(c["answer"]))
                                     : QByteArray::fromStdString(c["body"].dump())});
        EXPECT_EQ(callAndDescribe(client, c["call"]), c["result"]);
        ASSERT_EQ(server.requests().size(), 1);
        const auto& request = server.requests().front();
        EXPECT_EQ(request.method, "GET");
        EXPECT_TRUE(request.header("Authorization").isEmpty());
        EXPECT_EQ(request.path, qstr(c["path"]));
        QList<std::pair<QString, QString>> items;
        for (const json& item : c["query"])
            items.append({qstr(item[0]), qstr(item[1])});
        EXPECT_EQ(request.queryItems, items);
    }
    // "+" and "&" travel encoded, so TMDB reads them as themselves.
    server.clearRequests();
    awaitTask(client.searchSeries("a+b&c", "k"));
    EXPECT_TRUE(server.requests().front().rawQuery.startsWith("query=a%2Bb%26c&"));
}

// Every failure gives the plain forms nothing; the reported forms and the health signal say why
// (without a key nothing is asked, and nothing is signalled).
void expectEverythingEmpty(TMDBClient& client, const char* what, F why, const QString& key = "k") {
    QList<F> ended;
    const auto watch =
        QObject::connect(&client, &TMDBClient::requestEnded, [&ended](F f) { ended << f; });
    const auto series = awaitTask(client.searchSeriesReported("x", key));
    EXPECT_TRUE(series.value.isEmpty()) << what;
    EXPECT_EQ(series.failure, why) << what;
    EXPECT_EQ(awaitTask(client.searchMoviesReported("x", key)).failure, why) << what;
    EXPECT_EQ(awaitTask(client.seriesSeasonsReported(1, key)).failure, why) << what;
    EXPECT_EQ(awaitTask(client.seasonEpisodesReported(1, 1, key)).failure, why) << what;
    EXPECT_EQ(ended, QList<F>(why == F::noKey ? 0 : 4, why)) << what;
    QObject::disconnect(watch);
    EXPECT_TRUE(awaitTask(client.searchSeries("x", key)).isEmpty()) << what;
    EXPECT_TRUE(awaitTask(client.searchMovies("x", key)).isEmpty()) << what;
    EXPECT_FALSE(awaitTask(client.seriesSeasons(1, key)).has_value()) << what;
    EXPECT_FALSE(awaitTask(client.seriesIMDbID(1, key)).has_value()) << what;
    EXPECT_FALSE(awaitTask(client.seriesAirInfo(1, key)).has_value()) << what;
    EXPECT_TRUE(awaitTask(client.seasonEpisodes(1, 1, key)).isEmpty()) << what;
}

TEST_F(TMDBClientTest, FailedRequestsGiveEmptyResults) {
    const std::map<std::string, F> failures{{"refusedKey", F::refusedKey},
                                            {"badAnswer", F::badAnswer}};
    for (const json& c : fixtureJson("tmdb/failures.json")) {
        const json& body = c["body"];
        server.respondWith(
            {c["status"],
             QByteArray::fromStdString(body.is_string() ? body.get<std::string>() : body.dump())});
        expectEverythingEmpty(client, c["what"].get<std::string>().c_str(), failures.at(c["why"]));
    }
    EXPECT_EQ(server.requests().size(), 50);
    expectEverythingEmpty(client, "no key", F::noKey, QString());
    EXPECT_EQ(server.requests().size(), 50);

    TMDBClient unreachable(nam,
                           QUrl(QStringLiteral("http://127.0.0.1:%1/3").arg(freeLoopbackPort())));
    expectEverythingEmpty(unreachable, "connection refused", F::unreachable);
    TMDBClient relative(nam, QUrl("api/3"));
    EXPECT_FALSE(relative.requestURL("/tv/1", {}, "k").isValid());
    expectEverythingEmpty(relative, "relative base", F::badAnswer);
}

TEST(TMDBClientAddress, JoinsBaseAndPathThoughTheBaseEndsInASlash) {
    QNetworkAccessManager nam;
    TMDBClient slash(nam, QUrl("https://api.example.org/3/"));
    EXPECT_EQ(slash.requestURL("/tv/7/season/1", {}, "abc").toString(),
              "https://api.example.org/3/tv/7/season/1?api_key=abc");
}

} // namespace
