#include "FakeHttpServer.h"
#include "SearchTestSupport.h"
#include "search/ApibayIndex.h"
#include "search/EztvIndex.h"
#include "search/KnabenIndex.h"
#include "search/NyaaIndex.h"
#include "search/NyaaRSSParser.h"
#include "search/TorrentsCsvIndex.h"
#include "search/YtsIndex.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QUrlQuery>

#include <gtest/gtest.h>

using Response = FakeHttpServer::Response;
using QueryItems = QList<std::pair<QString, QString>>;

namespace {

Response reply(int status, QByteArray body, QByteArray contentType = "application/json",
               int delayMs = 0) {
    Response r;
    r.status = status;
    r.body = std::move(body);
    r.contentType = std::move(contentType);
    r.delayMs = delayMs;
    return r;
}

QStringList titles(const QList<RawHit>& hits) {
    QStringList out;
    for (const RawHit& hit : hits)
        out.append(hit.title);
    return out;
}

double unixSeconds(const std::optional<Timestamp>& t) {
    return t ? t->toUnixSeconds() : -1.0;
}

int trackerCount(const QUrl& magnet) {
    return static_cast<int>(QUrlQuery(magnet).allQueryItemValues("tr").size());
}

void expectIndexHeaders(const FakeHttpServer::Request& request) {
    EXPECT_EQ(request.header("User-Agent"), "Lumivane/0.1");
}

TorrentQuery tvQuery(const QString& text, int size = 100) {
    TorrentQuery q;
    q.text = text;
    q.kind = TorrentQuery::Kind::tv;
    q.order = TorrentQuery::Order::date;
    q.size = size;
    return q;
}

TorrentQuery movieQuery(const QString& text, int size = 150) {
    TorrentQuery q = tvQuery(text, size);
    q.kind = TorrentQuery::Kind::movie;
    q.order = TorrentQuery::Order::seeders;
    return q;
}

class IndexClients : public ::testing::Test {
protected:
    QNetworkAccessManager network;
    FakeHttpServer server;
};

} // namespace

// ---- Knaben --------------------------------------------------------------------------------

TEST(KnabenVariants, ApostrophesGiveASpacedAndAJoinedSpelling) {
    EXPECT_EQ(apostropheVariants("Bob's Burgers"), (QStringList{"Bob s Burgers", "Bobs Burgers"}));
    EXPECT_EQ(apostropheVariants(QString::fromUtf8("Grey\u2019s  Anatomy ")),
              (QStringList{"Grey s Anatomy", "Greys Anatomy"}));
    EXPECT_EQ(apostropheVariants(QString::fromUtf8("\u2018Allo `Allo")), QStringList{"Allo Allo"});
    EXPECT_EQ(apostropheVariants("  The   Office "), QStringList{"The Office"});
    EXPECT_EQ(apostropheVariants(" ' "), QStringList{});
    EXPECT_EQ(apostropheVariants(""), QStringList{});
}

