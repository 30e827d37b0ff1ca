// The RPC client against a real daemon of our own on a free loopback port.

#include "AwaitTask.h"
#include "DaemonSupport.h"
#include "EventLoop.h"
#include "engine/TransmissionClient.h"

#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

using nlohmann::json;

void writeRandomFile(const QString& path, qsizetype size) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    f.write(bytes);
}

class DaemonRPCTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(daemon.start()) << "transmission-daemon did not start"; }

    // Polls torrents() until `done` holds for the answer.
    std::optional<TorrentInfo> waitForTorrent(const QString& hash,
                                              const std::function<bool(const TorrentInfo&)>& done) {
        std::optional<TorrentInfo> last;
        runEventLoopUntil(
            [&] {
                const auto answer = awaitTask(client.torrents({hash}));
                last = answer && !answer.value().isEmpty() ? std::optional(answer.value().first())
                                                           : std::nullopt;
                return last && done(*last);
            },
            20000);
        return last;
    }

    QStringList hashes() {
        const auto all = awaitTask(client.allHashes());
        EXPECT_TRUE(all.ok());
        return all ? all.value() : QStringList{};
    }

    TestDaemon daemon;
    QNetworkAccessManager nam;
    TransmissionClient client{nam, daemon.rpcPort()};
};

TEST_F(DaemonRPCTest, LearnsTheSessionIdOnTheFirstRequest) {
    EXPECT_FALSE(client.sessionID().has_value());
    const auto answer = awaitTask(client.sessionGet());
    ASSERT_TRUE(answer.ok()) << answer.error().description().toStdString();
    EXPECT_TRUE(client.sessionID().has_value());
    ASSERT_TRUE(client.rpcVersion().has_value());
    EXPECT_GE(*client.rpcVersion(), 15);
    EXPECT_EQ(client.rpcURL().toString(),
              QStringLiteral("http://127.0.0.1:%1/transmission/rpc").arg(daemon.rpcPort()));
}

TEST_F(DaemonRPCTest, AddingTwiceGivesTheSameLowerCaseHash) {
    const QUrl magnet(fakeMagnet("0123456789ABCDEF0123456789ABCDEF01234567"));

    const auto first = awaitTask(client.add(magnet, daemon.downloadDir()));
    ASSERT_TRUE(first.ok()) << first.error().description().toStdString();
    EXPECT_EQ(first.value(), QString("0123456789abcdef0123456789abcdef01234567"));

    const auto again = awaitTask(client.add(magnet, daemon.downloadDir()));
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(again.value(), QString("0123456789abcdef0123456789abcdef01234567"));
    EXPECT_EQ(hashes(), QStringList{"0123456789abcdef0123456789abcdef01234567"});
}

TEST_F(DaemonRPCTest, ReportsACompleteTorrentWithItsFilesAndAMagnetWithoutMetadata) {
    const QString content = QDir(daemon.downloadDir()).filePath("Show.S01");
    writeRandomFile(content + "/Show.S01E01.mkv", 70000);
    writeRandomFile(content + "/Extras/sample.mkv", 20000);
    const QString torrent = QDir(daemon.root()).filePath("pack.torrent");
    const QString hash =
        writeTorrentFile(torrent, content, {"Show.S01E01.mkv", "Extras/sample.mkv"});
    const auto added = awaitTask(client.add(QUrl(torrent), daemon.downloadDir()));
    ASSERT_TRUE(added.ok());
    EXPECT_EQ(added.value(), hash);

    const auto info = waitForTorrent(hash, [](const TorrentInfo& t) { return t.isFinished; });
    ASSERT_TRUE(info.has_value());
    EXPECT_TRUE(info->isFinished);
    EXPECT_EQ(info->hash, hash);
    EXPECT_EQ(info->name, "Show.S01");
    EXPECT_DOUBLE_EQ(info->percentDone, 1.0);
    EXPECT_EQ(info->downloadDir, daemon.downloadDir());
    EXPECT_EQ(info->files, (QStringList{"Show.S01/Show.S01E01.mkv", "Show.S01/Extras/sample.mkv"}));
    EXPECT_EQ(info->rateDownload, 0);
    EXPECT_EQ(info->stallNote, std::nullopt); // seeding, not downloading

    const QUrl magnet(fakeMagnet("89abcdef0123456789abcdef0123456789abcdef"));
    ASSERT_TRUE(awaitTask(client.add(magnet, daemon.downloadDir())).ok());
    const auto both = awaitTask(client.torrents({"89abcdef0123456789abcdef0123456789abcdef", hash,
                                                 "ffffffffffffffffffffffffffffffffffffffff"}));
    ASSERT_TRUE(both.ok());
    ASSERT_EQ(both.value().size(), 2); // the unknown hash is simply not there
    for (const TorrentInfo& t : both.value()) {
        if (t.hash == hash)
            continue;
        EXPECT_FALSE(t.isFinished); // no metadata yet: nothing to finish
        EXPECT_TRUE(t.files.isEmpty());
    }
}

