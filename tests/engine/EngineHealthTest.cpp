// What the supervisor reports about the daemon: missing, not runnable, ending at start (with
// its last words), its port taken by another program, restarts given up — and running once it
// listens.

#include "engine/TransmissionEngine.h"

#include "DaemonSupport.h"
#include "EventLoop.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

using State = EngineHealth::State;
using Cause = EngineHealth::Cause;

class EngineHealthTest : public testing::Test {
protected:
    void SetUp() override {
        endpoints.rpcPort = freeLoopbackPort();
        endpoints.peerPort = freeLoopbackPort();
        QDir().mkpath(QFileInfo(daemonPath()).path());
        writeQuietDaemonSettings(storage + "/transmission-config");
    }

    QString daemonPath() const { return resources + "/TransmissionEngine/bin/transmission-daemon"; }

    void writeDaemon(const QByteArray& text, QFile::Permissions permissions) {
        QFile f(daemonPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
        f.close();
        ASSERT_TRUE(f.setPermissions(permissions));
    }

    std::unique_ptr<TransmissionEngine> makeEngine(std::chrono::milliseconds retry = 10s) {
        TransmissionEngine::Options options{resources, 20ms};
        options.retryDelay = retry;
        return std::make_unique<TransmissionEngine>(library, storage, endpoints, clock, options);
    }

    QTemporaryDir dir;
    QString resources = dir.filePath("resources");
    QString storage = dir.filePath("storage");
    QString library = dir.filePath("library");
    ServiceEndpoints endpoints;
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
};

constexpr QFile::Permissions kExecutable =
    QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

} // namespace

TEST_F(EngineHealthTest, ADanglingLinkIsAMissingDaemonUntilItPointsSomewhere) {
    ASSERT_TRUE(QFile::link(dir.filePath("nowhere/transmission-daemon"), daemonPath()));
    auto engine = makeEngine(50ms);
    QSignalSpy reports(engine.get(), &TransmissionEngine::healthChanged);
    engine->start();
    EXPECT_EQ(engine->health(), (EngineHealth{State::stopped, Cause::binaryMissing, daemonPath()}));
    EXPECT_FALSE(engine->isRunning());

    // The daemon gets installed: the next try starts it, and it is running once it listens.
    ASSERT_FALSE(systemDaemonPath().isEmpty());
    ASSERT_TRUE(QFile::remove(daemonPath()));
    ASSERT_TRUE(QFile::link(systemDaemonPath(), daemonPath()));
    ASSERT_TRUE(runEventLoopUntil([&] { return engine->health().state == State::running; }, 20000))
        << int(engine->health().state) << " " << engine->health().detail.toStdString();
    EXPECT_TRUE(waitForRPC(endpoints.rpcPort));
    EXPECT_EQ(reports.size(), 3) << "missing, starting, running";

    engine->stop();
    EXPECT_EQ(engine->health(), EngineHealth{});
}

TEST_F(EngineHealthTest, AFileThatCannotBeRunIsNotExecutable) {
    writeDaemon("#!/bin/sh\nexit 0\n", QFile::ReadOwner | QFile::WriteOwner);
    auto engine = makeEngine();
    engine->start();
    EXPECT_EQ(engine->health(), (EngineHealth{State::stopped, Cause::notExecutable, daemonPath()}));
}

TEST_F(EngineHealthTest, APortTakenByAnotherProgramIsToldUntilItIsFreeAndTheDaemonTakesIt) {
    ASSERT_TRUE(QFile::link(systemDaemonPath(), daemonPath()));
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

TEST_F(EngineHealthTest, ADaemonEndingAtEveryStartIsToldWithItsLastWordsThenGivenUp) {
    writeDaemon("#!/bin/sh\necho 'starting up'\necho '[2026-12-06 21:00:00.000] Couldn'\\''t "
                "create the config folder' >&2\nexit 3\n",
                kExecutable);
    auto engine = makeEngine();
    QList<EngineHealth> seen;
    QObject::connect(engine.get(), &TransmissionEngine::healthChanged,
                     [&](const EngineHealth& h) { seen << h; });
    engine->start();
    ASSERT_TRUE(runEventLoopUntil(
        [&] { return engine->health().cause == Cause::restartsGivenUp; }, 20000));

    const QString words = "Couldn't create the config folder";
    ASSERT_GE(seen.size(), 3);
    EXPECT_EQ(seen[0], (EngineHealth{State::starting, Cause::none, {}}));
    EXPECT_EQ(seen[1], (EngineHealth{State::stopped, Cause::exitedAtStart, words}));
    EXPECT_EQ(seen.last(), (EngineHealth{State::stopped, Cause::restartsGivenUp, words}));
    EXPECT_EQ(engine->restartAttempts(), TransmissionEngine::kRestartLimit);
    for (const EngineHealth& h : seen)
        EXPECT_NE(h.state, State::running) << "it never listened";
}

TEST_F(EngineHealthTest, WithoutALogTheExitStatusIsTheReason) {
    writeDaemon("#!/bin/sh\nexit 7\n", kExecutable);
    auto engine = makeEngine();
    engine->start();
    ASSERT_TRUE(runEventLoopUntil([&] { return engine->health().isFailure(); }, 10000));
    EXPECT_EQ(engine->health(),
              (EngineHealth{State::stopped, Cause::exitedAtStart, "it exited with status 7"}));
    engine->stop();
}
