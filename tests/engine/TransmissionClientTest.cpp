// The RPC client against a scripted loopback fake (the handshake, the error cases, the wire
// form of every request, the answers a real daemon rarely gives: tests/fixtures/daemon), and
// against a real daemon of our own for what no fake can tell.

#include "engine/TransmissionClient.h"

#include "AwaitTask.h"
#include "DaemonSupport.h"
#include "FakeHttpServer.h"
#include "EventLoop.h"
#include "Fixtures.h"
#include "engine/TransmissionWire.h"

#include <QNetworkAccessManager>

#include <gtest/gtest.h>

#include <array>
#include <set>

namespace {

using nlohmann::json;
using Response = FakeHttpServer::Response;

Response ok(const json& body) {
    return {200, QByteArray::fromStdString(body.is_string() ? body.get<std::string>() : body.dump())};
}

json bodyOf(const FakeHttpServer::Request& request) {
    return json::parse(request.body.toStdString());
}

std::string kindOf(const RPCError& error) { // the kinds in declaration order
    return std::array{"badStatus", "badPayload", "handshakeFailed", "transport", "timeout", "badJSON"}[int(error.kind)];
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
    // The id comes back in lower case: header names have none.
    server.setHandler([](const FakeHttpServer::Request& r) {
        if (r.header("X-Transmission-Session-Id") != "id-1")
            return Response{409, "<h1>409: Conflict</h1>", "text/html", {{"x-transmission-session-id", "id-1"}}};
        return ok(R"({"arguments":{"torrents":[]},"result":"success"})");
    });
    ASSERT_TRUE(awaitTask(client.allHashes()).ok());
    ASSERT_EQ(server.requests().size(), 2);
    EXPECT_EQ(server.requests()[0].path, "/transmission/rpc");
    EXPECT_EQ(server.requests()[0].header("Content-Type"), "application/json");
    EXPECT_EQ(server.requests()[0].body, server.requests()[1].body);
    EXPECT_EQ(client.sessionID(), QString("id-1"));
    // The id is kept: the next request needs no second round.
    ASSERT_TRUE(awaitTask(client.allHashes()).ok());
    EXPECT_EQ(server.requests().size(), 3);
}

// A 409 without an id, or with a new one every time, ends the handshake.
TEST_F(ClientFakeTest, KeepsBadAnswersApart) {
    for (const json& c : cases()["badAnswers"]) {
        SCOPED_TRACE(c.dump());
        Response bad{c.value("status", 200), QByteArray::fromStdString(c["body"].get<std::string>()), "text/plain"};
        if (c.contains("sessionId"))
            bad.headers.push_back({"X-Transmission-Session-Id", QByteArray::fromStdString(c["sessionId"])});
        server.respondWith(bad);
        server.clearRequests();
        const auto answer = awaitTask(client.torrents({"abc"}));
        ASSERT_FALSE(answer.ok());
        EXPECT_EQ(server.requests().size(), c.value("tries", 1));
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

// A client that goes away (its owner quits) ends the requests still waiting for their turn at
// once; left suspended, their coroutines would never end.
TEST(ClientLifetime, RequestsWaitingForTheirTurnEndWhenTheClientGoes) {
    FakeHttpServer server;
    server.setHandler([](const FakeHttpServer::Request&) {
        return Response{200, R"({"arguments":{}})", "application/json", {}, 1500};
    });
    QNetworkAccessManager nam;
    auto client = std::make_unique<TransmissionClient>(nam, server.port());
    std::vector<std::optional<RPCStatus>> ends(3);
    const auto ask = [](TransmissionClient& c, std::optional<RPCStatus>& end) -> QCoro::Task<> {
        end = co_await c.reannounce("h");
    };
    std::vector<QCoro::Task<>> asked;
    for (auto& end : ends)
        asked.push_back(ask(*client, end));
    ASSERT_TRUE(runEventLoopUntil([&] { return server.requests().size() == 1; }));
    client.reset();
    // The first is in the daemon's hands; the two behind it end now, without touching the client.
    EXPECT_FALSE(ends[0]);
    for (int i : {1, 2}) {
        ASSERT_TRUE(ends[i]) << i;
        ASSERT_FALSE(ends[i]->ok());
        EXPECT_EQ(ends[i]->error().detail, "client closed");
    }
    EXPECT_TRUE(runEventLoopUntil([&] { return ends[0].has_value(); }, 8000));
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
        const QStringList defaults = qstr(c["defaults"]).split(' ');
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

// How a torrent object from the daemon becomes a stall diagnosis and a seed count.
TEST(Diagnosis, FollowsStatusPeersAndTrackers) {
    for (const auto& c : fixtureJson("daemon/diagnosis.json")) {
        TransmissionWire::Json object = TransmissionWire::Json::parse(c["torrent"].dump());
        object.update({{"hashString", "abc"}, {"name", "x"}, {"percentDone", 0.25}});
        const auto info = TransmissionWire::readTorrent(object);
        ASSERT_TRUE(info.has_value()) << c["name"];
        EXPECT_EQ(info->stallNote ? json(toRaw(*info->stallNote).toStdString()) : json(), c["stallNote"]) << c["name"];
        EXPECT_EQ(info->seedsSeen ? json(*info->seedsSeen) : json(), c["seedsSeen"]) << c["name"];
    }
    // Only these two give a stalled download hope of its own.
    EXPECT_TRUE(isHopeful(StallReason::foundSeeds) && isHopeful(StallReason::queued));
    EXPECT_FALSE(isHopeful(StallReason::noSeeds) || isHopeful(StallReason::noTracker));
}

// What the fakes cannot tell: that the daemon takes our requests as written. Adding, following
// and removing torrents through the daemon is what the journeys (tests/e2e) do.
TEST(DaemonRPC, TheDaemonTakesOurRequestsAsWritten) {
    TestDaemon daemon;
    ASSERT_TRUE(daemon.start()) << "transmission-daemon did not start";
    QNetworkAccessManager nam;
    TransmissionClient client(nam, daemon.rpcPort());
    // Added twice: one torrent, named by its hash in lower case both times.
    const QString hash = "0123456789abcdef0123456789abcdef01234567";
    for (int i = 0; i < 2; ++i) {
        const auto added = awaitTask(client.add(QUrl(fakeMagnet(hash.toUpper())), daemon.downloadDir()));
        ASSERT_TRUE(added.ok()) << added.error().description().toStdString();
        EXPECT_EQ(added.value(), hash);
    }
    const auto all = awaitTask(client.allHashes());
    ASSERT_TRUE(all.ok());
    EXPECT_EQ(all.value(), QStringList{hash});

    EXPECT_TRUE(awaitTask(client.setSeedRatio(2.5, true)).ok());
    EXPECT_TRUE(awaitTask(client.setQueueStalled()).ok());
    const auto session = rawRPC(nam, daemon.rpcPort(), {{"method", "session-get"}});
    ASSERT_TRUE(session.has_value());
    EXPECT_EQ((*session)["seedRatioLimit"], 2.5);
    EXPECT_EQ((*session)["seedRatioLimited"], true);
    EXPECT_EQ((*session)["queue-stalled-enabled"], true);
    EXPECT_EQ((*session)["queue-stalled-minutes"], 5);

    // Each missing tracker in a tier of its own; asked twice, none twice.
    const QStringList defaults{"udp://127.0.0.1:1/announce", "udp://127.0.0.1:6969/announce",
                               "udp://127.0.0.1:6970/announce"};
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(awaitTask(client.addDefaultTrackers(hash, defaults)).ok());
    EXPECT_TRUE(awaitTask(client.reannounce(hash)).ok());
    const auto answer = rawRPC(nam, daemon.rpcPort(),
                               {{"method", "torrent-get"},
                                {"arguments", {{"ids", {hash.toStdString()}}, {"fields", {"trackers"}}}}});
    ASSERT_TRUE(answer.has_value());
    const nlohmann::json& trackers = (*answer)["torrents"][0]["trackers"];
    ASSERT_EQ(trackers.size(), 3u);
    std::set<int> tiers;
    for (std::size_t i = 0; i < trackers.size(); ++i) {
        EXPECT_EQ(trackers[i]["announce"].get<std::string>(), defaults[int(i)].toStdString());
        tiers.insert(trackers[i]["tier"].get<int>());
    }
    EXPECT_EQ(tiers.size(), 3u);

}
