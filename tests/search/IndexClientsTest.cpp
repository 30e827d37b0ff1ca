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

// Every field a test may name, so a case lists only what it is about.
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

std::unique_ptr<TorrentIndex> makeIndex(const json& c, QNetworkAccessManager& network,
                                        const FakeHttpServer& server) {
    const std::string kind = c["index"];
    if (kind == "knaben")
        return std::make_unique<KnabenIndex>(network, server.url("/v1"));
    if (kind == "apibay")
        return std::make_unique<ApibayIndex>(network, server.url("/q.php"));
    if (kind == "eztv")
        return std::make_unique<EztvIndex>(network, c.value("primaryUnusable", false) ? QUrl() : server.url("/primary"),
                                           server.url("/fallback"));
    if (kind == "torrentscsv")
        return std::make_unique<TorrentsCsvIndex>(network, server.url("/service/search"));
    if (kind == "nyaa")
        return std::make_unique<NyaaIndex>(network, server.url("/"));
    return std::make_unique<YtsIndex>(network, server.baseUrl());
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

// Each index against its recorded answers: what it asks, and every field of what it hands on.
TEST(IndexClients, AskAndMapTheirAnswers) {
    for (const json& c : fixtureJson("indexes/cases.json")) {
        SCOPED_TRACE(c["name"].get<std::string>());
        QNetworkAccessManager network;
        FakeHttpServer server;
        for (const json& r : c["routes"]) {
            FakeHttpServer::Response answer{r.value("status", 200),
                                            r.contains("file") ? fixtureBytes(qstr(r["file"])) : QByteArray::fromStdString(r.value("body", "")),
                                            "application/json", {}, r.value("delay", 0)};
            server.route({QByteArray::fromStdString(r.value("method", "")), qstr(r.value("path", json(""))),
                          answer, QByteArray::fromStdString(r.value("bodyContains", ""))});
        }
        const QList<RawHit> hits = awaitTask(makeIndex(c, network, server)->search(queryOf(c.value("query", json::object()))));

        if (c.contains("requests")) {
            std::vector<std::string> asked;
            for (const auto& r : server.requests()) {
                EXPECT_EQ(r.header("User-Agent"), "Lumivane/0.1");
                asked.push_back((r.method + ' ' + r.path.toUtf8() + (r.rawQuery.isEmpty() ? "" : "?" + r.rawQuery) +
                                 (r.body.isEmpty() ? "" : ' ' + r.body)).toStdString());
                if (r.method == "POST") {
                    EXPECT_EQ(r.header("Content-Type"), "application/json");
                }
            }
            std::sort(asked.begin(), asked.end());
            EXPECT_EQ(json(asked), c["requests"]);
        }
        if (c.contains("hitCount")) {
            EXPECT_EQ(hits.size(), c["hitCount"].get<int>());
        }
        if (!c.contains("hits"))
            continue;
        ASSERT_EQ(hits.size(), c["hits"].size());
        for (int i = 0; i < hits.size(); ++i) {
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

TEST(IndexClients, OversizedUnreachableAndTruncatedAnswersYieldNothing) {
    QNetworkAccessManager network;
    FakeHttpServer server;
    QByteArray huge = R"({"torrents":[)";
    const QByteArray one = R"({"name":"Show S01E01","infohash":"e3b0c44298fc1c149afbf4c8996fb92427ae41e4"},)";
    while (huge.size() < 5 * 1024 * 1024)
        huge += one;
    server.respondWith({200, huge + one.chopped(1) + "]}", "application/json", {}, 0});
    EXPECT_TRUE(awaitTask(TorrentsCsvIndex(network, server.url("/s")).search(TorrentQuery{})).isEmpty());
    const TorrentsCsvIndex unreachable(network, QUrl("http://127.0.0.1:9/service/search"));
    EXPECT_TRUE(awaitTask(unreachable.search(TorrentQuery{})).isEmpty());
    // Only the first three items are read; the third has no hash.
    EXPECT_EQ(NyaaIndex::hits(fixtureBytes("indexes/nyaa-feed.xml"), 3).size(), 2);
    EXPECT_TRUE(NyaaIndex::hits(fixtureBytes("indexes/nyaa-feed.xml"), 0).isEmpty());
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
