// The supervisor with the real daemon (and, for the command line, with a stand-in script).

#include "engine/TransmissionEngine.h"

#include "AwaitTask.h"
#include "DaemonSupport.h"
#include "EventLoop.h"
#include "ThreadedHttpServer.h"
#include "engine/TransmissionClient.h"

#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

using namespace std::chrono_literals;

namespace {

QString readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

class EngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        endpoints.rpcPort = freeLoopbackPort();
        endpoints.peerPort = freeLoopbackPort();
        ASSERT_FALSE(systemDaemonPath().isEmpty());
        QDir().mkpath(resources + "/TransmissionEngine/bin");
        ASSERT_TRUE(QFile::link(systemDaemonPath(), daemonLink()));
        writeQuietDaemonSettings(storage + "/transmission-config");
    }

    QString daemonLink() const { return resources + "/TransmissionEngine/bin/transmission-daemon"; }

    std::unique_ptr<TransmissionEngine> makeEngine(std::chrono::milliseconds delay = 50ms) {
        auto engine = std::make_unique<TransmissionEngine>(
            library, storage, endpoints, clock, TransmissionEngine::Options{resources, delay});
        QObject::connect(engine.get(), &TransmissionEngine::runningChanged,
                         [this](bool running) { launches += running ? 1 : 0; });
        return engine;
    }

    bool rpcAnswers() {
        return runEventLoopUntil(
            [&] {
                TransmissionClient client(nam, endpoints.rpcPort);
                return awaitTask(client.sessionGet()).ok();
            },
            15000);
    }

    // Kills the daemon from outside and waits until the supervisor has noticed.
    void crash(TransmissionEngine& engine) {
        const qint64 pid = engine.processId();
        ASSERT_GT(pid, 0);
        ::kill(static_cast<pid_t>(pid), SIGKILL);
        ASSERT_TRUE(runEventLoopUntil([&] { return !engine.isRunning(); }, 10000));
    }

    void crashAndAwaitRestart(TransmissionEngine& engine) {
        const qint64 before = engine.processId();
        crash(engine);
        ASSERT_TRUE(runEventLoopUntil(
            [&] { return engine.isRunning() && engine.processId() != before; }, 15000));
    }

    QTemporaryDir dir;
    QString resources = dir.filePath("resources");
    QString storage = dir.filePath("storage");
    QString library = dir.filePath("library");
    ServiceEndpoints endpoints;
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    QNetworkAccessManager nam;
    int launches = 0;
};

TEST_F(EngineTest, StartsOneDaemonThatServesOurFolders) {
    auto engine = makeEngine();
    EXPECT_TRUE(QFileInfo(library + "/Incomplete").isDir());
    EXPECT_TRUE(QFileInfo(storage + "/transmission-config").isDir());

    engine->start();
    ASSERT_TRUE(engine->isRunning());
    const qint64 pid = engine->processId();
    engine->start();
    EXPECT_EQ(engine->processId(), pid);
    EXPECT_EQ(launches, 1);
    EXPECT_EQ(engine->lastStartAt(), clock->now());
    EXPECT_FALSE(engine->intentionalStop());

    ASSERT_TRUE(rpcAnswers());
    const auto session = rawRPC(nam, endpoints.rpcPort, {{"method", "session-get"}});
    ASSERT_TRUE(session.has_value());
    EXPECT_EQ((*session)["download-dir"], library.toStdString());
    EXPECT_EQ((*session)["incomplete-dir"], (library + "/Incomplete").toStdString());
    EXPECT_EQ((*session)["peer-port"], endpoints.peerPort);
    EXPECT_TRUE(QFile::exists(storage + "/transmission-config/engine.log"));

    const auto version = engine->daemonVersion();
    ASSERT_TRUE(version.has_value());
    EXPECT_TRUE(QRegularExpression("^\\d+\\.\\d+(\\.\\d+)?$").match(*version).hasMatch());
}

