// The supervisor with the real daemon, and with stand-in scripts for its command line, its
// output, its shutdown and what it reports when the daemon cannot run.

#include "engine/TransmissionEngine.h"

#include "DaemonSupport.h"
#include "EventLoop.h"
#include "Fixtures.h"
#include "ThreadedHttpServer.h"

#include <QDir>
#include <QFile>
#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>

using namespace std::chrono_literals;

// Found by GoogleTest next to the type, so failures read "stopped/6/…" rather than bytes.
static void PrintTo(const EngineHealth& h, std::ostream* os) {
    *os << int(h.state) << '/' << int(h.cause) << "/\"" << h.detail.toStdString() << '"';
}

namespace {

using State = EngineHealth::State;
using Cause = EngineHealth::Cause;

constexpr QFile::Permissions kExecutable = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

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
        QDir().mkpath(bin());
        writeQuietDaemonSettings(storage + "/transmission-config");
        ASSERT_FALSE(systemDaemonPath().isEmpty());
        ASSERT_TRUE(QFile::link(systemDaemonPath(), daemonPath()));
    }

    QString bin() const { return resources + "/TransmissionEngine/bin"; }
    QString daemonPath() const { return bin() + "/transmission-daemon"; }

    // A shell script standing in for the daemon.
    void useScript(const QByteArray& script, QFile::Permissions permissions = kExecutable) {
        QFile::remove(daemonPath());
        writeFile(daemonPath(), "#!/bin/sh\n" + script);
        ASSERT_TRUE(QFile::setPermissions(daemonPath(), permissions));
    }

    std::unique_ptr<TransmissionEngine> makeEngine(std::chrono::milliseconds retry = 10s) {
        TransmissionEngine::Options options{resources, 50ms};
        options.retryDelay = retry;
        auto engine = std::make_unique<TransmissionEngine>(library, storage, endpoints, clock, options);
        QObject::connect(engine.get(), &TransmissionEngine::runningChanged,
                         [this](bool running) { launches += running ? 1 : 0; });
        return engine;
    }

    // Kills the daemon from outside and waits until the supervisor has noticed (and, when asked,
    // has started another).
    void crash(TransmissionEngine& engine, bool awaitRestart = false) {
        const qint64 pid = engine.processId();
        ASSERT_GT(pid, 0);
        ::kill(static_cast<pid_t>(pid), SIGKILL);
        ASSERT_TRUE(runEventLoopUntil([&] { return !engine.isRunning(); }, 10000));
        if (awaitRestart) {
            ASSERT_TRUE(runEventLoopUntil([&] { return engine.isRunning() && engine.processId() != pid; }, 15000));
        }
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

TEST_F(EngineTest, StartsOneDaemonThatServesOurFoldersAndStopsItForGood) {
    auto engine = makeEngine();
    EXPECT_TRUE(QFileInfo(library + "/Incomplete").isDir());
    engine->start();
    ASSERT_TRUE(engine->isRunning());
    const qint64 pid = engine->processId();
    engine->start();
    EXPECT_EQ(engine->processId(), pid);
    EXPECT_EQ(engine->lastStartAt(), clock->now());
    EXPECT_TRUE(waitForRPC(endpoints.rpcPort));

    engine->stop();
    EXPECT_FALSE(engine->isRunning());
    EXPECT_TRUE(engine->intentionalStop());
    EXPECT_EQ(engine->processId(), 0);
    EXPECT_FALSE(
        runEventLoopUntil([&] { return engine->isRunning() || engine->isRestartPending(); }, 500));
    EXPECT_EQ(launches, 1);
    // The supervisor goes only once the daemon has.
    engine.reset();
    EXPECT_NE(::kill(static_cast<pid_t>(pid), 0), 0);
}

// A killed daemon coming back once is what the recovery journey (tests/e2e) shows.
TEST_F(EngineTest, FiveRestartsAMinuteThenNoneUntilARunOfMoreThanAMinute) {
    auto engine = makeEngine();
    engine->start();
    for (int i = 1; i <= 5; ++i) {
        crash(*engine, true);
        ASSERT_EQ(engine->restartAttempts(), i);
    }
    clock->advance(60); // exactly a minute is not more than one
    crash(*engine);
    EXPECT_FALSE(engine->isRestartPending());
    EXPECT_EQ(engine->restartAttempts(), 5);
    EXPECT_FALSE(runEventLoopUntil([&] { return engine->isRunning(); }, 500));
    EXPECT_EQ(launches, 6);

    // An explicit start still works; a crash after a longer run counts as the first again.
    engine->start();
    EXPECT_TRUE(engine->isRunning());
    clock->advance(61);
    crash(*engine, true);
    EXPECT_EQ(engine->restartAttempts(), 1);
}

TEST_F(EngineTest, AStrayFromAnEarlierRunIsKilledFirst) {
    const QString strayConfig = dir.filePath("stray-config");
    writeQuietDaemonSettings(strayConfig);
    QProcess stray;
    stray.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    stray.start(daemonPath(),
                {"--foreground", "--config-dir", strayConfig, "--rpc-bind-address", "127.0.0.1",
                 "--port", QString::number(endpoints.rpcPort), "--peerport",
                 QString::number(freeLoopbackPort()), "--no-auth", "--log-error"});
    ASSERT_TRUE(stray.waitForStarted());
    ASSERT_TRUE(waitForRPC(endpoints.rpcPort));

    auto engine = makeEngine();
    engine->start();
    EXPECT_TRUE(runEventLoopUntil([&] { return stray.state() == QProcess::NotRunning; }, 5000));
    EXPECT_EQ(stray.exitStatus(), QProcess::CrashExit);
    // The port now belongs to our own daemon.
    ASSERT_TRUE(waitForRPC(endpoints.rpcPort));
    const auto session = rawRPC(nam, endpoints.rpcPort, {{"method", "session-get"}});
    ASSERT_TRUE(session.has_value());
    EXPECT_EQ((*session)["config-dir"], engine->configDir().toStdString());
}

TEST(EngineResources, TheBuildShipsTheDaemonWhereTheEngineLooksForIt) {
    // Test programs live in the build's bin folder, like the application itself.
    const QString folder = TransmissionEngineOptions::production().resourceFolder;
    const QFileInfo daemon(folder + "/TransmissionEngine/bin/transmission-daemon");
    EXPECT_TRUE(daemon.isFile() && daemon.isExecutable()) << daemon.filePath().toStdString();
}

// The log option follows the daemon's version; what the daemon prints lands in a fresh log; a
// library root set after construction is used from the next start.
TEST_F(EngineTest, TheCommandLineFollowsTheDaemonsVersion) {
    const QString moved = dir.filePath("elsewhere/library");
    const QStringList start{"--foreground", "--config-dir", storage + "/transmission-config",
                            "--download-dir", moved, "--incomplete-dir", moved + "/Incomplete",
                            "--rpc-bind-address", "127.0.0.1", "--port", QString::number(endpoints.rpcPort),
                            "--peerport", QString::number(endpoints.peerPort), "--no-auth"};
    const QString argsFile = bin() + "/args.txt";
    const QString log = storage + "/transmission-config/engine.log";
    for (const auto& c : fixtureJson("daemon/versions.json")) {
        SCOPED_TRACE(c.dump());
        const QStringList logOption = qstr(c["logOption"]).split(' ');
        useScript("if [ \"$1\" = \"--version\" ]; then echo '" + qstr(c["versionLine"]).toUtf8() + "' >&2; exit 0; fi\n"
                  "printf '%s\\n' \"$@\" > \"$(dirname \"$0\")/args.txt\"\n"
                  "echo 'daemon says hello'\necho 'daemon complains' >&2\nexec sleep 60\n");
        QFile::remove(argsFile);
        writeFile(log, "stale lines from the last run\n");
        auto engine = makeEngine();
        engine->setLibraryRoot(moved);
        EXPECT_TRUE(QFileInfo(moved + "/Incomplete").isDir());
        EXPECT_EQ(engine->daemonVersion(), c["version"].is_null() ? std::nullopt : std::optional(qstr(c["version"])));
        engine->start();
        ASSERT_TRUE(engine->isRunning());
        ASSERT_TRUE(runEventLoopUntil([&] { return readAll(argsFile).endsWith(logOption.last() + "\n"); }, 5000));
        EXPECT_EQ(readAll(argsFile).trimmed().split('\n'), start + logOption);
        ASSERT_TRUE(runEventLoopUntil([&] { return readAll(log).contains("complains"); }, 5000));
        EXPECT_TRUE(readAll(log).contains("daemon says hello"));
        EXPECT_FALSE(readAll(log).contains("stale"));
        engine->stop();
    }
}

// A stand-in that exits once the RPC stand-in has been asked to close, or on SIGTERM, and
// notes which of the two it was. Only a daemon serving our own folder is asked to close.
TEST_F(EngineTest, OurDaemonIsAskedToCloseAnyOtherIsSignalled) {
    const struct {
        const char* servedFolder; // what the RPC stand-in says it runs from
        const char* ended;
    } cases[] = {{"storage/transmission-config", "closed"}, {"elsewhere", "signalled"}};
    useScript("if [ \"$1\" = \"--version\" ]; then echo 'transmission-daemon 4.0.6' >&2; exit 0; fi\n"
              "dir=\"$(dirname \"$0\")\"\n"
              "trap 'echo signalled > \"$dir/ended\"; exit 0' TERM\n"
              "while [ ! -e \"$dir/closed\" ]; do sleep 0.05; done\n"
              "echo closed > \"$dir/ended\"\n");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ended);
        QFile::remove(bin() + "/ended");
        QFile::remove(bin() + "/closed");
        // Answers as the daemon run from that folder would, the handshake left out.
        const std::string folder = dir.filePath(c.servedFolder).toStdString();
        ThreadedHttpServer rpc([this, folder](const FakeHttpServer::Request& r) {
            const std::string method = nlohmann::json::parse(r.body.toStdString())["method"];
            nlohmann::json arguments = nlohmann::json::object();
            if (method == "session-get")
                arguments["config-dir"] = folder;
            if (method == "session-close")
                writeFile(bin() + "/closed", "");
            return FakeHttpServer::Response{200, QByteArray::fromStdString(nlohmann::json{
                                                     {"result", "success"}, {"arguments", arguments}}.dump())};
        });
        endpoints.rpcPort = rpc.port();
        auto engine = makeEngine();
        engine->start();
        EXPECT_TRUE(engine->isRunning());
        // Give the script its trap before anything can signal it.
        runEventLoopUntil([] { return false; }, 300);
        engine->stop();
        engine.reset();
        EXPECT_EQ(readAll(bin() + "/ended").trimmed(), c.ended);
        EXPECT_EQ(QFile::exists(bin() + "/closed"), c.ended == std::string("closed"));
    }
}

