#pragma once

#include "DaemonSupport.h"
#include "EventLoop.h"
#include "InstanceChannel.h"
#include "PrivateHome.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <thread>

// Daemons whose command line names `folder`: the ones an instance living there started.
inline QList<qint64> daemonsUnder(const QString& folder) {
    QProcess pgrep;
    pgrep.start(QStringLiteral("pgrep"), {QStringLiteral("-f"), "transmission-daemon.*" + folder});
    pgrep.waitForFinished(10000);
    QList<qint64> pids;
    for (const QByteArray& line : pgrep.readAllStandardOutput().split('\n'))
        if (!line.isEmpty())
            pids << line.toLongLong();
    return pids;
}

// The client blocks, so it runs on its own thread while this one serves.
inline std::optional<QByteArray> askServed(const QString& path, const QStringList& arguments) {
    std::optional<QByteArray> answer;
    std::atomic<bool> done = false;
    std::thread client([&] {
        answer = InstanceChannel::ask(path, arguments, 5000);
        done = true;
    });
    runEventLoopUntil([&] { return done.load(); }, 10000);
    client.join();
    return answer;
}

// Runs the real executable, with the daemon bundled beside it, in a private home.
class AppHome : public testing::Test {
protected:
    explicit AppHome(PrivateHome::Executable which = PrivateHome::Executable::built) : m_private(which) {}

    void SetUp() override { ASSERT_TRUE(m_private.isValid()) << m_private.problem().toStdString(); }

    void TearDown() override {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(10000);
        }
        for (const qint64 pid : daemonsUnder(m_home))
            ::kill(static_cast<pid_t>(pid), SIGKILL);
    }

    QString storageFolder() const { return m_private.storageFolder(); }
    QString dataFile(const char* name) const { return m_private.dataFile(QString::fromLatin1(name)); }
    QString socketPath() const { return InstanceChannel::socketPath(storageFolder()); }

    void writeDataFile(const char* name, const QByteArray& bytes) const {
        QFile file(dataFile(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    // endpoints.json moves the services to loopback: the daemon on free ports, TMDB where the
    // test says, every other service on a port nobody listens on; the daemon talks to nobody.
    void moveServicesToLoopback(const QUrl& tmdb = {}) {
        ServiceEndpoints endpoints;
        endpoints.pointEveryServiceAt(QStringLiteral("http://127.0.0.1:%1/").arg(freeLoopbackPort()));
        if (!tmdb.isEmpty())
            endpoints.tmdbAPI = tmdb;
        endpoints.rpcPort = m_rpcPort;
        endpoints.peerPort = m_peerPort;
        m_private.writeEndpoints(endpoints);
        writeQuietDaemonSettings(storageFolder() + "/transmission-config");
    }

    void start(QProcess& process, const QStringList& arguments = {QStringLiteral("--headless")}) {
        process.setProcessEnvironment(m_environment);
        process.start(m_executable, arguments);
        ASSERT_TRUE(process.waitForStarted(10000));
    }

    // A later start that must give up at once: its exit code and what it said on stderr.
    std::pair<int, QByteArray> runToEnd(const QStringList& arguments) {
        QProcess later;
        start(later, arguments);
        EXPECT_TRUE(later.waitForFinished(20000)) << arguments.join(' ').toStdString();
        return {later.exitCode(), later.readAllStandardError()};
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

    // The instance listens once it has decided between tray and window.
    bool waitForSocket(QProcess& process) {
        return runEventLoopUntil(
                   [&] { return process.state() != QProcess::Running || QFileInfo::exists(socketPath()); }, 20000) &&
               process.state() == QProcess::Running;
    }

    std::optional<QByteArray> ask(const QStringList& arguments) { return askServed(socketPath(), arguments); }

    void stop(QProcess& process, int signal = SIGTERM) {
        ::kill(static_cast<pid_t>(process.processId()), signal);
        ASSERT_TRUE(process.waitForFinished(15000));
        m_out += QString::fromUtf8(process.readAllStandardOutput());
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        EXPECT_TRUE(daemonsUnder(m_home).isEmpty()) << "no stray daemon is left behind";
        EXPECT_FALSE(QFileInfo::exists(dataFile("lumivane.lock")));
    }

    PrivateHome m_private;
    QString m_home = m_private.path();
    QString m_executable = m_private.executable();
    QProcessEnvironment m_environment = m_private.environment();
    QProcess m_process;
    QString m_out;
    quint16 m_rpcPort = freeLoopbackPort();
    quint16 m_peerPort = freeLoopbackPort();
};