TEST_F(DaemonRPCTest, RemoveDeletesTheDataOnlyWhenAsked) {
    const QString keepPath = QDir(daemon.downloadDir()).filePath("keep.mkv");
    const QString dropPath = QDir(daemon.downloadDir()).filePath("drop.mkv");
    writeRandomFile(keepPath, 40000);
    writeRandomFile(dropPath, 40000);
    const QString keep = writeTorrentFile(QDir(daemon.root()).filePath("keep.torrent"), keepPath);
    const QString drop = writeTorrentFile(QDir(daemon.root()).filePath("drop.torrent"), dropPath);
    ASSERT_TRUE(awaitTask(client.add(QUrl(QDir(daemon.root()).filePath("keep.torrent")),
                                     daemon.downloadDir()))
                    .ok());
    ASSERT_TRUE(awaitTask(client.add(QUrl(QDir(daemon.root()).filePath("drop.torrent")),
                                     daemon.downloadDir()))
                    .ok());
    ASSERT_TRUE(waitForTorrent(drop, [](const TorrentInfo& t) { return t.isFinished; }));
    ASSERT_TRUE(waitForTorrent(keep, [](const TorrentInfo& t) { return t.isFinished; }));

    EXPECT_TRUE(awaitTask(client.remove(drop, true)).ok());
    EXPECT_TRUE(awaitTask(client.remove(keep, false)).ok());

    EXPECT_TRUE(runEventLoopUntil([&] { return !QFile::exists(dropPath); }, 10000));
    EXPECT_TRUE(runEventLoopUntil([&] { return hashes().isEmpty(); }, 10000));
    EXPECT_TRUE(QFile::exists(keepPath));
}

TEST_F(DaemonRPCTest, RemoveAllEmptiesTheDaemon) {
    for (const char* h :
         {"1111111111111111111111111111111111111111", "2222222222222222222222222222222222222222",
          "3333333333333333333333333333333333333333"})
        ASSERT_TRUE(awaitTask(client.add(QUrl(fakeMagnet(h)), daemon.downloadDir())).ok());
    EXPECT_EQ(hashes().size(), 3);

    EXPECT_TRUE(awaitTask(client.removeAll(true)).ok());
    EXPECT_TRUE(runEventLoopUntil([&] { return hashes().isEmpty(); }, 10000));
}

TEST_F(DaemonRPCTest, ReannouncesAndSetsTheSessionLimits) {
    const QString hash = "4444444444444444444444444444444444444444";
    ASSERT_TRUE(awaitTask(client.add(QUrl(fakeMagnet(hash)), daemon.downloadDir())).ok());
    EXPECT_TRUE(awaitTask(client.reannounce(hash)).ok());

    EXPECT_TRUE(awaitTask(client.setSeedRatio(2.5, true)).ok());
    EXPECT_TRUE(awaitTask(client.setQueueStalled()).ok());
    auto session = rawRPC(nam, daemon.rpcPort(), {{"method", "session-get"}});
    ASSERT_TRUE(session.has_value());
    EXPECT_EQ((*session)["seedRatioLimit"], 2.5);
    EXPECT_EQ((*session)["seedRatioLimited"], true);
    EXPECT_EQ((*session)["queue-stalled-enabled"], true);
    EXPECT_EQ((*session)["queue-stalled-minutes"], 5);

    EXPECT_TRUE(awaitTask(client.setSeedRatio(1.0, false)).ok());
    session = rawRPC(nam, daemon.rpcPort(), {{"method", "session-get"}});
    EXPECT_EQ((*session)["seedRatioLimited"], false);
}

TEST_F(DaemonRPCTest, AddDefaultTrackersAddsOnlyTheMissingOnesEachInItsOwnTier) {
    const QString hash = "5555555555555555555555555555555555555555";
    ASSERT_TRUE(awaitTask(client.add(QUrl(fakeMagnet(hash)), daemon.downloadDir())).ok());
    const QStringList defaults{"udp://127.0.0.1:1/announce", "udp://127.0.0.1:6969/announce",
                               "udp://127.0.0.1:6970/announce"};

    const auto first = awaitTask(client.addDefaultTrackers(hash, defaults));
    ASSERT_TRUE(first.ok()) << first.error().description().toStdString();
    // Twice is harmless: nothing is missing any more.
    EXPECT_TRUE(awaitTask(client.addDefaultTrackers(hash, defaults)).ok());

    const auto answer =
        rawRPC(nam, daemon.rpcPort(),
               {{"method", "torrent-get"},
                {"arguments", {{"ids", {hash.toStdString()}}, {"fields", {"trackers"}}}}});
    ASSERT_TRUE(answer.has_value());
    const json& trackers = (*answer)["torrents"][0]["trackers"];
    ASSERT_EQ(trackers.size(), 3u);
    std::set<int> tiers;
    for (std::size_t i = 0; i < trackers.size(); ++i) {
        EXPECT_EQ(trackers[i]["announce"].get<std::string>(), defaults[int(i)].toStdString());
        tiers.insert(trackers[i]["tier"].get<int>());
    }
    EXPECT_EQ(tiers.size(), 3u);
}

TEST(DaemonDown, TransportFailuresAreReportedAsSuch) {
    QNetworkAccessManager nam;
    TransmissionClient client(nam, freeLoopbackPort());
    const auto answer = awaitTask(client.sessionGet());
    ASSERT_FALSE(answer.ok());
    EXPECT_EQ(answer.error().kind, RPCError::Kind::transport);
    const auto list = awaitTask(client.torrents({"abc"}));
    ASSERT_FALSE(list.ok());
    EXPECT_EQ(list.error().kind, RPCError::Kind::transport);
}

} // namespace
