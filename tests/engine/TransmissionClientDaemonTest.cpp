// The RPC client against a real daemon of our own: what the fakes cannot tell, that the daemon
// takes our requests as written. Adding, following and removing torrents through the daemon is
// what the journeys (tests/e2e) do.

#include "AwaitTask.h"
#include "DaemonSupport.h"
#include "EventLoop.h"
#include "engine/TransmissionClient.h"

#include <QNetworkAccessManager>

#include <gtest/gtest.h>

#include <set>

TEST(DaemonRPC, TheDaemonTakesOurRequestsAsWritten) {
    TestDaemon daemon;
    ASSERT_TRUE(daemon.start()) << "transmission-daemon did not start";
    QNetworkAccessManager nam;
    TransmissionClient client(nam, daemon.rpcPort());
    const auto hashes = [&] {
        const auto all = awaitTask(client.allHashes());
        EXPECT_TRUE(all.ok());
        return all ? all.value() : QStringList{"?"};
    };

    // Added twice: one torrent, named by its hash in lower case both times.
    const QString hash = "0123456789abcdef0123456789abcdef01234567";
    for (int i = 0; i < 2; ++i) {
        const auto added = awaitTask(client.add(QUrl(fakeMagnet(hash.toUpper())), daemon.downloadDir()));
        ASSERT_TRUE(added.ok()) << added.error().description().toStdString();
        EXPECT_EQ(added.value(), hash);
    }
    EXPECT_EQ(hashes(), QStringList{hash});

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

    EXPECT_TRUE(awaitTask(client.removeAll(true)).ok());
    EXPECT_TRUE(runEventLoopUntil([&] { return hashes().isEmpty(); }, 10000));
}
