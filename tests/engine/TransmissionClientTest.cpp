// The RPC client against a scripted loopback fake: the handshake, the error cases and the
// answers a real daemon rarely gives.

#include "engine/TransmissionClient.h"

#include "AwaitTask.h"
#include "FakeHttpServer.h"

#include <QNetworkAccessManager>

#include <gtest/gtest.h>

namespace {

using nlohmann::json;
using Response = FakeHttpServer::Response;

Response ok(QByteArray body) {
    return {200, std::move(body), "application/json", {}, 0};
}

Response conflict(QByteArray id) {
    Response r{409, "<h1>409: Conflict</h1>", "text/html", {}, 0};
    if (!id.isEmpty())
        r.headers.push_back({"X-Transmission-Session-Id", id});
    return r;
}

json bodyOf(const FakeHttpServer::Request& request) {
    return json::parse(request.body.toStdString());
}

class ClientFakeTest : public ::testing::Test {
protected:
    FakeHttpServer server;
    QNetworkAccessManager nam;
    TransmissionClient client{nam, server.port()};
};

TEST_F(ClientFakeTest, ResendsOnceWithTheNewSessionIdAndKeepsIt) {
    server.setHandler([](const FakeHttpServer::Request& r) {
        if (r.header("X-Transmission-Session-Id") != "id-1")
            return conflict("id-1");
        return ok(R"({"arguments":{"torrents":[]},"result":"success"})");
    });

    const auto first = awaitTask(client.allHashes());
    ASSERT_TRUE(first.ok());
    EXPECT_TRUE(first.value().isEmpty());
    ASSERT_EQ(server.requests().size(), 2);
    EXPECT_EQ(server.requests()[0].path, "/transmission/rpc");
    EXPECT_EQ(server.requests()[0].method, "POST");
    EXPECT_EQ(server.requests()[0].header("Content-Type"), "application/json");
    EXPECT_EQ(server.requests()[0].body, server.requests()[1].body);
    EXPECT_EQ(client.sessionID(), QString("id-1"));

    // The id is kept: the next request needs no second round.
    ASSERT_TRUE(awaitTask(client.allHashes()).ok());
    EXPECT_EQ(server.requests().size(), 3);
}

TEST_F(ClientFakeTest, HandshakeFailsOnA409WithoutIdOrTwice) {
    server.respondWith(conflict({}));
    auto answer = awaitTask(client.sessionGet());
    ASSERT_FALSE(answer.ok());
    EXPECT_EQ(answer.error().kind, RPCError::Kind::handshakeFailed);
    EXPECT_EQ(server.requests().size(), 1);

    server.clearRequests();
    server.respondWith(conflict("always-new"));
    answer = awaitTask(client.sessionGet());
    ASSERT_FALSE(answer.ok());
    EXPECT_EQ(answer.error().kind, RPCError::Kind::handshakeFailed);
    EXPECT_EQ(server.requests().size(), 2);
}

TEST_F(ClientFakeTest, KeepsBadAnswersApart) {
    const struct {
        Response response;
        RPCError::Kind kind;
        int status;
    } cases[] = {
        {{500, "oops", "text/plain", {}, 0}, RPCError::Kind::badStatus, 500},
        {{401, "", "text/plain", {}, 0}, RPCError::Kind::badStatus, 401},
        {ok("[1,2]"), RPCError::Kind::badStatus, 200},
        {ok("\"success\""), RPCError::Kind::badStatus, 200},
        {ok("{not json"), RPCError::Kind::badJSON, 200},
        {ok(R"({"result":"success"})"), RPCError::Kind::badPayload, 0},
        {ok(R"({"arguments":{"torrents":"none"}})"), RPCError::Kind::badPayload, 0},
    };
    for (const auto& c : cases) {
        server.respondWith(c.response);
        const auto answer = awaitTask(client.torrents({"abc"}));
        ASSERT_FALSE(answer.ok()) << c.response.body.constData();
        EXPECT_EQ(answer.error().kind, c.kind) << c.response.body.constData();
        EXPECT_EQ(answer.error().status, c.status) << c.response.body.constData();
    }
    EXPECT_EQ((RPCError{RPCError::Kind::badStatus, 500, {}}).description(),
              "daemon answered with HTTP status 500");
}

TEST_F(ClientFakeTest, AddReadsTheAddedOrDuplicateHash) {
    const struct {
        const char* answer;
        std::optional<QString> hash;
    } cases[] = {
        {R"({"arguments":{"torrent-added":{"hashString":"ABCDEF","id":1}}})", QString("abcdef")},
        {R"({"arguments":{"torrent-duplicate":{"hashString":"c0ffee"}}})", QString("c0ffee")},
        {R"({"arguments":{},"result":"invalid or corrupt torrent file"})", std::nullopt},
        {R"({"arguments":{"torrent-added":{"id":1}}})", std::nullopt},
    };
    for (const auto& c : cases) {
        server.respondWith(ok(c.answer));
        const auto added =
            awaitTask(client.add(QUrl("magnet:?xt=urn:btih:ABCDEF&dn=A%20B"), "/lib/Incomplete"));
        ASSERT_TRUE(added.ok()) << c.answer;
        EXPECT_EQ(added.value(), c.hash) << c.answer;
    }
    const json request = bodyOf(server.requests().back());
    EXPECT_EQ(request, json::parse(R"({"method":"torrent-add","arguments":{
        "filename":"magnet:?xt=urn:btih:ABCDEF&dn=A%20B","download-dir":"/lib/Incomplete"}})"));