TEST_F(IndexClients, KnabenAsksEachSpellingAndKeepsEveryReleaseOnce) {
    server.setHandler([](const FakeHttpServer::Request& r) {
        const QString query = QJsonDocument::fromJson(r.body).object().value("query").toString();
        if (query == "Grey s Anatomy")
            return reply(200, fixture("knaben-greys-spaced.json"));
        if (query == "Greys Anatomy")
            return reply(200, fixture("knaben-greys-joined.json"));
        return reply(404, "{}");
    });
    const KnabenIndex knaben(network, server.url("/v1"));

    const QList<RawHit> hits = awaitTask(knaben.search(tvQuery("Grey's Anatomy")));

    ASSERT_EQ(server.requests().size(), 2);
    const auto& first = server.requests()[0];
    EXPECT_EQ(first.method, "POST");
    EXPECT_EQ(first.path, "/v1");
    expectIndexHeaders(first);
    EXPECT_EQ(first.header("Content-Type"), "application/json");
    EXPECT_EQ(
        first.body,
        R"({"search_type":"100%","search_field":"title","query":"Grey s Anatomy",)"
        R"("order_by":"date","order_direction":"desc","size":100,"hide_unsafe":true,"hide_xxx":true})");
    EXPECT_TRUE(server.requests()[1].body.contains(R"("query":"Greys Anatomy")"));

    // The web-seed link and the hit without a magnet are dropped; the hit both spellings
    // returned stays where it first appeared, with the first answer's numbers.
    ASSERT_EQ(titles(hits),
              (QStringList{"Greys.Anatomy.S20E05.1080p.WEB.h264-ETHEL",
                           "Greys Anatomy S20E05 720p HDTV x264-SYNCOPY",
                           "Greys.Anatomy.S20E04.1080p.AMZN.WEB-DL.DDP5.1.H.264-FLUX"}));
    const RawHit& best = hits[0];
    EXPECT_EQ(best.seeders, 512);
    EXPECT_EQ(best.leechers, 41);
    EXPECT_EQ(best.sizeBytes, 1288490188);
    EXPECT_EQ(best.source, "1337x");
    EXPECT_EQ(best.sourceID, "k-8f1b0c2d");
    EXPECT_EQ(best.imdbID, std::nullopt);
    EXPECT_DOUBLE_EQ(unixSeconds(best.date), 1714558830.0);
    // It named two of the default trackers already: the other twelve are added, none twice.
    EXPECT_EQ(trackerCount(best.magnetURL), 14);
    EXPECT_EQ(QUrlQuery(best.magnetURL)
                  .allQueryItemValues("tr", QUrl::FullyDecoded)
                  .count("udp://open.stealth.si:80/announce"),
              1);
    EXPECT_EQ(infoHash(best.magnetURL), "8f1b0c2d3e4f5a6b7c8d9e0f1a2b3c4d5e6f7a8b");

    EXPECT_EQ(hits[1].seeders, 87);
    EXPECT_EQ(hits[1].leechers, 0); // "many" is not a number
    EXPECT_NEAR(unixSeconds(hits[1].date), 1714561333.123, 1e-3);
    EXPECT_EQ(hits[1].source, "The Pirate Bay");

    EXPECT_DOUBLE_EQ(unixSeconds(hits[2].date), 1714006800.0);
    EXPECT_EQ(hits[2].source, "unknown");
    EXPECT_EQ(hits[2].sourceID, std::nullopt);
}

TEST_F(IndexClients, KnabenKeepsWhatOtherSpellingsFoundWhenOneFails) {
    server.setHandler([](const FakeHttpServer::Request& r) {
        if (r.body.contains(R"("query":"Grey s Anatomy")"))
            return reply(503, "busy", "text/plain");
        return reply(200, fixture("knaben-greys-joined.json"));
    });
    const KnabenIndex knaben(network, server.url("/v1"));
    EXPECT_EQ(awaitTask(knaben.search(tvQuery("Grey's Anatomy"))).size(), 2);
}

TEST_F(IndexClients, KnabenSendsOneRequestWithTheSizeUnclampedAndSeedersOrder) {
    server.respondWith(reply(200, R"({"hits":[]})"));
    const KnabenIndex knaben(network, server.url("/v1"));
    EXPECT_TRUE(awaitTask(knaben.search(movieQuery("Some Film", 500))).isEmpty());
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_TRUE(server.requests()[0].body.contains(R"("query":"Some Film","order_by":"seeders")"));
    EXPECT_TRUE(server.requests()[0].body.contains(R"("size":500,)"));
}

TEST_F(IndexClients, KnabenTreatsWrongShapesAsNoHits) {
    const KnabenIndex knaben(network, server.url("/v1"));
    for (const QByteArray& body :
         {QByteArray(R"({"hits":{}})"), QByteArray(R"({"hits":[{"title":"a"},1]})"),
          QByteArray("[]"), QByteArray("<html>"), QByteArray(R"({"total":0})")}) {
        server.respondWith(reply(200, body));
        EXPECT_TRUE(awaitTask(knaben.search(tvQuery("Show"))).isEmpty()) << body.toStdString();
    }
}

// ---- apibay --------------------------------------------------------------------------------

