// Each index against its recorded answers (tests/fixtures/indexes/cases.json): what it asks,
// every field of what it hands on, and whether it says it answered, so a check can tell
// "nothing found" from "no index could be reached".

#include "DaemonSupport.h"
#include "FakeHttpServer.h"
#include "Fixtures.h"
#include "SearchTestSupport.h"
#include "search/ApibayIndex.h"
#include "search/EztvIndex.h"
#include "search/KnabenIndex.h"
#include "search/NyaaIndex.h"
#include "search/NyaaRSSParser.h"
#include "search/TorrentsCsvIndex.h"
#include "search/YtsIndex.h"

#include <QNetworkAccessManager>
#include <QUrlQuery>

#include <gtest/gtest.h>

using nlohmann::json;

namespace {

json optionalText(const std::optional<QString>& v) {
    return v ? json(v->toStdString()) : json();
}

// Every field a case may name, so a case lists only what it is about.
json describe(const RawHit& hit) {
    const QStringList trackers = QUrlQuery(hit.magnetURL).allQueryItemValues("tr", QUrl::FullyDecoded);
    EXPECT_EQ(QSet<QString>(trackers.begin(), trackers.end()).size(), trackers.size()) << hit.title.toStdString();
    return {{"title", hit.title.toStdString()}, {"seeders", hit.seeders}, {"leechers", hit.leechers},
            {"size", hit.sizeBytes}, {"date", hit.date ? json(hit.date->toUnixSeconds()) : json()},
            {"source", hit.source.toStdString()}, {"sourceID", optionalText(hit.sourceID)},
            {"imdb", optionalText(hit.imdbID)}, {"hash", optionalText(infoHash(hit.magnetURL))},
            {"trackers", trackers.size()},
            {"dn", QUrlQuery(hit.magnetURL).queryItemValue("dn", QUrl::FullyDecoded).toStdString()},
            {"magnet", hit.magnetURL.toString(QUrl::FullyEncoded).toStdString()}};
}

// A case marked "refused" asks a port nobody listens on.
std::unique_ptr<TorrentIndex> makeIndex(const json& c, QNetworkAccessManager& network,
                                        const FakeHttpServer& server) {
    const QUrl base = c.value("refused", false)
                          ? QUrl(QStringLiteral("http://127.0.0.1:%1").arg(freeLoopbackPort()))
                          : server.baseUrl();
    const auto at = [&base](const char* path) { return base.resolved(QUrl(path)); };
    const std::string kind = c["index"];
    if (kind == "knaben")
        return std::make_unique<KnabenIndex>(network, at("/v1"));
    if (kind == "apibay")
        return std::make_unique<ApibayIndex>(network, at("/q.php"));
    if (kind == "eztv")
        return std::make_unique<EztvIndex>(network, c.value("primaryUnusable", false) ? QUrl() : at("/primary"),
                                           at("/fallback"));
    if (kind == "torrentscsv")
        return std::make_unique<TorrentsCsvIndex>(network, at("/service/search"));
    if (kind == "nyaa")
        return std::make_unique<NyaaIndex>(network, at("/"));
    return std::make_unique<YtsIndex>(network, base);
}

TorrentQuery queryOf(const json& q) {
    TorrentQuery query;
    query.text = qstr(q.value("text", json("Show")));
    query.kind = q.value("kind", "tv") == "tv" ? TorrentQuery::Kind::tv : TorrentQuery::Kind::movie;
    query.order = q.value("order", query.kind == TorrentQuery::Kind::tv ? "date" : "seeders") == "date"
                      ? TorrentQuery::Order::date : TorrentQuery::Order::seeders;
    query.size = q.value("size", 100);
    if (q.contains("imdb"))
        query.imdbID = qstr(q["imdb"]);
    return query;
}

} // namespace

