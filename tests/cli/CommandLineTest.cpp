// The command line's grammar and the request decoder, from the tables in
// tests/fixtures/cli/commands.json.

#include "cli/CommandLine.h"

#include "Fixtures.h"
#include "cli/CommandRequest.h"

#include <gtest/gtest.h>

namespace {

using Kind = CommandRequest::Kind;
using nlohmann::json;

// A request line may hold 16 KiB and not a byte more.
constexpr qsizetype kCap = 16 * 1024;

const json& tables() {
    static const json all = fixtureJson("cli/commands.json");
    return all;
}

// A request as the table writes it; what it leaves out keeps its default.
CommandRequest requestOf(const json& r) {
    static const std::map<std::string, Kind> kinds{{"status", Kind::status},
                                                   {"seriesAdd", Kind::seriesAdd},
                                                   {"seriesRemove", Kind::seriesRemove},
                                                   {"moviesAdd", Kind::moviesAdd},
                                                   {"check", Kind::check},
                                                   {"activity", Kind::activity}};
    const auto number = [&](const char* key) {
        return r.contains(key) ? std::optional(r[key].get<int>()) : std::nullopt;
    };
    return {.kind = kinds.at(r["kind"]),
            .target = qstr(r.value("target", json(""))),
            .quality = r.contains("quality") ? std::optional(qstr(r["quality"])) : std::nullopt,
            .season = number("season"),
            .tmdbID = number("tmdbID"),
            .year = number("year"),
            .subscribe = r.value("subscribe", true),
            .asTyped = r.value("asTyped", false),
            .follow = r.value("follow", false)};
}

TEST(CommandLine, GivesTheRequestTheHelpOrTheMistake) {
    for (const json& c : tables()["parse"]) {
        SCOPED_TRACE(c["args"].dump());
        const CommandLine::Parsed parsed = CommandLine::parse(strings(c["args"]));
        if (c.contains("run")) {
            ASSERT_TRUE(std::holds_alternative<CommandLine::Run>(parsed));
            const auto& run = std::get<CommandLine::Run>(parsed);
            EXPECT_EQ(run.request, requestOf(c["run"]));
            EXPECT_EQ(run.json, c.value("json", false));
            // What is sent is what arrives.
            const auto decoded = CommandRequest::decode(run.request.encode().chopped(1));
            ASSERT_TRUE(std::holds_alternative<CommandRequest>(decoded))
                << std::get<QString>(decoded).toStdString();
            EXPECT_EQ(std::get<CommandRequest>(decoded), run.request);
        } else if (c.contains("help")) {
            ASSERT_TRUE(std::holds_alternative<CommandLine::Help>(parsed));
            const QString text = std::get<CommandLine::Help>(parsed).text;
            EXPECT_TRUE(text.contains(qstr(c["help"]))) << text.toStdString();
        } else {
            ASSERT_TRUE(std::holds_alternative<CommandLine::Mistake>(parsed));
            const QString message = std::get<CommandLine::Mistake>(parsed).message;
            EXPECT_TRUE(message.contains(qstr(c["mistake"]))) << message.toStdString();
            EXPECT_TRUE(message.contains("--help")) << "says where the usage is";
        }
    }
}

TEST(CommandLine, OnlyCommandWordsLeaveTheApplicationsOwnOptionsAlone) {
    EXPECT_TRUE(CommandLine::isCommand({"lumivane", "series", "list"}));
    EXPECT_TRUE(CommandLine::isCommand({"lumivane", "status"}));
    EXPECT_FALSE(CommandLine::isCommand({"lumivane"}));
    EXPECT_FALSE(CommandLine::isCommand({"lumivane", "--headless"}));
    EXPECT_FALSE(CommandLine::isCommand({"lumivane", "lumivane://show"}));
    EXPECT_TRUE(CommandLine::isCommand({"lumivane", "sieries", "list"})); // told, not a window
    EXPECT_FALSE(CommandLine::isCommand({"lumivane", "--help"}));
    // Every command has its help, and the overview names each of them.
    for (const QString& name : CommandLine::commandNames()) {
        const auto parsed = CommandLine::parse(name.split(' ') << "--help");
        ASSERT_TRUE(std::holds_alternative<CommandLine::Help>(parsed)) << name.toStdString();
        EXPECT_TRUE(std::get<CommandLine::Help>(parsed).text.contains("lumivane " + name));
        EXPECT_TRUE(CommandLine::overview().contains("lumivane " + name)) << name.toStdString();
    }
}

// Anyone who reaches the socket may send anything; each bad line is refused saying why.
TEST(CommandRequest, RefusesBadLinesWithAMessage) {
    const QByteArray head = R"({"command":"series add","arguments":{"name":")";
    const QByteArray tail = R"("}})";
    QList<std::pair<QByteArray, QString>> refused{
        {head + QByteArray(kCap, 'x') + tail, "larger than"}};
    for (const json& c : tables()["refused"])
        refused.append({QByteArray::fromStdString(c["line"]), qstr(c["says"])});
    for (const auto& [line, says] : refused) {
        const auto decoded = CommandRequest::decode(line);
        ASSERT_TRUE(std::holds_alternative<QString>(decoded)) << line.left(80).toStdString();
        EXPECT_TRUE(std::get<QString>(decoded).contains(says))
            << std::get<QString>(decoded).toStdString();
    }
    // A line just under the cap is still read.
    const QByteArray line = head + QByteArray(kCap - head.size() - tail.size(), 'y') + tail;
    ASSERT_EQ(line.size(), kCap);
    const auto decoded = CommandRequest::decode(line);
    ASSERT_TRUE(std::holds_alternative<CommandRequest>(decoded));
    EXPECT_EQ(std::get<CommandRequest>(decoded).target.size(), kCap - head.size() - tail.size());
}

} // namespace