TEST_F(IndexClients, ApibayAsksBothCategoriesAndMergesInCompletionOrder) {
    server.setHandler([](const FakeHttpServer::Request& r) {
        if (r.queryValue("cat") == "205")
            return reply(200, fixture("apibay-tv-205.json"), "application/json", 300);
        return reply(200, fixture("apibay-tv-208.json"));
    });
    const ApibayIndex apibay(network, server.url("/q.php"));

    const QList<RawHit> hits = awaitTask(apibay.search(tvQuery("Show Name")));

    ASSERT_EQ(server.requests().size(), 2);
    QSet<QByteArray> rawQueries;
    for (const auto& r : server.requests()) {
        EXPECT_EQ(r.method, "GET");
        EXPECT_EQ(r.path, "/q.php");
        expectIndexHeaders(r);
        rawQueries.insert(r.rawQuery);
    }
    EXPECT_EQ(rawQueries, (QSet<QByteArray>{"q=Show%20Name&cat=205", "q=Show%20Name&cat=208"}));

    // 208 answered first; its copy of the 720p release wins; the injected hash is refused.
    ASSERT_EQ(titles(hits), (QStringList{"Show.Name.S03E07.1080p.WEB.h264-GRP",
                                         "Show.Name.S03E07.720p.HDTV.x264-SYNCOPY",
                                         "Show.Name.S03E06.HDTV.x264-LOL"}));
    const RawHit& hd = hits[1];
    EXPECT_EQ(hd.seeders, 230);
    EXPECT_EQ(hd.leechers, 12);
    EXPECT_EQ(hd.sizeBytes, 734003200);
    EXPECT_DOUBLE_EQ(unixSeconds(hd.date), 1714560000.0);
    EXPECT_EQ(hd.imdbID, "tt1234567");
    EXPECT_EQ(hd.source, "The Pirate Bay");
    EXPECT_EQ(hd.sourceID, "74012345");
    EXPECT_EQ(infoHash(hd.magnetURL), "3b245504cf5f11bbdbe1201cea6a6bf45aee1bc0");
    EXPECT_EQ(QUrlQuery(hd.magnetURL).queryItemValue("dn", QUrl::FullyDecoded),
              "Show.Name.S03E07.720p.HDTV.x264-SYNCOPY");
    EXPECT_EQ(trackerCount(hd.magnetURL), 14);

    const RawHit& sd = hits[2];
    EXPECT_EQ(sd.seeders, 0);  // "oops"
    EXPECT_EQ(sd.leechers, 3); // "+3"
    EXPECT_EQ(sd.sizeBytes, 0);
    EXPECT_EQ(sd.date, std::nullopt);
    EXPECT_EQ(sd.imdbID, std::nullopt);
}

TEST_F(IndexClients, ApibayMovieCategoriesAndPlaceholderAndBrokenCategory) {
    server.setHandler([](const FakeHttpServer::Request& r) {
        if (r.queryValue("cat") == "201")
            return reply(200, fixture("apibay-empty.json"));
        return reply(500, "oops", "text/plain");
    });
    const ApibayIndex apibay(network, server.url("/q.php"));
    EXPECT_TRUE(awaitTask(apibay.search(movieQuery("Some Film"))).isEmpty());
    QStringList cats;
    for (const auto& r : server.requests())
        cats.append(r.queryValue("cat"));
    cats.sort();
    EXPECT_EQ(cats, (QStringList{"201", "207"}));

    server.setHandler([](const FakeHttpServer::Request& r) {
        if (r.queryValue("cat") == "205")
            return reply(200, R"({"error":"not an array"})");
        return reply(200, fixture("apibay-tv-208.json"));
    });
    EXPECT_EQ(awaitTask(apibay.search(tvQuery("Show Name"))).size(), 2);
}

// ---- EZTV ----------------------------------------------------------------------------------

TEST_F(IndexClients, EztvFallsBackToTheSecondHostOnce) {
    FakeHttpServer fallback;
    server.respondWith(reply(502, "bad gateway", "text/plain"));
    fallback.respondWith(reply(200, fixture("eztv-torrents.json")));
    const EztvIndex eztv(network, server.baseUrl(), fallback.baseUrl());
    TorrentQuery q = tvQuery("Show Name");
    q.imdbID = "tt0944947";

    const QList<RawHit> hits = awaitTask(eztv.search(q));

    ASSERT_EQ(server.requests().size(), 1);
    ASSERT_EQ(fallback.requests().size(), 1);
    for (const auto* r : {&server.requests()[0], &fallback.requests()[0]}) {
        EXPECT_EQ(r->method, "GET");
        EXPECT_EQ(r->path, "/api/get-torrents");
        EXPECT_EQ(r->rawQuery, "imdb_id=0944947&limit=100&page=1");
        expectIndexHeaders(*r);
    }
    // The urn:sha1 link is no BitTorrent magnet and is dropped.
    ASSERT_EQ(titles(hits), (QStringList{"Show Name S08E06 1080p WEB H264-GRP EZTV",
                                         "Show Name S08E05 720p WEB H264-GRP EZTV"}));
    const RawHit& first = hits[0];
    EXPECT_EQ(first.imdbID, "tt0944947");
    EXPECT_EQ(first.seeders, 1503);
    EXPECT_EQ(first.leechers, 210);
    EXPECT_EQ(first.sizeBytes, 3221225472);
    EXPECT_DOUBLE_EQ(unixSeconds(first.date), 1558310400.0);
    EXPECT_EQ(first.source, "EZTV");
    EXPECT_EQ(first.sourceID, "2081234");
    EXPECT_EQ(trackerCount(first.magnetURL), 14); // named all of them already
    EXPECT_TRUE(first.magnetURL.toString(QUrl::FullyEncoded)
                    .endsWith("tr=udp%3A%2F%2Fopen.tracker.cl%3A1337%2Fannounce"));
    EXPECT_EQ(hits[1].imdbID, std::nullopt);
    EXPECT_EQ(hits[1].sizeBytes, 0); // "about a gig"
    EXPECT_EQ(trackerCount(hits[1].magnetURL), 14);
}