// ---- what the supervisor reports ---------------------------------------------------------------

TEST_F(EngineTest, AnUnrunnableOrMissingDaemonIsToldUntilItIsThere) {
    useScript("exit 0\n", QFile::ReadOwner | QFile::WriteOwner);
    auto engine = makeEngine();
    engine->start();
    EXPECT_EQ(engine->health(), (EngineHealth{State::stopped, Cause::notExecutable, daemonPath()}));

    ASSERT_TRUE(QFile::remove(daemonPath()));
    ASSERT_TRUE(QFile::link(dir.filePath("nowhere/transmission-daemon"), daemonPath()));
    engine = makeEngine(50ms);
    QSignalSpy reports(engine.get(), &TransmissionEngine::healthChanged);
    engine->start();
    EXPECT_EQ(engine->health(), (EngineHealth{State::stopped, Cause::binaryMissing, daemonPath()}));
    EXPECT_FALSE(engine->isRunning());

    // The daemon gets installed: the next try starts it, and it is running once it listens.
    ASSERT_TRUE(QFile::remove(daemonPath()));
    ASSERT_TRUE(QFile::link(systemDaemonPath(), daemonPath()));
    ASSERT_TRUE(runEventLoopUntil([&] { return engine->health().state == State::running; }, 20000))
        << int(engine->health().state) << " " << engine->health().detail.toStdString();
    EXPECT_TRUE(waitForRPC(endpoints.rpcPort));
    EXPECT_EQ(reports.size(), 3) << "missing, starting, running";
    engine->stop();
    EXPECT_EQ(engine->health(), EngineHealth{});
}

