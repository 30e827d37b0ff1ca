// The real executable, run headless in a private home, tells on its console what is broken —
// once — and when it works again: a daemon link pointing nowhere, the daemon's port taken by
// another program, a series list with a hand-edited value, a TMDB key that is refused.

#include "AppHome.h"
#include "DaemonSupport.h"
#include "EventLoop.h"
#include "FakeHttpServer.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

namespace {

// A copy of the executable in its own home, with its resource folder beside it: the daemon
// link there is what each test makes of it.
class HeadlessHealth : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_home = QFileInfo(m_dir.path()).canonicalFilePath();
        ASSERT_TRUE(QDir().mkpath(m_home + "/bin"));
        ASSERT_TRUE(QDir().mkpath(storageFolder()));
        ASSERT_TRUE(QFile::copy(QStringLiteral(LUMIVANE_BINARY), m_home + "/bin/lumivane"));
        writeEndpoints(QUrl(QStringLiteral("http://127.0.0.1:%1/3").arg(m_nobody)));
        writeQuietDaemonSettings(storageFolder() + "/transmission-config");
    }

    void TearDown() override {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(10000);
        }
        killDaemonsUnder(m_home);
    }

    static void killDaemonsUnder(const QString& folder) {
        for (const qint64 pid : daemonsUnder(folder))
            ::kill(static_cast<pid_t>(pid), SIGKILL);
    }

    QString storageFolder() const { return m_home + "/data/Lumivane"; }
    QString daemonLink() const {
        return m_home + "/share/lumivane/TransmissionEngine/bin/transmission-daemon";
    }
    void linkDaemon(const QString& target) {
        QDir().mkpath(QFileInfo(daemonLink()).path());
        QFile::remove(daemonLink());
        ASSERT_TRUE(QFile::link(target, daemonLink()));
    }

    void writeFile(const QString& path, const QByteArray& bytes) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }

    void writeEndpoints(const QUrl& tmdb) {
        QByteArray json = "{";
        for (const char* key : {"knabenAPI", "apibayQuery", "eztvPrimary", "eztvFallback",
                                "torrentsCsvSearch", "nyaaRoot", "ytsHost", "tmdbImages"})
            json += '"' + QByteArray(key) + "\":\"http://127.0.0.1:" +
                    QByteArray::number(m_nobody) + "/\",";
        json += "\"tmdbAPI\":\"" + tmdb.toString().toUtf8() + "\",";
        json += "\"rpcPort\":" + QByteArray::number(m_rpcPort) +
                ",\"peerPort\":" + QByteArray::number(freeLoopbackPort()) + '}';
        writeFile(storageFolder() + "/endpoints.json", json);
    }

    void start() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", m_home);
        env.insert("XDG_DATA_HOME", m_home + "/data");
        env.insert("XDG_CONFIG_HOME", m_home + "/config");
        env.remove("XDG_DOWNLOAD_DIR");
        // No notification service: notices are printed with the log.
        env.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + m_home + "/no-bus");
        m_process.setProcessEnvironment(env);
        m_process.start(m_home + "/bin/lumivane", {QStringLiteral("--headless")});
        ASSERT_TRUE(m_process.waitForStarted(10000));
    }

    // Reads the console until `text` has appeared.
    bool awaitOutput(const QString& text, int timeoutMs = 20000) {
        return runEventLoopUntil(
            [&] {
                m_out += QString::fromUtf8(m_process.readAllStandardOutput());
                return m_out.contains(text);
            },
            timeoutMs);
    }

    void quit() {
        m_process.terminate();
        ASSERT_TRUE(m_process.waitForFinished(15000));
        m_out += QString::fromUtf8(m_process.readAllStandardOutput());
        EXPECT_EQ(m_process.exitCode(), 0);
    }

    QTemporaryDir m_dir;
    QString m_home;
    QProcess m_process;
    QString m_out;
    quint16 m_rpcPort = freeLoopbackPort();
    quint16 m_nobody = freeLoopbackPort();
};

} // namespace

