#include "model/Show.h"

#include "Fixtures.h"
#include "ScopedTimeZone.h"
#include "model/EpisodeCode.h"
#include "model/LibraryLayout.h"
#include "model/Movie.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

Timestamp utc(int y, int m, int d, int h = 0, int min = 0) {
    return Timestamp::fromDateTime(QDateTime(QDate(y, m, d), QTime(h, min), Qt::UTC));
}

nlohmann::json episodeJson(const std::optional<EpisodeNumber>& n) {
    return n ? nlohmann::json({n->season, n->episode}) : nlohmann::json();
}

} // namespace

TEST(ShowText, TheTablesOfCodesStatusesInitialsAndDownloads) {
    const nlohmann::json table = fixtureJson("records/show-texts.json");
    for (const auto& c : table["episodeCodes"])
        EXPECT_EQ(episodeJson(Show::parseEpisodeCode(qstr(c[0]))), c[1]) << c[0];
    for (const auto& c : table["watchStatus"]) {
        const auto text = showFrom(c[1]).watchStatusText(utc(2025, 3, 10, 12));
        EXPECT_EQ(text ? nlohmann::json(text->toStdString()) : nlohmann::json(), c[2]) << c[0];
    }
    for (const auto& c : table["initials"])
        EXPECT_EQ(Show{.name = qstr(c[0])}.initials(), qstr(c[1])) << c[0];
    for (const auto& c : table["dateCodes"])
        EXPECT_EQ(Show::dateCode(*utcOf(c[0])), qstr(c[1])) << c[0];
    for (const auto& c : table["latestKnown"]) {
        const Show show = showFrom({{"downloadedEpisodes", c[0]}, {"monitorAnchor", c[1]}});
        EXPECT_EQ(episodeJson(show.latestKnownEpisode()), c[2]) << c.dump();
    }
    const Show show = showFrom({{"downloadedEpisodes", {"S01E01", "2024.03.15"}}});
    for (const auto& c : table["hasDownloaded"])
        EXPECT_EQ(show.hasDownloaded(qstr(c[0]), utcOf(c[1])), c[2]) << c.dump();
    EXPECT_EQ(showFrom({{"downloadedEpisodes", {"S02E01", "junk", "S02E03", "S01E09"}}})
                  .latestDownloadedEpisode(),
              (EpisodeNumber{2, 3}));
    EXPECT_EQ(qualityModeOf(true, false), Show::QualityMode::any);
    EXPECT_EQ(qualityModeOf(true, true), Show::QualityMode::any);
    EXPECT_EQ(qualityModeOf(false, true), Show::QualityMode::preferWithFallback);
    EXPECT_EQ(qualityModeOf(false, false), Show::QualityMode::strict);
    EXPECT_EQ((Movie{.name = "Heat"}).displayTitle(), "Heat");
    EXPECT_EQ((Movie{.name = "Heat", .year = ""}).displayTitle(), "Heat");
    EXPECT_EQ((Movie{.name = "Heat", .year = "1995"}).displayTitle(), "Heat (1995)");
}

TEST(ShowDownloads, MarkDownloadedPutsTheCodeFirstAndKeepsTheNewestHundred) {
    Show show{.downloadedEpisodes = {"S01E03", "S01E02", "S01E01"}};
    show.markDownloaded("S01E01");
    EXPECT_EQ(show.downloadedEpisodes, QStringList({"S01E01", "S01E03", "S01E02"}));
    show.downloadedEpisodes.clear();
    for (int e = 1; e <= 101; ++e)
        show.markDownloaded(QStringLiteral("S01E%1").arg(e, 3, 10, QLatin1Char('0')));
    ASSERT_EQ(show.downloadedEpisodes.size(), 100);
    EXPECT_EQ(show.downloadedEpisodes.first(), "S01E101");
    EXPECT_EQ(show.downloadedEpisodes.last(), "S01E002"); // S01E001 dropped
}

// A hand-edited file may hold any number as a date: far out of range it is no date at all.
TEST(ShowDates, DatesFarOutOfRangeAreNoDates) {
    for (const double seconds : {1e300, -1e300, 7.66e16, -7.66e16}) {
        EXPECT_FALSE(Timestamp{seconds}.toDateTime().isValid()) << seconds;
        EXPECT_EQ(Show::airDayInLocalTime(Timestamp{seconds}), Timestamp{seconds}) << seconds;
    }
    EXPECT_EQ(Timestamp{8.0e12}.toDateTime().date(), QDate(255510, 11, 29));
    EXPECT_EQ(Timestamp{-1.5}.toDateTime(),
              QDateTime(QDate(2000, 12, 31), QTime(23, 59, 58, 500), Qt::UTC));
}