TEST_F(EngineTest, APortTakenByAnotherProgramIsToldUntilItIsFreeAndTheDaemonTakesIt) {
    auto squatter = std::make_unique<QTcpServer>();
    ASSERT_TRUE(squatter->listen(QHostAddress::LocalHost, endpoints.rpcPort));

    auto engine = makeEngine(50ms);
    engine->start();
    EXPECT_EQ(engine->health(), (EngineHealth{State::stopped, Cause::rpcPortTaken,
                                              QString::number(endpoints.rpcPort)}));
    // Still taken at the next try: nothing changes.
    runEventLoopUntil([] { return false; }, 200);
    EXPECT_EQ(engine->health().cause, Cause::rpcPortTaken);

    squatter.reset();
    ASSERT_TRUE(runEventLoopUntil([&] { return engine->health().state == State::running; }, 20000));
    EXPECT_TRUE(waitForRPC(endpoints.rpcPort));
}

// Why a daemon ends at every start: the last line of its log, else its exit status.
TEST_F(EngineTest, ADaemonEndingAtEveryStartIsToldWithItsLastWordsThenGivenUp) {
    const std::pair<QByteArray, QString> cases[] = {
        {"echo 'starting up'\necho '[2026-12-06 21:00:00.000] Couldn'\\''t create the config "
         "folder' >&2\nexit 3\n", "Couldn't create the config folder"},
        {"exit 7\n", "it exited with status 7"}};
    for (const auto& [script, words] : cases) {
        SCOPED_TRACE(words.toStdString());
        useScript(script);
        auto engine = makeEngine();
        QList<EngineHealth> seen;
        QObject::connect(engine.get(), &TransmissionEngine::healthChanged,
                         [&](const EngineHealth& h) { seen << h; });
        engine->start();
        ASSERT_TRUE(runEventLoopUntil(
            [&] { return engine->health().cause == Cause::restartsGivenUp; }, 20000));
        ASSERT_GE(seen.size(), 3);
        EXPECT_EQ(seen[0], (EngineHealth{State::starting, Cause::none, {}}));
        EXPECT_EQ(seen[1], (EngineHealth{State::stopped, Cause::exitedAtStart, words}));
        EXPECT_EQ(seen.last(), (EngineHealth{State::stopped, Cause::restartsGivenUp, words}));
        EXPECT_EQ(engine->restartAttempts(), 5);
        for (const EngineHealth& h : seen)
            EXPECT_NE(h.state, State::running) << "it never listened";
    }
}

