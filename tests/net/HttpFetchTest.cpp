#include "net/HttpFetch.h"

#include "EventLoop.h"
#include "FakeHttpServer.h"

#include <QNetworkAccessManager>
#include <qcoro/qcorotask.h>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

HttpResponse fetchNow(QNetworkAccessManager& nam, HttpRequest request) {
    std::optional<HttpResponse> result;
    [&]() -> QCoro::Task<> { result = co_await httpFetch(nam, request); }();
    EXPECT_TRUE(runEventLoopUntil([&] { return result.has_value(); }, 10000));
    return result.value_or(HttpResponse{});
}

} // namespace

TEST(HttpFetch, SendsMethodHeadersAndBodyAndReadsTheAnswer) {
    FakeHttpServer server;
    server.respondWith(
        {200, R"({"ok":true})", "application/json", {{"X-Transmission-Session-Id", "abc"}}, 0});
    QNetworkAccessManager nam;

    const HttpResponse r =
        fetchNow(nam, {"POST", server.url("/v1"), {{"User-Agent", "Lumivane/0.1"}}, "{}"});

    EXPECT_TRUE(r.isOk());
    EXPECT_EQ(r.body, QByteArray(R"({"ok":true})"));
    EXPECT_EQ(r.header("x-transmission-session-id"), QByteArray("abc"));
    ASSERT_EQ(server.requests().size(), 1);
    EXPECT_EQ(server.requests()[0].method, "POST");
    EXPECT_EQ(server.requests()[0].body, "{}");
    EXPECT_EQ(server.requests()[0].header("User-Agent"), "Lumivane/0.1");
}

TEST(HttpFetch, KeepsFailuresDistinct) {
    FakeHttpServer server;
    QNetworkAccessManager nam;

    server.respondWith({409, "conflict", "text/plain", {}, 0});
    const HttpResponse conflict = fetchNow(nam, {"GET", server.url("/")});
    EXPECT_TRUE(conflict.answered());
    EXPECT_FALSE(conflict.isOk());
    EXPECT_EQ(conflict.status, 409);
    EXPECT_EQ(conflict.body, "conflict");

    server.respondWith({200, "late", "text/plain", {}, 2000});
    HttpRequest slow{"GET", server.url("/")};
    slow.timeout = 200ms;
    EXPECT_EQ(fetchNow(nam, slow).failure, HttpResponse::Failure::timeout);

    server.respondWith({200, QByteArray(64 * 1024, 'x'), "text/plain", {}, 0});
    HttpRequest capped{"GET", server.url("/")};
    capped.maxBytes = 1024;
    EXPECT_EQ(fetchNow(nam, capped).failure, HttpResponse::Failure::tooLarge);

    const HttpResponse refused =
        fetchNow(nam, {"GET", QUrl(QStringLiteral("http://127.0.0.1:9/"))});
    EXPECT_EQ(refused.failure, HttpResponse::Failure::transport);
    EXPECT_FALSE(refused.answered());

    EXPECT_EQ(fetchNow(nam, {"GET", QUrl()}).failure, HttpResponse::Failure::transport);
}
