#include "HttpFetch.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>

#include <coroutine>
#include <memory>
#include <utility>

namespace {

// Waits until the reply finishes or is destroyed unfinished. QCoro's own awaiter listens for
// finished() alone, so a reply that dies with its manager (at exit, say) would strand the
// caller and every coroutine awaiting it for good.
class ReplyDone {
public:
    explicit ReplyDone(QNetworkReply* reply)
        : m_reply(reply) {}

    bool await_ready() const noexcept { return !m_reply || m_reply->isFinished(); }

    void await_suspend(std::coroutine_handle<> waiter) {
        // Whichever comes first resumes; the other finds the handle taken.
        auto once = std::make_shared<std::coroutine_handle<>>(waiter);
        auto resume = [once] {
            if (const std::coroutine_handle<> handle = std::exchange(*once, nullptr))
                handle.resume();
        };
        QObject::connect(m_reply, &QNetworkReply::finished, m_reply, resume);
        QObject::connect(m_reply, &QObject::destroyed, resume);
    }

    void await_resume() const noexcept {}

private:
    QPointer<QNetworkReply> m_reply;
};

} // namespace

QByteArray HttpResponse::header(const QByteArray& name) const {
    for (const auto& [key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    }
    return {};
}

QCoro::Task<HttpResponse> httpFetch(QNetworkAccessManager& network, HttpRequest request) {
    HttpResponse response;
    if (!request.url.isValid()) {
        response.failure = HttpResponse::Failure::transport;
        response.errorText = QStringLiteral("invalid address");
        co_return response;
    }

    QNetworkRequest req(request.url);
    for (const auto& [key, value] : request.headers)
        req.setRawHeader(key, value);
    req.setTransferTimeout(static_cast<int>(request.timeout.count()));
    req.setMaximumRedirectsAllowed(request.maxRedirects);

    QPointer<QNetworkReply> reply = network.sendCustomRequest(req, request.method, request.body);
    auto tooLarge = std::make_shared<bool>(false);
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply,
                     [reply, tooLarge, max = request.maxBytes](qint64 received, qint64) {
                         if (received > max && !*tooLarge) {
                             *tooLarge = true;
                             reply->abort();
                         }
                     });

    co_await ReplyDone(reply.data());
    if (!reply) {
        response.failure = HttpResponse::Failure::transport;
        response.errorText = QStringLiteral("request destroyed");
        co_return response;
    }
    // The reply may still be emitting finished(): let the event loop delete it.
    reply->deleteLater();

    if (*tooLarge) {
        response.failure = HttpResponse::Failure::tooLarge;
        response.errorText = QStringLiteral("answer too large");
        co_return response;
    }
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (reply->error() == QNetworkReply::OperationCanceledError ||
        reply->error() == QNetworkReply::TimeoutError) {
        response.failure = HttpResponse::Failure::timeout;
        response.errorText = reply->errorString();
        co_return response;
    }
    if (!status.isValid()) {
        response.failure = HttpResponse::Failure::transport;
        response.errorText = reply->errorString();
        co_return response;
    }
    response.status = status.toInt();
    response.body = reply->readAll();
    for (const auto& pair : reply->rawHeaderPairs())
        response.headers.push_back({pair.first, pair.second});
    co_return response;
}
