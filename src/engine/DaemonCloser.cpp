#include "DaemonCloser.h"

#include "TransmissionWire.h"

#include <QDeadlineTimer>
#include <QHostAddress>
#include <QTcpSocket>

#include <nlohmann/json.hpp>

#include <optional>

namespace {

struct Reply {
    int status = 0;
    QByteArray sessionID;
    QByteArray body;
};

int remainingMs(const QDeadlineTimer& deadline) {
    return static_cast<int>(deadline.remainingTime());
}

// One HTTP/1.1 exchange on a fresh connection, read until the body is complete or the
// daemon closes the connection.
std::optional<Reply> exchange(quint16 port, const QByteArray& sessionID, const QByteArray& body,
                              const QDeadlineTimer& deadline) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(remainingMs(deadline)))
        return std::nullopt;

    QByteArray request = "POST " + QByteArray(TransmissionWire::kRPCPath) +
                         " HTTP/1.1\r\nHost: 127.0.0.1:" + QByteArray::number(port) +
                         "\r\nContent-Type: application/json\r\nConnection: close\r\n";
    if (!sessionID.isEmpty())
        request += QByteArray(TransmissionWire::kSessionHeader) + ": " + sessionID + "\r\n";
    request += "Content-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body;
    socket.write(request);

    QByteArray received;
    const auto readMore = [&] {
        const bool arrived =
            !deadline.hasExpired() && socket.waitForReadyRead(remainingMs(deadline));
        received += socket.readAll();
        return arrived;
    };
    while (!received.contains("\r\n\r\n")) {
        if (!readMore())
            return std::nullopt;
    }

    const qsizetype bodyStart = received.indexOf("\r\n\r\n") + 4;
    const QList<QByteArray> lines = received.left(bodyStart - 4).split('\n');
    const QList<QByteArray> statusLine = lines.first().trimmed().split(' ');
    Reply reply;
    reply.status = statusLine.size() >= 2 ? statusLine[1].toInt() : 0;
    qsizetype bodyLength = -1; // unknown: the body ends when the daemon closes the connection
    for (const QByteArray& line : lines.mid(1)) {
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = line.left(colon).trimmed().toLower();
        const QByteArray value = line.mid(colon + 1).trimmed();
        if (name == QByteArray(TransmissionWire::kSessionHeader).toLower())
            reply.sessionID = value;
        else if (name == "content-length")
            bodyLength = value.toLongLong();
    }
    while (bodyLength < 0 || received.size() - bodyStart < bodyLength) {
        if (!readMore()) {
            if (bodyLength < 0 && socket.state() != QAbstractSocket::ConnectedState)
                break;
            return std::nullopt;
        }
    }
    reply.body = received.mid(bodyStart, bodyLength);
    return reply;
}

// A call with the session handshake: the first refusal (409) only hands out the session id.
std::optional<Reply> call(quint16 port, const TransmissionWire::Request& request,
                          QByteArray& sessionID, const QDeadlineTimer& deadline) {
    const QByteArray body = TransmissionWire::encode(request);
    auto reply = exchange(port, sessionID, body, deadline);
    if (reply && reply->status == 409 && !reply->sessionID.isEmpty()) {
        sessionID = reply->sessionID;
        reply = exchange(port, sessionID, body, deadline);
    }
    if (!reply || reply->status != 200)
        return std::nullopt;
    return reply;
}

bool succeeded(const nlohmann::json& answer) {
    return answer.is_object() && answer.value("result", std::string()) == "success";
}

} // namespace

namespace {

bool askedFrom(quint16 rpcPort, const QString& configDir, QByteArray& sessionID,
               const QDeadlineTimer& deadline) {
    const auto session = call(rpcPort, TransmissionWire::sessionGet(), sessionID, deadline);
    if (!session)
        return false;
    const auto answer = nlohmann::json::parse(session->body.toStdString(), nullptr, false);
    return succeeded(answer) && answer.contains("arguments") && answer["arguments"].is_object() &&
           answer["arguments"].value("config-dir", std::string()) == configDir.toStdString();
}

} // namespace

bool isDaemonFrom(quint16 rpcPort, const QString& configDir, std::chrono::milliseconds budget) {
    QByteArray sessionID;
    return askedFrom(rpcPort, configDir, sessionID, QDeadlineTimer(budget));
}

bool requestDaemonClose(quint16 rpcPort, const QString& configDir,
                        std::chrono::milliseconds budget) {
    const QDeadlineTimer deadline(budget);
    QByteArray sessionID;

    // Only our own daemon: whatever else holds the port is none of our business.
    if (!askedFrom(rpcPort, configDir, sessionID, deadline))
        return false;

    const auto closed = call(rpcPort, TransmissionWire::sessionClose(), sessionID, deadline);
    return closed && succeeded(nlohmann::json::parse(closed->body.toStdString(), nullptr, false));
}