TEST_F(HeadlessHealth, ADaemonLinkPointingNowhereIsToldOnceAndTheInstallIsNoticed) {
    linkDaemon(m_home + "/nowhere/transmission-daemon");
    start();

    const QString missing = "The download engine is missing: there is no transmission-daemon at " +
                            daemonLink() +
                            ". Install transmission-daemon (sudo apt install "
                            "transmission-daemon); Lumivane starts it as soon as it is there.";
    ASSERT_TRUE(awaitOutput("[error] " + missing)) << m_out.toStdString();
    ASSERT_TRUE(awaitOutput("notice: Lumivane cannot download — " + missing)) << m_out.toStdString();

    // transmission-daemon gets installed: the next try finds it, without a restart.
    linkDaemon(systemDaemonPath());
    ASSERT_TRUE(awaitOutput("[check] The download engine is running again.", 40000))
        << m_out.toStdString();
    EXPECT_TRUE(waitForRPC(m_rpcPort));
    quit();
    EXPECT_EQ(m_out.count(missing), 2) << "one line and one notice:\n" << m_out.toStdString();
    EXPECT_EQ(m_out.count("[error]"), 1) << m_out.toStdString();
    EXPECT_EQ(m_out.count("running again"), 1);
}

TEST_F(HeadlessHealth, ThePortTakenByAnotherProgramIsToldOnceUntilItIsFree) {
    linkDaemon(systemDaemonPath());
    auto squatter = std::make_unique<QTcpServer>();
    ASSERT_TRUE(squatter->listen(QHostAddress::LocalHost, m_rpcPort));
    start();

    const QString taken = QStringLiteral("The download engine cannot listen on port %1: another "
                                         "program is using it. Close that program, or set "
                                         "another \"rpcPort\" in %2 and restart Lumivane.")
                              .arg(m_rpcPort)
                              .arg(storageFolder() + "/endpoints.json");
    ASSERT_TRUE(awaitOutput("[error] " + taken)) << m_out.toStdString();
    ASSERT_TRUE(awaitOutput("notice: Lumivane cannot download — " + taken)) << m_out.toStdString();

    squatter.reset();
    ASSERT_TRUE(awaitOutput("[check] The download engine is running again.", 40000))
        << m_out.toStdString();
    EXPECT_TRUE(waitForRPC(m_rpcPort));
    quit();
    EXPECT_EQ(m_out.count("[error]"), 1) << m_out.toStdString();
}

TEST_F(HeadlessHealth, AHandEditedSeriesListKeepsTheOtherSeriesAndSaysSo) {
    linkDaemon(m_home + "/nowhere/transmission-daemon");
    const QByteArray shows =
        R"([{"name":"Dark","firstAirYear":"2017"},{"name":"Severance","firstAirYear":2025}])";
    writeFile(storageFolder() + "/shows.json", shows);
    start();

    ASSERT_TRUE(awaitOutput("shows.json: kept 1 of 2 series")) << m_out.toStdString();
    const QStringList copies =
        QDir(storageFolder()).entryList({"shows.json.unreadable-*"}, QDir::Files);
    ASSERT_EQ(copies.size(), 1);
    const QString line = "shows.json: kept 1 of 2 series; 1 that could not be read was set aside. "
                         "The original file is kept as " +
                         storageFolder() + "/" + copies.first() + ".";
    ASSERT_TRUE(awaitOutput("[error] " + line)) << m_out.toStdString();
    ASSERT_TRUE(awaitOutput("notice: Part of shows.json could not be read — " + line));
    quit();

    QFile copy(storageFolder() + "/" + copies.first());
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly));
    EXPECT_EQ(copy.readAll(), shows);
    QFile kept(storageFolder() + "/shows.json");
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    const QByteArray left = kept.readAll();
    EXPECT_TRUE(left.contains("\"Dark\"") && !left.contains("Severance")) << left.toStdString();
}

TEST_F(HeadlessHealth, ARefusedTMDBKeyIsToldOnceWithWhereToChangeIt) {
    linkDaemon(m_home + "/nowhere/transmission-daemon");
    FakeHttpServer tmdb;
    tmdb.respondWith({401, R"({"status_code":7})"});
    writeEndpoints(tmdb.url("/3"));
    writeFile(storageFolder() + "/shows.json",
              R"([{"name":"Dark","tmdbID":70523},{"name":"Andor","tmdbID":83867}])");
    start();

    const QString refused =
        "[error] TMDB refused the API key, so air dates and new titles cannot be looked up. "
        "Check the TMDB API key in Settings (leave it empty to use the built-in key).";
    ASSERT_TRUE(awaitOutput(refused)) << m_out.toStdString();
    // Both series were asked about at start.
    ASSERT_TRUE(runEventLoopUntil([&] { return tmdb.requests().size() >= 2; }, 10000));
    quit();
    EXPECT_EQ(m_out.count(refused), 1) << m_out.toStdString();
}
