#include "model/Show.h"

#include "Fixtures.h"
#include "ScopedTimeZone.h"
#include "model/Movie.h"

#include <QTimeZone>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {

Timestamp utc(int y, int m, int d, int h = 0, int min = 0) {
    return Timestamp::fromDateTime(QDateTime(QDate(y, m, d), QTime(h, min), Qt::UTC));
}

} // namespace

TEST(ShowText, EpisodeCodesAndWatchStatusOfTheTable) {
    const nlohmann::json table = fixtureJson("records/show-texts.json");
    for (const auto& c : table["episodeCodes"]) {
        const auto n = Show::parseEpisodeCode(qstr(c[0]));
        EXPECT_EQ(n ? nlohmann::json({n->season, n->episode}) : nlohmann::json(), c[1]) << c[0];
    }
    for (const auto& c : table["watchStatus"]) {
        const auto text = showFrom(c[1]).watchStatusText(utc(2025, 3, 10, 12));
        EXPECT_EQ(text ? nlohmann::json(text->toStdString()) : nlohmann::json(), c[2]) << c[0];
    }
}

TEST(ShowDates, DateCodeUsesTheUtcCalendarDay) {
    EXPECT_EQ(Show::dateCode(utc(2024, 3, 15)), "2024.03.15");
    EXPECT_EQ(Show::dateCode(utc(2024, 3, 15, 23, 59)), "2024.03.15");
    EXPECT_EQ(Show::dateCode(utc(987, 1, 2)), "0987.01.02");
}

TEST(ShowDates, AirDayKeepsTheCalendarDayInZonesWestOfUtc) {
    const ScopedTimeZone tz("America/Los_Angeles");
    const QDateTime local = Show::airDayInLocalTime(utc(2025, 3, 15)).toDateTime().toLocalTime();
    EXPECT_EQ(local.date(), QDate(2025, 3, 15));
    EXPECT_EQ(local.time(), QTime(0, 0));
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

// --- downloaded episodes -----------------------------------------------------------------------

TEST(ShowDownloads, MarkDownloadedMovesAnExistingCodeToTheFront) {
    Show show;
    show.downloadedEpisodes = {"S01E03", "S01E02", "S01E01"};
    show.markDownloaded("S01E01");
    EXPECT_EQ(show.downloadedEpisodes, QStringList({"S01E01", "S01E03", "S01E02"}));
}

TEST(ShowDownloads, MarkDownloadedKeepsTheNewestHundred) {
    Show show;
    for (int e = 1; e <= 101; ++e)
        show.markDownloaded(QStringLiteral("S01E%1").arg(e, 3, 10, QLatin1Char('0')));
    ASSERT_EQ(show.downloadedEpisodes.size(), 100);
    EXPECT_EQ(show.downloadedEpisodes.first(), "S01E101");
    EXPECT_EQ(show.downloadedEpisodes.last(), "S01E002"); // S01E001 dropped
}

TEST(ShowDownloads, LatestKnownEpisodeTakesTheGreaterOfDownloadsAndAnchor) {
    Show show;
    EXPECT_EQ(show.latestKnownEpisode(), std::nullopt);

    show.downloadedEpisodes = {"S02E01", "junk", "S02E03", "S01E09"};
    EXPECT_EQ(show.latestDownloadedEpisode(), (EpisodeNumber{2, 3}));
    EXPECT_EQ(show.latestKnownEpisode(), (EpisodeNumber{2, 3}));

    show.monitorAnchor = "S03E00";
    EXPECT_EQ(show.latestKnownEpisode(), (EpisodeNumber{3, 0}));

    show.monitorAnchor = "not a code";
    EXPECT_EQ(show.latestKnownEpisode(), (EpisodeNumber{2, 3}));

    show.downloadedEpisodes.clear();
    show.monitorAnchor = "S04E02";
    EXPECT_EQ(show.latestKnownEpisode(), (EpisodeNumber{4, 2}));
}

TEST(ShowDownloads, HasDownloadedMatchesTheCodeOrTheAirDateCode) {
    Show show;
    show.downloadedEpisodes = {"S01E01", "2024.03.15"};
    EXPECT_TRUE(show.hasDownloaded("S01E01"));
    EXPECT_FALSE(show.hasDownloaded("S01E02"));
    EXPECT_TRUE(show.hasDownloaded("S05E07", utc(2024, 3, 15)));
    EXPECT_FALSE(show.hasDownloaded("S05E07", utc(2024, 3, 16)));
}

TEST(ShowText, Initials) {
    const auto initials = [](const char* name) {
        Show s;
        s.name = QString::fromUtf8(name);
        return s.initials();
    };
    EXPECT_EQ(initials("breaking bad"), "BB");
    EXPECT_EQ(initials("  The   Office  US "), "TO");
    EXPECT_EQ(initials("Dark"), "D");
    EXPECT_EQ(initials(""), "");
    EXPECT_EQ(initials("élite"), "É");
}

TEST(MovieText, DisplayTitleAddsANonEmptyYear) {
    Movie movie;
    movie.name = "Heat";
    EXPECT_EQ(movie.displayTitle(), "Heat");
    movie.year = "";
    EXPECT_EQ(movie.displayTitle(), "Heat");
    movie.year = "1995";
    EXPECT_EQ(movie.displayTitle(), "Heat (1995)");
}

TEST(ShowQuality, ModeFollowsTheTwoFlags) {
    EXPECT_EQ(qualityModeOf(true, false), Show::QualityMode::any);
    EXPECT_EQ(qualityModeOf(true, true), Show::QualityMode::any);
    EXPECT_EQ(qualityModeOf(false, true), Show::QualityMode::preferWithFallback);
    EXPECT_EQ(qualityModeOf(false, false), Show::QualityMode::strict);
}

TEST(WatchStatusTextZones, TheAirDayIsTheSameCalendarDayEverywhere) {
    Show show;
    show.nextAirDate = utc(2025, 3, 15);
    for (const char* tz : {"UTC", "America/Los_Angeles", "Pacific/Auckland"}) {
        const ScopedTimeZone zone(tz);
        EXPECT_EQ(show.watchStatusText(utc(2025, 3, 10)), "Next episode airs Mar 15, 2025") << tz;
    }
}

TEST(WatchStatusTextZones, AnEpisodeAiringAtUtcMidnightCountsAsOutOnceThatInstantPassed) {
    const ScopedTimeZone zone("Pacific/Auckland");
    Show show;
    show.nextAirDate = utc(2025, 3, 15);
    EXPECT_EQ(show.watchStatusText(utc(2025, 3, 14, 23, 59)), "Next episode airs Mar 15, 2025");
    EXPECT_EQ(show.watchStatusText(utc(2025, 3, 15, 0, 0)), "New episode out — searching…");
}
