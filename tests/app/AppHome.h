#pragma once

#include "DaemonSupport.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

// Daemons whose command line names `folder`: the ones an instance living there started.
inline QList<qint64> daemonsUnder(const QString& folder) {
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
class AppHome : public testing::Test {
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

    QString storageFolder() const {
        return QDir(m_home.path()).filePath(QStringLiteral("data/Lumivane"));
    }
    QString dataFile(const char* name) const {
        return QDir(storageFolder()).filePath(QString::fromLatin1(name));
    }

    void writeDataFile(const char* name, const QByteArray& bytes) const {
        QFile file(dataFile(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    void moveServicesToLoopback() {
        const quint16 nobody = freeLoopbackPort();
        QByteArray json = "{";
        for (const char* key :
             {"knabenAPI", "apibayQuery", "eztvPrimary", "eztvFallback", "torrentsCsvSearch",
              "nyaaRoot", "ytsHost", "tmdbAPI", "tmdbImages"})
            json += '"' + QByteArray(key) + "\":\"http://127.0.0.1:" + QByteArray::number(nobody) +
                    "/\",";
        json += "\"rpcPort\":" + QByteArray::number(m_rpcPort) +
                ",\"peerPort\":" + QByteArray::number(m_peerPort) + '}';
        writeDataFile("endpoints.json", json);
        // A daemon that talks to nobody
        writeQuietDaemonSettings(
            QDir(storageFolder()).filePath(QStringLiteral("transmission-config")));
    }

    void start(QProcess& process, const QStringList& arguments = {QStringLiteral("--headless")}) {
        process.setProcessEnvironment(m_environment);
        process.start(QStringLiteral(LUMIVANE_BINARY), arguments);
        ASSERT_TRUE(process.waitForStarted(10000));
    }

    QTemporaryDir m_home;
    QProcessEnvironment m_environment;
    QProcess m_process;
    quint16 m_rpcPort = freeLoopbackPort();
    quint16 m_peerPort = freeLoopbackPort();
};