// The air day is the same calendar day in every zone, and out once its UTC midnight passed.
TEST(ShowDates, TheAirDayIsTheSameCalendarDayInEveryZone) {
    const Show show{.nextAirDate = utc(2025, 3, 15)};
    for (const char* tz : {"UTC", "America/Los_Angeles", "Pacific/Auckland"}) {
        const ScopedTimeZone zone(tz);
        EXPECT_EQ(show.watchStatusText(utc(2025, 3, 10)), "Next episode airs Mar 15, 2025") << tz;
    }
    const ScopedTimeZone west("America/Los_Angeles");
    const QDateTime local = Show::airDayInLocalTime(utc(2025, 3, 15)).toDateTime().toLocalTime();
    EXPECT_EQ(local, QDateTime(QDate(2025, 3, 15), QTime(0, 0)));
    const ScopedTimeZone east("Pacific/Auckland");
    EXPECT_EQ(show.watchStatusText(utc(2025, 3, 14, 23, 59)), "Next episode airs Mar 15, 2025");
    EXPECT_EQ(show.watchStatusText(utc(2025, 3, 15, 0, 0)), "New episode out — searching…");
}

TEST(EpisodeCodes, AreWrittenAndReadInOnePlace) {
    // A code's form: ["episode", s, e], ["seasonPack", n], ["seriesPack", id], ["daily", y, m, d].
    const auto made = [](const nlohmann::json& f) -> std::optional<EpisodeCode> {
        if (f.is_null())
            return std::nullopt;
        if (f[0] == "episode")
            return EpisodeCode::episode(f[1], f[2]);
        if (f[0] == "seasonPack")
            return EpisodeCode::seasonPack(f[1]);
        if (f[0] == "seriesPack")
            return EpisodeCode::seriesPack(qstr(f[1]));
        return EpisodeCode::daily(f[1], f[2], f[3]);
    };
    const nlohmann::json forms = fixtureJson("records/show-texts.json")["codeForms"];
    ASSERT_EQ(forms.size(), 11u);
    for (const auto& c : forms) {
        const auto code = made(c[1]);
        EXPECT_EQ(EpisodeCode::parse(qstr(c[0])), code) << c;
        if (code) {
            EXPECT_EQ(code->text(), qstr(c[0])) << c;
        }
    }
    EXPECT_EQ(EpisodeCode::parse("s02e03"), EpisodeCode::episode(2, 3));
    EXPECT_EQ(EpisodeCode::episode(2, 3).ordinal(), (EpisodeNumber{2, 3}));
    EXPECT_EQ(EpisodeCode::daily(2024, 3, 7).ordinal(), (EpisodeNumber{2024, 307}));
    EXPECT_EQ(EpisodeCode::seasonPack(4).season(), 4);
    EXPECT_EQ(EpisodeCode::daily(2024, 3, 7).season(), std::nullopt);
    EXPECT_TRUE(EpisodeCode::seriesPack("ab").isPack());
    EXPECT_FALSE(EpisodeCode::episode(1, 1).isPack());
}

TEST(LibraryLayouts, SpellEveryFolderBelowTheRoot) {
    const LibraryLayout layout("/lib");
    EXPECT_EQ(layout.seriesFolder(), "/lib/Series");
    EXPECT_EQ(layout.moviesFolder(), "/lib/Movies");
    EXPECT_EQ(layout.workingFolder(), "/lib/Incomplete");
    EXPECT_EQ(LibraryLayout::seasonFolderName(3), "Season_03");
    EXPECT_EQ(LibraryLayout::seasonFolderName(112), "Season_112");
    EXPECT_EQ(LibraryLayout("").workingFolder(), "") << "no root, no working folder";
}

// Running as root, permissions would not refuse anything: the cases use what refuses everyone.
TEST(LibraryLayouts, TellWhyARootCannotHoldTheLibrary) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath("plain-file");
    QFile plain(file);
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();

    const struct {
        QString root;
        std::optional<QString> why;
    } cases[] = {
        {dir.path(), std::nullopt},
        {dir.filePath("new/Library"), std::nullopt}, // made on the way
        {file, "it is a file, not a folder"},
        {file + "/Library/Series", file + " is a file, not a folder"},
        {"relative/Library", "it is not a full path to a folder"},
        {"", "it is not a full path to a folder"},
        {"/proc/lumivane-library", "it cannot be created in /proc"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LibraryLayout::unusableReason(c.root), c.why) << c.root.toStdString();
    EXPECT_TRUE(QFileInfo(dir.filePath("new/Library")).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Hidden | QDir::Files), QStringList({"plain-file"}))
        << "the write probe leaves nothing behind";
}
