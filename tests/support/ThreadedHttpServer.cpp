#include "ThreadedHttpServer.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace {

// The request once its head and body are in; none while more is to come.
std::optional<FakeHttpServer::Request> parse(const QByteArray& received) {
    const qsizetype headEnd = received.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return std::nullopt;
    const QList<QByteArray> lines = received.left(headEnd).split('\n');
    const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
    FakeHttpServer::Request r;
    r.method = requestLine.value(0);
    r.path = QString::fromLatin1(requestLine.value(1));
    qsizetype length = 0;
    for (const QByteArray& line : lines.mid(1)) {
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        r.headers.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
        if (line.left(colon).trimmed().toLower() == "content-length")
            length = line.mid(colon + 1).trimmed().toLongLong();
    }
    if (received.size() - headEnd - 4 < length)
        return std::nullopt;
    r.body = received.mid(headEnd + 4, length);
    return r;
}

QByteArray encode(const FakeHttpServer::Response& response) {
    QByteArray bytes = "HTTP/1.1 " + QByteArray::number(response.status) + " Answer\r\n" +
                       "Content-Type: " + response.contentType + "\r\n" +
                       "Content-Length: " + QByteArray::number(response.body.size()) + "\r\n" +
                       "Connection: close\r\n";
    for (const auto& [name, value] : response.headers)
        bytes += name + ": " + value + "\r\n";
    return bytes + "\r\n" + response.body;
}

} // namespace

ThreadedHttpServer::ThreadedHttpServer(FakeHttpServer::Handler handler)
    : m_handler(std::move(handler)) {
    m_thread.start();
    m_context.moveToThread(&m_thread);
    QMetaObject::invokeMethod(
        &m_context,
        [this] {
            m_server = new QTcpServer;
            if (m_server->listen(QHostAddress::LocalHost, 0))
                m_port = m_server->serverPort();
            QObject::connect(m_server, &QTcpServer::newConnection, m_server, [this] {
                while (QTcpSocket* socket = m_server->nextPendingConnection()) {
                    auto* received = new QByteArray;
                    QObject::connect(socket, &QObject::destroyed, [received] { delete received; });
                    QObject::connect(
                        socket, &QTcpSocket::readyRead, socket, [this, socket, received] {
                            *received += socket->readAll();
                            const auto request = parse(*received);
                            if (!request)
                                return;
                            m_requests.append(*request);
                            const FakeHttpServer::Response response = m_handler(*request);
                            QTimer::singleShot(std::max(0, response.delayMs), socket,
                                               [socket, response] {
                                                   socket->write(encode(response));
                                                   socket->disconnectFromHost();
                                               });
                        });
                    QObject::connect(socket, &QTcpSocket::disconnected, socket,
                                     &QObject::deleteLater);
                }
            });
        },
        Qt::BlockingQueuedConnection);
    if (m_port == 0)
        throw std::runtime_error("threaded HTTP server cannot listen");
}

ThreadedHttpServer::~ThreadedHttpServer() {
    QThread* home = QThread::currentThread();
    QMetaObject::invokeMethod(
        &m_context,
        [&] {
            delete m_server;              // its sockets are its children
            m_context.moveToThread(home); // dies here, after its thread has ended
        },
        Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
}

QList<FakeHttpServer::Request> ThreadedHttpServer::requests() const {
    QList<FakeHttpServer::Request> copy;
    QMetaObject::invokeMethod(
        &m_context, [&] { copy = m_requests; }, Qt::BlockingQueuedConnection);
    return copy;
}