// ---- a daemon that stops answering -------------------------------------------------------------

class HangTest : public EngineTest {
protected:
    std::unique_ptr<TransmissionEngine> makeWatchedEngine(DaemonWatchdogTimings timings) {
        TransmissionEngine::Options options{resources, 50ms};
        options.watch = timings;
        options.killGrace = 2s;
        return std::make_unique<TransmissionEngine>(library, storage, endpoints, clock, options);
    }

    // Waits for a daemon other than `previous` that listens; its process id, or 0 once the
    // supervisor has given up.
    static qint64 awaitListening(TransmissionEngine& engine, qint64 previous = 0) {
        const auto listens = [&] {
            return engine.health().state == State::running && engine.processId() != previous;
        };
        runEventLoopUntil(
            [&] { return listens() || engine.health().cause == Cause::restartsGivenUp; }, 60000);
        return listens() ? engine.processId() : 0;
    }

    // -1 when the daemon does not have the download.
    double progress(const QString& hash) {
        const auto answer =
            rawRPC(nam, endpoints.rpcPort,
                   {{"method", "torrent-get"},
                    {"arguments", {{"ids", {hash.toStdString()}}, {"fields", {"percentDone"}}}}});
        if (!answer || !answer->contains("torrents") || (*answer)["torrents"].empty())
            return -1;
        return (*answer)["torrents"][0]["percentDone"].get<double>();
    }
};