TEST_F(IndexClients, EztvStopsAtAnArrayEvenWhenEmptyAndGivesUpAfterTheFallback) {
    FakeHttpServer fallback;
    fallback.respondWith(reply(200, "not json"));
    const EztvIndex eztv(network, server.baseUrl(), fallback.baseUrl());
    TorrentQuery q = tvQuery("Show Name");
    q.imdbID = "tt0012345";

    server.respondWith(reply(200, R"({"torrents_count":0,"torrents":[]})"));
    EXPECT_TRUE(awaitTask(eztv.search(q)).isEmpty());
    EXPECT_EQ(fallback.requests().size(), 0);

    server.respondWith(reply(200, R"({"torrents_count":0})"));
    EXPECT_TRUE(awaitTask(eztv.search(q)).isEmpty());
    EXPECT_EQ(fallback.requests().size(), 1);
    EXPECT_EQ(fallback.requests()[0].rawQuery, "imdb_id=0012345&limit=100&page=1");
}

TEST_F(IndexClients, EztvUsesTheFallbackWhenThePrimaryAddressIsUnusable) {
    server.respondWith(reply(200, fixture("eztv-torrents.json")));
    const EztvIndex eztv(network, QUrl(), server.baseUrl());
    TorrentQuery q = tvQuery("Show Name");
    q.imdbID = "tt0944947";
    EXPECT_EQ(awaitTask(eztv.search(q)).size(), 2);
    EXPECT_EQ(server.requests().size(), 1);
}

TEST_F(IndexClients, EztvAsksNothingWithoutAnImdbIdOrForMovies) {
    server.respondWith(reply(200, fixture("eztv-torrents.json")));
    const EztvIndex eztv(network, server.baseUrl(), server.baseUrl());
    TorrentQuery noId = tvQuery("Show Name");
    TorrentQuery emptyId = noId;
    emptyId.imdbID = "";
    TorrentQuery movie = movieQuery("Some Film");
    movie.imdbID = "tt7286456";
    for (const auto& q : {noId, emptyId, movie})
        EXPECT_TRUE(awaitTask(eztv.search(q)).isEmpty());
    EXPECT_EQ(server.requests().size(), 0);
}

// ---- Torrents-CSV --------------------------------------------------------------------------

TEST_F(IndexClients, TorrentsCsvClampsTheSizeAndMapsItsAnswer) {
    server.respondWith(reply(200, fixture("torrentscsv-search.json")));
    const TorrentsCsvIndex csv(network, server.url("/service/search"));

    const QList<RawHit> hits = awaitTask(csv.search(tvQuery("Show & Name", 500)));

    ASSERT_EQ(server.requests().size(), 1);
    const auto& r = server.requests()[0];
    EXPECT_EQ(r.path, "/service/search");
    EXPECT_EQ(r.queryItems, (QueryItems{{"q", "Show & Name"}, {"size", "100"}}));
    expectIndexHeaders(r);

    ASSERT_EQ(titles(hits),
              (QStringList{"Show Name S01E01 Pilot 1080p AMZN WEB-DL DDP5.1 H.264-NTb",
                           "Show Name S01E02 720p HDTV x264"}));
    EXPECT_EQ(hits[0].seeders, 64);
    EXPECT_EQ(hits[0].leechers, 3);
    EXPECT_EQ(hits[0].sizeBytes, 2362232012);
    EXPECT_DOUBLE_EQ(unixSeconds(hits[0].date), 1672531200.0);
    EXPECT_EQ(hits[0].source, "Torrents-CSV");
    EXPECT_EQ(hits[0].sourceID, "99102");
    EXPECT_EQ(hits[1].sourceID, std::nullopt);
    EXPECT_EQ(infoHash(hits[1].magnetURL), "f00df00df00df00df00df00df00df00df00df00d");
}

