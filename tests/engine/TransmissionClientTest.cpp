// The RPC client against a scripted loopback fake: the handshake, the error cases, the wire
// form of every request and the answers a real daemon rarely gives (tests/fixtures/daemon).

#include "engine/TransmissionClient.h"

#include "AwaitTask.h"
#include "DaemonSupport.h"
#include "FakeHttpServer.h"
#include "Fixtures.h"

#include <QNetworkAccessManager>

#include <gtest/gtest.h>

namespace {

using nlohmann::json;
using Response = FakeHttpServer::Response;

Response ok(const json& body) {
    return {200, QByteArray::fromStdString(body.is_string() ? body.get<std::string>() : body.dump())};
}

json bodyOf(const FakeHttpServer::Request& request) {
    return json::parse(request.body.toStdString());
}

std::string kindOf(const RPCError& error) {
    static const char* names[] = {"badStatus", "badPayload", "handshakeFailed",
                                  "transport", "timeout",    "badJSON"};
    return names[int(error.kind)];
}

const json& cases() {
    static const json all = fixtureJson("daemon/client.json");
    return all;
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
            return Response{409, "<h1>409: Conflict</h1>", "text/html", {{"X-Transmission-Session-Id", "id-1"}}};
        return ok(R"({"arguments":{"torrents":[]},"result":"success"})");
    });
    const auto first = awaitTask(client.allHashes());
    ASSERT_TRUE(first.ok());
    EXPECT_TRUE(first.value().isEmpty());
    ASSERT_EQ(server.requests().size(), 2);
    EXPECT_EQ(server.requests()[0].path, "/transmission/rpc");
    EXPECT_EQ(server.requests()[0].header("Content-Type"), "application/json");
    EXPECT_EQ(server.requests()[0].body, server.requests()[1].body);
    EXPECT_EQ(client.sessionID(), QString("id-1"));
    // The id is kept: the next request needs no second round.
    ASSERT_TRUE(awaitTask(client.allHashes()).ok());
    EXPECT_EQ(server.requests().size(), 3);

    // A 409 without an id, or with a new one every time, ends the handshake.
    for (const auto& [id, tries] : {std::pair{QByteArray(), 1}, {QByteArray("always-new"), 2}}) {
        server.clearRequests();
        Response refusal{409, {}, "text/html"};
        if (!id.isEmpty())
            refusal.headers.push_back({"X-Transmission-Session-Id", id});
        server.respondWith(refusal);
        const auto answer = awaitTask(client.sessionGet());
        ASSERT_FALSE(answer.ok());
        EXPECT_EQ(answer.error().kind, RPCError::Kind::handshakeFailed);
        EXPECT_EQ(server.requests().size(), tries);
    }
}

TEST_F(ClientFakeTest, KeepsBadAnswersApart) {
    for (const json& c : cases()["badAnswers"]) {
        SCOPED_TRACE(c.dump());
        server.respondWith({c.value("status", 200), QByteArray::fromStdString(c["body"].get<std::string>()), "text/plain"});
        const auto answer = awaitTask(client.torrents({"abc"}));
        ASSERT_FALSE(answer.ok());
        EXPECT_EQ(kindOf(answer.error()), c["kind"]);
        EXPECT_EQ(answer.error().status, c["httpStatus"].get<int>());
        if (c.contains("description")) {
            EXPECT_EQ(answer.error().description(), qstr(c["description"]));
        }
    }
    TransmissionClient down(nam, freeLoopbackPort());
    const auto refused = awaitTask(down.torrents({"abc"}));
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().kind, RPCError::Kind::transport);
}

TEST_F(ClientFakeTest, AddReadsTheAddedOrDuplicateHash) {
    for (const json& c : cases()["added"]) {
        SCOPED_TRACE(c.dump());
        server.respondWith(ok(c["answer"]));
        const auto added = awaitTask(client.add(QUrl("magnet:?xt=urn:btih:ABCDEF"), "/x"));
        if (c.contains("error")) {
            ASSERT_FALSE(added.ok());
            EXPECT_EQ(kindOf(added.error()), c["error"]);
        } else {
            ASSERT_TRUE(added.ok());
            EXPECT_EQ(added.value(), c["hash"].is_null() ? std::nullopt : std::optional(qstr(c["hash"])));
        }
    }
}