    server.respondWith(ok(R"({"result":"success"})"));
    const auto broken = awaitTask(client.add(QUrl("magnet:?xt=urn:btih:ABCDEF"), "/x"));
    ASSERT_FALSE(broken.ok());
    EXPECT_EQ(broken.error().kind, RPCError::Kind::badPayload);
}

TEST_F(ClientFakeTest, RequestsCarryTheirMethodsAndArguments) {
    server.respondWith(ok(R"({"arguments":{},"result":"success"})"));
    ASSERT_TRUE(awaitTask(client.torrents({"h1", "h2"})).ok() == false); // no torrent list
    ASSERT_TRUE(awaitTask(client.remove("h1", true)).ok());
    ASSERT_TRUE(awaitTask(client.removeAll(false)).ok());
    ASSERT_TRUE(awaitTask(client.reannounce("h2")).ok());
    ASSERT_TRUE(awaitTask(client.setSeedRatio(1.5, true)).ok());
    ASSERT_TRUE(awaitTask(client.setQueueStalled()).ok());
    ASSERT_TRUE(awaitTask(client.sessionGet()).ok());
    ASSERT_TRUE(awaitTask(client.torrents({})).ok()); // no request at all

    const char* expected[] = {
        R"({"method":"torrent-get","arguments":{"ids":["h1","h2"],"fields":["hashString","name",
            "percentDone","isFinished","downloadDir","files","rateDownload","leftUntilDone",
            "sizeWhenDone","peersConnected","trackerStats","status"]}})",
        R"({"method":"torrent-remove","arguments":{"ids":["h1"],"delete-local-data":true}})",
        R"({"method":"torrent-remove","arguments":{"delete-local-data":false}})",
        R"({"method":"torrent-reannounce","arguments":{"ids":["h2"]}})",
        R"({"method":"session-set","arguments":{"seedRatioLimit":1.5,"seedRatioLimited":true}})",
        R"({"method":"session-set","arguments":{"queue-stalled-enabled":true,"queue-stalled-minutes":5}})",
        R"({"method":"session-get","arguments":{}})",
    };
    ASSERT_EQ(server.requests().size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i)
        EXPECT_EQ(bodyOf(server.requests()[int(i)]), json::parse(expected[i])) << expected[i];
}

TEST_F(ClientFakeTest, SkipsMalformedTorrentsAndReadsTheRest) {
    server.respondWith(ok(R"({"arguments":{"torrents":[
        {"hashString":"AAAA","name":"Complete","percentDone":1,"sizeWhenDone":700,
         "files":[{"name":"Complete/ep.mkv"},{"name":""},{"length":3}],"downloadDir":"/lib",
         "rateDownload":0,"peersConnected":2,"status":6},
        {"name":"no hash","percentDone":0.5},
        {"hashString":"bbbb","percentDone":0.5},
        {"hashString":"cccc","name":"text percent","percentDone":"1"},
        "not an object",
        {"hashString":"dddd","name":"Magnet","percentDone":1,"sizeWhenDone":0,"files":[]},
        {"hashString":"eeee","name":"Sized, no files","percentDone":1.0,"sizeWhenDone":5}]}})"));

    const auto answer = awaitTask(client.torrents({"aaaa", "bbbb", "cccc", "dddd", "eeee"}));
    ASSERT_TRUE(answer.ok());
    const auto& list = answer.value();
    ASSERT_EQ(list.size(), 3);
    TorrentInfo complete{"aaaa", "Complete",   1.0,          true, "/lib", {"Complete/ep.mkv"}, 0,
                         2,      std::nullopt, std::nullopt, 6};
    EXPECT_EQ(list[0], complete);
    EXPECT_EQ(list[1].hash, "dddd");
    EXPECT_FALSE(list[1].isFinished);
    EXPECT_EQ(list[1].downloadDir, "");
    EXPECT_EQ(list[2].hash, "eeee");
    EXPECT_FALSE(list[2].isFinished);
    EXPECT_EQ(list[2].status, 0);
}

