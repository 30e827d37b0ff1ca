#include "InstanceChannel.h"

#include "cli/CommandRequest.h"

#include <QCryptographicHash>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QRegularExpression>
#include <QTimer>

#include <memory>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qsizetype kRequestCap = 64 * 1024;
constexpr int kPeerTimeoutMs = 5000;
// sockaddr_un holds 108 bytes with the terminator; leave room.
constexpr qsizetype kSocketPathCap = 100;
const QString kSocketName = QStringLiteral("lumivane.socket");

bool isSocket(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISSOCK(info.st_mode);
}

// QLocalServer makes a user-only socket inside a private folder ".XXXXXX" and then moves it
// into place; a kill in between leaves that folder behind for good. One holding nothing but
// the socket "s" is such a leftover.
void removeLeftoverSocketFolders(const QString& folder) {
    static const QRegularExpression privateFolder(QStringLiteral(R"(^\.[A-Za-z0-9]{6}$)"));
    const QDir dir(folder);
    for (const QFileInfo& entry : dir.entryInfoList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot)) {
        if (entry.isSymLink() || entry.ownerId() != ::getuid() ||
            !privateFolder.match(entry.fileName()).hasMatch())
            continue;
        QDir inside(entry.filePath());
        const QStringList content = inside.entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                                     QDir::NoDotAndDotDot);
        if (content == QStringList{QStringLiteral("s")} && isSocket(inside.filePath(content.first())))
            inside.remove(content.first());
        else if (!content.isEmpty())
            continue;
        dir.rmdir(entry.fileName());
    }
}

} // namespace

InstanceChannel::InstanceChannel(Handler handler, QObject* parent)
    : QObject(parent)
    , m_handler(std::move(handler))
    , m_server(new QLocalServer(this)) {
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    connect(m_server, &QLocalServer::newConnection, this, &InstanceChannel::serve);
}

InstanceChannel::~InstanceChannel() {
    m_server->close(); // removes the socket file
}

QString InstanceChannel::socketPath(const QString& storageFolder) {
    const QString inside = QDir(storageFolder).filePath(kSocketName);
    if (inside.toLocal8Bit().size() <= kSocketPathCap)
        return inside;
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        runtime = QDir::tempPath();
    const QByteArray id =
        QCryptographicHash::hash(storageFolder.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QDir(runtime).filePath(
        QStringLiteral("lumivane-%1.socket").arg(QString::fromLatin1(id)));
}

bool InstanceChannel::peerIsThisUser(qintptr socketDescriptor) {
    struct ucred peer {};
    socklen_t size = sizeof peer;
    const int fd = static_cast<int>(socketDescriptor);
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && size == sizeof peer &&
           peer.uid == ::geteuid();
}

bool InstanceChannel::listen(const QString& path) {
    // Commands change the watchlist: the socket's folder is one only this user can enter.
    const QString folder = QFileInfo(path).absolutePath();
    struct stat info {};
    if (::stat(QFile::encodeName(folder).constData(), &info) != 0 || info.st_uid != ::geteuid() ||
        ((info.st_mode & 077) != 0 && ::chmod(QFile::encodeName(folder).constData(), 0700) != 0)) {
        m_folderError = QStringLiteral("%1 is not a folder only this user can enter").arg(folder);
        return false;
    }
    m_folderError.clear();
    QLocalServer::removeServer(path);
    // Only our own storage folder is tidied: the shared runtime folder holds other
    // programs' private folders, maybe in the middle of their own move.
    const QFileInfo socket(path);
    if (socket.fileName() == kSocketName)
        removeLeftoverSocketFolders(socket.absolutePath());
    return m_server->listen(path);
}

QString InstanceChannel::errorString() const {
    return m_folderError.isEmpty() ? m_server->errorString() : m_folderError;
}

void InstanceChannel::serve() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (!peerIsThisUser(socket->socketDescriptor())) {
            socket->abort(); // not a word to another user
            continue;
        }
        // A peer that never finishes its request is dropped.
        auto* deadline = new QTimer(socket);
        deadline->setSingleShot(true);
        connect(deadline, &QTimer::timeout, socket, [socket] { socket->abort(); });
        deadline->start(kPeerTimeoutMs);
        auto handled = std::make_shared<bool>(false);
        connect(socket, &QLocalSocket::readyRead, socket, [this, socket, deadline, handled] {
            if (*handled) {
                socket->readAll(); // a command's connection carries nothing more from the peer
                return;
            }
            if (!socket->canReadLine()) {
                if (socket->bytesAvailable() > kRequestCap) {
                    *handled = true;
                    deadline->stop();
                    socket->readAll();
                    socket->write(CommandAnswer::error(
                        QStringLiteral("The request is larger than %1 bytes.").arg(kRequestCap)));
                    socket->disconnectFromServer();
                }
                return;
            }
            *handled = true;
            deadline->stop();
            const QByteArray line = socket->readLine(kRequestCap + 1).trimmed();
            const QJsonDocument request = QJsonDocument::fromJson(line);
            if (!request.isArray() && m_commands) {
                m_commands(socket, line); // the command handler answers and closes
                return;
            }
            QStringList arguments;
            for (const QJsonValue& value : request.array()) {
                if (value.isString())
                    arguments << value.toString();
            }
            const QByteArray answer = request.isArray() ? m_handler(arguments) : kIgnored;
            socket->write(answer + '\n');
            socket->disconnectFromServer();
        });
    }
}

std::optional<QByteArray> InstanceChannel::ask(const QString& path, const QStringList& arguments,
                                               int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(timeoutMs))
        return std::nullopt;
    socket.write(
        QJsonDocument(QJsonArray::fromStringList(arguments)).toJson(QJsonDocument::Compact) + '\n');
    if (!socket.waitForBytesWritten(timeoutMs))
        return std::nullopt;
    while (!socket.canReadLine()) {
        if (!socket.waitForReadyRead(timeoutMs))
            return std::nullopt;
    }
    return socket.readLine(1024).trimmed();
}