TEST_F(EngineTest, ADaemonKilledFromOutsideComesBackAfterTwoSeconds) {
    auto engine = makeEngine(TransmissionEngine::kRestartDelay);
    engine->start();
    ASSERT_TRUE(rpcAnswers());

    crash(*engine);
    EXPECT_TRUE(engine->isRestartPending());
    EXPECT_EQ(engine->restartAttempts(), 1);
    EXPECT_EQ(engine->processId(), 0);

    ASSERT_TRUE(runEventLoopUntil([&] { return engine->isRunning(); }, 15000));
    EXPECT_EQ(launches, 2);
    EXPECT_TRUE(rpcAnswers());
}

TEST_F(EngineTest, FiveQuickCrashesUseUpTheRestarts) {
    auto engine = makeEngine();
    engine->start();
    for (int i = 1; i <= 5; ++i) {
        crashAndAwaitRestart(*engine);
        ASSERT_EQ(engine->restartAttempts(), i);
    }
    crash(*engine);
    EXPECT_FALSE(engine->isRestartPending());
    EXPECT_EQ(engine->restartAttempts(), 5);
    EXPECT_FALSE(runEventLoopUntil([&] { return engine->isRunning(); }, 500));
    EXPECT_EQ(launches, 6);

    // An explicit start still works.
    engine->start();
    EXPECT_TRUE(engine->isRunning());
}

TEST_F(EngineTest, ARunOfMoreThanAMinuteEarnsFreshRestarts) {
    auto engine = makeEngine();
    engine->start();
    for (int i = 1; i <= 5; ++i)
        crashAndAwaitRestart(*engine);

    clock->advance(60); // exactly a minute is not more than one
    crash(*engine);
    EXPECT_FALSE(engine->isRestartPending());

    engine->start();
    clock->advance(61);
    crashAndAwaitRestart(*engine);
    EXPECT_EQ(engine->restartAttempts(), 1);
}

TEST_F(EngineTest, StopEndsTheDaemonForGoodWithItsTorrentsSaved) {
    auto engine = makeEngine();
    engine->start();
    ASSERT_TRUE(rpcAnswers());
    const pid_t pid = static_cast<pid_t>(engine->processId());
    writeFile(library + "/Tidewater.S01E01.mkv", QByteArray(64 * 1024, 'x'));
    const QString hash =
        writeTorrentFile(dir.filePath("t.torrent"), library + "/Tidewater.S01E01.mkv");
    ASSERT_TRUE(rawRPC(nam, endpoints.rpcPort,
                       {{"method", "torrent-add"},
                        {"arguments", {{"filename", dir.filePath("t.torrent").toStdString()}}}})
                    .has_value());

    engine->stop();
    EXPECT_FALSE(engine->isRunning());
    EXPECT_TRUE(engine->intentionalStop());
    EXPECT_EQ(engine->processId(), 0);
    EXPECT_FALSE(
        runEventLoopUntil([&] { return engine->isRunning() || engine->isRestartPending(); }, 500));
    EXPECT_EQ(launches, 1);

    // The supervisor goes only once the daemon has (the daemon was stopped as soon as it
    // answered, while it may still have been starting).
    const QString resumeFolder = engine->configDir() + "/resume";
    engine.reset();
    EXPECT_NE(::kill(pid, 0), 0);
    // What the next start reads the torrent's progress from.
    const QStringList resume = QDir(resumeFolder).entryList({"*.resume"});
    ASSERT_EQ(resume.size(), 1);
    EXPECT_TRUE(resume.first().contains(hash.left(16))) << resume.first().toStdString();
}

TEST_F(EngineTest, AStrayFromAnEarlierRunIsKilledFirst) {
    const QString strayConfig = dir.filePath("stray-config");
    writeQuietDaemonSettings(strayConfig);
    QProcess stray;
    stray.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    stray.start(daemonLink(),
                {"--foreground", "--config-dir", strayConfig, "--rpc-bind-address", "127.0.0.1",
                 "--port", QString::number(endpoints.rpcPort), "--peerport",
                 QString::number(freeLoopbackPort()), "--no-auth", "--log-error"});
    ASSERT_TRUE(stray.waitForStarted());
    ASSERT_TRUE(rpcAnswers());

    auto engine = makeEngine();
    engine->start();
    EXPECT_TRUE(runEventLoopUntil([&] { return stray.state() == QProcess::NotRunning; }, 5000));
    EXPECT_EQ(stray.exitStatus(), QProcess::CrashExit);

    // The port now belongs to our own daemon.
    ASSERT_TRUE(rpcAnswers());
    const auto session = rawRPC(nam, endpoints.rpcPort, {{"method", "session-get"}});
    ASSERT_TRUE(session.has_value());
    EXPECT_EQ((*session)["config-dir"], engine->configDir().toStdString());
}

