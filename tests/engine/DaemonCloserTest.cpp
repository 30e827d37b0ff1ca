// The close request, against a stand-in daemon on a thread of its own (the request blocks).

#include "engine/DaemonCloser.h"

#include "DaemonSupport.h"
#include "ThreadedHttpServer.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace std::chrono_literals;
using nlohmann::json;

namespace {

constexpr char kOurConfig[] = "/home/ada/.local/share/Lumivane/transmission-config";

struct Script {
    const char* name;
    const char* configDir;   // what session-get reports
    const char* closeResult; // what session-close answers
    int delayMs;             // before any answer
    int status;              // once past the handshake
    bool expected;
    QStringList expectedMethods; // accepted calls, in order
};

void PrintTo(const Script& script, std::ostream* os) {
    *os << script.name;
}

class DaemonCloser : public ::testing::TestWithParam<Script> {};

// The daemon's handshake: a request without the session id is refused with it.
FakeHttpServer::Response daemonAnswer(const Script& script, const FakeHttpServer::Request& r) {
    if (r.header("X-Transmission-Session-Id") != "s3ss10n")
        return {409, {}, "text/html", {{"X-Transmission-Session-Id", "s3ss10n"}}, script.delayMs};
    const json call = json::parse(r.body.toStdString(), nullptr, false);
    const std::string method = call.is_object() ? call.value("method", "") : "";
    json answer{{"result", "success"}, {"arguments", json::object()}};
    if (method == "session-get")
        answer["arguments"]["config-dir"] = script.configDir;
    else if (method == "session-close")
        answer["result"] = script.closeResult;
    return {script.status,
            QByteArray::fromStdString(answer.dump()),
            "application/json",
            {},
            script.delayMs};
}

TEST_P(DaemonCloser, ClosesOnlyOurOwnDaemonAndOnlyOnItsWord) {
    const Script script = GetParam();
    ThreadedHttpServer daemon([script](const auto& r) { return daemonAnswer(script, r); });

    EXPECT_EQ(requestDaemonClose(daemon.port(), QString::fromLatin1(kOurConfig), 500ms),
              script.expected);

    QStringList methods;
    for (const auto& r : daemon.requests()) {
        EXPECT_EQ(r.method, "POST");
        EXPECT_EQ(r.path, "/transmission/rpc");
        if (r.header("X-Transmission-Session-Id") == "s3ss10n")
            methods.append(QString::fromStdString(json::parse(r.body.toStdString())["method"]));
    }
    EXPECT_EQ(methods, script.expectedMethods);
}

const QStringList kBoth{"session-get", "session-close"};
const QStringList kAskedOnly{"session-get"};

INSTANTIATE_TEST_SUITE_P(
    Scripts, DaemonCloser,
    ::testing::Values(Script{"OurDaemonAgrees", kOurConfig, "success", 0, 200, true, kBoth},
                      // Another user's daemon on the same port, or a stray of an older install.
                      Script{"AnotherDaemonHoldsThePort", "/home/bob/.config/transmission-daemon",
                             "success", 0, 200, false, kAskedOnly},
                      Script{"TheDaemonRefuses", kOurConfig, "not allowed", 0, 200, false, kBoth},
                      Script{"SomethingElseHoldsThePort", kOurConfig, "success", 0, 404, false,
                             kAskedOnly},
                      // A hung daemon: the time runs out, and so does the wait.
                      Script{"NoAnswerInTime", kOurConfig, "success", 3000, 200, false, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DaemonCloserWithoutDaemon, NothingListeningIsNoClose) {
    EXPECT_FALSE(requestDaemonClose(freeLoopbackPort(), QString::fromLatin1(kOurConfig), 500ms));
}

} // namespace