TEST(IndexClients, AskAndMapTheirAnswers) {
    const char* reaches[] = {"answered", "unreachable", "skipped"}; // in declaration order
    for (const json& c : fixtureJson("indexes/cases.json")) {
        SCOPED_TRACE(c["name"].get<std::string>());
        QNetworkAccessManager network;
        FakeHttpServer server;
        for (const json& r : c.value("routes", json::array())) {
            FakeHttpServer::Response answer{r.value("status", 200),
                                            r.contains("file") ? fixtureBytes(qstr(r["file"])) : QByteArray::fromStdString(r.value("body", "")),
                                            "application/json", {}, r.value("delay", 0)};
            server.route({QByteArray::fromStdString(r.value("method", "")), qstr(r.value("path", json(""))),
                          answer, QByteArray::fromStdString(r.value("bodyContains", ""))});
        }
        const auto index = makeIndex(c, network, server);
        const TorrentQuery query = queryOf(c.value("query", json::object()));
        const auto reply = awaitTask(index->searchReported(query));
        const QList<RawHit>& hits = reply.hits;

        if (c.contains("requests")) {
            std::vector<std::string> asked;
            for (const auto& r : server.requests()) {
                EXPECT_EQ(r.header("User-Agent"), "Lumivane/0.1");
                asked.push_back((r.method + ' ' + r.path.toUtf8() + (r.rawQuery.isEmpty() ? "" : "?" + r.rawQuery) +
                                 (r.body.isEmpty() ? "" : ' ' + r.body)).toStdString());
                EXPECT_TRUE(r.method != "POST" || r.header("Content-Type") == "application/json");
            }
            std::sort(asked.begin(), asked.end());
            EXPECT_EQ(json(asked), c["requests"]);
        }
        if (c.contains("reach")) {
            EXPECT_EQ(reaches[int(reply.reach)], c["reach"]);
            // The plain search hands on the same hits, whatever happened.
            EXPECT_EQ(awaitTask(index->search(query)).size(), hits.size());
        }
        ASSERT_EQ(hits.size(), c.contains("hits") ? int(c["hits"].size()) : c.value("hitCount", 0));
        for (int i = 0; i < int(c.value("hits", json::array()).size()); ++i) {
            const json actual = describe(hits[i]);
            for (const auto& [key, want] : c["hits"][i].items()) {
                if (key == "magnetEnd") {
                    EXPECT_TRUE(qstr(actual["magnet"]).endsWith(qstr(want))) << actual["magnet"];
                }
                else if (want.is_number_float())
                    EXPECT_NEAR(actual[key].get<double>(), want.get<double>(), 1e-3) << i << ' ' << key;
                else
                    EXPECT_EQ(actual[key], want) << i << ' ' << key;
            }
        }
    }
}

TEST(IndexClients, OversizedAnswersYieldNothing) {
    QNetworkAccessManager network;
    FakeHttpServer server;
    QByteArray huge = R"({"torrents":[)";
    const QByteArray one = R"({"name":"Show S01E01","infohash":"e3b0c44298fc1c149afbf4c8996fb92427ae41e4"},)";
    while (huge.size() < 5 * 1024 * 1024)
        huge += one;
    server.respondWith({200, huge + one.chopped(1) + "]}", "application/json", {}, 0});
    EXPECT_TRUE(awaitTask(TorrentsCsvIndex(network, server.url("/s")).search(TorrentQuery{})).isEmpty());
}

TEST(IndexClients, ReadTheirTexts) {
    const json texts = fixtureJson("indexes/texts.json");
    for (const json& c : texts["apostropheVariants"]) {
        QStringList want;
        for (const json& v : c[1])
            want << qstr(v);
        EXPECT_EQ(apostropheVariants(qstr(c[0])), want) << c[0];
    }
    for (const json& c : texts["nyaaSizes"])
        EXPECT_EQ(parseNyaaSize(qstr(c[0])), c[1].get<qint64>()) << c[0];
    for (const json& c : texts["rssDates"]) {
        const auto date = parseRssDate(qstr(c[0]));
        EXPECT_EQ(date ? json(date->toUnixSeconds()) : json(), c[1]) << c[0];
    }
}