TEST_F(EngineTest, WithoutAnExecutableNothingHappens) {
    for (const QString& folder : {dir.filePath("empty"), QString()}) {
        TransmissionEngine engine(library, storage, endpoints, clock, {folder, 50ms});
        engine.start();
        EXPECT_FALSE(engine.isRunning());
        EXPECT_EQ(engine.processId(), 0);
        EXPECT_FALSE(engine.daemonVersion().has_value());
        EXPECT_FALSE(QFile::exists(storage + "/transmission-config/engine.log"));
    }
}

TEST_F(EngineTest, ANewLibraryRootIsUsedFromTheNextStart) {
    auto engine = makeEngine();
    const QString moved = dir.filePath("elsewhere/library");
    engine->setLibraryRoot(moved);
    EXPECT_EQ(engine->downloadDir(), moved);
    EXPECT_EQ(engine->incompleteDir(), moved + "/Incomplete");
    EXPECT_TRUE(QFileInfo(moved + "/Incomplete").isDir());

    const QStringList args = engine->arguments();
    EXPECT_EQ(args.mid(3, 4),
              (QStringList{"--download-dir", moved, "--incomplete-dir", moved + "/Incomplete"}));
}

TEST(EngineResources, TheBuildShipsTheDaemonWhereTheEngineLooksForIt) {
    // Test programs live in the build's bin folder, like the application itself.
    const QString folder = TransmissionEngineOptions::production().resourceFolder;
    const QFileInfo daemon(folder + "/TransmissionEngine/bin/transmission-daemon");
    EXPECT_TRUE(daemon.isFile() && daemon.isExecutable()) << daemon.filePath().toStdString();
}

