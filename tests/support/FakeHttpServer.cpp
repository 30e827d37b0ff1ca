#include "FakeHttpServer.h"

#include <QHostAddress>
#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QMetaEnum>
#include <QPointer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrlQuery>

#include <stdexcept>

namespace {

QByteArray methodName(QHttpServerRequest::Method m) {
    const char* name = QMetaEnum::fromType<QHttpServerRequest::Method>().valueToKey(int(m));
    return name ? QByteArray(name).toUpper() : QByteArray("OTHER");
}

void respond(QHttpServerResponder& responder, const FakeHttpServer::Response& r) {
    responder.writeStatusLine(static_cast<QHttpServerResponder::StatusCode>(r.status));
    responder.writeHeader("Content-Type", r.contentType);
    responder.writeHeader("Content-Length", QByteArray::number(r.body.size()));
    for (const auto& [key, value] : r.headers)
        responder.writeHeader(key, value);
    responder.writeBody(r.body);
}

} // namespace

QByteArray FakeHttpServer::Request::header(const QByteArray& name) const {
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

QString FakeHttpServer::Request::queryValue(const QString& name) const {
    for (const auto& [key, value] : queryItems) {
        if (key == name)
            return value;
    }
    return {};
}

FakeHttpServer::FakeHttpServer(QObject* parent)
    : QObject(parent)
    , m_server(std::make_unique<QHttpServer>())
    , m_handler([this](const Request& r) {
        for (const Route& route : std::as_const(m_routes)) {
            const QUrl want(route.path);
            bool match = (route.method.isEmpty() || route.method == r.method) &&
                         (want.path().isEmpty() || want.path() == r.path) &&
                         r.body.contains(route.bodyContains);
            for (const auto& [k, v] : QUrlQuery(want).queryItems(QUrl::FullyDecoded))
                match = match && r.queryValue(k) == v;
            if (match)
                return route.response;
        }
        return Response{404, "not found", "text/plain", {}, 0};
    }) {
    m_server->setMissingHandler(
        [this](const QHttpServerRequest& req, QHttpServerResponder&& responder) {
            Request r;
            r.method = methodName(req.method());
            r.path = req.url().path();
            r.rawQuery = req.url().query(QUrl::FullyEncoded).toUtf8();
            for (const auto& [k, v] : QUrlQuery(req.url()).queryItems(QUrl::FullyDecoded))
                r.queryItems.push_back({k, v});
            r.headers = req.headers();
            r.body = req.body();
            m_requests.append(r);

            const Response response = m_handler(r);
            if (response.delayMs <= 0) {
                respond(responder, response);
                ++m_answered;
                return;
            }
            auto pending = std::make_shared<QHttpServerResponder>(std::move(responder));
            // A client that hung up meanwhile has taken its socket with it: nobody to answer.
            QTimer::singleShot(response.delayMs, this,
                               [this, pending, response, socket = QPointer<QTcpSocket>(pending->socket())] {
                                   if (socket && socket->state() == QAbstractSocket::ConnectedState)
                                       respond(*pending, response);
                                   ++m_answered;
                               });
        });
    m_port = m_server->listen(QHostAddress::LocalHost, 0);
    if (m_port == 0)
        throw std::runtime_error("fake HTTP server cannot listen");
}

FakeHttpServer::~FakeHttpServer() = default;

QUrl FakeHttpServer::baseUrl() const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_port));
}

QUrl FakeHttpServer::url(const QString& path) const {
    QUrl u = baseUrl();
    u.setPath(path);
    return u;
}

void FakeHttpServer::respondWith(Response response) {
    m_handler = [response](const Request&) { return response; };
}
