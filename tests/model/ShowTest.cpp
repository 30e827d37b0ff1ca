#include "model/Show.h"

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

// --- parseEpisodeCode --------------------------------------------------------------------------

struct EpisodeCodeCase {
    const char* code;
    std::optional<EpisodeNumber> expected;
};

class ParseEpisodeCode : public testing::TestWithParam<EpisodeCodeCase> {};

TEST_P(ParseEpisodeCode, ReadsSeasonAndEpisode) {
    EXPECT_EQ(Show::parseEpisodeCode(QString::fromUtf8(GetParam().code)), GetParam().expected)
        << GetParam().code;
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ParseEpisodeCode,
    testing::Values(EpisodeCodeCase{"S02E05", EpisodeNumber{2, 5}},
                    EpisodeCodeCase{"The.Show.s02e10.720p", EpisodeNumber{2, 10}},
                    EpisodeCodeCase{"S1E2", EpisodeNumber{1, 2}},
                    // three-digit episodes are read in full, not as their first two digits
                    EpisodeCodeCase{"S01E105", EpisodeNumber{1, 105}},
                    EpisodeCodeCase{"Show.S20E142.1080p", EpisodeNumber{20, 142}},
                    EpisodeCodeCase{"S01E1050", std::nullopt},
                    EpisodeCodeCase{"2024.03.15", EpisodeNumber{2024, 315}},
                    EpisodeCodeCase{"2024-03-15", std::nullopt},
                    EpisodeCodeCase{"E05", std::nullopt}, EpisodeCodeCase{"S03.PACK", std::nullopt},
                    EpisodeCodeCase{"x2024.03.15", std::nullopt},
                    EpisodeCodeCase{"", std::nullopt}));

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

// --- watchStatusText ---------------------------------------------------------------------------

struct WatchStatusCase {
    const char* label;
    std::function<void(Show&)> setUp;
    std::optional<QString> expected;
};

class WatchStatusText : public testing::TestWithParam<WatchStatusCase> {};

TEST_P(WatchStatusText, DescribesTheSubscription) {
    const Timestamp now = utc(2025, 3, 10, 12);
    Show show;
    show.name = "Show";
    GetParam().setUp(show);
    EXPECT_EQ(show.watchStatusText(now), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WatchStatusText,
    testing::Values(
        WatchStatusCase{"disabled", [](Show& s) { s.isEnabled = false; }, std::nullopt},
        WatchStatusCase{"notSubscribed", [](Show& s) { s.startWithLatest = false; }, std::nullopt},
        WatchStatusCase{"noAirInfoYet", [](Show&) {}, "Subscribed — checking the schedule…"},
        WatchStatusCase{"ended",
                        [](Show& s) {
                            s.airInfoRefreshedAt = Timestamp{1};
                            s.tmdbStatus = "Canceled";
                            s.tmdbID = 7;
                        },
                        "Series ended"},
        WatchStatusCase{"statusComparedExactly",
                        [](Show& s) {
                            s.airInfoRefreshedAt = Timestamp{1};
                            s.tmdbStatus = "ended";
                            s.tmdbID = 7;
                        },
                        "Up to date — watching for new episodes"},
        WatchStatusCase{"withoutTmdb", [](Show& s) { s.airInfoRefreshedAt = Timestamp{1}; },
                        "Subscribed — watching for new episodes"},
        WatchStatusCase{"aired", [](Show& s) { s.nextAirDate = utc(2025, 3, 10); },
                        "New episode out — searching…"},
        WatchStatusCase{"airedExactlyNow", [](Show& s) { s.nextAirDate = utc(2025, 3, 10, 12); },
                        "New episode out — searching…"},
        WatchStatusCase{"endedButAired",
                        [](Show& s) {
                            s.nextAirDate = utc(2025, 3, 1);
                            s.tmdbStatus = "Ended";
                        },
                        "Series ended — searching for missing episodes…"},
        WatchStatusCase{"upcoming", [](Show& s) { s.nextAirDate = utc(2025, 3, 15); },
                        "Next episode airs Mar 15, 2025"}),
    [](const testing::TestParamInfo<WatchStatusCase>& info) { return info.param.label; });

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