// Its pauses (1.5 s) are longer than the silence the rule asks for (1 s), but no question waits
// past its time-out (2.5 s). Then it stops for good, holding a finished download.
TEST_F(HangTest, ASlowDaemonIsLeftAloneAStoppedOneIsReplacedAndKeepsItsDownloads) {
    auto engine = makeWatchedEngine({200ms, 2500ms, 1000ms});
    engine->start();
    const auto pid = static_cast<pid_t>(awaitListening(*engine));
    ASSERT_GT(pid, 0);
    writeFile(library + "/Show.S01E01/episode.mkv", QByteArray(65536, 'e'));
    const QString hash =
        writeTorrentFile(dir.filePath("show.torrent"), library + "/Show.S01E01", {"episode.mkv"});
    ASSERT_TRUE(
        rawRPC(nam, endpoints.rpcPort,
               {{"method", "torrent-add"},
                {"arguments", {{"filename", dir.filePath("show.torrent").toStdString()}}}}));
    ASSERT_TRUE(runEventLoopUntil([&] { return progress(hash) == 1.0; }, 20000));

    QSignalSpy answers(engine->findChild<DaemonWatchdog*>(), &DaemonWatchdog::answered);
    QTimer pace;
    QObject::connect(&pace, &QTimer::timeout, [&] {
        const bool pause = pace.interval() != 1500;
        ::kill(pid, pause ? SIGSTOP : SIGCONT);
        pace.setInterval(pause ? 1500 : 200);
    });
    pace.start(200);
    runEventLoopUntil([&] { return answers.size() >= 8; }, 30000);
    pace.stop();
    ::kill(pid, SIGCONT);
    ASSERT_GE(answers.size(), 8);
    EXPECT_EQ(engine->processId(), pid);
    EXPECT_EQ(engine->restartAttempts(), 0);

    QList<EngineHealth> seen;
    QObject::connect(engine.get(), &TransmissionEngine::healthChanged,
                     [&](const EngineHealth& h) { seen << h; });
    ::kill(pid, SIGSTOP);
    ASSERT_GT(awaitListening(*engine, pid), 0) << "not replaced within a minute";
    EXPECT_NE(::kill(pid, 0), 0) << "the stopped daemon is gone";
    EXPECT_EQ(seen, (QList<EngineHealth>{{State::stopped, Cause::stoppedAnswering, {}},
                                         {State::starting, Cause::none, {}},
                                         {State::running, Cause::none, {}}}));
    EXPECT_EQ(engine->restartAttempts(), 1);
    // The new daemon read the old one's resume file: the download is there, finished.
    EXPECT_TRUE(runEventLoopUntil([&] { return progress(hash) == 1.0; }, 20000));
}

// Each daemon is stopped as soon as it listens. Time moves past the stable-run minute while each
// hangs: a run ends when the daemon last answered, so none of them counts as stable.
TEST_F(HangTest, ADaemonThatKeepsHangingIsGivenUpAfterFiveRestarts) {
    auto engine = makeWatchedEngine({100ms, 500ms, 1000ms});
    QObject::connect(engine.get(), &TransmissionEngine::healthChanged, [&](const EngineHealth& h) {
        if (h.cause == Cause::stoppedAnswering)
            clock->advance(61);
    });
    engine->start();
    int stopped = 0;
    for (qint64 pid = 0; stopped < 7 && (pid = awaitListening(*engine, pid)) > 0; ++stopped)
        ::kill(static_cast<pid_t>(pid), SIGSTOP);
    EXPECT_EQ(engine->health(),
              (EngineHealth{State::stopped, Cause::restartsGivenUp, "it stopped answering"}));
    EXPECT_EQ(stopped, 6);
    EXPECT_EQ(engine->restartAttempts(), 5);
    EXPECT_FALSE(engine->isRestartPending());
}

} // namespace
