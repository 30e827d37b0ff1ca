// The close request, against a stand-in daemon on a thread of its own (the request blocks).

#include "engine/DaemonCloser.h"

#include "DaemonSupport.h"
#include "Fixtures.h"
#include "ThreadedHttpServer.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace std::chrono_literals;
using nlohmann::json;

TEST(DaemonCloser, ClosesOnlyOurOwnDaemonAndOnlyOnItsWord) {
    const char* ours = "/home/ada/.local/share/Lumivane/transmission-config";
    for (const json& c : fixtureJson("daemon/closer.json")) {
        SCOPED_TRACE(c["why"].get<std::string>());
        // The daemon's handshake: a request without the session id is refused with it.
        const int delayMs = c.value("delayMs", 0); // before any answer
        ThreadedHttpServer daemon([&c, delayMs](const FakeHttpServer::Request& r) -> FakeHttpServer::Response {
            if (r.header("X-Transmission-Session-Id") != "s3ss10n")
                return {409, {}, "text/html", {{"X-Transmission-Session-Id", "s3ss10n"}}, delayMs};
            const json call = json::parse(r.body.toStdString(), nullptr, false);
            const std::string method = call.is_object() ? call.value("method", "") : "";
            json answer{{"result", "success"}, {"arguments", json::object()}};
            if (method == "session-get")
                answer["arguments"]["config-dir"] = c["configDir"];
            else if (method == "session-close")
                answer["result"] = c["closeResult"];
            return {c["status"].get<int>(), QByteArray::fromStdString(answer.dump()), "application/json", {}, delayMs};
        });
        EXPECT_EQ(requestDaemonClose(daemon.port(), QString::fromLatin1(ours), 500ms), c["closed"].get<bool>());

        json methods = json::array();
        for (const auto& r : daemon.requests()) {
            EXPECT_EQ(r.method, "POST");
            EXPECT_EQ(r.path, "/transmission/rpc");
            if (r.header("X-Transmission-Session-Id") == "s3ss10n")
                methods.push_back(json::parse(r.body.toStdString())["method"]);
        }
        EXPECT_EQ(methods, c["methods"]);
    }
    // Nothing listening is no close.
    EXPECT_FALSE(requestDaemonClose(freeLoopbackPort(), QString::fromLatin1(ours), 500ms));
}