TEST_F(IndexClients, AnOversizedOrFailedAnswerYieldsNothing) {
    const TorrentsCsvIndex csv(network, server.url("/service/search"));
    QByteArray huge = R"({"torrents":[)";
    const QByteArray one =
        R"({"name":"Show S01E01","infohash":"e3b0c44298fc1c149afbf4c8996fb92427ae41e4"},)";
    while (huge.size() < 5 * 1024 * 1024)
        huge += one;
    huge += one.chopped(1) + "]}";
    server.respondWith(reply(200, huge));
    EXPECT_TRUE(awaitTask(csv.search(tvQuery("Show"))).isEmpty());

    server.respondWith(reply(404, R"({"torrents":[]})"));
    EXPECT_TRUE(awaitTask(csv.search(tvQuery("Show"))).isEmpty());

    const TorrentsCsvIndex unreachable(network, QUrl("http://127.0.0.1:9/service/search"));
    EXPECT_TRUE(awaitTask(unreachable.search(tvQuery("Show"))).isEmpty());
}

// ---- Nyaa ----------------------------------------------------------------------------------

TEST_F(IndexClients, NyaaReadsTheFeedUpToTheAskedSize) {
    server.respondWith(reply(200, fixture("nyaa-feed.xml"), "application/xml"));
    const NyaaIndex nyaa(network, server.url("/"));

    const QList<RawHit> hits = awaitTask(nyaa.search(tvQuery("Some Anime Show")));

    ASSERT_EQ(server.requests().size(), 1);
    const auto& r = server.requests()[0];
    EXPECT_EQ(r.path, "/");
    EXPECT_EQ(r.queryItems,
              (QueryItems{{"page", "rss"}, {"q", "Some Anime Show"}, {"c", "1_2"}, {"f", "0"}}));
    expectIndexHeaders(r);

    ASSERT_EQ(titles(hits),
              (QStringList{"[SubsPlease] Some Anime Show - 12 (1080p) [A1B2C3D4].mkv",
                           "[Erai-raws] Some Anime Show - 11 [720p][Multiple Subtitle] & more",
                           "Some Anime Show - 09 (480p)"}));
    EXPECT_EQ(hits[0].seeders, 812);
    EXPECT_EQ(hits[0].leechers, 35);
    EXPECT_EQ(hits[0].sizeBytes, 1610612736);
    EXPECT_DOUBLE_EQ(unixSeconds(hits[0].date), 1714836662.0);
    EXPECT_EQ(hits[0].source, "Nyaa");
    EXPECT_EQ(hits[0].sourceID, "https://nyaa.si/view/1801234");
    EXPECT_EQ(hits[1].seeders, 0); // "n/a"
    EXPECT_EQ(hits[1].date, std::nullopt);
    EXPECT_EQ(hits[1].sizeBytes, 734003200);

    // Only the first three items are read; the third has no hash.
    EXPECT_EQ(NyaaIndex::hits(fixture("nyaa-feed.xml"), 3).size(), 2);
    EXPECT_TRUE(NyaaIndex::hits(fixture("nyaa-feed.xml"), 0).isEmpty());
}

TEST_F(IndexClients, NyaaGivesNothingForBrokenFeedsOrFailures) {
    const NyaaIndex nyaa(network, server.url("/"));
    server.respondWith(reply(200,
                             "<rss><channel><item><title>Show - 01</title><nyaa:infoHash>"
                             "2f0c4e1b5a6d7c8e9f00112233445566778899aa</nyaa:infoHash></item>",
                             "application/xml"));
    EXPECT_TRUE(awaitTask(nyaa.search(tvQuery("Show"))).isEmpty());
    server.respondWith(reply(500, fixture("nyaa-feed.xml"), "application/xml"));
    EXPECT_TRUE(awaitTask(nyaa.search(tvQuery("Show"))).isEmpty());
}

