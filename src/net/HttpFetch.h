#pragma once

// One HTTP exchange as a coroutine, with the limits every client here needs: a time-out,
// a cap on the answer's size and a bounded number of redirects. It never throws; the
// outcome says what went wrong so callers can keep distinct failures distinct.

#include <QByteArray>
#include <QList>
#include <QNetworkRequest>
#include <QString>
#include <QUrl>
#include <qcoro/qcorotask.h>

#include <chrono>
#include <utility>

class QNetworkAccessManager;

struct HttpRequest {
    QByteArray method = "GET";
    QUrl url;
    QList<std::pair<QByteArray, QByteArray>> headers;
    QByteArray body;
    std::chrono::milliseconds timeout{15000};
    qint64 maxBytes = 8 * 1024 * 1024;
    int maxRedirects = 5;
};

struct HttpResponse {
    enum class Failure { none, transport, timeout, tooLarge };

    Failure failure = Failure::none;
    int status = 0; // 0 when no HTTP answer arrived
    QByteArray body;
    QList<std::pair<QByteArray, QByteArray>> headers;
    QString errorText;

    // An HTTP answer arrived (any status).
    bool answered() const { return failure == Failure::none && status != 0; }
    // Status exactly 200: the only answer the index and metadata clients count.
    bool isOk() const { return answered() && status == 200; }
    QByteArray header(const QByteArray& name) const; // case-insensitive, "" when absent
};

QCoro::Task<HttpResponse> httpFetch(QNetworkAccessManager& network, HttpRequest request);