TEST_F(ClientFakeTest, OneExchangeAtATime) {
    bool firstDone = false;
    bool secondArrivedAfterFirst = false;
    server.setHandler([&](const FakeHttpServer::Request& r) {
        const json body = bodyOf(r);
        if (body["method"] == "torrent-reannounce") // the first call, held back a while
            return Response{200, R"({"arguments":{}})", "application/json", {}, 300};
        secondArrivedAfterFirst = firstDone;
        return ok(R"({"arguments":{}})");
    });

    auto first = [](TransmissionClient& c, bool& done) -> QCoro::Task<> {
        co_await c.reannounce("slow");
        done = true;
    }(client, firstDone);
    const auto second = awaitTask(client.setQueueStalled());
    EXPECT_TRUE(second.ok());
    EXPECT_TRUE(firstDone);
    EXPECT_TRUE(secondArrivedAfterFirst);
}

TEST_F(ClientFakeTest, NewerDaemonsGetTheMissingTrackersAppendedToTheirTrackerList) {
    QList<json> sets;
    QString trackerList = "udp://a.example:1/announce\n\nudp://b.example:2/announce";
    server.setHandler([&](const FakeHttpServer::Request& r) {
        const json body = bodyOf(r);
        if (body["method"] == "session-get")
            return ok(R"({"arguments":{"rpc-version":17,"version":"4.0.6"}})");
        if (body["method"] == "torrent-get") {
            json answer = {{"arguments", {{"torrents", json::array()}}}};
            answer["arguments"]["torrents"].push_back({{"trackerList", trackerList.toStdString()}});
            return ok(QByteArray::fromStdString(answer.dump()));
        }
        sets.push_back(body);
        return ok(R"({"arguments":{}})");
    });
    const QStringList defaults{"udp://b.example:2/announce", "udp://c.example:3/announce",
                               "udp://d.example:4/announce"};

    ASSERT_TRUE(awaitTask(client.addDefaultTrackers("h", defaults)).ok());
    ASSERT_EQ(sets.size(), 1);
    EXPECT_EQ(sets[0], json::parse(R"({"method":"torrent-set","arguments":{"ids":["h"],
        "trackerList":"udp://a.example:1/announce\n\nudp://b.example:2/announce\n\nudp://c.example:3/announce\n\nudp://d.example:4/announce"}})"));
    const json get = bodyOf(server.requests()[1]);
    EXPECT_EQ(get["arguments"]["fields"], json::parse(R"(["trackerList"])"));

    // Everything already listed: no torrent-set; the version is asked only once.
    trackerList = QString::fromStdString(sets[0]["arguments"]["trackerList"].get<std::string>());
    server.clearRequests();
    ASSERT_TRUE(awaitTask(client.addDefaultTrackers("h", defaults)).ok());
    EXPECT_EQ(sets.size(), 1);
    EXPECT_EQ(server.requests().size(), 1);

    // An empty list gets the trackers without a leading blank line.
    trackerList.clear();
    ASSERT_TRUE(awaitTask(client.addDefaultTrackers("h", {"udp://c.example:3/announce"})).ok());
    ASSERT_EQ(sets.size(), 2);
    EXPECT_EQ(sets[1]["arguments"]["trackerList"], "udp://c.example:3/announce");
}

TEST_F(ClientFakeTest, OlderDaemonsGetTheMissingTrackersThroughTrackerAdd) {
    QList<json> sets;
    server.setHandler([&](const FakeHttpServer::Request& r) {
        const json body = bodyOf(r);
        if (body["method"] == "session-get")
            return ok(R"js({"arguments":{"rpc-version":16,"version":"3.00 (bb6b5a062e)"}})js");
        if (body["method"] == "torrent-get")
            return ok(R"({"arguments":{"torrents":[{"trackerList":0,"trackers":[
                {"announce":"udp://b.example:2/announce","id":0,"tier":0}]}]}})");
        sets.push_back(body);
        return ok(R"({"arguments":{}})");
    });

    ASSERT_TRUE(awaitTask(client.addDefaultTrackers(
                              "h", {"udp://b.example:2/announce", "udp://c.example:3/announce"}))
                    .ok());
    EXPECT_EQ(bodyOf(server.requests()[1])["arguments"]["fields"], json::parse(R"(["trackers"])"));
    ASSERT_EQ(sets.size(), 1);
    EXPECT_EQ(sets[0], json::parse(R"({"method":"torrent-set","arguments":{"ids":["h"],
        "trackerAdd":["udp://c.example:3/announce"]}})"));

    // A torrent the daemon does not know gets nothing.
    server.setHandler([&](const FakeHttpServer::Request& r) {
        if (bodyOf(r)["method"] == "torrent-get")
            return ok(R"({"arguments":{"torrents":[]}})");
        sets.push_back(bodyOf(r));
        return ok(R"({"arguments":{}})");
    });
    ASSERT_TRUE(awaitTask(client.addDefaultTrackers("gone", {"udp://c.example:3/announce"})).ok());
    EXPECT_EQ(sets.size(), 1);
}

} // namespace