TEST(NyaaSize, BinaryUnitsScaleAndEverythingElseIsBytesOrZero) {
    const std::pair<const char*, qint64> cases[] = {
        {"1.5 GiB", 1610612736},
        {"700 MiB", 734003200},
        {"12 Bytes", 12},
        {"3 GB", 3},
        {"2 kib", 2048},
        {"1 TiB", 1099511627776},
        {"  1.5   GiB ", 1610612736},
        {"GiB", 0},
        {"1.5GiB", 0},
        {"one GiB", 0},
        {"1 2 GiB", 0},
        {"nan GiB", 0},
        {"1e30 TiB", 0},
        {"", 0},
    };
    for (const auto& [text, bytes] : cases)
        EXPECT_EQ(parseNyaaSize(QString::fromUtf8(text)), bytes) << text;
}

TEST(NyaaDate, ReadsRfc822DatesWithNumericZones) {
    EXPECT_DOUBLE_EQ(parseRssDate(u"Sat, 04 May 2024 15:31:02 -0000")->toUnixSeconds(),
                     1714836662.0);
    EXPECT_DOUBLE_EQ(parseRssDate(u"Sat, 04 May 2024 17:31:02 +0200")->toUnixSeconds(),
                     1714836662.0);
    EXPECT_DOUBLE_EQ(parseRssDate(u"Sat, 04 May 2024 15:31:02 GMT")->toUnixSeconds(), 1714836662.0);
    EXPECT_EQ(parseRssDate(u"2024-05-04 15:31:02"), std::nullopt);
    EXPECT_EQ(parseRssDate(u"Sat, 31 Feb 2024 15:31:02 -0000"), std::nullopt);
}

// ---- YTS -----------------------------------------------------------------------------------

TEST_F(IndexClients, YtsComposesTitlesPerTorrent) {
    server.respondWith(reply(200, fixture("yts-movies.json")));
    const YtsIndex yts(network, server.baseUrl());
    TorrentQuery q = movieQuery("Some Film", 200);
    q.order = TorrentQuery::Order::date;

    const QList<RawHit> hits = awaitTask(yts.search(q));

    ASSERT_EQ(server.requests().size(), 1);
    const auto& r = server.requests()[0];
    EXPECT_EQ(r.path, "/api/v2/list_movies.json");
    EXPECT_EQ(
        r.queryItems,
        (QueryItems{{"query_term", "Some Film"}, {"limit", "50"}, {"sort_by", "date_added"}}));
    expectIndexHeaders(r);

    ASSERT_EQ(titles(hits),
              (QStringList{"Some Film (2019) [1080p] [WEB] [YTS]",
                           "Some Film (2019) [2160p] [BLURAY] [YTS]", "Other Film [YTS]"}));
    EXPECT_EQ(hits[0].imdbID, "tt7286456");
    EXPECT_EQ(hits[0].seeders, 1200);
    EXPECT_EQ(hits[0].leechers, 150);
    EXPECT_EQ(hits[0].sizeBytes, 2158221066);
    EXPECT_DOUBLE_EQ(unixSeconds(hits[0].date), 1575711690.0);
    EXPECT_EQ(hits[0].source, "YTS");
    EXPECT_EQ(hits[0].sourceID, "A1B2C3D4E5F60718293A4B5C6D7E8F9012345678");
    EXPECT_EQ(QUrlQuery(hits[1].magnetURL).queryItemValue("dn", QUrl::FullyDecoded),
              "Some Film (2019) [2160p] [BLURAY] [YTS]");
    EXPECT_EQ(hits[2].imdbID, "tt9999999");
}

TEST_F(IndexClients, YtsAnswersMoviesOnlyAndNeedsAnOkStatus) {
    server.respondWith(reply(200, fixture("yts-movies.json")));
    const YtsIndex yts(network, server.baseUrl());
    EXPECT_TRUE(awaitTask(yts.search(tvQuery("Some Film"))).isEmpty());
    EXPECT_EQ(server.requests().size(), 0);

    EXPECT_EQ(awaitTask(yts.search(movieQuery("Some Film"))).size(), 3);
    EXPECT_EQ(server.requests()[0].queryValue("sort_by"), "seeds");

    QByteArray notOk = fixture("yts-movies.json");
    notOk.replace(R"("status":"ok")", R"("status":"error")");
    server.respondWith(reply(200, notOk));
    EXPECT_TRUE(awaitTask(yts.search(movieQuery("Some Film"))).isEmpty());
    server.respondWith(reply(200, R"({"status":"ok","data":{"movie_count":0}})"));
    EXPECT_TRUE(awaitTask(yts.search(movieQuery("Some Film"))).isEmpty());
}
