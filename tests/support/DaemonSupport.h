#pragma once

// Helpers for tests that need the real download daemon: free loopback ports, a daemon
// configuration that stays off the internet, a daemon of our own, and .torrent files.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <nlohmann/json.hpp>

#include <memory>
#include <optional>
#include <utility>

class QNetworkAccessManager;

quint16 freeLoopbackPort();

// DHT, local discovery, peer exchange and port mapping off, peers on loopback only: a test
// daemon talks to nobody.
void writeQuietDaemonSettings(const QString& configDir);

QString systemDaemonPath();

// A daemon on free loopback ports in a temporary folder, killed when the object dies.
class TestDaemon {
public:
    TestDaemon();
    ~TestDaemon();

    bool start(); // true once it answers RPC
    quint16 rpcPort() const { return m_rpcPort; }
    QString downloadDir() const { return m_dir.filePath(QStringLiteral("downloads")); }
    QString root() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    quint16 m_rpcPort = 0;
    quint16 m_peerPort = 0;
    std::unique_ptr<QProcess> m_process;
};

// Waits until something answers RPC on `port` (a 409 counts: the daemon is up).
bool waitForRPC(quint16 port, int timeoutMs = 15000);

// One request straight to the daemon, with the handshake; the answer's arguments.
std::optional<nlohmann::json> rawRPC(QNetworkAccessManager& nam, quint16 port,
                                     const nlohmann::json& request);

// Writes a .torrent for the folder `contentPath` holding `files`; returns its info hash in
// lower-case hex.
QString writeTorrentFile(const QString& torrentPath, const QString& contentPath,
                         const QStringList& files);

// A magnet for a made-up hash, announcing to a loopback tracker nobody listens on.
QString fakeMagnet(const QString& hash, const QString& name = QStringLiteral("Fake"));
