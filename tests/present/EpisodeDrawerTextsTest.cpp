#include "EpisodeDrawerTexts.h"
#include "ScopedTimeZone.h"

#include <QTimeZone>

#include <gtest/gtest.h>

using namespace EpisodeDrawerTexts;

namespace {

Timestamp utcAt(int y, int m, int d, int h = 0) {
    return Timestamp::fromDateTime(QDateTime(QDate(y, m, d), QTime(h, 0), QTimeZone::utc()));
}

} // namespace

TEST(EpisodeRowState, TheFirstStateThatAppliesWinsInItsNaturalOrder) {
    struct Case {
        RowFacts facts;
        const char* label;
        const char* tooltip;
        bool pressable;
    };
    const std::optional<QString> offer720 = QStringLiteral("720p");
    const Case table[] = {
        {{true, true, offer720, true, true}, "Got it", "", false},
        {{false, true, offer720, true, true}, "Grabbing", "", false},
        {{false, false, offer720, true, true}, "Choose a copy",
         "720p release — tap to pick another resolution", true},
        {{false, false, std::nullopt, true, true}, "None found",
         "No seeded release found at any quality — tap to try again", true},
        {{false, false, std::nullopt, false, true}, "Upcoming", "", false},
        {{false, false, std::nullopt, false, false}, "Grab", "", true},
    };
    for (const Case& c : table) {
        const RowState state = rowState(c.facts);
        EXPECT_EQ(rowLabel(state), QString::fromUtf8(c.label));
        EXPECT_EQ(rowTooltip(state, c.facts.offeredQuality.value_or(QString())),
                  QString::fromUtf8(c.tooltip))
            << c.label;
        EXPECT_EQ(rowPressable(state), c.pressable) << c.label;
    }
}

TEST(EpisodeAirDate, AiredAtOrBeforeNowAndAirsAfterItOnTheUtcDay) {
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const Timestamp now = utcAt(2025, 3, 13, 12);
    const std::pair<std::optional<Timestamp>, const char*> table[] = {
        {utcAt(2025, 3, 6), "Aired Mar 6, 2025"},
        {now, "Aired Mar 13, 2025"}, // at now counts as aired
        {now + 1, "Airs Mar 13, 2025"},
        {utcAt(2025, 3, 20), "Airs Mar 20, 2025"},
        {std::nullopt, ""},
    };
    for (const auto& [date, text] : table)
        EXPECT_EQ(airDateText(date, now, us), QString::fromUtf8(text));
}

TEST(EpisodeAirDate, TheAirDayDoesNotShiftWestOfGreenwich) {
    const ScopedTimeZone west("America/Los_Angeles");
    EXPECT_EQ(airDateText(utcAt(2025, 3, 6), utcAt(2025, 3, 13),
                          QLocale(QLocale::English, QLocale::UnitedStates)),
              "Aired Mar 6, 2025");
}

TEST(CompleteSeasonTooltip, CountsTheMissingEpisodesWithTheirPluralS) {
    const std::tuple<int, int, const char*> table[] = {
        {2, 0, "You have every aired episode of Season 2"},
        {2, 1, "Download the 1 episode of Season 2 you don't have"},
        {2, 2, "Download the 2 episodes of Season 2 you don't have"},
        {11, 13, "Download the 13 episodes of Season 11 you don't have"},
    };
    for (const auto& [season, missing, text] : table)
        EXPECT_EQ(completeSeasonTooltip(season, missing), QString::fromUtf8(text));
}

TEST(RecentStateLine, SaysWhereEachDownloadStands) {
    const Timestamp now = utcAt(2025, 3, 13, 12);
    const auto row = [](DownloadRecord::State state, std::optional<QString> detail = {}) {
        DownloadRecord r;
        r.state = state;
        r.detail = std::move(detail);
        return r;
    };
    DownloadRecord running = row(DownloadRecord::State::downloading);
    running.progress = 0.427;
    running.peers = 3;
    DownloadRecord onePeer = running;
    onePeer.peers = 1;
    DownloadRecord stuckDay = row(DownloadRecord::State::downloading);
    stuckDay.stuckSince = now - 86400 * 1.5;
    stuckDay.trackerHint = "No seeds - likely abandoned";
    DownloadRecord stuckDays = stuckDay;
    stuckDays.stuckSince = now - 86400 * 3;
    stuckDays.trackerHint = "Found seeds";
    stuckDays.seedsSeen = 2;
    DownloadRecord stuckHours = stuckDay;
    stuckHours.stuckSince = now - 3600 * 5;
    stuckHours.trackerHint.reset();

    const std::pair<DownloadRecord, const char*> table[] = {
        {row(DownloadRecord::State::sorted, "/lib/Dark/S01E02.mkv"), "Saved"},
        {row(DownloadRecord::State::error, "engine unreachable"), "Error: engine unreachable"},
        {row(DownloadRecord::State::error), "Error: failed"},
        {row(DownloadRecord::State::error, ""), "Error: failed"},
        {row(DownloadRecord::State::error, "Cancelled — replaced by a new grab"),
         "Cancelled — replaced by a new grab"},
        {row(DownloadRecord::State::error, "Cancelled"), "Cancelled"},
        {running, "42% · 3 peers"},
        {onePeer, "42% · 1 peer"},
        {stuckDay, "0% · 0 peers · stuck 1 day · No seeds - likely abandoned"},
        {stuckDays, "0% · 0 peers · stuck 3 days · Found 2 seeds. Waiting for handshake"},
        {stuckHours, "0% · 0 peers"},
    };
    for (const auto& [record, text] : table)
        EXPECT_EQ(recentStateLine(record, now), QString::fromUtf8(text));
}

TEST(DrawerFailureTexts, PointToTheKeyOrTheConnectionAndNeverReadAsEmpty) {
    using F = TMDBClient::Failure;
    EXPECT_TRUE(tmdbFailureText(F::none).isEmpty());
    EXPECT_TRUE(tmdbFailureText(F::refusedKey).contains("Settings"));
    EXPECT_TRUE(tmdbFailureText(F::unreachable).contains("connection"));
    EXPECT_TRUE(indexesUnreachableText().contains("connection"));
    // Each failure reads differently, and none like the "nothing there" texts.
    const QStringList texts{tmdbFailureText(F::refusedKey), tmdbFailureText(F::unreachable),
                            tmdbFailureText(F::badAnswer), indexesUnreachableText()};
    EXPECT_EQ(QSet<QString>(texts.cbegin(), texts.cend()).size(), 4);
    for (const QString& t : texts) {
        EXPECT_FALSE(t.startsWith("No ")) << t.toStdString();
        EXPECT_FALSE(t.contains("find")) << t.toStdString();
    }
}
