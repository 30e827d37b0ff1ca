#include "EventLoop.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

namespace {

// Runs the real executable in a private home, so it never sees the user's data.
class Headless : public testing::TestWithParam<int> {
protected:
    void SetUp() override {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", m_home.path());
        env.insert("XDG_DATA_HOME", QDir(m_home.path()).filePath("data"));
        env.insert("XDG_CONFIG_HOME", QDir(m_home.path()).filePath("config"));
        env.remove("XDG_DOWNLOAD_DIR");
        m_process.setProcessEnvironment(env);
    }

    QString dataFile(const char* name) const {
        return QDir(m_home.path())
            .filePath(QStringLiteral("data/Lumivane/") + QString::fromLatin1(name));
    }

    QTemporaryDir m_home;
    QProcess m_process;
};

} // namespace

TEST_P(Headless, StartsWithAnEmptyHomeAndStopsCleanlyOnASignal) {
    m_process.start(QStringLiteral(LUMIVANE_BINARY), {QStringLiteral("--headless")});
    ASSERT_TRUE(m_process.waitForStarted(10000));
    const QString series = QDir(m_home.path()).filePath("Downloads/Lumivane/Series");
    // The library folders come right after the settings at start-up.
    ASSERT_TRUE(runEventLoopUntil(
        [&] { return QFileInfo::exists(dataFile("settings.json")) && QFileInfo(series).isDir(); },
        10000));

    ::kill(static_cast<pid_t>(m_process.processId()), GetParam());
    ASSERT_TRUE(m_process.waitForFinished(10000));
    EXPECT_EQ(m_process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(m_process.exitCode(), 0) << m_process.readAllStandardError().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Signals, Headless, testing::Values(SIGINT, SIGTERM));
