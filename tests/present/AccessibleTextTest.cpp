#include "AccessibleText.h"
#include "Announcements.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* what;
    QString got;
    QString expected;
};

CalEvent event(const char* show, const char* code, CalEvent::EpisodeState state) {
    CalEvent e;
    e.showName = show;
    e.code = code;
    e.state = state;
    return e;
}

} // namespace

TEST(AccessibleText, PaintedRowsReadTheirPartsAndLeaveOutWhatIsMissing) {
    using S = CalEvent::EpisodeState;
    const Case cases[] = {
        {"series row, all parts",
         accessible::seriesRowDescription("1080p", "Subscribed", "Downloading S01E02 · 40%", false),
         "1080p, Subscribed, Downloading S01E02 · 40%"},
        {"series row without status line",
         accessible::seriesRowDescription("720p", "Not subscribed", "", false),
         "720p, Not subscribed"},
        {"the subscription is said once",
         accessible::seriesRowDescription("1080p", "Subscribed",
                                          "Subscribed — checking the schedule…", false),
         "1080p, Subscribed — checking the schedule…"},
        {"stalled series row says so in words",
         accessible::seriesRowDescription("4K", "Subscribed", "  ", true),
         "4K, Subscribed, Possible stalled item in recents"},
        {"episode name", accessible::episodeRowName("S02E05", "Lost and Found"),
         "S02E05 Lost and Found"},
        {"episode without title", accessible::episodeRowName("S02E07", ""), "S02E07"},
        {"episode description", accessible::episodeRowDescription("Aired Mar 13, 2025", "Grab"),
         "Aired Mar 13, 2025, Grab"},
        {"episode without air date", accessible::episodeRowDescription("", "Upcoming"),
         "Upcoming"},
        {"ticked release", accessible::releaseRowDescription("1080p · 40 seeders", true),
         QString::fromUtf8("1080p · 40 seeders, Selected")},
        {"release without detail", accessible::releaseRowDescription("", false), "Not selected"},
        {"empty day", accessible::calendarDayDescription({}), "No episodes"},
        {"day with two events",
         accessible::calendarDayDescription(
             {event("Dark", "S01E01", S::gotIt), event("Severance", "S02E07", S::missing)}),
         QString::fromUtf8("Dark — S01E01 Got it; Severance — S02E07 Missing")},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.got, c.expected) << c.what;
}

TEST(Announcements, OnlyWhatTheUserWaitsForIsSpoken) {
    using K = ActivityEntry::Kind;
    const auto line = [](K kind, const char* message) {
        return ActivityEntry{QUuid(), Timestamp(), message, kind};
    };
    const std::optional<QString> none;
    const struct {
        const char* what;
        std::optional<QString> got, expected;
    } cases[] = {
        {"check starts", announce::forCheck(false, true), QString("Checking now…")},
        {"check finishes", announce::forCheck(true, false), QString("Check finished")},
        {"still checking", announce::forCheck(true, true), none},
        {"still idle", announce::forCheck(false, false), none},
        {"a grab", announce::forActivity(line(K::found, "Found Dark S02E05")),
         QString("Found Dark S02E05")},
        {"an error", announce::forActivity(line(K::error, "Could not reach TMDB")),
         QString("Error: Could not reach TMDB")},
        {"a check line", announce::forActivity(line(K::check, "Checking 3 series")), none},
        {"a sorted line", announce::forActivity(line(K::sorted, "Sorted Dark S02E05")), none},
        {"a problem appears", announce::forProblem(none, QString("No torrent index answers")),
         QString("No torrent index answers")},
        {"the same problem", announce::forProblem(QString("A"), QString("A")), none},
        {"an empty problem is none", announce::forProblem(none, QString()), none},
        {"the problem goes", announce::forProblem(QString("A"), none),
         QString("Listening for new episodes")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.got, c.expected) << c.what;
}
