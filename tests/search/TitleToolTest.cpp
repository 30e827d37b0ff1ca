#include "TitleReport.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include <gtest/gtest.h>

TEST(TitleTool, ReadsATitleWithoutAName) {
    EXPECT_EQ(
        titleReportLine("Show.Name.S02E05.1080p.WEB.mkv.part", {}),
        R"({"title":"Show.Name.S02E05.1080p.WEB.mkv.part","quality":"1080p","episode":"S02E05",)"
        R"("season":2,"number":5,"pack":null,"years":[],"incompleteOrDated":true})");
    EXPECT_EQ(
        titleReportLine(QString::fromUtf8("Show 2019 S03 1920x1080"), {}),
        QString::fromUtf8(
            R"({"title":"Show 2019 S03 1920x1080","quality":"—","episode":null,)"
            R"("season":null,"number":null,"pack":3,"years":[2019],"incompleteOrDated":false})")
            .toUtf8());
}

TEST(TitleTool, AddsTheNameChecksInOrder) {
    TitleReportOptions options;
    options.name = "Show Name";
    options.origin = QStringList{"GB"};
    options.firstAirYear = "2019";
    options.year = "2019";
    EXPECT_EQ(titleReportLine("Show.Name.US.1994.S01E01.720p", options),
              R"({"title":"Show.Name.US.1994.S01E01.720p","quality":"720p","episode":"S01E01",)"
              R"("season":1,"number":1,"pack":null,"years":[1994],"incompleteOrDated":false,)"
              R"("containsName":true,"extraAfter":false,"extraBefore":false,"acceptsEpisode":true,)"
              R"("otherRegion":true,"conflictsYear":true,"acceptsMovie":false})");

    TitleReportOptions nameOnly;
    nameOnly.name = "Some Film";
    EXPECT_EQ(
        titleReportLine("Some.Film.1080p", nameOnly),
        R"({"title":"Some.Film.1080p","quality":"1080p","episode":null,"season":null,)"
        R"("number":null,"pack":null,"years":[],"incompleteOrDated":false,"containsName":true,)"
        R"("extraAfter":false,"extraBefore":false,"acceptsEpisode":false,"acceptsMovie":true})");
}

TEST(TitleTool, ATabbedLineNamesItsOwnSeries) {
    TitleReportOptions options;
    options.name = "Other";
    const QJsonObject line =
        QJsonDocument::fromJson(titleReportLine("Young Show\tYoung.Show.S01E01", options)).object();
    EXPECT_EQ(line.value("title").toString(), "Young.Show.S01E01");
    EXPECT_TRUE(line.value("containsName").toBool());
    EXPECT_TRUE(line.value("acceptsEpisode").toBool());
}

TEST(TitleTool, TheProgramPrintsOneObjectPerLine) {
    QProcess tool;
    tool.start(QStringLiteral(LUMIVANE_TITLES_TOOL),
               {"--name", "Show Name", "--origin", "gb,us", "--first-air-year", "2019"});
    ASSERT_TRUE(tool.waitForStarted(10000));
    tool.write("Show.Name.S01E02.1080p\r\nShow.Name.AU.S01E03\n\nFilm\tFilm.2019.1080p\n");
    tool.closeWriteChannel();
    ASSERT_TRUE(tool.waitForFinished(20000));
    EXPECT_EQ(tool.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(tool.exitCode(), 0);

    const QList<QByteArray> lines = tool.readAllStandardOutput().split('\n');
    ASSERT_EQ(lines.size(), 5); // four objects and the final newline
    EXPECT_TRUE(lines[4].isEmpty());
    TitleReportOptions options;
    options.name = "Show Name";
    options.origin = QStringList{"GB", "US"};
    options.firstAirYear = "2019";
    EXPECT_EQ(lines[0], titleReportLine("Show.Name.S01E02.1080p", options));
    EXPECT_TRUE(QJsonDocument::fromJson(lines[1]).object().value("otherRegion").toBool());
    EXPECT_EQ(QJsonDocument::fromJson(lines[2]).object().value("title").toString(), "");
    EXPECT_TRUE(QJsonDocument::fromJson(lines[3]).object().value("acceptsMovie").toBool());
}
