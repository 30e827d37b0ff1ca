#include "AppHome.h"
#include "DaemonSupport.h"
#include "EventLoop.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

namespace {

using Headless = AppHome;

class HeadlessSignals : public Headless, public testing::WithParamInterface<int> {};

} // namespace

TEST_P(HeadlessSignals, StartsWithAnEmptyHomeRunsTheDaemonAndStopsItOnASignal) {
    moveServicesToLoopback();
    writeDataFile("settings.json", R"({"seedRatioEnabled":true,"seedRatioLimit":1.25})");
    start(m_process);

    const QString series = QDir(m_home.path()).filePath("Downloads/Lumivane/Series");
    ASSERT_TRUE(runEventLoopUntil(
        [&] { return QFileInfo::exists(dataFile("settings.json")) && QFileInfo(series).isDir(); }, 10000));
    ASSERT_TRUE(waitForRPC(m_rpcPort)) << "the daemon answers on the port endpoints.json gave";
    const QList<qint64> daemons = daemonsUnder(m_home.path());
    ASSERT_EQ(daemons.size(), 1);

    // The seeding limit reaches the daemon without any window.
    QNetworkAccessManager nam;
    std::optional<nlohmann::json> session;
    EXPECT_TRUE(runEventLoopUntil(
        [&] {
            session = rawRPC(nam, m_rpcPort, {{"method", "session-get"}});
            return session && session->value("seedRatioLimited", false) &&
                   session->value("seedRatioLimit", 0.0) == 1.25;
        },
        15000))
        << (session ? session->dump() : "no answer");

    ::kill(static_cast<pid_t>(m_process.processId()), GetParam());
    ASSERT_TRUE(m_process.waitForFinished(15000));
    EXPECT_EQ(m_process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_process.exitCode(), 0) << m_process.readAllStandardError().toStdString();
    EXPECT_TRUE(daemonsUnder(m_home.path()).isEmpty()) << "no stray daemon is left behind";
    EXPECT_FALSE(QFileInfo::exists(dataFile("lumivane.lock")));
}

INSTANTIATE_TEST_SUITE_P(Signals, HeadlessSignals, testing::Values(SIGINT, SIGTERM),
                         [](const auto& info) { return info.param == SIGINT ? "SIGINT" : "SIGTERM"; });

TEST_F(Headless, ASecondInstanceLeavesTheRunningOneAndItsDaemonAlone) {
    moveServicesToLoopback();
    start(m_process);
    ASSERT_TRUE(waitForRPC(m_rpcPort));
    const QList<qint64> daemons = daemonsUnder(m_home.path());
    ASSERT_EQ(daemons.size(), 1);

    QProcess second;
    start(second);
    ASSERT_TRUE(second.waitForFinished(15000));
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_TRUE(second.readAllStandardError().contains(
        "Lumivane is already running (process " + QByteArray::number(m_process.processId()) + ")"));

    EXPECT_EQ(m_process.state(), QProcess::Running);
    EXPECT_EQ(daemonsUnder(m_home.path()), daemons) << "the first instance's daemon was not replaced";

    m_process.terminate();
    ASSERT_TRUE(m_process.waitForFinished(15000));
    EXPECT_EQ(m_process.exitCode(), 0);
}

TEST_F(Headless, ALockLeftByAKilledInstanceDoesNotStopTheNextStart) {
    moveServicesToLoopback();
    start(m_process);
    ASSERT_TRUE(waitForRPC(m_rpcPort));
    m_process.kill();
    ASSERT_TRUE(m_process.waitForFinished(10000));
    ASSERT_TRUE(QFileInfo::exists(dataFile("lumivane.lock")));
    const QList<qint64> orphans = daemonsUnder(m_home.path());
    ASSERT_EQ(orphans.size(), 1);

    QProcess next;
    start(next);
    // The new instance kills the orphaned daemon and starts its own on the same port.
    EXPECT_TRUE(runEventLoopUntil(
        [&] {
            const auto daemons = daemonsUnder(m_home.path());
            return daemons.size() == 1 && daemons != orphans && next.state() == QProcess::Running;
        },
        15000));
    EXPECT_TRUE(waitForRPC(m_rpcPort));
    next.terminate();
    ASSERT_TRUE(next.waitForFinished(15000));
    EXPECT_EQ(next.exitCode(), 0) << next.readAllStandardError().toStdString();
}

TEST_F(Headless, AnInvalidEndpointsFileIsNamedInOneErrorLine) {
    writeDataFile("endpoints.json", R"({"rpcPort":9098,"eztvMirror":"https://eztv.example"})");
    start(m_process);

    QByteArray out;
    const QByteArray expected = "[error] Ignored " + dataFile("endpoints.json").toUtf8() +
                                ": unknown key eztvMirror — using the built-in service addresses";
    EXPECT_TRUE(runEventLoopUntil(
        [&] {
            out += m_process.readAllStandardOutput();
            return out.contains(expected);
        },
        10000))
        << out.toStdString();
    EXPECT_EQ(out.count("[error]"), 1) << out.toStdString();

    m_process.terminate();
    ASSERT_TRUE(m_process.waitForFinished(15000));
    EXPECT_EQ(m_process.exitCode(), 0);
}
