#include "search/TitleGrammar.h"

#include "Fixtures.h"
#include "search/FeedChecker.h"
#include "tools/TitleReport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

using nlohmann::json;

// The title table: each row names the inputs it needs and the readings it is about; the
// readings are what lumivane-titles reports, which calls exactly what the checker calls.
TEST(TitleGrammar, ReadsEveryTitleOfTheTable) {
    static const std::set<std::string> inputs{"title", "name",     "origin", "firstAirYear",
                                              "year",  "distance", "matches"};
    for (const json& row : fixtureJson("titles/grammar.json")) {
        const QString title = qstr(row["title"]);
        SCOPED_TRACE(row.dump());
        TitleReportOptions options;
        if (row.contains("name"))
            options.name = qstr(row["name"]);
        if (row.contains("origin"))
            options.origin = strings(row["origin"]);
        if (row.contains("firstAirYear") && !row["firstAirYear"].is_null())
            options.firstAirYear = qstr(row["firstAirYear"]);
        if (row.contains("year"))
            options.year = qstr(row["year"]);
        const json report = json::parse(titleReportLine(title, options).toStdString());
        for (const auto& [key, want] : row.items()) {
            if (!inputs.count(key) && !(key == "conflictsYear" && !options.firstAirYear)) {
                EXPECT_EQ(report[key], want) << key;
            }
        }
        if (row.contains("firstAirYear") && !options.firstAirYear) {
            Show show;
            show.name = qstr(row["name"]);
            EXPECT_EQ(conflictsWithFirstAirYear(title, show), row["conflictsYear"].get<bool>());
        }
        const json distances = row.value("distance", json::object()),
                   matches = row.value("matches", json::object());
        const auto quality = [](const std::string& raw) {
            return *fromRaw<Show::Quality>(QString::fromStdString(raw));
        };
        for (const auto& [name, want] : distances.items())
            EXPECT_EQ(qualityDistance(title, quality(name)), want.get<int>()) << name;
        for (const auto& [name, want] : matches.items())
            EXPECT_EQ(titleMatchesQuality(title, quality(name)), want.get<bool>()) << name;
    }
}

TEST(TitleGrammar, WordsAndCompactText) {
    EXPECT_EQ(titleWords("Show.Name-S01E01 [WEB-DL] Show"),
              (QSet<QString>{"show", "name", "s01e01", "web", "dl"}));
    EXPECT_EQ(compact("Marvel's Agents of S.H.I.E.L.D.").toLower(),
              compact("marvels agents of shield"));
    EXPECT_EQ(compact(QString::fromUtf8("Amélie — 2001 · 東京")),
              QString::fromUtf8("Amélie2001東京"));
    EXPECT_EQ(lowerCompact("Show.NAME 2x05"), "showname2x05");
}

TEST(TitleGrammar, LongAndBrokenTitlesAreHandled) {
    QString lone = QChar(0xDC00) + QStringLiteral("Show Name S01E01 ") + QChar(0xD800) + "x";
    const QString huge = QString("Show Name ").repeated(10000) + "S01E01";
    for (const QString& title : {QString("[").repeated(20000) + "Show Name S01E01",
                                 "a.com" + QString("-").repeated(50000) + "b", lone, huge})
        (void)titleReportLine(
            title, {QStringLiteral("Show Name"), QStringList{}, QStringLiteral("2019"), {}});
    EXPECT_EQ(episodeCode(lone), EpisodeCode::episode(1, 1));
    EXPECT_TRUE(titleContainsName(lone, "Show Name"));
    // Only the start of an overlong title is read: its code lies beyond it.
    EXPECT_EQ(episodeCode(huge), std::nullopt);
    EXPECT_TRUE(titleContainsName(huge, "Show Name"));
}

TEST(TitleTool, PrintsOneObjectPerLineInItsKeyOrder) {
    QProcess tool;
    tool.start(QStringLiteral(LUMIVANE_TITLES_TOOL),
               {"--name", "Show Name", "--origin", "gb,us", "--first-air-year", "2019"});
    ASSERT_TRUE(tool.waitForStarted(10000));
    tool.write("Show.Name.S01E02.1080p.mkv.part\r\nShow.Name.AU.S01E03\n\nFilm\tFilm.2019.1080p\n");
    tool.closeWriteChannel();
    ASSERT_TRUE(tool.waitForFinished(20000));
    EXPECT_EQ(tool.exitCode(), 0);
    const QList<QByteArray> lines = tool.readAllStandardOutput().split('\n');
    ASSERT_EQ(lines.size(), 5); // four objects and the final newline
    EXPECT_EQ(
        lines[0],
        R"({"title":"Show.Name.S01E02.1080p.mkv.part","quality":"1080p","episode":"S01E02","season":1,)"
        R"("number":2,"pack":null,"years":[],"incompleteOrDated":true,"containsName":true,"extraAfter":false,)"
        R"("extraBefore":false,"acceptsEpisode":true,"otherRegion":false,"conflictsYear":false,"acceptsMovie":false})");
    EXPECT_TRUE(QJsonDocument::fromJson(lines[1]).object().value("otherRegion").toBool());
    EXPECT_EQ(QJsonDocument::fromJson(lines[2]).object().value("title").toString(), "");
    EXPECT_TRUE(QJsonDocument::fromJson(lines[3]).object().value("acceptsMovie").toBool());
    EXPECT_TRUE(lines[4].isEmpty());
}
