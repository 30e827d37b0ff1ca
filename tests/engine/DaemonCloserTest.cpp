// The close request, against a stand-in daemon on a thread of its own (the request blocks).

#include "engine/DaemonCloser.h"

#include "DaemonSupport.h"
#include "ThreadedHttpServer.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace std::chrono_literals;
using nlohmann::json;

TEST(DaemonCloser, ClosesOnlyOurOwnDaemonAndOnlyOnItsWord) {
    const char* ours = "/home/ada/.local/share/Lumivane/transmission-config";
    const QStringList both{"session-get", "session-close"}, askedOnly{"session-get"};
    const struct {
        const char* configDir;   // what session-get reports
        const char* closeResult; // what session-close answers
        int delayMs;             // before any answer
        int status;              // once past the handshake
        bool closed;
        QStringList methods;     // accepted calls, in order
    } cases[] = {
        {ours, "success", 0, 200, true, both},
        // Another user's daemon on the same port, or a stray of an older install.
        {"/home/bob/.config/transmission-daemon", "success", 0, 200, false, askedOnly},
        {ours, "not allowed", 0, 200, false, both},
        {ours, "success", 0, 404, false, askedOnly}, // something else holds the port
        {ours, "success", 3000, 200, false, {}},     // a hung daemon: the wait runs out
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.configDir) + " " + c.closeResult + " " + std::to_string(c.status));
        // The daemon's handshake: a request without the session id is refused with it.
        ThreadedHttpServer daemon([&c](const FakeHttpServer::Request& r) -> FakeHttpServer::Response {
            if (r.header("X-Transmission-Session-Id") != "s3ss10n")
                return {409, {}, "text/html", {{"X-Transmission-Session-Id", "s3ss10n"}}, c.delayMs};
            const json call = json::parse(r.body.toStdString(), nullptr, false);
            const std::string method = call.is_object() ? call.value("method", "") : "";
            json answer{{"result", "success"}, {"arguments", json::object()}};
            if (method == "session-get")
                answer["arguments"]["config-dir"] = c.configDir;
            else if (method == "session-close")
                answer["result"] = c.closeResult;
            return {c.status, QByteArray::fromStdString(answer.dump()), "application/json", {}, c.delayMs};
        });
        EXPECT_EQ(requestDaemonClose(daemon.port(), QString::fromLatin1(ours), 500ms), c.closed);

        QStringList methods;
        for (const auto& r : daemon.requests()) {
            EXPECT_EQ(r.method, "POST");
            EXPECT_EQ(r.path, "/transmission/rpc");
            if (r.header("X-Transmission-Session-Id") == "s3ss10n")
                methods.append(QString::fromStdString(json::parse(r.body.toStdString())["method"]));
        }
        EXPECT_EQ(methods, c.methods);
    }
    // Nothing listening is no close.
    EXPECT_FALSE(requestDaemonClose(freeLoopbackPort(), QString::fromLatin1(ours), 500ms));
}
