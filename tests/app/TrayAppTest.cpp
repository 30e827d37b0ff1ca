#include "AppHome.h"
#include "EventLoop.h"
#include "InstanceChannel.h"

#include <QFileInfo>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

// The tray application as a user starts it, on the offscreen platform, which has no tray:
// the first start opens its window as an ordinary one after waiting for a tray to appear.
class TrayApp : public AppHome {
protected:
    QString socketPath() const { return InstanceChannel::socketPath(storageFolder()); }

    // Waits for the running instance to answer on its socket (it listens once it has decided
    // between tray and window).
    std::optional<QByteArray> ask(const QStringList& arguments) {
        std::optional<QByteArray> answer;
        std::atomic<bool> done = false;
        std::thread client([&] {
            answer = InstanceChannel::ask(socketPath(), arguments, 5000);
            done = true;
        });
        runEventLoopUntil([&] { return done.load(); }, 10000);
        client.join();
        return answer;
    }

    bool waitForSocket(QProcess& process) {
        return runEventLoopUntil(
                   [&] {
                       return process.state() != QProcess::Running ||
                              QFileInfo::exists(socketPath());
                   },
                   20000) &&
               process.state() == QProcess::Running;
    }

    void stop(QProcess& process) {
        process.terminate();
        ASSERT_TRUE(process.waitForFinished(15000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        EXPECT_TRUE(daemonsUnder(m_home.path()).isEmpty()) << "no stray daemon is left behind";
    }
};

} // namespace

TEST_F(TrayApp, WithoutADisplayAPlainStartPointsToHeadlessAndFails) {
    m_environment.remove("DISPLAY");
    m_environment.remove("WAYLAND_DISPLAY");
    m_environment.remove("QT_QPA_PLATFORM");
    start(m_process, {});
    ASSERT_TRUE(m_process.waitForFinished(15000));
    EXPECT_EQ(m_process.exitStatus(), QProcess::NormalExit) << "no platform plugin abort";
    EXPECT_EQ(m_process.exitCode(), 1);
    const QByteArray err = m_process.readAllStandardError();
    EXPECT_TRUE(err.contains("no X11 or Wayland display")) << err.toStdString();
    EXPECT_TRUE(err.contains("lumivane --headless")) << err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dataFile("lumivane.lock"))) << "nothing was started";
}

TEST_F(TrayApp, ALaterStartHandsItsArgumentsToTheRunningInstanceAndLeaves) {
    moveServicesToLoopback();
    start(m_process, {});
    ASSERT_TRUE(waitForSocket(m_process)) << m_process.readAllStandardError().toStdString();
    EXPECT_TRUE(m_process.readAllStandardOutput().contains("No system tray found"));

    const QList<qint64> daemons = daemonsUnder(m_home.path());
    for (const QStringList& arguments :
         {QStringList{}, QStringList{"LUMIVANE://Show"}, QStringList{"lumivane://x"}}) {
        QProcess later;
        start(later, arguments);
        ASSERT_TRUE(later.waitForFinished(20000));
        EXPECT_EQ(later.exitCode(), 0)
            << arguments.join(' ').toStdString() << later.readAllStandardError().toStdString();
    }
    EXPECT_EQ(m_process.state(), QProcess::Running);
    EXPECT_EQ(daemonsUnder(m_home.path()), daemons)
        << "the running instance's daemon was left alone";

    // What the running instance did with each request.
    EXPECT_EQ(ask({}), InstanceChannel::kShown);
    EXPECT_EQ(ask({"lumivane://show"}), InstanceChannel::kShown);
    EXPECT_EQ(ask({"https://example.org"}), InstanceChannel::kIgnored);
    stop(m_process);
    EXPECT_FALSE(QFileInfo::exists(socketPath()));
}

TEST_F(TrayApp, APlainStartCannotShowAHeadlessInstanceAndSaysHowToStopIt) {
    moveServicesToLoopback();
    start(m_process); // --headless
    ASSERT_TRUE(waitForSocket(m_process));

    QProcess later;
    start(later, {});
    ASSERT_TRUE(later.waitForFinished(20000));
    EXPECT_EQ(later.exitCode(), 1);
    EXPECT_TRUE(later.readAllStandardError().contains("systemctl --user stop lumivane"));

    QProcess headless;
    start(headless);
    ASSERT_TRUE(headless.waitForFinished(20000));
    EXPECT_EQ(headless.exitCode(), 1) << "a second headless start still refuses";
    EXPECT_EQ(m_process.state(), QProcess::Running);
    stop(m_process);
}

TEST_F(TrayApp, ASocketLeftByAKilledInstanceDoesNotBlockTheNextOne) {
    moveServicesToLoopback();
    start(m_process);
    ASSERT_TRUE(waitForSocket(m_process));
    m_process.kill();
    ASSERT_TRUE(m_process.waitForFinished(10000));
    ASSERT_TRUE(QFileInfo::exists(socketPath())) << "the kill left the socket behind";

    QProcess next;
    start(next);
    EXPECT_TRUE(runEventLoopUntil([&] { return ask({}) == InstanceChannel::kHeadless; }, 20000))
        << "the new instance answers on the same path";
    stop(next);
}