TEST_F(ClientFakeTest, RequestsCarryTheirMethodsAndArguments) {
    server.respondWith(ok(R"({"arguments":{},"result":"success"})"));
    awaitTask(client.add(QUrl("magnet:?xt=urn:btih:ABCDEF&dn=A%20B"), "/lib/Incomplete"));
    awaitTask(client.torrents({"h1", "h2"}));
    awaitTask(client.allHashes());
    awaitTask(client.remove("h1", true));
    awaitTask(client.removeAll(false));
    awaitTask(client.reannounce("h2"));
    awaitTask(client.setSeedRatio(1.5, true));
    awaitTask(client.setQueueStalled());
    awaitTask(client.sessionGet());
    ASSERT_TRUE(awaitTask(client.torrents({})).ok()); // no request at all

    json sent = json::array();
    for (const auto& r : server.requests())
        sent.push_back(bodyOf(r));
    EXPECT_EQ(sent, cases()["requests"]);
}

TEST_F(ClientFakeTest, SkipsMalformedTorrentsAndReadsTheRest) {
    server.respondWith(ok(cases()["torrents"]));
    const auto answer = awaitTask(client.torrents({"aaaa", "bbbb", "cccc", "dddd", "eeee"}));
    ASSERT_TRUE(answer.ok());
    const auto& list = answer.value();
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list[0], (TorrentInfo{"aaaa", "Complete", 1.0, true, "/lib", {"Complete/ep.mkv"}, 0, 2,
                                    std::nullopt, std::nullopt, 6}));
    // Done without data, or without files, is a magnet still waiting for its metadata.
    EXPECT_EQ(list[1].hash, "dddd");
    EXPECT_FALSE(list[1].isFinished);
    EXPECT_EQ(list[2].hash, "eeee");
    EXPECT_FALSE(list[2].isFinished);
    EXPECT_EQ(list[2].status, 0);
}

TEST_F(ClientFakeTest, OneExchangeAtATime) {
    bool firstDone = false;
    bool secondArrivedAfterFirst = false;
    server.setHandler([&](const FakeHttpServer::Request& r) {
        if (bodyOf(r)["method"] == "torrent-reannounce") // the first call, held back a while
            return Response{200, R"({"arguments":{}})", "application/json", {}, 300};
        secondArrivedAfterFirst = firstDone;
        return ok(R"({"arguments":{}})");
    });
    auto first = [](TransmissionClient& c, bool& done) -> QCoro::Task<> {
        co_await c.reannounce("slow");
        done = true;
    }(client, firstDone);
    EXPECT_TRUE(awaitTask(client.setQueueStalled()).ok());
    EXPECT_TRUE(firstDone);
    EXPECT_TRUE(secondArrivedAfterFirst);
}

// The daemon's version decides how trackers are added; it is asked once per session.
TEST_F(ClientFakeTest, AddsOnlyTheMissingDefaultTrackers) {
    for (const json& c : cases()["trackers"]) {
        SCOPED_TRACE(c["name"].get<std::string>());
        TransmissionClient fresh(nam, server.port());
        QList<json> sets;
        int versionAsked = 0;
        server.setHandler([&](const FakeHttpServer::Request& r) {
            const json body = bodyOf(r);
            if (body["method"] == "session-get") {
                ++versionAsked;
                return ok(json{{"arguments", c["session"]}});
            }
            if (body["method"] == "torrent-get") {
                EXPECT_EQ(body["arguments"]["fields"], c["fields"]);
                return ok(json{{"arguments", {{"torrents", c["torrents"]}}}});
            }
            EXPECT_EQ(body["method"], "torrent-set");
            sets.push_back(body["arguments"]);
            return ok(R"({"arguments":{}})");
        });
        QStringList defaults;
        for (const json& t : c["defaults"])
            defaults << qstr(t);
        for (int i = 0; i < 2; ++i)
            ASSERT_TRUE(awaitTask(fresh.addDefaultTrackers("h", defaults)).ok());
        EXPECT_EQ(versionAsked, 1);
        ASSERT_EQ(sets.size(), c["set"].is_null() ? 0 : 2);
        if (!sets.isEmpty()) {
            EXPECT_EQ(sets.front(), c["set"]);
        }
    }
}

} // namespace
