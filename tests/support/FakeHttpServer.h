#pragma once

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>
#include <utility>

class QHttpServer;

// A loopback HTTP server for tests: records every request and answers from a route table
// (method + path → answer, first match wins; 404 otherwise) or through a handler the test
// sets instead. Listens on 127.0.0.1 at a free port.
class FakeHttpServer final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FakeHttpServer)

public:
    struct Request {
        QByteArray method;   // "GET", "POST", …
        QString path;        // decoded path, e.g. "/api/v2/list_movies.json"
        QByteArray rawQuery; // as sent, without "?"
        QList<std::pair<QString, QString>> queryItems; // decoded, in order
        QList<std::pair<QByteArray, QByteArray>> headers;
        QByteArray body;

        QByteArray header(const QByteArray& name) const; // case-insensitive, "" when absent
        QString queryValue(const QString& name) const;
    };

    struct Response {
        int status = 200;
        QByteArray body;
        QByteArray contentType = "application/json";
        QList<std::pair<QByteArray, QByteArray>> headers;
        int delayMs = 0; // answer later, e.g. to test time-outs or completion order
    };

    using Handler = std::function<Response(const Request&)>;

    // "path" may carry "?key=value&…": those query items must then be in the request too.
    // An empty method or path matches any; `bodyContains` narrows by the request body.
    struct Route {
        QByteArray method;
        QString path;
        Response response;
        QByteArray bodyContains;
    };

    explicit FakeHttpServer(QObject* parent = nullptr);
    ~FakeHttpServer() override;

    quint16 port() const { return m_port; }
    QUrl baseUrl() const; // http://127.0.0.1:<port>
    QUrl url(const QString& path) const;

    void setHandler(Handler handler) { m_handler = std::move(handler); }
    void route(Route r) { m_routes.append(std::move(r)); }
    // Always the same answer.
    void respondWith(Response response);

    const QList<Request>& requests() const { return m_requests; }
    void clearRequests() { m_requests.clear(); }
    // Requests answered so far, delayed answers included once they are sent.
    int answeredCount() const { return m_answered; }

private:
    std::unique_ptr<QHttpServer> m_server;
    quint16 m_port = 0;
    Handler m_handler;
    QList<Route> m_routes;
    QList<Request> m_requests;
    int m_answered = 0;
};
