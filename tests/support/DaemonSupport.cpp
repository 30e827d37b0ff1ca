#include "DaemonSupport.h"

#include "AwaitTask.h"
#include "EventLoop.h"
#include "net/HttpFetch.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>

#include <stdexcept>

quint16 freeLoopbackPort() {
    QTcpServer probe;
    if (!probe.listen(QHostAddress::LocalHost, 0))
        throw std::runtime_error("no free port");
    return probe.serverPort();
}

void writeQuietDaemonSettings(const QString& configDir) {
    QDir().mkpath(configDir);
    QFile file(QDir(configDir).filePath(QStringLiteral("settings.json")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write daemon settings");
    file.write(R"({"dht-enabled": false, "lpd-enabled": false, "pex-enabled": false,
"port-forwarding-enabled": false, "utp-enabled": false, "blocklist-enabled": false,
"bind-address-ipv4": "127.0.0.1", "bind-address-ipv6": "::1"})");
}

QString systemDaemonPath() {
    return QStandardPaths::findExecutable(QStringLiteral("transmission-daemon"));
}

TestDaemon::TestDaemon()
    : m_rpcPort(freeLoopbackPort())
    , m_peerPort(freeLoopbackPort()) {}

TestDaemon::~TestDaemon() {
    if (m_process && m_process->state() != QProcess::NotRunning) {
        m_process->kill();
        m_process->waitForFinished(5000);
    }
}

bool TestDaemon::start() {
    const QString config = m_dir.filePath(QStringLiteral("config"));
    writeQuietDaemonSettings(config);
    QDir().mkpath(downloadDir());
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process->setStandardOutputFile(QProcess::nullDevice());
    m_process->start(systemDaemonPath(),
                     {"--foreground", "--config-dir", config, "--download-dir", downloadDir(),
                      "--rpc-bind-address", "127.0.0.1", "--port", QString::number(m_rpcPort),
                      "--peerport", QString::number(m_peerPort), "--no-auth", "--log-error"});
    if (!m_process->waitForStarted(5000))
        return false;
    return waitForRPC(m_rpcPort);
}

bool waitForRPC(quint16 port, int timeoutMs) {
    return runEventLoopUntil(
        [port] {
            QTcpSocket socket;
            socket.connectToHost(QHostAddress::LocalHost, port);
            return socket.waitForConnected(200);
        },
        timeoutMs);
}

std::optional<nlohmann::json> rawRPC(QNetworkAccessManager& nam, quint16 port,
                                     const nlohmann::json& request) {
    HttpRequest http;
    http.method = "POST";
    http.url = QUrl(QStringLiteral("http://127.0.0.1:%1/transmission/rpc").arg(port));
    http.body = QByteArray::fromStdString(request.dump());
    HttpResponse response = awaitTask(httpFetch(nam, http));
    if (response.status == 409) {
        http.headers.push_back(
            {"X-Transmission-Session-Id", response.header("X-Transmission-Session-Id")});
        response = awaitTask(httpFetch(nam, http));
    }
    if (response.status != 200)
        return std::nullopt;
    const auto answer = nlohmann::json::parse(response.body.toStdString(), nullptr, false);
    if (answer.is_discarded() || !answer.contains("arguments"))
        return std::nullopt;
    return answer["arguments"];
}

namespace {

QByteArray bencodeText(const QByteArray& s) {
    return QByteArray::number(s.size()) + ':' + s;
}
QByteArray bencodeInt(qint64 v) {
    return 'i' + QByteArray::number(v) + 'e';
}

} // namespace

QString writeTorrentFile(const QString& torrentPath, const QString& contentPath,
                         const QStringList& files) {
    constexpr qint64 pieceLength = 16384;
    QByteArray data;
    QByteArray fileList = "l";
    for (const QString& relative : files) {
        QFile f(QDir(contentPath).filePath(relative));
        if (!f.open(QIODevice::ReadOnly))
            throw std::runtime_error("cannot read torrent content");
        const QByteArray bytes = f.readAll();
        data += bytes;
        QByteArray path = "l";
        for (const QString& part : relative.split('/'))
            path += bencodeText(part.toUtf8());
        fileList += "d" + bencodeText("length") + bencodeInt(bytes.size()) + bencodeText("path") +
                    path + "ee";
    }
    QByteArray pieces;
    for (qint64 at = 0; at < data.size(); at += pieceLength)
        pieces += QCryptographicHash::hash(data.mid(at, pieceLength), QCryptographicHash::Sha1);

    // Keys in sorted order, as bencoding requires.
    const QByteArray info = "d" + bencodeText("files") + fileList + 'e' + bencodeText("name") +
                            bencodeText(QFileInfo(contentPath).fileName().toUtf8()) +
                            bencodeText("piece length") + bencodeInt(pieceLength) +
                            bencodeText("pieces") + bencodeText(pieces) + 'e';
    const QByteArray torrent = "d" + bencodeText("announce") +
                               bencodeText("udp://127.0.0.1:1/announce") + bencodeText("info") +
                               info + "e";
    QFile out(torrentPath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write torrent");
    out.write(torrent);
    return QString::fromLatin1(QCryptographicHash::hash(info, QCryptographicHash::Sha1).toHex());
}

QString fakeMagnet(const QString& hash, const QString& name) {
    return QStringLiteral("magnet:?xt=urn:btih:%1&dn=%2&tr=udp%3A%2F%2F127.0.0.1%3A1%2Fannounce")
        .arg(hash, name);
}
