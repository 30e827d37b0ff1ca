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

// Daemons whose command line names `folder`: the ones an instance living there started.
QList<qint64> daemonsUnder(const QString& folder) {
    QList<qint64> pids;
    QDirIterator proc(QStringLiteral("/proc"), QDir::Dirs | QDir::NoDotAndDotDot);
    while (proc.hasNext()) {
        proc.next();
        bool numeric = false;
        const qint64 pid = proc.fileName().toLongLong(&numeric);
        QFile cmdline(proc.filePath() + QStringLiteral("/cmdline"));
        if (!numeric || !cmdline.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = cmdline.readAll();
        if (text.contains("transmission-daemon") && text.contains(folder.toUtf8()))
            pids << pid;
    }
    return pids;
}

// Runs the real executable in a private home, so it never sees the user's data, with its
// services moved to loopback by endpoints.json: the daemon on free ports, every index and
// TMDB on a port nobody listens on.
class Headless : public testing::Test {
protected:
    void SetUp() override {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", m_home.path());
        env.insert("XDG_DATA_HOME", QDir(m_home.path()).filePath("data"));
        env.insert("XDG_CONFIG_HOME", QDir(m_home.path()).filePath("config"));
        env.remove("XDG_DOWNLOAD_DIR");
        m_environment = env;
        m_process.setProcessEnvironment(env);
        QDir().mkpath(storageFolder());
    }

    void TearDown() override {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(10000);
        }
        for (const qint64 pid : daemonsUnder(m_home.path()))
            ::kill(static_cast<pid_t>(pid), SIGKILL);
    }

    QString storageFolder() const { return QDir(m_home.path()).filePath(QStringLiteral("data/Lumivane")); }
    QString dataFile(const char* name) const { return QDir(storageFolder()).filePath(QString::fromLatin1(name)); }

    void writeDataFile(const char* name, const QByteArray& bytes) const {
        QFile file(dataFile(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    void moveServicesToLoopback() {
        const quint16 nobody = freeLoopbackPort();
        QByteArray json = "{";
        for (const char* key : {"knabenAPI", "apibayQuery", "eztvPrimary", "eztvFallback", "torrentsCsvSearch",
                                "nyaaRoot", "ytsHost", "tmdbAPI", "tmdbImages"})
            json += '"' + QByteArray(key) + "\":\"http://127.0.0.1:" + QByteArray::number(nobody) + "/\",";
        json += "\"rpcPort\":" + QByteArray::number(m_rpcPort) + ",\"peerPort\":" + QByteArray::number(m_peerPort) + '}';
        writeDataFile("endpoints.json", json);
        // A daemon that talks to nobody
        writeQuietDaemonSettings(QDir(storageFolder()).filePath(QStringLiteral("transmission-config")));
    }

    void start(QProcess& process) {
        process.setProcessEnvironment(m_environment);
        process.start(QStringLiteral(LUMIVANE_BINARY), {QStringLiteral("--headless")});
        ASSERT_TRUE(process.waitForStarted(10000));
    }

    QTemporaryDir m_home;
    QProcessEnvironment m_environment;
    QProcess m_process;
    quint16 m_rpcPort = freeLoopbackPort();
    quint16 m_peerPort = freeLoopbackPort();
};

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
