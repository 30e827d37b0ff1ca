#include "net/HttpFetch.h"

#include "EventLoop.h"
#include "FakeHttpServer.h"

#include <QNetworkAccessManager>
#include <qcoro/qcorotask.h>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

using namespace std::chrono_literals;

namespace {

// Starts a fetch whose outcome lands in the returned slot. The coroutine takes what it needs
// as parameters: a lambda's captures die with the lambda at its first suspension.
std::shared_ptr<std::optional<HttpResponse>> startFetch(QNetworkAccessManager& nam,
                                                        HttpRequest request) {
    auto result = std::make_shared<std::optional<HttpResponse>>();
    [](QNetworkAccessManager& n, HttpRequest r,
       std::shared_ptr<std::optional<HttpResponse>> out) -> QCoro::Task<> {
        *out = co_await httpFetch(n, std::move(r));
    }(nam, std::move(request), result);
    return result;
}

HttpResponse fetchNow(QNetworkAccessManager& nam, HttpRequest request) {
    const auto result = startFetch(nam, std::move(request));
    EXPECT_TRUE(runEventLoopUntil([&] { return result->has_value(); }, 10000));
    return result->value_or(HttpResponse{});
}

} // namespace

// What goes out and what comes back in an answered exchange is what the clients' own tests
// read from their fakes (the daemon's handshake, the indexes' requests).
TEST(HttpFetch, KeepsFailuresDistinct) {
    FakeHttpServer server;
    QNetworkAccessManager nam;
    server.respondWith({200, "late", "text/plain", {}, 2000});
    HttpRequest slow{"GET", server.url("/")};
    slow.timeout = 200ms;
    EXPECT_EQ(fetchNow(nam, slow).failure, HttpResponse::Failure::timeout);

    server.respondWith({200, QByteArray(64 * 1024, 'x'), "text/plain"});
    HttpRequest capped{"GET", server.url("/")};
    capped.maxBytes = 1024;
    EXPECT_EQ(fetchNow(nam, capped).failure, HttpResponse::Failure::tooLarge);

    for (const QUrl& nowhere : {QUrl(QStringLiteral("http://127.0.0.1:9/")), QUrl()})
        EXPECT_EQ(fetchNow(nam, {"GET", nowhere}).failure, HttpResponse::Failure::transport);
}

// A manager that goes away (as at exit) takes its unanswered requests along: the fetch still
// ends, as a transport failure, instead of leaving its callers suspended for good.
TEST(HttpFetch, EndsWhenTheManagerGoesAwayBeforeTheAnswer) {
    FakeHttpServer server;
    server.respondWith({200, "late", "text/plain", {}, 5000});
    auto nam = std::make_unique<QNetworkAccessManager>();

    const auto result = startFetch(*nam, {"GET", server.url("/")});
    ASSERT_TRUE(runEventLoopUntil([&] { return server.requests().size() == 1; }, 10000));
    EXPECT_FALSE(result->has_value());
    nam.reset();

    ASSERT_TRUE(result->has_value());
    EXPECT_EQ((*result)->failure, HttpResponse::Failure::transport);
    EXPECT_FALSE((*result)->answered());
}
