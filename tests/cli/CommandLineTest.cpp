#include "cli/CommandLine.h"
#include "cli/CommandRequest.h"

#include <gtest/gtest.h>

namespace {
// A request line may hold 16 KiB and not a byte more.
constexpr qsizetype kCap = 16 * 1024;

using Kind = CommandRequest::Kind;

// What a parse must give: a request (with --json or not), a help text, or a mistake.
struct ParseCase {
    const char* name;
    QStringList arguments;
    enum { run, help, mistake } outcome = run;
    CommandRequest request{};
    bool json = false;
    const char* says = ""; // a part of the help text or the message
};

CommandRequest req(Kind kind, const char* target = "") {
    CommandRequest r;
    r.kind = kind;
    r.target = QString::fromUtf8(target);
    return r;
}

template <typename F>
CommandRequest with(CommandRequest r, F change) {
    change(r);
    return r;
}

const QList<ParseCase> kParseCases{
    {"status", {"status"}, ParseCase::run, req(Kind::status)},
    {"statusJson", {"status", "--json"}, ParseCase::run, req(Kind::status), true},
    {"nameOfSeveralWords", {"series", "add", "The", "Office"}, ParseCase::run,
     req(Kind::seriesAdd, "The Office")},
    {"everyAddOption",
     {"series", "add", "Severance", "--quality", "720p", "--season", "2", "--no-subscribe",
      "--tmdb-id", "95396", "--as-typed", "--json"},
     ParseCase::run,
     with(req(Kind::seriesAdd, "Severance"),
          [](CommandRequest& r) {
              r.quality = "720p";
              r.season = 2;
              r.subscribe = false;
              r.tmdbID = 95396;
              r.asTyped = true;
          }),
     true},
    {"inlineValueAndAnyCase", {"series", "add", "--quality=ANY", "X"}, ParseCase::run,
     with(req(Kind::seriesAdd, "X"), [](CommandRequest& r) { r.quality = "any"; })},
    {"fourK", {"movies", "add", "Dune", "--quality", "4k", "--year", "2021"}, ParseCase::run,
     with(req(Kind::moviesAdd, "Dune"), [](CommandRequest& r) {
         r.quality = "4K";
         r.year = 2021;
     })},
    {"dashesEndTheOptions", {"series", "add", "--", "--weird", "name"}, ParseCase::run,
     req(Kind::seriesAdd, "--weird name")},
    {"removeByID", {"series", "remove", "1b4e28ba-2fa1-11d2-883f-0016d3cca427"}, ParseCase::run,
     req(Kind::seriesRemove, "1b4e28ba-2fa1-11d2-883f-0016d3cca427")},
    {"follow", {"activity", "--follow", "--json"}, ParseCase::run,
     with(req(Kind::activity), [](CommandRequest& r) { r.follow = true; }), true},
    {"check", {"check"}, ParseCase::run, req(Kind::check)},

    {"groupHelp", {"series"}, ParseCase::help, {}, false, "lumivane series add NAME"},
    {"commandHelp", {"series", "add", "x", "--help"}, ParseCase::help, {}, false,
     "Usage: lumivane series add NAME"},
    {"activityHelp", {"activity", "-h"}, ParseCase::help, {}, false, "--follow"},

    {"missingName", {"series", "add"}, ParseCase::mistake, {}, false, "needs NAME"},
    {"missingNameAfterOptions", {"series", "remove", "--json"}, ParseCase::mistake, {}, false,
     "needs NAME|ID"},
    {"unknownQuality", {"series", "add", "X", "--quality", "2160p"}, ParseCase::mistake, {}, false,
     "--quality 2160p"},
    {"seasonZero", {"series", "add", "X", "--season", "0"}, ParseCase::mistake, {}, false,
     "--season 0"},
    {"seasonNotANumber", {"series", "add", "X", "--season", "two"}, ParseCase::mistake, {}, false,
     "--season two"},
    {"valueMissing", {"series", "add", "X", "--season"}, ParseCase::mistake, {}, false,
     "--season needs a value"},
    {"switchWithValue", {"check", "--json=yes"}, ParseCase::mistake, {}, false, "takes no value"},
    {"optionOfAnotherCommand", {"status", "--follow"}, ParseCase::mistake, {}, false,
     "takes no option --follow"},
    {"yearOnSeries", {"series", "add", "X", "--year", "2020"}, ParseCase::mistake, {}, false,
     "takes no option --year"},
    {"strayWord", {"series", "list", "extra"}, ParseCase::mistake, {}, false, "takes no extra"},
    {"unknownSubcommand", {"series", "frobnicate"}, ParseCase::mistake, {}, false,
     "Unknown command \"series frobnicate\""},
};

class Parse : public testing::TestWithParam<ParseCase> {};

TEST_P(Parse, GivesTheRequestTheHelpOrTheMistake) {
    const ParseCase& c = GetParam();
    const CommandLine::Parsed parsed = CommandLine::parse(c.arguments);
    switch (c.outcome) {
    case ParseCase::run: {
        ASSERT_TRUE(std::holds_alternative<CommandLine::Run>(parsed));
        const auto& run = std::get<CommandLine::Run>(parsed);
        EXPECT_EQ(run.request, c.request);
        EXPECT_EQ(run.json, c.json);
        // What is sent is what arrives.
        const auto decoded = CommandRequest::decode(run.request.encode().chopped(1));
        ASSERT_TRUE(std::holds_alternative<CommandRequest>(decoded))
            << std::get<QString>(decoded).toStdString();
        EXPECT_EQ(std::get<CommandRequest>(decoded), c.request);
        break;
    }
    case ParseCase::help:
        ASSERT_TRUE(std::holds_alternative<CommandLine::Help>(parsed));
        EXPECT_TRUE(std::get<CommandLine::Help>(parsed).text.contains(QString::fromUtf8(c.says)))
            << std::get<CommandLine::Help>(parsed).text.toStdString();
        break;
    case ParseCase::mistake: {
        ASSERT_TRUE(std::holds_alternative<CommandLine::Mistake>(parsed));
        const QString message = std::get<CommandLine::Mistake>(parsed).message;
        EXPECT_TRUE(message.contains(QString::fromUtf8(c.says))) << message.toStdString();
        EXPECT_TRUE(message.contains("--help")) << "says where the usage is";
        break;
    }
    }
}

INSTANTIATE_TEST_SUITE_P(CommandLine, Parse, testing::ValuesIn(kParseCases),
                         [](const auto& info) { return std::string(info.param.name); });

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

// Lines anyone who reaches the socket may send. Each is refused with a message naming why.
struct DecodeCase {
    const char* name;
    QByteArray line;
    const char* says;
};

const QList<DecodeCase> kRefused{
    {"empty", "", "not a JSON object"},
    {"truncated", R"({"command":"status")", "not a JSON object"},
    {"handOff", R"(["lumivane://show"])", "not a JSON object"},
    {"string", R"("status")", "not a JSON object"},
    {"unknownCommand", R"({"command":"rm -rf"})", "Unknown command"},
    {"commandNotAString", R"({"command":5})", "Unknown command"},
    {"noCommand", R"({"arguments":{}})", "Unknown command"},
    {"unknownField", R"({"command":"status","extra":1})", "Unknown field \"extra\""},
    {"argumentsNotAnObject", R"({"command":"status","arguments":[]})", "not a JSON object"},
    {"argumentOfAnotherCommand", R"({"command":"series add","arguments":{"name":"X","follow":true}})",
     "takes no argument \"follow\""},
    {"statusTakesNoName", R"({"command":"status","arguments":{"name":"X"}})", "takes no argument"},
    {"noName", R"({"command":"series add"})", "needs a name"},
    {"blankName", R"({"command":"series remove","arguments":{"name":"  "}})", "\"name\""},
    {"nameNotAString", R"({"command":"series remove","arguments":{"name":7}})", "\"name\""},
    {"fractionalSeason", R"({"command":"series add","arguments":{"name":"X","season":2.5}})", "\"season\""},
    {"hugeSeason", R"({"command":"series add","arguments":{"name":"X","season":1e300}})", "\"season\""},
    {"negativeTmdb", R"({"command":"series add","arguments":{"name":"X","tmdbID":-4}})", "\"tmdbID\""},
    {"tmdbAsText", R"({"command":"series add","arguments":{"name":"X","tmdbID":"4"}})", "\"tmdbID\""},
    {"unknownQuality", R"({"command":"movies add","arguments":{"name":"X","quality":"8K"}})", "\"quality\""},
    {"flagNotABool", R"({"command":"activity","arguments":{"follow":1}})", "\"follow\""},
    {"oversized",
     R"({"command":"series add","arguments":{"name":")" + QByteArray(kCap, 'x') + R"("}})",
     "larger than"},
};

class Refused : public testing::TestWithParam<DecodeCase> {};

TEST_P(Refused, WithAMessage) {
    const auto decoded = CommandRequest::decode(GetParam().line);
    ASSERT_TRUE(std::holds_alternative<QString>(decoded));
    EXPECT_TRUE(std::get<QString>(decoded).contains(QString::fromUtf8(GetParam().says)))
        << std::get<QString>(decoded).toStdString();
}

INSTANTIATE_TEST_SUITE_P(CommandRequest, Refused, testing::ValuesIn(kRefused),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CommandRequest, ALineJustUnderTheCapIsStillRead) {
    const QByteArray head = R"({"command":"series add","arguments":{"name":")";
    const QByteArray tail = R"("}})";
    const QByteArray line = head + QByteArray(kCap - head.size() - tail.size(), 'y') + tail;
    ASSERT_EQ(line.size(), kCap);
    const auto decoded = CommandRequest::decode(line);
    ASSERT_TRUE(std::holds_alternative<CommandRequest>(decoded));
    EXPECT_EQ(std::get<CommandRequest>(decoded).target.size(), line.size() - head.size() - tail.size());
}

} // namespace
