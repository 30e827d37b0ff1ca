#include "AppHome.h"

namespace {

// The tray application as a user starts it, on the offscreen platform, which has no tray:
// the first start opens its window as an ordinary one after waiting for a tray to appear.
using TrayApp = AppHome;

} // namespace

TEST_F(TrayApp, WithoutADisplayAPlainStartPointsToHeadlessAndFails) {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        m_environment.remove(name);
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

    const QList<qint64> daemons = daemonsUnder(m_home);
    for (const QStringList& arguments : {QStringList{}, QStringList{"LUMIVANE://Show"}, QStringList{"lumivane://x"}}) {
        const auto [code, says] = runToEnd(arguments);
        EXPECT_EQ(code, 0) << arguments.join(' ').toStdString() << says.toStdString();
    }
    EXPECT_EQ(m_process.state(), QProcess::Running);
    EXPECT_EQ(daemonsUnder(m_home), daemons) << "the running instance's daemon was left alone";

    // What the running instance did with each request.
    EXPECT_EQ(ask({}), InstanceChannel::kShown);
    EXPECT_EQ(ask({"lumivane://show"}), InstanceChannel::kShown);
    EXPECT_EQ(ask({"https://example.org"}), InstanceChannel::kIgnored);
    stop(m_process);
    EXPECT_FALSE(QFileInfo::exists(socketPath()));
}
