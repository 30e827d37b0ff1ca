#include "AppHome.h"

#include <QNetworkAccessManager>

namespace {

using Headless = AppHome;

} // namespace

// Starts in an empty home, runs the daemon with the stored seeding limit; later starts leave the
// running instance, its daemon and its socket alone; what a kill leaves behind (lock, socket,
// orphaned daemon) does not stop the next start, which SIGINT then stops cleanly.
TEST_F(Headless, StartsInAnEmptyHomeLeavesTheRunningInstanceAloneAndAKilledOneBlocksNothing) {
    moveServicesToLoopback();
    writeDataFile("settings.json", R"({"seedRatioEnabled":true,"seedRatioLimit":1.25})");
    start(m_process);
    const QString series = m_home + "/Downloads/Lumivane/Series";
    ASSERT_TRUE(runEventLoopUntil([&] { return QFileInfo(series).isDir(); }, 10000));
    ASSERT_TRUE(waitForRPC(m_rpcPort)) << "the daemon answers on the port endpoints.json gave";
    ASSERT_TRUE(waitForSocket(m_process));
    const QList<qint64> daemons = daemonsUnder(m_home);
    ASSERT_EQ(daemons.size(), 1);
    // The seeding limit reaches the daemon without any window.
    QNetworkAccessManager nam;
    std::optional<nlohmann::json> session;
    EXPECT_TRUE(runEventLoopUntil(
        [&] {
            session = rawRPC(nam, m_rpcPort, {{"method", "session-get"}});
            return session && session->value("seedRatioLimited", false) && session->value("seedRatioLimit", 0.0) == 1.25;
        },
        15000))
        << (session ? session->dump() : "no answer");

    const auto [secondExit, secondSays] = runToEnd({"--headless"});
    EXPECT_EQ(secondExit, 1);
    EXPECT_TRUE(secondSays.contains("Lumivane is already running (process " +
                                    QByteArray::number(m_process.processId()) + ")"))
        << secondSays.toStdString();
    const auto [plainExit, plainSays] = runToEnd({});
    EXPECT_EQ(plainExit, 1) << "a plain start cannot show a headless instance";
    EXPECT_TRUE(plainSays.contains("systemctl --user stop lumivane")) << plainSays.toStdString();
    EXPECT_EQ(m_process.state(), QProcess::Running);
    EXPECT_EQ(daemonsUnder(m_home), daemons) << "the first instance's daemon was not replaced";
    EXPECT_EQ(ask({}), InstanceChannel::kHeadless) << "the first instance still answers on its socket";

    m_process.kill();
    ASSERT_TRUE(m_process.waitForFinished(10000));
    ASSERT_TRUE(QFileInfo::exists(dataFile("lumivane.lock")));
    ASSERT_TRUE(QFileInfo::exists(socketPath())) << "the kill left the socket behind";
    ASSERT_EQ(daemonsUnder(m_home), daemons);

    QProcess next;
    start(next);
    // The new instance kills the orphaned daemon, starts its own on the same port and answers
    // on the same socket path.
    EXPECT_TRUE(runEventLoopUntil(
        [&] {
            const auto running = daemonsUnder(m_home);
            return running.size() == 1 && running != daemons && next.state() == QProcess::Running;
        },
        15000));
    EXPECT_TRUE(waitForRPC(m_rpcPort));
    EXPECT_TRUE(runEventLoopUntil([&] { return ask({}) == InstanceChannel::kHeadless; }, 20000));
    stop(next, SIGINT);
}

TEST_F(Headless, AnInvalidEndpointsFileIsNamedInOneErrorLine) {
    writeDataFile("endpoints.json", R"({"rpcPort":9098,"eztvMirror":"https://eztv.example"})");
    start(m_process);
    ASSERT_TRUE(awaitOutput("[error] Ignored " + dataFile("endpoints.json") +
                            ": unknown key eztvMirror — using the built-in service addresses", 10000))
        << m_out.toStdString();
    m_process.terminate();
    ASSERT_TRUE(m_process.waitForFinished(15000));
    EXPECT_EQ(m_process.exitCode(), 0);
    EXPECT_EQ(m_out.count("[error]"), 1) << m_out.toStdString();
}