// A stand-in daemon: prints a version, records its command line, writes to both outputs.
class ScriptedDaemonTest : public EngineTest {
protected:
    void useScript(const QByteArray& versionLine) {
        QFile::remove(daemonLink());
        writeFile(daemonLink(), "#!/bin/sh\n"
                                "if [ \"$1\" = \"--version\" ]; then echo '" +
                                    versionLine +
                                    "' >&2; exit 0; fi\n"
                                    "printf '%s\\n' \"$@\" > \"$(dirname \"$0\")/args.txt\"\n"
                                    "echo 'daemon says hello'\n"
                                    "echo 'daemon complains' >&2\n"
                                    "exec sleep 60\n");
        QFile::setPermissions(daemonLink(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    QStringList expectedStart() const {
        return {"--foreground",
                "--config-dir",
                storage + "/transmission-config",
                "--download-dir",
                library,
                "--incomplete-dir",
                library + "/Incomplete",
                "--rpc-bind-address",
                "127.0.0.1",
                "--port",
                QString::number(endpoints.rpcPort),
                "--peerport",
                QString::number(endpoints.peerPort),
                "--no-auth"};
    }
};

TEST_F(ScriptedDaemonTest, NewerDaemonsGetTheLogLevelAndTheirOutputLandsInTheLog) {
    useScript("transmission-daemon 4.0.6 (38c164933e)");
    writeFile(storage + "/transmission-config/engine.log", "stale lines from the last run\n");
    auto engine = makeEngine();
    EXPECT_EQ(engine->daemonVersion(), QString("4.0.6"));

    engine->start();
    ASSERT_TRUE(engine->isRunning());
    const QString argsFile = resources + "/TransmissionEngine/bin/args.txt";
    ASSERT_TRUE(runEventLoopUntil([&] { return readAll(argsFile).contains("warn"); }, 5000));
    EXPECT_EQ(readAll(argsFile).trimmed().split('\n'),
              (expectedStart() + QStringList{"--log-level", "warn"}));

    const QString log = storage + "/transmission-config/engine.log";
    ASSERT_TRUE(runEventLoopUntil([&] { return readAll(log).contains("complains"); }, 5000));
    EXPECT_TRUE(readAll(log).contains("daemon says hello"));
    EXPECT_FALSE(readAll(log).contains("stale"));
    engine->stop();
}

// A stand-in that exits once the RPC stand-in has been asked to close, or on SIGTERM, and
// notes which of the two it was.
class ScriptedShutdownTest : public ScriptedDaemonTest {
protected:
    void SetUp() override {
        ScriptedDaemonTest::SetUp();
        QFile::remove(daemonLink());
        writeFile(
            daemonLink(),
            "#!/bin/sh\n"
            "if [ \"$1\" = \"--version\" ]; then echo 'transmission-daemon 4.0.6' >&2; exit 0; fi\n"
            "dir=\"$(dirname \"$0\")\"\n"
            "trap 'echo signalled > \"$dir/ended\"; exit 0' TERM\n"
            "while [ ! -e \"$dir/closed\" ]; do sleep 0.05; done\n"
            "echo closed > \"$dir/ended\"\n");
        QFile::setPermissions(daemonLink(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // Answers as the daemon run from `configDir` would, the handshake left out.
    FakeHttpServer::Response answer(const QString& configDir,
                                    const FakeHttpServer::Request& r) const {
        const std::string method = nlohmann::json::parse(r.body.toStdString())["method"];
        nlohmann::json arguments = nlohmann::json::object();
        if (method == "session-get")
            arguments["config-dir"] = configDir.toStdString();
        if (method == "session-close")
            writeFile(bin() + "/closed", "");
        return {200, QByteArray::fromStdString(
                         nlohmann::json{{"result", "success"}, {"arguments", arguments}}.dump())};
    }

    // How the stand-in ended, once the engine is gone.
    QString endOf(std::unique_ptr<TransmissionEngine> engine) {
        engine->start();
        EXPECT_TRUE(engine->isRunning());
        // Give the script its trap before anything can signal it.
        runEventLoopUntil([] { return false; }, 300);
        engine->stop();
        engine.reset();
        return readAll(bin() + "/ended").trimmed();
    }

    QString bin() const { return resources + "/TransmissionEngine/bin"; }
};

TEST_F(ScriptedShutdownTest, OurDaemonIsAskedToCloseNotSignalled) {
    ThreadedHttpServer rpc(
        [this](const auto& r) { return answer(storage + "/transmission-config", r); });
    endpoints.rpcPort = rpc.port();
    EXPECT_EQ(endOf(makeEngine()), "closed");
}

TEST_F(ScriptedShutdownTest, ADaemonThatDoesNotAnswerIsSignalled) {
    EXPECT_EQ(endOf(makeEngine()), "signalled");
}

TEST_F(ScriptedShutdownTest, ADaemonOfAnotherFolderOnOurPortIsLeftAloneAndOursSignalled) {
    ThreadedHttpServer rpc([this](const auto& r) { return answer(dir.filePath("elsewhere"), r); });
    endpoints.rpcPort = rpc.port();
    EXPECT_EQ(endOf(makeEngine()), "signalled");
    EXPECT_FALSE(QFile::exists(bin() + "/closed"));
}

TEST_F(ScriptedDaemonTest, OlderDaemonsGetLogErrorInstead) {
    useScript("transmission-daemon 3.00 (bb6b5a062e)");
    auto engine = makeEngine();
    EXPECT_EQ(engine->daemonVersion(), QString("3.00"));
    EXPECT_EQ(engine->arguments(), expectedStart() + QStringList{"--log-error"});
}

TEST_F(ScriptedDaemonTest, AnUnreadableVersionKeepsTheStandardCommandLine) {
    useScript("transmission-daemon (development build)");
    auto engine = makeEngine();
    EXPECT_EQ(engine->daemonVersion(), std::nullopt);
    EXPECT_EQ(engine->arguments(), (expectedStart() + QStringList{"--log-level", "warn"}));
}

} // namespace
